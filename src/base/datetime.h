// Date-times are day counts since 1899-12-30 held as doubles (the fraction is the time of day).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qbx {

struct DateTimeFields {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

DateTimeFields decodeDateTime(double dateTime);
// Fields out of range are carried the way a calendar would; the result is exact to 1 ms.
double encodeDateTime(const DateTimeFields& fields);
// Whole seconds between two date-times, as an absolute value (fractions truncated).
std::int64_t secondsBetween(double a, double b);

bool isLeapYear(std::int64_t year);
// 28..31; 0 for a month outside 1..12.
int daysInMonth(std::int64_t year, int month);
// 1 for Sunday .. 7 for Saturday (1899-12-30 was a Saturday).
int dayOfWeek(double dateTime);

// The date-time written by a format in the style of Delphi's FormatDateTime. Tokens: yyyy
// (or more y) and yy, mm and m, dd and d, hh and h, nn and n, ss and s, letters in either
// case; an m right after an hour token is minutes; text in double or single quotes is copied
// as it stands; every other character is copied. The result is at most twice as long as the
// format.
std::string formatDateTime(std::string_view format, double dateTime);

}  // namespace qbx
