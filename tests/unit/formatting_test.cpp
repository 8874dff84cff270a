#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "core/datetime.h"
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
    const char* durations[] = {"s.", "mi.", "hr.", "dy.", "mo.", "yr."};
    for (int i = 0; i < 6; ++i) t.set(str::kDurationUnit0 + i, durations[i]);
    const char* bytes[] = {"B.", "KB.", "MB.", "GB.", "TB."};
    for (int i = 0; i < 5; ++i) t.set(str::kByteUnit0 + i, bytes[i]);
    return t;
}

TEST(FormatDuration, UnitsDivideAndTruncateTowardZero) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatDuration(1, true, 3725, t), "62 mi.");
    EXPECT_EQ(formatDuration(0, true, 59, t), "59 s.");
    EXPECT_EQ(formatDuration(2, false, 7199, t), "1");
    EXPECT_EQ(formatDuration(3, true, 86400 * 3 - 1, t), "2 dy.");
    EXPECT_EQ(formatDuration(4, true, 2628000, t), "1 mo.");
    EXPECT_EQ(formatDuration(5, true, 31556952LL * 2 - 1, t), "1 yr.");
    EXPECT_EQ(formatDuration(1, false, -119, t), "-1");
    EXPECT_EQ(formatDuration(1, false, -59, t), "0");
}

TEST(FormatDuration, ClockForms) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatDuration(6, false, 3725, t), "1:02:05");
    EXPECT_EQ(formatDuration(6, false, 90000, t), "25:00:00");  // hours never wrap
    EXPECT_EQ(formatDuration(6, false, 0, t), "0:00:00");
    EXPECT_EQ(formatDuration(7, false, 90061, t), "01/00/00 01:01:01");
    EXPECT_EQ(formatDuration(7, false, 3600, t), "01:00:00");
    EXPECT_EQ(formatDuration(7, false, 86399, t), "23:59:59");
    // 30-day months and 360-day years: 400 days = 1 year, 1 month, 10 days.
    EXPECT_EQ(formatDuration(7, false, 400LL * 86400 + 5, t), "10/01/01 00:00:05");
    // Years beyond 99 keep all their digits.
    EXPECT_EQ(formatDuration(7, false, 360LL * 86400 * 123, t), "00/00/123 00:00:00");
    // No unit name on the clock forms.
    EXPECT_EQ(formatDuration(6, true, 61, t), "0:01:01");
}

TEST(FormatDuration, NegativeSpansCarryOneLeadingMinus) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatDuration(6, false, -3725, t), "-1:02:05");
    EXPECT_EQ(formatDuration(6, false, -5, t), "-0:00:05");
    EXPECT_EQ(formatDuration(7, false, -90061, t), "-01/00/00 01:01:01");
    EXPECT_EQ(formatDuration(7, false, -3600, t), "-01:00:00");
}

TEST(FormatDuration, ExtremesOfInt64) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatDuration(0, false, kInt64Min, t), "-9223372036854775808");
    EXPECT_EQ(formatDuration(1, false, kInt64Min, t), "-153722867280912930");
    // 2^63 s = 2562047788015215 h 30 min 8 s.
    EXPECT_EQ(formatDuration(6, false, kInt64Min, t), "-2562047788015215:30:08");
    EXPECT_EQ(formatDuration(6, false, kInt64Max, t), "2562047788015215:30:07");
    const std::string longest = formatDuration(7, false, kInt64Min, t);
    EXPECT_EQ(longest.front(), '-');
    EXPECT_EQ(longest.substr(longest.size() - 9), " 15:30:08");
}

TEST(FormatDuration, RussianWordsComeFromTheGivenRoutine) {
    const StringTable t = unitNames();
    std::int64_t seenSeconds = 0;
    int seenForm = 0;
    const RussianDurationWords words = [&](std::int64_t s, int form) {
        seenSeconds = s;
        seenForm = form;
        return std::string("words");
    };
    EXPECT_EQ(formatDuration(8, true, 42, t, words), "words");  // no unit name appended
    EXPECT_EQ(seenSeconds, 42);
    EXPECT_EQ(seenForm, 1);
    EXPECT_EQ(formatDuration(9, false, -7, t, words), "words");
    EXPECT_EQ(seenSeconds, -7);
    EXPECT_EQ(seenForm, 2);
    EXPECT_EQ(formatDuration(8, false, 42, t), "");
    EXPECT_EQ(formatDuration(9, true, 42, t), "");
}

