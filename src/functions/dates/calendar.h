// The arithmetic of the date and time macros on a moment the caller read once: beat time, the
// calendar numbers of a day, shifted dates, spans since a date, the working day's progress and
// the two countdowns. Spans are counted in 64-bit milliseconds from the calendar fields, so a
// year far off neither overflows nor loses seconds to a floating difference.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/datetime.h"

namespace qbx {
class LocaleFormat;
class StringTable;
}  // namespace qbx

namespace qbx::functions::dates {

// A date or time that does not exist (31 February, month 13, hour 24) or lies outside the
// years 1 .. 9999. The handlers answer their placeholder and log what().
class InvalidDate : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The interface texts these macros answer with.
namespace text {
inline constexpr int kDayOff = 18;             // "сегодня выходной!"
inline constexpr int kWorkdayOver = 19;        // "рабочий день окончен!!!"
inline constexpr int kWorkdayNotStarted = 20;  // "рабочий день ещё не начался"
inline constexpr int kWorkdayLeft = 21;  // "до конца рабочего дня осталось"
inline constexpr int kDateError = 28;    // "ошибка в дате"
inline constexpr int kPayLeft = 29;      // "до зарплаты осталось"
inline constexpr int kPayToday = 30;     // "зарплата сегодня"
inline constexpr int kAdvanceLeft = 31;   // "до аванса осталось"
inline constexpr int kAdvanceToday = 32;  // "аванс сегодня"
inline constexpr int kUnknown = 37;       // "<неизвестно>"
}  // namespace text

inline constexpr int kFirstYear = 1;
inline constexpr int kLastYear = 9999;

bool isValidDate(std::int64_t year, std::int64_t month, std::int64_t day);
bool isValidTime(std::int64_t hour, std::int64_t minute, std::int64_t second);

// Milliseconds since 1899-12-30 00:00 of fields that form a date-time.
std::int64_t epochMilliseconds(const DateTimeFields& fields);

// "@" and the beats of a universal moment with two decimals. The beat day starts at 23:00
// universal time (Biel's winter time), so 12:00:00 universal is "@541.67".
std::string internetTime(double universalNow, char decimalSeparator);
// The default date-time text, "." and the milliseconds without leading zeros (7 ms: ".7").
std::string timeWithMilliseconds(LocaleFormat& locale, double now);

// ISO 8601: weeks start on Monday and week 1 holds the year's first Thursday, so 1 January
// may lie in week 52 or 53 and 31 December in week 1.
int isoWeek(double dateTime);
// 1 for 1 January.
int dayOfYear(double dateTime);
// Hours since the first of the month, since Monday and since 1 January, each at 00:00.
int hourOfMonth(double dateTime);
int hourOfWeek(double dateTime);
int hourOfYear(double dateTime);

// The moment plus the days, then plus the months, then plus the years, the time of day kept.
// Each month step clamps the day to the target month's length (31 January plus a month is the
// last of February), so a month and then a year may differ from thirteen months at once.
// Throws InvalidDate when a step leaves the years 1 .. 9999.
double shiftDate(double now, std::int32_t days, std::int32_t months, std::int32_t years);

// Whole days from now to that day and month of this year at the current time of day, or, once
// that has passed, of next year at 00:00. Throws InvalidDate when that date does not exist.
std::int64_t daysTo(double now, int day, int month);

// Whole seconds between the moment (milliseconds ignored) and now, either way round. Throws
// InvalidDate when the fields form no date-time.
std::int64_t secondsSince(double now, const DateTimeFields& moment);

// ZVXDAYSFROM, ZVXHOURSFROM and ZVXMINSFROM: a date, with an hour and a minute as the span
// needs them.
enum class SpanUnit : std::uint8_t { Days, Hours, Minutes };
struct SpanStart {
    SpanUnit unit = SpanUnit::Days;
    int day = 0, month = 0, year = 0, hour = 0, minute = 0;
};
// The seconds to show: whole days between the start and now plus one (the start's own day is
// the first) times 86400, whole hours times 3600, or whole minutes times 60. Nothing when the
// start does not exist.
std::optional<std::int64_t> secondsToShow(double now, const SpanStart& start);
// The answer for a start that does not exist: the error word, a blank and the start as
// "dd.mm.yyyy", then " h" for hours or " h:m" for minutes.
std::string invalidStartText(std::string_view errorWord, const SpanStart& start);

// The bar is never wider than this, whatever the call asks.
inline constexpr int kMaxProgressWidth = 65536;
// The cells of the working day's bar from start to end hour; nothing when start >= end or
// width < 1. Up to the start hour itself the bar is empty; from the end hour on it is full;
// between, the elapsed share rounds to the nearest cell, halves to the even one.
std::optional<std::string> dayProgressBar(double now, int startHour, int endHour, int width,
                                          char emptyCell, char filledCell);

struct WorkingHours {
    int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
};
enum class WorkdayPhase : std::uint8_t { DayOff, Over, NotStarted, Running };
struct WorkdayLeft {
    WorkdayPhase phase = WorkdayPhase::DayOff;
    std::int64_t seconds = 0;  // while running, always > 0
};
// Saturday and Sunday are off. A day whose end has come (even within its last minute) is over:
// there is no count of the next day's seconds.
WorkdayLeft workdayLeft(double now, const WorkingHours& hours);

struct PayDays {
    int payDay = 0, payHour = 0;
    int advanceDay = 0, advanceHour = 0;  // no advance when the day is 0
};
// The nearer of pay day and advance: its words from the string table, a blank and the days
// left in short units, with the hours left when its hour is 1 .. 23; on that day itself, its
// "today" words. A day already passed this month counts from the month's real length.
std::string paydayCountdown(double now, const PayDays& days, const StringTable& strings);

}  // namespace qbx::functions::dates
