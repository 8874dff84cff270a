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

TEST(Calendar, IsoWeeksAtYearBorders) {
    const std::vector<std::pair<double, int>> cases = {
        {at(2020, 12, 31), 53}, {at(2021, 1, 3, 23, 59), 53}, {at(2021, 1, 4), 1},
        {at(2024, 12, 30), 1},  {at(2027, 1, 1), 53},         {at(2023, 1, 1), 52},
        {at(2026, 1, 1), 1},    {at(2023, 3, 15), 11},        {at(1, 1, 1), 1},
        {at(9999, 12, 31), 52}};
    for (const auto& [day, week] : cases) EXPECT_EQ(isoWeek(day), week) << day;
}

TEST(Calendar, DayAndHourNumbers) {
    struct Case {
        double moment;
        int dayOfYear, hourOfMonth, hourOfWeek, hourOfYear;
    };
    const std::vector<Case> cases = {
        {kWednesdayNoon, 74, 348, 60, 1764},
        {at(2024, 12, 31, 23, 59), 366, 743, 47, 8783},  // a leap year's last hour, a Tuesday
        {at(2023, 3, 19, 23), 78, 455, 167, 1871},       // Sunday, the week's last hour
        {at(2023, 3, 20, 0, 30), 79, 456, 0, 1872},      // Monday starts the week
        {at(2023, 1, 1), 1, 0, 144, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(dayOfYear(c.moment), c.dayOfYear) << c.moment;
        EXPECT_EQ(hourOfMonth(c.moment), c.hourOfMonth) << c.moment;
        EXPECT_EQ(hourOfWeek(c.moment), c.hourOfWeek) << c.moment;
        EXPECT_EQ(hourOfYear(c.moment), c.hourOfYear) << c.moment;
    }
}

TEST(Calendar, InternetTime) {
    const std::vector<std::pair<double, std::string>> cases = {
        {at(2023, 3, 15, 12), "@541.67"},
        {at(2023, 3, 15, 23, 30), "@20.83"},
        {at(2023, 3, 15, 23), "@0.00"},
        {at(2023, 3, 15, 22, 59, 59), "@999.99"},
        {at(2023, 3, 15, 23, 0, 54), "@0.63"},  // beat 0.625: the half rounds up
        {at(2023, 3, 15, 0, 0, 0, 999), "@41.67"},
    };
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
        {at(2023, 3, 15, 12), -365, -12, -2, at(2019, 3, 15, 12)},
        {at(2023, 3, 15), 0, 0, -2022, at(1, 3, 15)},
        {at(9999, 12, 30, 23, 59, 59), 1, 0, 0, at(9999, 12, 31, 23, 59, 59)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shiftDate(c.from, c.days, c.months, c.years), c.expected)
            << c.from << " " << c.days << " " << c.months << " " << c.years;
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    for (const auto& [days, months, years] :
         std::vector<std::tuple<int, int, int>>{{kMax, 0, 0},
                                                {kMin, 0, 0},
                                                {0, kMax, 0},
                                                {0, kMin, 0},
                                                {0, 0, kMax},
                                                {0, 0, kMin},
                                                {0, 0, 7977},
                                                {0, 0, -2023},
                                                {0, 12 * 8000, -8000}})
        EXPECT_THROW(shiftDate(kWednesdayNoon, days, months, years), InvalidDate)
            << days << " " << months << " " << years;
    EXPECT_THROW(shiftDate(at(9999, 12, 31), 1, 0, 0), InvalidDate);
    EXPECT_THROW(shiftDate(at(1, 1, 1), -1, 0, 0), InvalidDate);
}

TEST(Calendar, DaysToTheNextOccurrence) {
    EXPECT_EQ(daysTo(kWednesdayNoon, 15, 3), 0);
    EXPECT_EQ(daysTo(kWednesdayNoon, 16, 3), 1);
    EXPECT_EQ(daysTo(kWednesdayNoon, 14, 3), 364);  // 2024-03-14 00:00, 364.5 days on
    EXPECT_EQ(daysTo(kWednesdayNoon, 1, 1), 291);
    EXPECT_EQ(daysTo(at(2024, 1, 10), 29, 2), 50);
    // Dates that do not exist in the year they are needed.
    for (const auto& [day, month] :
         std::vector<std::pair<int, int>>{{29, 2}, {31, 2}, {31, 4}, {1, 13}, {0, 1}, {1, 0}})
        EXPECT_THROW(daysTo(kWednesdayNoon, day, month), InvalidDate) << day << "." << month;
    EXPECT_THROW(daysTo(at(2024, 3, 1), 29, 2), InvalidDate);  // next year's has none
    EXPECT_THROW(daysTo(at(9999, 6, 1), 1, 1), InvalidDate);   // no year 10000
}

TEST(Calendar, SecondsSinceAMoment) {
    const double now = at(2023, 3, 15, 12, 0, 0, 250);
    EXPECT_EQ(secondsSince(now, {2023, 3, 15, 11, 59, 50}), 10);
    EXPECT_EQ(secondsSince(now, {2023, 3, 15, 12, 0, 10}), 9);  // 9.75 seconds ahead
    EXPECT_EQ(secondsSince(now, {1, 1, 1, 0, 0, 0}), 63814478400);
    EXPECT_EQ(secondsSince(now, {9999, 12, 31, 23, 59, 59}),
              251723419198);  // 0.75 s short of a whole one
    for (const DateTimeFields& bad : std::vector<DateTimeFields>{{2023, 2, 29, 0, 0, 0},
                                                                 {2023, 13, 1, 0, 0, 0},
                                                                 {0, 1, 1, 0, 0, 0},
                                                                 {10000, 1, 1, 0, 0, 0},
                                                                 {2023, 3, 15, 24, 0, 0},
                                                                 {2023, 3, 15, 0, 60, 0},
                                                                 {2023, 3, 15, 0, 0, -1}})
        EXPECT_THROW(secondsSince(now, bad), InvalidDate) << bad.year << "-" << bad.month;
}

TEST(Calendar, SpansSinceADate) {
    const double now = at(2023, 3, 15, 12, 0, 30);
    struct Case {
        SpanStart start;
        std::optional<std::int64_t> seconds;
    };
    const std::vector<Case> cases = {
        {{SpanUnit::Days, 15, 3, 2023}, 86400},  // today is the first day
        {{SpanUnit::Days, 14, 3, 2023}, 2 * 86400},
        {{SpanUnit::Days, 20, 3, 2023}, 5 * 86400},  // 4.5 days ahead
        {{SpanUnit::Days, 1, 1, 1}, 738594LL * 86400},
        {{SpanUnit::Hours, 15, 3, 2023, 9}, 3 * 3600},
        {{SpanUnit::Hours, 16, 3, 2023, 0}, 11 * 3600},
        {{SpanUnit::Minutes, 15, 3, 2023, 11, 58}, 2 * 60},
        {{SpanUnit::Days, 29, 2, 2023}, std::nullopt},
        {{SpanUnit::Days, 1, 1, 10000}, std::nullopt},
        {{SpanUnit::Hours, 15, 3, 2023, 24}, std::nullopt},
        {{SpanUnit::Minutes, 15, 3, 2023, 0, 60}, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(secondsToShow(now, c.start), c.seconds)
            << c.start.day << "." << c.start.month << "." << c.start.year;
    EXPECT_EQ(invalidStartText("E", {SpanUnit::Days, 31, 2, 2023}), "E 31.02.2023");
    EXPECT_EQ(invalidStartText("E", {SpanUnit::Hours, 31, 2, 99, 5}), "E 31.02.0099 5");
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
        {at(2023, 3, 15, 17, 59), 9, 18, 10, "##########"},  // 9.98 cells
        {at(2023, 3, 15, 1), 0, 2, 1, "-"},                  // half a cell: to the even 0
        {at(2023, 3, 15, 1), 0, 2, 3, "##-"},                // 1.5: to 2
        {at(2023, 3, 15, 1), 0, 2, 5, "##---"},              // 2.5: to 2
        {at(2023, 3, 15, 13), std::numeric_limits<int>::min(), 14, 1, "#"},
        {kWednesdayNoon, 18, 9, 10, std::nullopt},
        {kWednesdayNoon, 9, 9, 10, std::nullopt},
        {kWednesdayNoon, 9, 18, 0, std::nullopt},
        {kWednesdayNoon, 9, 18, -5, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dayProgressBar(c.now, c.start, c.end, c.width, '-', '#'), c.bar)
            << c.start << " " << c.end << " " << c.width;
    const auto wide =
        dayProgressBar(kWednesdayNoon, 0, 24, std::numeric_limits<int>::max(), '.', '#');
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->size(), std::size_t{kMaxProgressWidth});
    EXPECT_EQ(wide->find('.'), std::size_t{kMaxProgressWidth / 2});
}

TEST(Calendar, WorkdayCountdown) {
    const WorkingHours nineToSix{9, 0, 18, 0};
    struct Case {
        double now;
        WorkdayPhase phase;
        std::int64_t seconds;
    };
    const std::vector<Case> cases = {
        {at(2023, 3, 18, 12), WorkdayPhase::DayOff, 0},  // Saturday
        {at(2023, 3, 19, 3), WorkdayPhase::DayOff, 0},   // Sunday
        {at(2023, 3, 15, 8, 59, 59), WorkdayPhase::NotStarted, 0},
        {at(2023, 3, 15, 9), WorkdayPhase::Running, 9 * 3600},
        {at(2023, 3, 15, 17, 59, 59), WorkdayPhase::Running, 1},
        {at(2023, 3, 15, 18), WorkdayPhase::Over, 0},
        {at(2023, 3, 15, 18, 0, 30), WorkdayPhase::Over, 0},  // not 86370 seconds
        {at(2023, 3, 15, 18, 1), WorkdayPhase::Over, 0},
    };
    for (const Case& c : cases) {
        const WorkdayLeft left = workdayLeft(c.now, nineToSix);
        EXPECT_EQ(left.phase, c.phase) << c.now;
        EXPECT_EQ(left.seconds, c.seconds) << c.now;
    }
    const WorkingHours huge{0, 0, std::numeric_limits<int>::max(), 59};
    EXPECT_EQ(workdayLeft(kWednesdayNoon, huge).seconds,
              (std::int64_t{std::numeric_limits<int>::max()} * 60 + 59 - 12 * 60) * 60);
}

TEST(Calendar, PaydayCountdown) {
    StringTable strings;
    strings.reset();
    const auto cp = [](const char* utf8) { return utf8ToCp1251(utf8); };
    struct Case {
        double now;
        PayDays days;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {at(2023, 4, 5, 15), {5, 0, 0, 0}, cp("зарплата сегодня")},
        {at(2023, 4, 6, 0, 30), {5, 0, 0, 0}, cp("до зарплаты осталось 29 d")},
        {at(2024, 2, 6, 0, 30), {5, 0, 0, 0}, cp("до зарплаты осталось 28 d")},  // 29-day month
        {at(2023, 2, 6, 0, 30), {5, 0, 0, 0}, cp("до зарплаты осталось 27 d")},
        {kWednesdayNoon, {20, 10, 5, 10}, cp("до зарплаты осталось 4 d 22 h")},
        {kWednesdayNoon, {25, 0, 17, 15}, cp("до аванса осталось 2 d 3 h")},
        {kWednesdayNoon, {25, 0, 15, 10}, cp("до зарплаты осталось 9 d")},
        {kWednesdayNoon, {25, 0, 15, 13}, cp("аванс сегодня")},
        {at(2023, 3, 1, 0), {1, 0, 0, 0}, cp("зарплата сегодня")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(paydayCountdown(c.now, c.days, strings), c.expected) << c.now;
    constexpr int kMax = std::numeric_limits<int>::max();
    EXPECT_FALSE(paydayCountdown(kWednesdayNoon, {kMax, kMax, kMax, kMax}, strings).empty());
}

}  // namespace
}  // namespace qbx::functions::dates
