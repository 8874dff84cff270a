#include <gtest/gtest.h>

#include "base/datetime.h"
#include "base/text.h"

namespace qbx {
namespace {

using Lines = std::vector<std::string>;

TEST(Text, CasingNumbersPaddingAndLines) {
    EXPECT_EQ(toUpper1251("abc\xE0\xFF\xB8"), "ABC\xC0\xDF\xA8");  // а я ё, not the locale's
    EXPECT_EQ(toLower1251("QBX.TBP \xC0\xA8"), "qbx.tbp \xE0\xB8");
    EXPECT_TRUE(equalsIgnoreCase1251("Plugin #1", "PLUGIN #1"));
    EXPECT_FALSE(equalsIgnoreCase1251("a", "ab"));
    EXPECT_EQ(decimal(-9223372036854775807LL - 1), "-9223372036854775808");
    EXPECT_EQ(hexUpper(448), "1C0");
    EXPECT_EQ(hexUpper(0xAB, 8), "000000AB");
    EXPECT_EQ(pointerText(nullptr).size(), sizeof(void*) * 2);
    EXPECT_EQ(padLeft("15", 6), "    15");
    EXPECT_EQ(padLeft("1234567", 6), "1234567");
    EXPECT_EQ(splitLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(splitLines("a\n\nb"), (Lines{"a", "", "b"}));  // inner empty lines kept
    EXPECT_TRUE(splitLines("").empty());
    EXPECT_EQ(trimBlankOrControl(" \t\r\nx y\x01 "), "x y");
    EXPECT_EQ(trimBlankOrControl("\x01 \x1F"), "");
}

TEST(Text, ParseInt64RejectsPartialNumbers) {
    std::int64_t v = 7;
    EXPECT_TRUE(parseInt64(" 42 ", v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(parseInt64("-5000000000", v));
    EXPECT_EQ(v, -5000000000LL);
    for (const char* bad : {"", "12a", "0x10", "99999999999999999999", "+", " "}) {
        v = 7;
        EXPECT_FALSE(parseInt64(bad, v)) << bad;
        EXPECT_EQ(v, 7);
    }
}

TEST(DateTime, KnownDaysRoundTripsAndSecondsBetween) {
    EXPECT_EQ(encodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(encodeDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    const DateTimeFields f = decodeDateTime(encodeDateTime({2024, 2, 29, 23, 59, 59, 999}));
    EXPECT_EQ((std::vector<int>{f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond}),
              (std::vector<int>{2024, 2, 29, 23, 59, 59, 999}));
    const DateTimeFields before = decodeDateTime(-0.25);  // 1899-12-29 18:00
    EXPECT_EQ(before.day, 29);
    EXPECT_EQ(before.hour, 18);
    EXPECT_EQ(decodeDateTime(1e300).year, 1899);  // garbage gives the epoch, not UB
    const double a = encodeDateTime({2024, 1, 1, 10, 0, 0, 0});
    const double b = encodeDateTime({2024, 1, 1, 10, 0, 10, 900});
    EXPECT_EQ(secondsBetween(a, b), 10);  // absolute and whole
    EXPECT_EQ(secondsBetween(b, a), 10);
}

TEST(DateTime, CalendarAndTheFormatEngine) {
    for (const auto& [year, leap] : std::vector<std::pair<int, bool>>{
             {2024, true}, {1900, false}, {2000, true}, {2023, false}, {-4, true}})
        EXPECT_EQ(isLeapYear(year), leap) << year;
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(2023, 2), 28);
    EXPECT_EQ(daysInMonth(2023, 13), 0);
    EXPECT_EQ(dayOfWeek(0.75), 7);                                       // 1899-12-30, Saturday
    EXPECT_EQ(dayOfWeek(encodeDateTime({2026, 12, 6, 0, 0, 0, 0})), 1);  // a Sunday
    EXPECT_EQ(dayOfWeek(-1.5), 5);                                       // 1899-12-28, Thursday
    const double t = encodeDateTime({2006, 3, 8, 7, 5, 9, 0});
    EXPECT_EQ(formatDateTime("yyyy-mm-dd hh:nn:ss", t), "2006-03-08 07:05:09");
    EXPECT_EQ(formatDateTime("YY/M/D H:N:S", t), "06/3/8 7:5:9");
    EXPECT_EQ(formatDateTime("hh:mm", t), "07:05");  // m after an hour is the minute
    EXPECT_EQ(formatDateTime("\"d\" d 'unclosed", t), "d 8 unclosed");
    EXPECT_EQ(formatDateTime("", t), "");
}

}  // namespace
}  // namespace qbx