TEST(FormatDuration, UnknownUnitsGiveEmptyText) {
    const StringTable t = unitNames();
    for (int unit : {10, 12, 255, -1, 1000}) {
        EXPECT_EQ(formatDuration(unit, true, 5, t), "") << unit;
    }
}

TEST(FormatByteSize, ShiftsByTenBitsAUnitWithoutRounding) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatByteSize(1, true, 1536, t), "1 KB.");
    EXPECT_EQ(formatByteSize(1, false, 2047, t), "1");
    EXPECT_EQ(formatByteSize(0, true, 100, t), "100 B.");
    EXPECT_EQ(formatByteSize(2, true, 3LL << 20, t), "3 MB.");
    EXPECT_EQ(formatByteSize(3, true, (5LL << 30) - 1, t), "4 GB.");
    EXPECT_EQ(formatByteSize(4, false, 1LL << 41, t), "2");
    EXPECT_EQ(formatByteSize(4, true, kInt64Max, t), "8388607 TB.");
}

TEST(FormatByteSize, NegativeCountsShiftAsUnsigned) {
    const StringTable t = unitNames();
    EXPECT_EQ(formatByteSize(0, false, -1, t), "-1");
    EXPECT_EQ(formatByteSize(1, false, -1, t), "18014398509481983");  // (2^64 - 1) >> 10
    EXPECT_EQ(formatByteSize(4, false, kInt64Min, t), "8388608");
}

TEST(FormatByteSize, UnknownUnitsGiveEmptyText) {
    const StringTable t = unitNames();
    for (int unit : {5, 6, 64, 255, -1}) {
        EXPECT_EQ(formatByteSize(unit, true, 100, t), "") << unit;
    }
}

TEST(PercentEncoding, AllButAlphanumerics) {
    EXPECT_EQ(percentEncodeAll("2.4.1202 Summer edition"), "2%2E4%2E1202%20Summer%20edition");
    EXPECT_EQ(percentEncodeAll("a b"), "a%20b");
    EXPECT_EQ(percentEncodeAll("\xE4"), "%E4");
    EXPECT_EQ(percentEncodeAll(std::string("\0%\xFF", 3)), "%00%25%FF");
    EXPECT_EQ(percentEncodeAll("azAZ09"), "azAZ09");
    EXPECT_EQ(percentEncodeAll(""), "");
}

TEST(PercentEncoding, EightBitOnly) {
    EXPECT_EQ(percentEncode8Bit("a b%\xE4\x80\x7F"), "a b%%E4%80\x7F");
    EXPECT_EQ(percentEncode8Bit("\xFF"), "%FF");
}

TEST(Koi8ToLower, RussianWordInCapitals) {
    // ПРИВЕТ in KOI8-R capitals becomes привет in code page 1251.
    EXPECT_EQ(koi8ToLowerWin1251("\xF0\xF2\xE9\xF7\xE5\xF4"), "\xEF\xF0\xE8\xE2\xE5\xF2");
    // The same word in KOI8-R small letters, with ASCII around it.
    EXPECT_EQ(koi8ToLowerWin1251("<\xD0\xD2\xC9\xD7\xC5\xD4>"), "<\xEF\xF0\xE8\xE2\xE5\xF2>");
}

TEST(Koi8ToLower, WholeAlphabetAndYo) {
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
}

TEST(Koi8ToLower, OtherBytesKept) {
    std::string others;
    for (int c = 0; c < 0xC0; ++c) {
        if (c != 0xA3 && c != 0xB3) others += static_cast<char>(c);
    }
    EXPECT_EQ(koi8ToLowerWin1251(others), others);
}

