// The date-format engine's tokens beyond the numbers: names, milliseconds, the locale's texts,
// the bound of its result, and moments outside four-digit years.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "base/datetime.h"

namespace qbx {
namespace {

TEST(DateFormat, NamesMillisecondsAndLocaleTokens) {
    const double t = encodeDateTime({2006, 3, 8, 7, 5, 9, 45});  // a Wednesday
    const LocaleDateTimeTexts locale{"08/03/2006", "7:05:09 AM", "", "", nullptr};
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        {"d mmmm yyyy", "8 March 2006"},
        {"ddd, dd-MMM-yy", "Wed, 08-Mar-06"},
        {"dddd|mmmmmm", "Wednesday|March"},
        {"hh:mmm", "07:05"},  // any m after an hour is the minute
        {"s.z|s.zz|s.zzz", "9.45|9.045|9.045"},
        {"c|ddddd|dddddd", "08/03/2006 7:05:09 AM|08/03/2006|08/03/2006"},
        {"'dddd' \"c\"", "dddd c"},
        {"t tt am/pm", "7:05:09 AM 7:05:09 AM am"},  // no short time: the long one
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(formatDateTime(format, t, &locale, 1000).text, expected) << format;
    // Without the locale's texts its tokens are copied; the date alone at midnight exactly.
    EXPECT_EQ(formatDateTime("c ddddd dddd", t), "c ddddd Wednesday");
    EXPECT_EQ(formatDateTime("c", 38784.0, &locale, 100).text, "08/03/2006");
}

// The tokens that only Delphi's format language has, with the locale's own names and marks.
TEST(DateFormat, TwelveHourClockSeparatorsAndTheLocalesNames) {
    DateTimeNames names = englishDateTimeNames();
    names.shortDayNames[3] = "We";
    names.longMonthNames[2] = "Mars";
    names.timeAm = "vorm.";
    names.timePm = "nachm.";
    names.dateSeparator = '-';
    names.timeSeparator = '.';
    const LocaleDateTimeTexts locale{"08-03-2006", "19.05.09", "8. Mars 2006", "19.05", &names};
    const double t = encodeDateTime({2006, 3, 8, 19, 5, 9, 45});  // a Wednesday evening
    const std::vector<std::pair<std::string_view, std::string_view>> cases = {
        {"ddd d mmmm", "We 8 Mars"},
        {"dd/mm/yy hh:nn:ss", "08-03-06 19.05.09"},
        {"h:nn AM/PM|h:nn am/pm|h:nn A/P|h:nn a/p|h ampm",
         "7.05 PM|7.05 pm|7.05 P|7.05 p|7 nachm."},
        {"hh x mm", "19 x 03"},  // a letter between: m is the month again
        {"hh'x'mm", "19x05"},    // quoted text is no token: still the minute
        {"h a", "19 a"},         // an a that starts no mark keeps the 24-hour clock
        {"h \"am/pm\" h am/pm", "19 am/pm 7 pm"},  // each h looks at the next mark only
        {"t|tt|ddddd|dddddd", "19.05|19.05.09|08-03-2006|8. Mars 2006"},
        {"aaaa", "Wednesday"},
        {"yyyyy|e", "2006|2006"},
    };
    for (const auto& [format, expected] : cases)
        EXPECT_EQ(formatDateTime(format, t, &locale, 1000).text, expected) << format;
    const double midnight = encodeDateTime({2006, 3, 8});
    EXPECT_EQ(formatDateTime("h:nn am/pm", midnight, &locale, 100).text, "12.00 am");
    EXPECT_EQ(formatDateTime("h:nn am/pm", midnight + 0.5, &locale, 100).text, "12.00 pm");
    EXPECT_EQ(formatDateTime("t tt dddddd", t), "t tt dddddd");  // no locale: copied
}

TEST(DateFormat, TheResultIsCutAtItsBound) {
    const double t = encodeDateTime({2006, 3, 8, 7, 5, 9, 0});
    const LocaleDateTimeTexts locale{"08.03.2006", "07:05:09", "", "", nullptr};
    const BoundedText out = formatDateTime("c-c", t, &locale, 25);
    EXPECT_EQ(out.text, "08.03.2006 07:05:09-08.03");
    EXPECT_TRUE(out.cut);
    EXPECT_EQ(formatDateTime("'quoted text' mmmm", t, &locale, 8).text, "quoted t");
    EXPECT_FALSE(formatDateTime("mmmm", t, &locale, 5).cut);
}

TEST(DateFormat, YearsOutsideFourDigitsAndValuesOutsideTheCalendar) {
    EXPECT_EQ(formatDateTime("yyyy|yy|dd.mm", encodeDateTime({-44, 3, 15})), "-0044|44|15.03");
    EXPECT_EQ(formatDateTime("yyyy ddd", encodeDateTime({10000, 1, 1})), "10000 Sat");
    // Not a number, and days far past any calendar, read as the epoch (a Saturday).
    for (const double garbage : {std::numeric_limits<double>::quiet_NaN(), 1e300, -1e18}) {
        EXPECT_EQ(formatDateTime("dddd dd.mm.yyyy", garbage), "Saturday 30.12.1899");
        EXPECT_EQ(dayOfWeek(garbage), 7);
    }
}

}  // namespace
}  // namespace qbx
