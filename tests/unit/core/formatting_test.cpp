#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "core/session.h"
#include "core/strings.h"
#include "support/fakes.h"

namespace qbx {
namespace {

constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();

// Unit names that differ from any built-in default, so a hard-coded name would show.
StringTable unitNames() {
    StringTable t;
    const char* names[] = {"s.", "mi.", "hr.", "dy.", "mo.", "yr.",
                           "B.", "KB.", "MB.", "GB.", "TB."};
    for (int i = 0; i < 6; ++i) t.set(str::kDurationUnit0 + i, names[i]);
    for (int i = 0; i < 5; ++i) t.set(str::kByteUnit0 + i, names[6 + i]);
    return t;
}

struct SizeCase {
    int unit;
    bool withName;
    std::int64_t value;
    const char* expected;
};

TEST(FormatDuration, UnitsClockFormsSignsAndExtremes) {
    const StringTable t = unitNames();
    const SizeCase cases[] = {
        // Units divide and truncate toward zero.
        {1, true, 3725, "62 mi."},
        {0, true, 59, "59 s."},
        {2, false, 7199, "1"},
        {3, true, 86400 * 3 - 1, "2 dy."},
        {4, true, 2628000, "1 mo."},
        {5, true, 31556952LL * 2 - 1, "1 yr."},
        {1, false, -119, "-1"},
        {1, false, -59, "0"},
        // Clock forms: hours never wrap, 30-day months and 360-day years, years keep all their
        // digits, and no unit name is appended.
        {6, false, 3725, "1:02:05"},
        {6, false, 90000, "25:00:00"},
        {6, false, 0, "0:00:00"},
        {7, false, 90061, "01/00/00 01:01:01"},
        {7, false, 3600, "01:00:00"},
        {7, false, 86399, "23:59:59"},
        {7, false, 400LL * 86400 + 5, "10/01/01 00:00:05"},
        {7, false, 360LL * 86400 * 123, "00/00/123 00:00:00"},
        {6, true, 61, "0:01:01"},
        // Negative spans carry one leading minus.
        {6, false, -3725, "-1:02:05"},
        {6, false, -5, "-0:00:05"},
        {7, false, -90061, "-01/00/00 01:01:01"},
        {7, false, -3600, "-01:00:00"},
        // 2^63 s = 2562047788015215 h 30 min 8 s.
        {0, false, kInt64Min, "-9223372036854775808"},
        {1, false, kInt64Min, "-153722867280912930"},
        {6, false, kInt64Min, "-2562047788015215:30:08"},
        {6, false, kInt64Max, "2562047788015215:30:07"},
        // Russian words without their routine, and unknown units, give empty text.
        {8, false, 42, ""},
        {9, true, 42, ""},
        {10, true, 5, ""},
        {12, true, 5, ""},
        {255, true, 5, ""},
        {-1, true, 5, ""},
        {1000, true, 5, ""}};
    for (const SizeCase& c : cases)
        EXPECT_EQ(formatDuration(c.unit, c.withName, c.value, t), c.expected)
            << c.unit << " " << c.value;
    const std::string longest = formatDuration(7, false, kInt64Min, t);
    EXPECT_EQ(longest.front(), '-');
    EXPECT_EQ(longest.substr(longest.size() - 9), " 15:30:08");
}

TEST(FormatDuration, RussianWordsComeFromTheGivenRoutine) {
    std::string seen;
    const RussianDurationWords words = [&](std::int64_t s, int form) {
        seen += decimal(s) + "/" + decimal(form) + " ";
        return std::string("words");
    };
    EXPECT_EQ(formatDuration(8, true, 42, unitNames(), words), "words");  // no unit name appended
    EXPECT_EQ(formatDuration(9, false, -7, unitNames(), words), "words");
    EXPECT_EQ(seen, "42/1 -7/2 ");
}

TEST(FormatByteSize, ShiftsTenBitsAUnitAsUnsignedWithoutRounding) {
    const StringTable t = unitNames();
    const SizeCase cases[] = {{1, true, 1536, "1 KB."},
                              {1, false, 2047, "1"},
                              {0, true, 100, "100 B."},
                              {2, true, 3LL << 20, "3 MB."},
                              {3, true, (5LL << 30) - 1, "4 GB."},
                              {4, false, 1LL << 41, "2"},
                              {4, true, kInt64Max, "8388607 TB."},
                              {0, false, -1, "-1"},
                              {1, false, -1, "18014398509481983"},  // (2^64 - 1) >> 10
                              {4, false, kInt64Min, "8388608"},
                              {5, true, 100, ""},
                              {6, true, 100, ""},
                              {64, true, 100, ""},
                              {255, true, 100, ""},
                              {-1, true, 100, ""}};
    for (const SizeCase& c : cases)
        EXPECT_EQ(formatByteSize(c.unit, c.withName, c.value, t), c.expected)
            << c.unit << " " << c.value;
}

TEST(PercentEncoding, AllButAlphanumericsOrEightBitOnly) {
    EXPECT_EQ(percentEncodeAll("2.4.1202 Summer edition"), "2%2E4%2E1202%20Summer%20edition");
    EXPECT_EQ(percentEncodeAll(std::string("\0%\xFF\xE4", 4)), "%00%25%FF%E4");
    EXPECT_EQ(percentEncodeAll("azAZ09"), "azAZ09");
    EXPECT_EQ(percentEncodeAll(""), "");
    EXPECT_EQ(percentEncode8Bit("a b%\xE4\x80\x7F"), "a b%%E4%80\x7F");
    EXPECT_EQ(percentEncode8Bit("\xFF"), "%FF");
}

TEST(Koi8ToLower, WholeAlphabetInBothCasesYoAndOtherBytesKept) {
    // KOI8-R lower case in its code order: ю а б ц д е ф г х и й к л м н о п я р с т у ж в ь ы з
    // ш э щ ч ъ; both cases map to one 1251 letter and the 33 results are all distinct.
    const std::string koiLower =
        "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF"
        "\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF";
    const std::string expected =
        "\xFE\xE0\xE1\xF6\xE4\xE5\xF4\xE3\xF5\xE8\xE9\xEA\xEB\xEC\xED\xEE"
        "\xEF\xFF\xF0\xF1\xF2\xF3\xE6\xE2\xFC\xFB\xE7\xF8\xFD\xF9\xF7\xFA";
    std::string koiUpper = koiLower;
    for (char& c : koiUpper) c = static_cast<char>(static_cast<unsigned char>(c) + 0x20);
    EXPECT_EQ(koi8ToLowerWin1251(koiLower), expected);
    EXPECT_EQ(koi8ToLowerWin1251(koiUpper), expected);
    EXPECT_EQ(koi8ToLowerWin1251("\xA3\xB3"), "\xB8\xB8");
    // ПРИВЕТ in KOI8-R capitals, with ASCII around it, becomes привет in code page 1251.
    EXPECT_EQ(koi8ToLowerWin1251("<\xF0\xF2\xE9\xF7\xE5\xF4>"), "<\xEF\xF0\xE8\xE2\xE5\xF2>");
    std::string others;
    for (int c = 0; c < 0xC0; ++c)
        if (c != 0xA3 && c != 0xB3) others += static_cast<char>(c);
    EXPECT_EQ(koi8ToLowerWin1251(others), others);
}

TEST(SystemFolders, EndInExactlyOneBackslash) {
    test::FakeEnvironment env;
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Temp", "C:\\Temp\\"}, {"C:\\Temp\\\\", "C:\\Temp\\"}, {"C:\\", "C:\\"}, {"", ""}};
    for (const auto& [stored, folder] : cases) {
        env.temp = env.system = stored;
        EXPECT_EQ(tempDir(env), folder) << stored;
        EXPECT_EQ(systemDir(env), folder) << stored;
    }
}

class SessionTest : public ::testing::Test {
protected:
    static constexpr double kSecond = 1.0 / 86400.0;
    test::FakePlatform fakes;
    Plugin plugin{fakes.platform()};
};

TEST_F(SessionTest, SecondsSinceStartEitherDirectionAndOneWhenUnknownOrTooLong) {
    plugin.startTime = fakes.clock.dateTime - 3725 * kSecond;
    EXPECT_EQ(sessionSeconds(plugin), 3725);
    plugin.startTime = fakes.clock.dateTime + 10 * kSecond;  // clock set back since the start
    EXPECT_EQ(sessionSeconds(plugin), 10);
    plugin.startTime = fakes.clock.dateTime - 30000.0;  // about 82 years: beyond 32 bits
    EXPECT_EQ(sessionSeconds(plugin), 1);
    plugin.startTime = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(sessionSeconds(plugin), 1);
    plugin.startTime = fakes.clock.dateTime;
    fakes.clock.dateTime = std::numeric_limits<double>::infinity();
    EXPECT_EQ(sessionSeconds(plugin), 1);
}

TEST_F(SessionTest, TotalAddsTheWholeStoredLengthAndStopsAt32Bits) {
    plugin.startTime = fakes.clock.dateTime - 100 * kSecond;
    constexpr std::int64_t kMax32 = std::numeric_limits<std::int32_t>::max();
    const std::pair<std::int64_t, std::int64_t> cases[] = {
        {5000, 5100},
        {kMax32 - 100, kMax32},
        {kMax32 - 99, kMax32},
        {(std::int64_t{7} << 32) + 5000, kMax32},  // its low half alone would give 5100
        {std::numeric_limits<std::int64_t>::max(), kMax32},
        {-1, 1}};  // only a damaged counter is negative
    for (const auto& [stored, total] : cases) {
        plugin.settings.totalSessionSeconds = stored;
        EXPECT_EQ(totalSessionSeconds(plugin), total) << stored;
    }
}

TEST_F(SessionTest, ResetStatisticsRestartsCountersAndPeriod) {
    Settings& s = plugin.settings;
    s.onlineSeconds = 77;
    s.dialUpConnectionsFinished = 3;
    s.totalBytes = s.headerBytes = s.bodyBytes = 123456;
    s.messagesCounted = 0;
    s.totalSessionSeconds = s.startCount = s.endCount = 0;
    plugin.startTime = 1.0;
    fakes.clock.dateTime = encodeDateTime({2024, 2, 29, 13, 14, 15, 250});
    resetStatistics(plugin);
    using Counts = std::vector<std::int64_t>;
    EXPECT_EQ((Counts{s.onlineSeconds, s.dialUpConnectionsFinished, s.totalBytes, s.headerBytes,
                      s.bodyBytes}),
              Counts(5, 0));
    // The mean-per-run read-outs divide by these: one, never zero.
    EXPECT_EQ((Counts{s.messagesCounted, s.totalSessionSeconds, s.startCount, s.endCount}),
              Counts(4, 1));
    EXPECT_EQ(plugin.startTime, fakes.clock.dateTime);
    EXPECT_EQ(totalSessionSeconds(plugin), 1);
    EXPECT_EQ((std::vector<int>{s.periodStartYear, s.periodStartMonth, s.periodStartDay,
                                s.periodStartHour, s.periodStartMinute, s.periodStartSecond,
                                s.periodStartMillisecond}),
              (std::vector<int>{2024, 2, 29, 13, 14, 15, 250}));
}

}  // namespace
}  // namespace qbx