TEST(SystemFolders, EndInExactlyOneBackslash) {
    test::FakeEnvironment env;
    env.temp = "C:\\Temp";
    env.system = "C:\\Windows\\system32";
    EXPECT_EQ(tempDir(env), "C:\\Temp\\");
    EXPECT_EQ(systemDir(env), "C:\\Windows\\system32\\");
    env.temp = "C:\\Temp\\\\";
    env.system = "C:\\";
    EXPECT_EQ(tempDir(env), "C:\\Temp\\");
    EXPECT_EQ(systemDir(env), "C:\\");
    env.temp.clear();
    EXPECT_EQ(tempDir(env), "");
}

class SessionTest : public ::testing::Test {
protected:
    static constexpr double kSecond = 1.0 / 86400.0;
    test::FakePlatform fakes;
    Plugin plugin{fakes.platform()};
};

TEST_F(SessionTest, SecondsSinceStartEitherDirection) {
    plugin.startTime = fakes.clock.dateTime - 3725 * kSecond;
    EXPECT_EQ(sessionSeconds(plugin), 3725);
    plugin.startTime = fakes.clock.dateTime + 10 * kSecond;  // clock set back since the start
    EXPECT_EQ(sessionSeconds(plugin), 10);
    plugin.startTime = fakes.clock.dateTime;
    EXPECT_EQ(sessionSeconds(plugin), 0);
}

TEST_F(SessionTest, SpansBeyond32BitsOrUnknownGiveOne) {
    plugin.startTime = fakes.clock.dateTime - 30000.0;  // about 82 years
    EXPECT_EQ(sessionSeconds(plugin), 1);
    plugin.startTime = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(sessionSeconds(plugin), 1);
    plugin.startTime = fakes.clock.dateTime;
    fakes.clock.dateTime = std::numeric_limits<double>::infinity();
    EXPECT_EQ(sessionSeconds(plugin), 1);
}

TEST_F(SessionTest, TotalAddsLowHalfOfStoredLength) {
    plugin.startTime = fakes.clock.dateTime - 100 * kSecond;
    plugin.settings.stSessionsLength = 5000;
    EXPECT_EQ(totalSessionSeconds(plugin), 5100);
    plugin.settings.stSessionsLength = (std::int64_t{7} << 32) + 5000;
    EXPECT_EQ(totalSessionSeconds(plugin), 5100);
    plugin.settings.stSessionsLength = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(totalSessionSeconds(plugin), 1);  // the sum overflows 32 bits
    plugin.settings.stSessionsLength = -1;      // damaged: reads as 2^32 - 1, too long
    EXPECT_EQ(totalSessionSeconds(plugin), 1);
}

TEST_F(SessionTest, ResetStatisticsRestartsCountersAndPeriod) {
    Settings& s = plugin.settings;
    s.onlineTime = 77;
    s.osc = 3;
    s.stTotalSize = s.stHeaderSize = s.stTextSize = 123456;
    s.stLetterCount = 0;
    s.stSessionsLength = 0;
    s.stStartCount = 0;
    s.stEndCount = 0;
    plugin.startTime = 1.0;
    fakes.clock.dateTime = encodeDateTime({2024, 2, 29, 13, 14, 15, 250});

    resetStatistics(plugin);

    EXPECT_EQ(s.onlineTime, 0);
    EXPECT_EQ(s.osc, 0);
    EXPECT_EQ(s.stTotalSize, 0);
    EXPECT_EQ(s.stHeaderSize, 0);
    EXPECT_EQ(s.stTextSize, 0);
    // The mean-per-run read-outs divide by these: one, never zero.
    EXPECT_EQ(s.stLetterCount, 1);
    EXPECT_EQ(s.stSessionsLength, 1);
    EXPECT_EQ(s.stStartCount, 1);
    EXPECT_EQ(s.stEndCount, 1);
    EXPECT_EQ(plugin.startTime, fakes.clock.dateTime);
    EXPECT_EQ(sessionSeconds(plugin), 0);
    EXPECT_EQ(totalSessionSeconds(plugin), 1);
    EXPECT_EQ(s.stYear, 2024);
    EXPECT_EQ(s.stMonth, 2);
    EXPECT_EQ(s.stDay, 29);
    EXPECT_EQ(s.stHour, 13);
    EXPECT_EQ(s.stMin, 14);
    EXPECT_EQ(s.stSec, 15);
    EXPECT_EQ(s.stMsec, 250);
}

}  // namespace
}  // namespace qbx
