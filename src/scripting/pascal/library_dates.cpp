// Date and time routines of SysUtils. A TDateTime is a Double of days since 1899-12-30 whose
// fraction is the time of day; the texts of DateToStr and TimeToStr are the system's formats.
#include <cmath>

#include "base/datetime.h"
#include "base/text.h"
#include "core/formatting.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr double kFirstDay = -693593.0;     // 0001-01-01
constexpr double kPastLastDay = 2958466.0;  // 10000-01-01

// Years 1 .. 9999 only: everything after (texts, calendar arithmetic) can rely on it.
double dateTimeArg(const Value& v) {
    const double d = v.toDouble();
    if (!(d >= kFirstDay && d < kPastLastDay))
        throw RuntimeError("Invalid argument to date encode", "EConvertError");
    return d;
}

double now(const RuntimeServices& s) { return need(s.clock, "The clock").now(); }

Value nowValue(Args, CallContext&, const RuntimeServices& s) { return Value(now(s)); }
Value dateValue(Args, CallContext&, const RuntimeServices& s) { return Value(std::floor(now(s))); }
Value timeValue(Args, CallContext&, const RuntimeServices& s) {
    const double d = now(s);
    return Value(d - std::floor(d));
}

Value dateToStr(Args a, CallContext&, const RuntimeServices& s) {
    return Value(need(s.locale, "The locale").shortDate(dateTimeArg(a[0])));
}

Value timeToStr(Args a, CallContext&, const RuntimeServices& s) {
    return Value(need(s.locale, "The locale").longTime(dateTimeArg(a[0])));
}

Value dateTimeToStr(Args a, CallContext&, const RuntimeServices& s) {
    return Value(defaultDateTimeText(need(s.locale, "The locale"), dateTimeArg(a[0])));
}

Value formatDateTimeValue(Args a, CallContext& c, const RuntimeServices&) {
    std::string h;
    const std::string_view format = stringArg(a[0], h);
    std::string text = formatDateTime(format, dateTimeArg(a[1]));
    c.checkLength(text.size());
    return Value(std::move(text));
}

Value encodeDate(Args a, CallContext& c, const RuntimeServices&) {
    const std::int64_t y = a[0].toInteger(), m = a[1].toInteger(), d = a[2].toInteger();
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > daysInMonth(y, static_cast<int>(m)))
        c.fail("Invalid argument to date encode", "EConvertError");
    DateTimeFields f;
    f.year = static_cast<int>(y);
    f.month = static_cast<int>(m);
    f.day = static_cast<int>(d);
    return Value(encodeDateTime(f));
}

Value decodeDate(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    a[1] = Value(f.year);
    a[2] = Value(f.month);
    a[3] = Value(f.day);
    return Value();
}

// Sunday is 1; 1899-12-30 was a Saturday.
Value dayOfWeekValue(Args a, CallContext&, const RuntimeServices&) {
    return Value(dayOfWeek(dateTimeArg(a[0])));
}

Value incDay(Args a, CallContext&, const RuntimeServices&) {
    const double d = dateTimeArg(a[0]);
    const std::int64_t by = a.size() > 1 ? a[1].toInteger() : 1;
    if (by < -4'000'000 || by > 4'000'000)
        throw RuntimeError("Invalid argument to date encode", "EConvertError");
    return Value(d + static_cast<double>(by));
}

constexpr Row kRows[] = {
    {"Now", 0, 0, 0, nowValue},
    {"Date", 0, 0, 0, dateValue},
    {"Time", 0, 0, 0, timeValue},
    {"DateToStr", 1, 1, 0, dateToStr},
    {"TimeToStr", 1, 1, 0, timeToStr},
    {"DateTimeToStr", 1, 1, 0, dateTimeToStr},
    {"FormatDateTime", 2, 2, 0, formatDateTimeValue},
    {"EncodeDate", 3, 3, 0, encodeDate},
    {"DecodeDate", 4, 4, (1u << 1) | (1u << 2) | (1u << 3), decodeDate},
    {"DayOfWeek", 1, 1, 0, dayOfWeekValue},
    {"IncDay", 1, 2, 0, incDay},
};

}  // namespace

void addDateFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
}

}  // namespace qbx::scripting::pascal::library
