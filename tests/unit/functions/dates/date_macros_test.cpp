// The date and time macros, called as the host calls them, at moments of the fake clock: the
// arguments each reads, its defaults, its placeholders and what it logs.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/datetime.h"
#include "support/macro_fixture.h"

namespace qbx::functions::dates {
namespace {

struct MacroCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string expectedUtf8;
};

class DateMacros : public test::MacroFixture {
protected:
    void expectAll(double now, const std::vector<MacroCase>& cases) {
        fake.clock.dateTime = now;
        for (const MacroCase& c : cases)
            EXPECT_EQ(run(c.name, c.arguments), utf8ToCp1251(c.expectedUtf8)) << c.name;
    }
};

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
          int millisecond = 0) {
    return encodeDateTime({year, month, day, hour, minute, second, millisecond});
}

TEST_F(DateMacros, EachMacroAtAFixedMoment) {
    fake.clock.biasMinutes = -180;  // 09:00 universal
    expectAll(
        at(2023, 3, 15, 12, 0, 0, 7),
        {{"ZVXINETTIME", {}, "@416.67"},
         {"ZVXTIME", {}, "15.03.2023 12:00:00.7"},
         {"ZVXWOY", {}, "11"},
         {"ZVXDOY", {}, "74"},
         {"ZVXHOM", {}, "348"},
         {"ZVXHOW", {}, "60"},
         {"ZVXHOY", {}, "1764"},
         {"ZVXDAYSTO", {"16", "3"}, "1"},
         {"ZVXSE", {"2023", "3", "15", "11", "59", "50"}, "10"},
         {"ZVXDAYSFROM", {"15", "3", "2023"}, "1"},             // today is one day
         {"ZVXDAYSFROM", {"14", "3", "2023", "H", "u"}, "48"},  // "U" exactly
         {"ZVXHOURSFROM", {"15", "3", "2023", "9", "S", "U"}, "10800 sec"},
         {"ZVXMINSFROM", {"1", "3", "2023", "12", "0", "2"}, "14 d"},
         {"ZVXMINSFROM", {"15", "3", "2023", "11", "0"}, "60"},
         {"ZVXDAYPROGRESS", {"9", "18", "4", "-", "#", "[", "]"}, "[#---]"},
         {"ZVXDAYPROGRESS", {"9", "18", "2"}, "  "},  // no letters: blanks
         {"ZVXTIMELEFT", {"9", "0", "18", "0"}, "до конца рабочего дня осталось 6 h"},
         {"ZVXTIMELEFT", {"9", "0", "18", "0", "M", "U"}, "до конца рабочего дня осталось 360 min"},
         {"ZVXDAYSLEFT", {"20", "10", "17", "15"}, "до аванса осталось 2 d 3 h"}});
    expectAll(at(2023, 3, 18, 12), {{"ZVXTIMELEFT", {"9", "0", "18", "0"}, "сегодня выходной!"}});
}

TEST_F(DateMacros, ShiftedDates) {
    expectAll(at(2023, 1, 31, 8, 5, 9),
              {{"ZVXDATESHIFT", {"dd.mm.yyyy", "0", "1"}, "28.02.2023"},
               {"ZVXDATESHIFT", {"d mmmm yyyy, dddd", "", "", "1"}, "31 January 2024, Wednesday"},
               {"ZVXDATESHIFT", {"", "1"}, "01.02.2023 08:05:09"},
               {"ZVXDATESHIFT", {"c|hh:mm", "-1"}, "30.01.2023 08:05:09|08:05"}});
    // Each c is a whole date and time: the answer stops at its bound.
    std::string manyDates;
    for (int i = 0; i < 4000; ++i) manyDates += "c ";
    EXPECT_EQ(run("ZVXDATESHIFT", {manyDates}).size(), 65536u);
    EXPECT_TRUE(logged("@@ ZVXDATESHIFT: result cut at 65536 bytes"));
}

TEST_F(DateMacros, DatesThatDoNotExistAnswerThePlaceholderAndAreLogged) {
    expectAll(at(2023, 3, 15, 12),
              {{"ZVXDATESHIFT", {"yyyy", "0", "0", "7977"}, "n/a"},
               {"ZVXDAYSTO", {"31", "2"}, "n/a"},
               {"ZVXSE", {"2023", "2", "29", "0", "0", "0"}, "n/a"},
               {"ZVXDAYSFROM", {"31", "2", "2023"}, "ошибка в дате 31.02.2023"},
               {"ZVXHOURSFROM", {"15", "3", "2023", "24"}, "ошибка в дате 15.03.2023 24"},
               {"ZVXMINSFROM", {"31", "2", "99", "11", "5"}, "ошибка в дате 31.02.0099 11:5"},
               {"ZVXDAYPROGRESS", {"18", "9", "10", "-", "#"}, "<неизвестно>"}});
    for (const char* line :
         {"@@ ZVXDATESHIFT: the shifted date leaves the years 1 to 9999",
          "@@ ZVXDAYSTO: no such date: 31.02.2023",
          "@@ ZVXSE: no such date and time: 29.02.2023 00:00:00",
          "@@ ZVXDAYSFROM: no such date 31.02.2023", "@@ ZVXHOURSFROM: no such date 15.03.2023 24",
          "@@ ZVXDAYPROGRESS: no bar from hour 18 to hour 9, 10 cells wide"})
        EXPECT_TRUE(logged(line)) << line;
}

}  // namespace
}  // namespace qbx::functions::dates
