// The calendar arithmetic of the date macros, at fixed moments.
#include "functions/dates/calendar.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/strings.h"

namespace qbx::functions::dates {
namespace {

double at(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
          int millisecond = 0) {
    return encodeDateTime({year, month, day, hour, minute, second, millisecond});
}

const double kWednesdayNoon = at(2023, 3, 15, 12);
constexpr int kMaxInt = std::numeric_limits<int>::max();
constexpr int kMinInt = std::numeric_limits<int>::min();

TEST(Calendar, IsoWeeksAndHourNumbers) {
    const std::vector<std::pair<double, int>> weeks = {
        {at(2020, 12, 31), 53}, {at(2021, 1, 3, 23, 59), 53}, {at(2021, 1, 4), 1},
        {at(2024, 12, 30), 1},  {at(2027, 1, 1), 53},         {at(2023, 1, 1), 52},
        {at(1, 1, 1), 1},       {at(9999, 12, 31), 52}};
    for (const auto& [day, week] : weeks) EXPECT_EQ(isoWeek(day), week) << day;
    // A leap year's last hour (a Tuesday), and Monday's first.
    const double last = at(2024, 12, 31, 23, 59);
    EXPECT_EQ(
        std::vector<int>({dayOfYear(last), hourOfMonth(last), hourOfWeek(last), hourOfYear(last)}),
        std::vector<int>({366, 743, 47, 8783}));
    EXPECT_EQ(hourOfWeek(at(2023, 3, 20, 0, 30)), 0);
}

TEST(Calendar, InternetTime) {
    const std::vector<std::pair<double, std::string>> cases = {
        {at(2023, 3, 15, 12), "@541.67"},
        {at(2023, 3, 15, 23), "@0.00"},
        {at(2023, 3, 15, 22, 59, 59), "@999.99"},
        {at(2023, 3, 15, 23, 0, 54), "@0.63"}};
    for (const auto& [moment, text] : cases) EXPECT_EQ(internetTime(moment, '.'), text);
    EXPECT_EQ(internetTime(at(2023, 3, 15, 12), ','), "@541,67");
}

TEST(Calendar, ShiftedDatesClampTheDayAtEachMonthStep) {
    struct Case {
        double from;
        int days, months, years;
        double expected;
    };
    const std::vector<Case> cases = {
        {at(2023, 1, 31, 8, 30), 0, 1, 0, at(2023, 2, 28, 8, 30)},
        {at(2024, 1, 31), 0, 1, 0, at(2024, 2, 29)},
        {at(2024, 2, 29), 0, 0, 1, at(2025, 2, 28)},
        {at(2023, 1, 31), 0, 1, 1, at(2024, 2, 28)},  // clamped on the month step already
        {at(2023, 1, 31), 0, 13, 0, at(2024, 2, 29)},
        {at(2023, 1, 30), 1, 1, 0, at(2023, 2, 28)},  // days first
        {at(2023, 3, 31), 0, -1, 0, at(2023, 2, 28)},
        {at(2023, 3, 15), 0, 0, -2022, at(1, 3, 15)},
    };
    // Within a millisecond: the 32-bit build's x87 arithmetic may differ in the last bits.
    for (const Case& c : cases)
        EXPECT_NEAR(shiftDate(c.from, c.days, c.months, c.years), c.expected, 0.5 / 86400000)
            << c.from;
    const std::vector<std::tuple<int, int, int>> outside = {
        {kMaxInt, 0, 0}, {kMinInt, 0, 0}, {0, kMaxInt, 0},      {0, kMinInt, 0},
        {0, 0, kMaxInt}, {0, 0, 7977},    {0, 12 * 8000, -8000}};  // a step past 9999
    for (const auto& [days, months, years] : outside)
        EXPECT_THROW(shiftDate(kWednesdayNoon, days, months, years), InvalidDate) << days;
    EXPECT_THROW(shiftDate(at(1, 1, 1), -1, 0, 0), InvalidDate);
}

TEST(Calendar, DaysToAndSecondsSince) {
    EXPECT_EQ(daysTo(kWednesdayNoon, 15, 3), 0);
    EXPECT_EQ(daysTo(kWednesdayNoon, 14, 3), 364);  // 2024-03-14 00:00, 364.5 days on
    EXPECT_EQ(daysTo(at(2024, 1, 10), 29, 2), 50);
    for (const auto& [now, day, month] :
         std::vector<std::tuple<double, int, int>>{{kWednesdayNoon, 29, 2},
                                                   {kWednesdayNoon, 31, 4},
                                                   {kWednesdayNoon, 1, 13},
                                                   {kWednesdayNoon, 0, 1},
                                                   {at(2024, 3, 1), 29, 2},
                                                   {at(9999, 6, 1), 1, 1}})
        EXPECT_THROW(daysTo(now, day, month), InvalidDate) << day << "." << month;

    const double now = at(2023, 3, 15, 12, 0, 0, 250);
    EXPECT_EQ(secondsSince(now, {2023, 3, 15, 12, 0, 10}), 9);  // 9.75 seconds ahead
    EXPECT_EQ(secondsSince(now, {1, 1, 1, 0, 0, 0}), 63814478400);
    EXPECT_EQ(secondsSince(now, {9999, 12, 31, 23, 59, 59}), 251723419198);
    for (const DateTimeFields& bad : std::vector<DateTimeFields>{{0, 1, 1},
                                                                 {10000, 1, 1},
                                                                 {2023, 3, 15, 24},
                                                                 {2023, 3, 15, 0, 60},
                                                                 {2023, 3, 15, 0, 0, -1}})
        EXPECT_THROW(secondsSince(now, bad), InvalidDate) << bad.year << " " << bad.hour;
}

TEST(Calendar, SpansSinceADateAtUnitBorders) {
    const double now = at(2023, 3, 15, 12, 0, 30);
    const std::vector<std::pair<SpanStart, std::optional<std::int64_t>>> cases = {
        {{SpanUnit::Days, 14, 3, 2023}, 2 * 86400},  // 1.5 days: the first counts too
        {{SpanUnit::Days, 20, 3, 2023}, 5 * 86400},  // 4.5 days ahead
        {{SpanUnit::Days, 1, 1, 1}, 738594LL * 86400},
        {{SpanUnit::Hours, 16, 3, 2023, 0}, 11 * 3600},
        {{SpanUnit::Minutes, 15, 3, 2023, 12, 0}, 0},
        {{SpanUnit::Minutes, 15, 3, 2023, 11, 59}, 60},
        {{SpanUnit::Days, 1, 1, 10000}, std::nullopt},
        {{SpanUnit::Minutes, 15, 3, 2023, 0, 60}, std::nullopt},
    };
    for (const auto& [start, seconds] : cases)
        EXPECT_EQ(secondsToShow(now, start), seconds) << start.day << "." << start.year;
    EXPECT_EQ(invalidStartText("E", {SpanUnit::Minutes, -1, 13, 100000, 7, 3}),
              "E -01.13.100000 7:3");
}

TEST(Calendar, DayProgressBar) {
    struct Case {
        double now;
        int start, end, width;
        std::optional<std::string> bar;
    };
    const std::vector<Case> cases = {
        {at(2023, 3, 15, 13, 30), 9, 18, 10, "#####-----"},
        {at(2023, 3, 15, 8, 59), 9, 18, 10, "----------"},
        {at(2023, 3, 15, 9, 30), 9, 18, 10, "----------"},  // the first hour stays empty
        {at(2023, 3, 15, 18), 9, 18, 10, "##########"},
        {at(2023, 3, 15, 1), 0, 2, 1, "-"},    // half a cell: to the even 0
        {at(2023, 3, 15, 1), 0, 2, 3, "##-"},  // 1.5: to 2
        {at(2023, 3, 15, 13), kMinInt, 14, 1, "#"},
        {kWednesdayNoon, 9, 9, 10, std::nullopt},
        {kWednesdayNoon, 9, 18, -5, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dayProgressBar(c.now, c.start, c.end, c.width, '-', '#'), c.bar) << c.width;
    const auto wide = dayProgressBar(kWednesdayNoon, 0, 24, kMaxInt, '.', '#');
    EXPECT_EQ(wide->find('.'), std::size_t{kMaxProgressWidth / 2});
    EXPECT_EQ(wide->size(), std::size_t{kMaxProgressWidth});
}

TEST(Calendar, WorkdayCountdown) {
    const std::vector<std::tuple<double, WorkdayPhase, std::int64_t>> cases = {
        {at(2023, 3, 19, 3), WorkdayPhase::DayOff, 0},  // Sunday
        {at(2023, 3, 15, 8, 59, 59), WorkdayPhase::NotStarted, 0},
        {at(2023, 3, 15, 9), WorkdayPhase::Running, 9 * 3600},
        {at(2023, 3, 15, 17, 59, 59), WorkdayPhase::Running, 1},
        {at(2023, 3, 15, 18), WorkdayPhase::Over, 0},
        {at(2023, 3, 15, 18, 0, 30), WorkdayPhase::Over, 0},  // not 86370 seconds
    };
    for (const auto& [now, phase, seconds] : cases) {
        const WorkdayLeft left = workdayLeft(now, {9, 0, 18, 0});
        EXPECT_EQ(left.phase, phase) << now;
        EXPECT_EQ(left.seconds, seconds) << now;
    }
    EXPECT_EQ(workdayLeft(kWednesdayNoon, {0, 0, kMaxInt, 59}).seconds,
              (std::int64_t{kMaxInt} * 60 + 59 - 12 * 60) * 60);
}

TEST(Calendar, PaydayCountdown) {
    StringTable strings;
    strings.reset();
    const std::vector<std::tuple<double, PayDays, const char*>> cases = {
        {at(2023, 4, 5, 15), {5, 0, 0, 0}, "зарплата сегодня"},
        {at(2023, 4, 6, 0, 30), {5, 0, 0, 0}, "до зарплаты осталось 29 d"},
        {at(2024, 2, 6, 0, 30), {5, 0, 0, 0}, "до зарплаты осталось 28 d"},  // 29 days
        {at(2023, 2, 6, 0, 30), {5, 0, 0, 0}, "до зарплаты осталось 27 d"},
        {kWednesdayNoon, {20, 10, 5, 10}, "до зарплаты осталось 4 d 22 h"},
        {kWednesdayNoon, {25, 0, 17, 15}, "до аванса осталось 2 d 3 h"},
        {kWednesdayNoon, {25, 0, 15, 13}, "аванс сегодня"},
    };
    for (const auto& [now, days, expected] : cases)
        EXPECT_EQ(paydayCountdown(now, days, strings), utf8ToCp1251(expected)) << now;
    EXPECT_FALSE(
        paydayCountdown(kWednesdayNoon, {kMaxInt, kMaxInt, kMaxInt, kMaxInt}, strings).empty());
}

}  // namespace
}  // namespace qbx::functions::dates
