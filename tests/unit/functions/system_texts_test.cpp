// The texts of the machine's description, from fixed facts.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "base/cp1251.h"
#include "core/strings.h"
#include "functions/system/system_texts.h"

namespace qbx::functions::system {
namespace {

std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

StringTable defaults() {
    StringTable table;
    table.reset();
    return table;
}

TEST(SystemTexts, TimeZoneBias) {
    const struct {
        std::int32_t bias;
        const char* text;
    } rows[] = {
        {-180, "+0300"}, {0, "0000"},    {300, "-0500"},  {-330, "+0530"},
        {-345, "+0545"}, {210, "-0330"}, {-840, "+1400"}, {720, "-1200"},
        {-30, "+0030"},  {30, "-0030"},  // under an hour from UTC the sign stays
    };
    for (const auto& row : rows) EXPECT_EQ(timeZoneBias(row.bias), row.text) << row.bias;
}

TEST(SystemTexts, BatteryState) {
    const StringTable s = defaults();
    const struct {
        PowerStatus power;
        std::string text;
    } rows[] = {
        // a desktop on mains without a battery
        {{1, 128, 255, -1}, cp("питание от сети")},
        {{255, 255, 255, -1}, "battery status is unknown"},
        {{0, 1, 80, 95 * 60}, cp("питание от батарей, 80% осталось, 95.0 min осталось")},
        {{0, 128, 255, -1}, cp("питание от сети отключено, батарея отсутствует")},
        {{0, 2, 255, -1}, cp("питание от батарей, малый заряд")},
        {{0, 4, 255, -1}, cp("питание от батарей, очень малый заряд")},
        {{0, 1, 255, 90}, cp("питание от батарей, полный заряд, 1.5 min осталось")},
        // flags are bits: high and charging together, low and critical together
        {{1, 1 | 8, 60, -1}, cp("питание от сети, зарядка батарей")},
        {{0, 2 | 4, 255, -1}, cp("питание от батарей, очень малый заряд")},
        {{0, 1 | 8, 255, -1}, cp("питание от батарей, полный заряд, зарядка батарей")},
        // 255 is "unknown", not every flag at once
        {{0, 255, 255, -1}, cp("питание от батарей")},
        {{2, 8, 50, -1}, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(batteryState(row.power, s, '.'), row.text) << row.power.batteryFlag;
    EXPECT_EQ(batteryState({0, 1, 255, 95 * 60}, s, ','),
              cp("питание от батарей, полный заряд, 95,0 min осталось"));
}

TEST(SystemTexts, BatterySecondsLeft) {
    EXPECT_EQ(batterySecondsLeft({0, 1, 50, 3600}), "3600");
    EXPECT_EQ(batterySecondsLeft({0, 1, 50, -1}), "-1");
    EXPECT_EQ(batterySecondsLeft({1, 8, 50, 3600}), "-1");
    EXPECT_EQ(batterySecondsLeft({255, 255, 255, 3600}), "-1");
}

TEST(SystemTexts, CpuDescriptionFeatureWords) {
    CpuRecord intel{true, true, 1, 6, 10, 3, (1u << 9) | (1u << 17), 0, "GenuineIntel", "Core"};
    EXPECT_EQ(cpuDescription(intel),
              "Core (Stepping 3, Model 10, Family 6, MMX, APIC, 36-bit addr)");
    CpuRecord cyrix{false, false, 2, 5, 2, 1, (1u << 24) | (1u << 9), 0, "CyrixInstead", "6x86"};
    EXPECT_EQ(cpuDescription(cyrix), "6x86 (Stepping 1, Model 2, Family 5, EMMX)");
    CpuRecord amd{true, true, 3, 5, 8, 12, 0, 1u << 31, "AuthenticAMD", "K6-2"};
    EXPECT_EQ(cpuDescription(amd), "K6-2 (Stepping 12, Model 8, Family 5, MMX, 3Dnow!)");
    amd.extendedInfo = false;
    EXPECT_EQ(cpuDescription(amd), "K6-2 (Stepping 12, Model 8, Family 5, MMX)");
    CpuRecord other{false, false, 0, 0, 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, "", ""};
    EXPECT_EQ(cpuDescription(other), " (Stepping 0, Model 0, Family 0)");
}

TEST(SystemTexts, Numbers) {
    const StringTable s = defaults();
    EXPECT_EQ(megabytesText(0, s, '.'), "0.00 Mb");
    EXPECT_EQ(megabytesText(1048576, s, '.'), "1.00 Mb");
    EXPECT_EQ(megabytesText(1536ull * 1048576 + 5243, s, ','), "1536,01 Mb");
    // beyond 4 GB: the sizes are 64-bit
    EXPECT_EQ(megabytesText(16ull << 30, s, '.'), "16384.00 Mb");
    EXPECT_EQ(megabytesText(128ull << 40, s, '.'), "134217728.00 Mb");
    EXPECT_EQ(cpuTicksText(3'600'000, 2000.0, '.'), "7200.00");
    // past the 49.7 days where a 32-bit tick count wraps
    EXPECT_EQ(cpuTicksText(5'000'000'000ull, 1000.0, '.'), "5000000.00");
    EXPECT_EQ(volumePercentText(255, '.'), "100.0");
    EXPECT_EQ(volumePercentText(128, '.'), "50.2");
    EXPECT_EQ(volumePercentText(0, ','), "0,0");
    EXPECT_EQ(roundedWhole(2893.5), 2894);
    EXPECT_EQ(roundedWhole(2892.5), 2892);
    EXPECT_EQ(roundedWhole(2892.51), 2893);
}

TEST(SystemTexts, ScreenStartupMouseAndAccount) {
    const StringTable s = defaults();
    EXPECT_EQ(screenDepthText(24), "32");
    EXPECT_EQ(screenDepthText(16), "16");
    EXPECT_EQ(screenDepthText(32), "32");
    EXPECT_EQ(screenDepthText(8), "8");
    EXPECT_EQ(startupMode(0, s), "normal boot");
    EXPECT_EQ(startupMode(1, s), "safe mode");
    EXPECT_EQ(startupMode(2, s), "safe mode with network support");
    EXPECT_EQ(startupMode(3, s), "status unknown");
    EXPECT_EQ(startupMode(std::nullopt, s), "status unknown");
    EXPECT_EQ(mouseInfoText(MouseInfo{3, true}, s), "3-button mouse with wheel");
    EXPECT_EQ(mouseInfoText(MouseInfo{2, false}, s), "2-button mouse");
    EXPECT_EQ(mouseInfoText(MouseInfo{0, true}, s), "no mouse found");
    EXPECT_EQ(mouseInfoText(std::nullopt, s), "no mouse found");
    EXPECT_EQ(userPrivilegeText(0, s), "Guest");
    EXPECT_EQ(userPrivilegeText(1, s), "User");
    EXPECT_EQ(userPrivilegeText(2, s), "Administrator");
    EXPECT_EQ(userPrivilegeText(3, s), "n/a");
    EXPECT_EQ(userPrivilegeText(std::nullopt, s), "n/a");
    EXPECT_EQ(windowsVersionText({"Windows 7", "Workstation", "Service Pack 1"}),
              "Windows 7 Workstation Service Pack 1");
    EXPECT_EQ(windowsVersionText({"Windows 10", "Workstation", ""}), "Windows 10 Workstation");
    EXPECT_EQ(windowsVersionText({}), "");
}

TEST(SystemTexts, Lists) {
    EXPECT_EQ(drivesText({"C:\\", "D:\\"}), "C:\\ D:\\ ");
    EXPECT_EQ(drivesText({}), "");
    EXPECT_EQ(listText({"a.exe", "b.exe"}), "a.exe\r\nb.exe\r\n");
    EXPECT_EQ(listText({}), "");
}

TEST(SystemTexts, MouseWayUnits) {
    const MouseTravel travel{123456, 2'500'000.0};
    const struct {
        std::string letter;
        const char* text;
    } rows[] = {
        {"", "2500000.00"},     {" ", "2500000.00"},    {"C", "250000.00"}, {"c", "250000.00"},
        {cp("С"), "250000.00"}, {cp("с"), "250000.00"}, {"M", "2500.00"},   {cp("м"), "2500.00"},
        {"k", "2.50"},          {cp("К"), "2.50"},      {"x", "123456"},    {cp("Х"), "123456"},
        {"Q", "2500000.00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(mouseWayText(travel, row.letter.empty() ? ' ' : row.letter[0], '.'), row.text)
            << row.letter;
}

TEST(SystemTexts, MouseSpeedPerTimeUnit) {
    const MouseTravel travel{7200, 36000.0};
    EXPECT_EQ(mouseSpeedText(travel, ' ', ' ', 3600, '.'), "10.00");
    EXPECT_EQ(mouseSpeedText(travel, 'C', 'm', 3600, '.'), "60.00");
    EXPECT_EQ(mouseSpeedText(travel, 'M', 'H', 3600, '.'), "36.00");
    EXPECT_EQ(mouseSpeedText(travel, 'K', 'd', 3600, '.'), "0.86");
    EXPECT_EQ(mouseSpeedText(travel, 'X', 'S', 3600, '.'), "2.00");
    // the time letter is Latin only
    EXPECT_EQ(mouseSpeedText(travel, ' ', cp("М")[0], 3600, '.'), "10.00");
    // within the first second there is no time to divide by
    EXPECT_EQ(mouseSpeedText(travel, ' ', ' ', 0, '.'), std::nullopt);
}

TEST(SystemTexts, BriefReportLines) {
    BriefFacts f;
    f.cpuDescription = "CPU";
    f.cpuMHz = "2893";
    f.processes = "a.exe\r\n";
    f.tasks = "Inbox\r\n";
    f.topList = "1) x (3)";
    const std::string report = briefReport(f);
    EXPECT_EQ(report.substr(0, 49), "Hardware info:\r\n==============\r\n\r\nCPU info: CPU ~");
    EXPECT_NE(report.find("CPU info: CPU ~2893Mhz \r\n"), std::string::npos);
    EXPECT_NE(report.find("Running processes:\r\n=================\r\na.exe\r\n\r\n\r\n\r\n"
                          "Running tasks:\r\n==============\r\nInbox\r\n\r\n\r\n\r\nTop NP :)\r\n"
                          "=======\r\n1) x (3)\r\n"),
              std::string::npos);
    EXPECT_NE(report.find("\r\n\r\n\r\nSystem info:\r\n============\r\nCurrent time: \r\n"),
              std::string::npos);
    EXPECT_NE(report.find("Local network adapter IP list:\r\n\r\n\r\n\r\nRunning"),
              std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 10), "1) x (3)\r\n");
    std::size_t lines = 0;
    for (std::size_t at = report.find("\r\n"); at != std::string::npos;
         at = report.find("\r\n", at + 2))
        ++lines;
    // 47 lines, the IP list's own break, and the entries' own endings in the two lists
    EXPECT_EQ(lines, 47u + 1u + 2u);
}

}  // namespace
}  // namespace qbx::functions::system
