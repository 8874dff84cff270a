// The pieces of the system-information services that both builds share.
#include <gtest/gtest.h>

#include <string>

#include "platform/system_info.h"

namespace qbx {
namespace {

TEST(SystemInfoShared, FirmwareDates) {
    EXPECT_EQ(parseFirmwareDate("03/15/2023"), 45000.0);
    EXPECT_EQ(parseFirmwareDate("3/15/2023"), 45000.0);
    EXPECT_EQ(parseFirmwareDate("03/15/23"), 45000.0);
    EXPECT_EQ(parseFirmwareDate("12/31/99"), 36525.0);
    EXPECT_EQ(parseFirmwareDate("01/01/80"), 29221.0);
    EXPECT_EQ(parseFirmwareDate("03/15/2023 extra"), 45000.0);
    for (const char* bad : {"", "13/01/2020", "02/30/2020", "00/10/2020", "1/1/123", "1/1",
                            "1//2020", "01/01/0000", "12/31/1899", "/1/2020", "123/1/2020", "1/1/20201", "x"})
        EXPECT_EQ(parseFirmwareDate(bad), std::nullopt) << bad;
}

TEST(SystemInfoShared, WindowsVersionNames) {
    const struct {
        unsigned major, minor, build;
        int type;
        const char* name;
    } rows[] = {
        {5, 1, 2600, 1, "Windows XP"},
        {6, 1, 7601, 1, "Windows 7"},
        {6, 1, 7601, 3, "Windows Server 2008 R2"},
        {6, 3, 9600, 1, "Windows 8.1"},
        {10, 0, 19045, 1, "Windows 10"},
        {10, 0, 22631, 1, "Windows 11"},
        {10, 0, 17763, 3, "Windows Server 2019"},
        {10, 0, 20348, 2, "Windows Server 2022"},
        {10, 0, 14393, 3, "Windows Server 2016"},
        {11, 2, 0, 1, "Windows 11.2"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(windowsVersionName(row.major, row.minor, row.build, row.type), row.name);
    EXPECT_EQ(productTypeName(1), "Workstation");
    EXPECT_EQ(productTypeName(2), "Domain Controller");
    EXPECT_EQ(productTypeName(3), "Server");
    EXPECT_EQ(productTypeName(0), "");
}

TEST(SystemInfoShared, ClockFromCounterReadings) {
    EXPECT_EQ(clockMHz(1000, 1000 + 1'500'000'000ull, 500'000.0), 3000.0);
    // a span past 2^32 cycles (faster than 8.6 GHz over half a second) is not cut to 32 bits
    EXPECT_EQ(clockMHz(0, 5'000'000'000ull, 500'000.0), 10000.0);
    EXPECT_EQ(clockMHz(5, 5, 500'000.0), std::nullopt);
    EXPECT_EQ(clockMHz(10, 5, 500'000.0), std::nullopt);
    EXPECT_EQ(clockMHz(0, 100, 0.0), std::nullopt);
    EXPECT_EQ(clockMHz(0, 100, 6'000'000.0), std::nullopt);
}

TEST(SystemInfoShared, ForeignTextIsOneBoundedLine) {
    EXPECT_EQ(foreignText("Inbox\r\n- Mail\t\x01"), "Inbox  - Mail  ");
    EXPECT_EQ(foreignText(std::string(5000, 'a')).size(), SystemInfo::kMaxEntryBytes);
    EXPECT_EQ(foreignText("\xCF\xF0\xE8"), "\xCF\xF0\xE8");
}

TEST(SystemInfoShared, ProcessorOfThisMachine) {
    const CpuRecord cpu = readCpuId();
#if defined(__i386__) || defined(__x86_64__)
    EXPECT_EQ(cpu.manufacturer.size(), 12u);
    EXPECT_EQ(cpu.name.find('\0'), std::string::npos);
    EXPECT_LE(cpu.name.size(), 48u);
#else
    EXPECT_TRUE(cpu.manufacturer.empty());
#endif
}

}  // namespace
}  // namespace qbx
