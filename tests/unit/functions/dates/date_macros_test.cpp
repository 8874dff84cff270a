// The date and time macros, called as the host calls them, at moments of the fake clock.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/datetime.h"
#include "support/macro_fixture.h"

namespace qbx::functions::dates {
namespace {

std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

struct MacroCase {
    std::string name;
    std::vector<std::string> arguments;
    std::string expected;
};

class DateMacros : public test::MacroFixture {
protected:
    void setNow(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                int millisecond = 0) {
        fake.clock.dateTime = encodeDateTime({year, month, day, hour, minute, second, millisecond});
    }
    void expectAll(const std::vector<MacroCase>& cases) {
        for (const MacroCase& c : cases) EXPECT_EQ(run(c.name, c.arguments), c.expected) << c.name;
    }
};

TEST_F(DateMacros, TheClockAndTheCalendarNumbers) {
    setNow(2023, 3, 15, 12, 0, 0, 7);  // a Wednesday
    fake.clock.biasMinutes = -180;     // 09:00 universal
    expectAll({{"ZVXINETTIME", {}, "@416.67"},
               {"ZVXTIME", {}, "15.03.2023 12:00:00.7"},
               {"ZVXWOY", {}, "11"},
               {"ZVXDOY", {}, "74"},
               {"ZVXHOM", {}, "348"},
               {"ZVXHOW", {}, "60"},
               {"ZVXHOY", {}, "1764"}});
    setNow(2021, 1, 3, 23, 30);
    fake.clock.biasMinutes = 0;
    expectAll({{"ZVXINETTIME", {}, "@20.83"}, {"ZVXWOY", {}, "53"}, {"ZVXHOW", {}, "167"}});
}

TEST_F(DateMacros, ShiftedDates) {
    setNow(2023, 1, 31, 8, 5, 9);
    expectAll({{"ZVXDATESHIFT", {"dd.mm.yyyy", "0", "1"}, "28.02.2023"},
               {"ZVXDATESHIFT", {"d mmmm yyyy, dddd", "", "", "1"}, "31 January 2024, Wednesday"},
               {"ZVXDATESHIFT", {"", "1"}, "01.02.2023 08:05:09"},
               {"ZVXDATESHIFT", {"c|hh:mm", "-1"}, "30.01.2023 08:05:09|08:05"},
               {"ZVXDATESHIFT", {"yyyy", "0", "0", "7977"}, "n/a"}});
    EXPECT_TRUE(logged("@@ ZVXDATESHIFT: the shifted date leaves the years 1 to 9999"));
    // Each c is a whole date and time: the answer stops at its bound.
    const std::string answer = run("ZVXDATESHIFT", {std::string(4000, 'c')});
    EXPECT_EQ(answer.size(), 65536u);
    EXPECT_TRUE(logged("@@ ZVXDATESHIFT: result cut at 65536 bytes"));
}

TEST_F(DateMacros, DaysToAndSecondsSince) {
    setNow(2023, 3, 15, 12, 0, 0, 250);
    expectAll({{"ZVXDAYSTO", {"16", "3"}, "1"},
               {"ZVXDAYSTO", {"14", "3"}, "364"},
               {"ZVXDAYSTO", {"31", "2"}, "n/a"},
               {"ZVXSE", {"2023", "3", "15", "11", "59", "50"}, "10"},
               {"ZVXSE", {"1", "1", "1", "0", "0", "0"}, "63814478400"},
               {"ZVXSE", {"2023", "2", "29", "0", "0", "0"}, "n/a"}});
    EXPECT_TRUE(logged("@@ ZVXDAYSTO: no such date: 31.02.2023"));
    EXPECT_TRUE(logged("@@ ZVXSE: no such date and time: 29.02.2023 00:00:00"));
}

TEST_F(DateMacros, SpansSinceADate) {
    setNow(2023, 3, 15, 12, 0, 30);
    expectAll({
        {"ZVXDAYSFROM", {"15", "3", "2023"}, "1"},
        {"ZVXDAYSFROM", {"15", "3", "2023", "D", "U"}, "1 d"},
        {"ZVXDAYSFROM", {"14", "3", "2023", "H", "u"}, "48"},  // "U" is compared exactly
        {"ZVXDAYSFROM", {"31", "2", "2023"}, cp("ошибка в дате 31.02.2023")},
        {"ZVXHOURSFROM", {"15", "3", "2023", "9"}, "3"},
        {"ZVXHOURSFROM", {"15", "3", "2023", "9", "S", "U"}, "10800 sec"},
        {"ZVXHOURSFROM", {"15", "3", "2023", "24"}, cp("ошибка в дате 15.03.2023 24")},
        {"ZVXMINSFROM", {"15", "3", "2023", "11", "0"}, "60"},
        {"ZVXMINSFROM", {"1", "3", "2023", "12", "0", "2"}, "14 d"},
        {"ZVXMINSFROM", {"31", "2", "99", "11", "5"}, cp("ошибка в дате 31.02.0099 11:5")},
    });
    EXPECT_TRUE(logged("@@ ZVXDAYSFROM: no such date 31.02.2023"));
    EXPECT_TRUE(logged("@@ ZVXMINSFROM: no such date 31.02.0099 11:5"));
}

TEST_F(DateMacros, DayProgressBar) {
    setNow(2023, 3, 15, 13, 30);
    expectAll({{"ZVXDAYPROGRESS", {"9", "18", "10", "-", "#", "[", "]"}, "[#####-----]"},
               {"ZVXDAYPROGRESS", {"9", "18", "4"}, "    "},  // no letters: blanks
               {"ZVXDAYPROGRESS", {"18", "9", "10", "-", "#"}, cp("<неизвестно>")},
               {"ZVXDAYPROGRESS", {"9", "18", "-1", "-", "#"}, cp("<неизвестно>")}});
    EXPECT_TRUE(logged("@@ ZVXDAYPROGRESS: no bar from hour 18 to hour 9, 10 cells wide"));
    EXPECT_EQ(run("ZVXDAYPROGRESS", {"0", "24", "2147483647", "-", "#"}).size(), 65536u);
}

TEST_F(DateMacros, WorkdayCountdown) {
    const std::vector<std::string> nineToSix = {"9", "0", "18", "0"};
    setNow(2023, 3, 15, 12);
    expectAll({{"ZVXTIMELEFT", nineToSix, cp("до конца рабочего дня осталось 6 h")},
               {"ZVXTIMELEFT",
                {"9", "0", "18", "0", "M", "U"},
                cp("до конца рабочего дня осталось 360 min")}});
    setNow(2023, 3, 15, 18, 0, 30);
    EXPECT_EQ(run("ZVXTIMELEFT", nineToSix), cp("рабочий день окончен!!!"));
    setNow(2023, 3, 15, 8, 59);
    EXPECT_EQ(run("ZVXTIMELEFT", nineToSix), cp("рабочий день ещё не начался"));
    setNow(2023, 3, 18, 12);
    EXPECT_EQ(run("ZVXTIMELEFT", nineToSix), cp("сегодня выходной!"));
}

TEST_F(DateMacros, PaydayCountdown) {
    setNow(2023, 4, 5, 15);
    EXPECT_EQ(run("ZVXDAYSLEFT", {"5"}), cp("зарплата сегодня"));
    setNow(2023, 4, 6, 0, 30);
    EXPECT_EQ(run("ZVXDAYSLEFT", {"5"}), cp("до зарплаты осталось 29 d"));
    setNow(2024, 2, 6, 0, 30);
    EXPECT_EQ(run("ZVXDAYSLEFT", {"5", "0", "25", "12"}), cp("до аванса осталось 19 d 12 h"));
}

}  // namespace
}  // namespace qbx::functions::dates
