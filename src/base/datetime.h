// Date-times are day counts since 1899-12-30 held as doubles (the fraction is the time of day).
#pragma once

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

// The user's own texts of the one date-time being formatted, for the tokens that the locale
// decides (the caller asks the system once, however often the format names them).
struct LocaleDateTimeTexts {
    std::string_view shortDate;
    std::string_view longTime;
};

// The date-time written by a format in the style of Delphi's FormatDateTime, letters in either
// case:
//   y, yy        the year's last two digits; yyy or more: four digits
//   m, mm        the month; right after an hour token, the minutes; mmm "Jan" .. "Dec";
//                mmmm or more "January" .. "December"
//   d, dd        the day; ddd "Sun" .. "Sat"; dddd "Sunday" .. "Saturday"; ddddd or more the
//                locale's short date (Delphi's long date, dddddd, is not offered)
//   h hh, n nn, s ss   hour, minute, second, two letters pad to two digits
//   z, zz        milliseconds without padding; zzz or more three digits
//   c            the locale's short date, then a blank and its long time unless the moment is
//                midnight exactly
//   "..." '...'  copied as they stand (an unclosed quote runs to the end)
// Names are English: the system's names are not asked for. Every other character is copied,
// so t and tt (times), am/pm and a/p (12-hour clock) are not supported: their letters are
// copied or read as the tokens above; / and : are copied as written, not as the locale's
// separators. Without locale texts, c and ddddd are copied as well.
//
// Without locale texts the result is at most three times as long as the format; a result that
// would pass maxSize is cut there.
BoundedText formatDateTime(std::string_view format, double dateTime,
                           const LocaleDateTimeTexts* locale, std::size_t maxSize);
std::string formatDateTime(std::string_view format, double dateTime);

}  // namespace qbx
