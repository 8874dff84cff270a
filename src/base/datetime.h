// Date-times are day counts since 1899-12-30 held as doubles (the fraction is the time of day).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx {

struct DateTimeFields {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// A value that is no number, or lies more than about 8000 years off, reads as the epoch.
DateTimeFields decodeDateTime(double dateTime);
// Fields out of range are carried the way a calendar would; the result is exact to 1 ms.
double encodeDateTime(const DateTimeFields& fields);
// Whole seconds between two date-times, as an absolute value (fractions truncated).
std::int64_t secondsBetween(double a, double b);

bool isLeapYear(std::int64_t year);
// 28..31; 0 for a month outside 1..12.
int daysInMonth(std::int64_t year, int month);
// 1 for Sunday .. 7 for Saturday (1899-12-30 was a Saturday); a value decodeDateTime reads as
// the epoch gives the epoch's day.
int dayOfWeek(double dateTime);

// The names and marks of the user's locale that the format engine writes.
struct DateTimeNames {
    std::array<std::string, 7> shortDayNames;  // Sunday first
    std::array<std::string, 7> longDayNames;
    std::array<std::string, 12> shortMonthNames;
    std::array<std::string, 12> longMonthNames;
    std::string timeAm = "AM";
    std::string timePm = "PM";
    char dateSeparator = '/';
    char timeSeparator = ':';
};
const DateTimeNames& englishDateTimeNames();

// The user's own texts of the one date-time being formatted, for the tokens that the locale
// decides (the caller asks the system once, however often the format names them).
struct LocaleDateTimeTexts {
    std::string_view shortDate;
    std::string_view longTime;
    std::string_view longDate;             // the short date when empty
    std::string_view shortTime;            // the long time when empty
    const DateTimeNames* names = nullptr;  // English names and "/" ":" when null
};

// The date-time written by a format in Delphi's FormatDateTime language, letters in either
// case, a run being the same character repeated:
//   y, yy        the year's last two digits; yyy or more: four digits
//   e            the year; ee or more: at least two digits (no era calendars)
//   m, mm        the month; after an hour token (only non-letters between), the minutes;
//                mmm the short month name, mmmm or more the long one
//   d, dd        the day; ddd, dddd the short and long day names; ddddd the locale's short
//                date, dddddd or more its long date
//   h hh, n nn, s ss   hour, minute, second, two letters pad to two digits; the hour counts
//                1..12 when the next a-token before another h is am/pm, a/p or ampm
//   z            milliseconds; zz or more: three digits
//   t, tt        the locale's short and long time
//   am/pm, a/p   the letters as written, the first half before noon, the second after
//   ampm         the locale's AM or PM text; aaa, aaaa the short and long day names
//   c            the locale's short date, then a blank and its long time unless the moment is
//                midnight exactly
//   / and :      the locale's date and time separators
//   "..." '...'  copied as they stand (an unclosed quote runs to the end)
// Every other character is copied. Without locale texts, c, ddddd, dddddd, t and tt are
// copied as written.
//
// A result that would pass maxSize is cut there.
BoundedText formatDateTime(std::string_view format, double dateTime,
                           const LocaleDateTimeTexts* locale, std::size_t maxSize);
// Without locale texts, within eight times the format's length.
std::string formatDateTime(std::string_view format, double dateTime);

}  // namespace qbx
