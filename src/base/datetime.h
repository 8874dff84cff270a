// Date-times are day counts since 1899-12-30 held as doubles (the fraction is the time of day).
#pragma once

#include <cstdint>

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

}  // namespace qbx
