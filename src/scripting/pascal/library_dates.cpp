// Date and time routines of SysUtils and DateUtils. A TDateTime is a Double of days since
// 1899-12-30 whose fraction is the time of day; texts follow the locale of the system.
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>

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

constexpr double kMsPerDay = 86400000.0;

void badDate() { throw RuntimeError("Invalid argument to date encode", "EConvertError"); }

// A computed date-time must stay within years 1 .. 9999 as well.
Value dateResult(double d) {
    if (!(d >= kFirstDay && d < kPastLastDay)) badDate();
    return Value(d);
}

// Milliseconds since the epoch, the unit Delphi's spans and increments count in.
std::int64_t msOf(double dateTime) { return std::llround(dateTime * kMsPerDay); }
double fromMs(std::int64_t ms) { return static_cast<double>(ms) / kMsPerDay; }

double timePart(double d) { return d - std::floor(d); }

bool validTime(std::int64_t h, std::int64_t n, std::int64_t s, std::int64_t ms) {
    return h >= 0 && h < 24 && n >= 0 && n < 60 && s >= 0 && s < 60 && ms >= 0 && ms < 1000;
}

bool validDate(std::int64_t y, std::int64_t m, std::int64_t d) {
    return y >= 1 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 &&
           d <= daysInMonth(y, static_cast<int>(m));
}

double dateOf(std::int64_t y, std::int64_t m, std::int64_t d) {
    DateTimeFields f;
    f.year = static_cast<int>(y);
    f.month = static_cast<int>(m);
    f.day = static_cast<int>(d);
    return encodeDateTime(f);
}

double timeOf(std::int64_t h, std::int64_t n, std::int64_t s, std::int64_t ms) {
    return static_cast<double>(((h * 60 + n) * 60 + s) * 1000 + ms) / kMsPerDay;
}

Value encodeTime(Args a, CallContext& c, const RuntimeServices&) {
    const std::int64_t h = a[0].toInteger(), n = a[1].toInteger(), s = a[2].toInteger(),
                       ms = a[3].toInteger();
    if (!validTime(h, n, s, ms)) c.fail("Invalid argument to time encode", "EConvertError");
    return Value(timeOf(h, n, s, ms));
}

Value decodeTime(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    a[1] = Value(f.hour);
    a[2] = Value(f.minute);
    a[3] = Value(f.second);
    a[4] = Value(f.millisecond);
    return Value();
}

Value encodeDateTimeValue(Args a, CallContext& c, const RuntimeServices&) {
    std::int64_t v[7];
    for (std::size_t i = 0; i < 7; ++i) v[i] = a[i].toInteger();
    if (!validDate(v[0], v[1], v[2]) || !validTime(v[3], v[4], v[5], v[6])) {
        std::string text = decimal(v[0]) + "/" + decimal(v[1]) + "/" + decimal(v[2]) + " " +
                           decimal(v[3]) + ":" + decimal(v[4]) + ":" + decimal(v[5]) + "." +
                           decimal(v[6]);
        c.fail("'" + text + "' is not a valid date and time", "EConvertError");
    }
    return Value(dateOf(v[0], v[1], v[2]) + timeOf(v[3], v[4], v[5], v[6]));
}

Value decodeDateTimeValue(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    const int parts[] = {f.year, f.month, f.day, f.hour, f.minute, f.second, f.millisecond};
    for (std::size_t i = 0; i < 7; ++i) a[i + 1] = Value(parts[i]);
    return Value();
}

Value isLeapYearValue(Args a, CallContext&, const RuntimeServices&) {
    return Value(isLeapYear(a[0].toInteger()));
}

Value currentYear(Args, CallContext&, const RuntimeServices& s) {
    return Value(decodeDateTime(now(s)).year);
}

template <int DateTimeFields::*Field>
Value fieldOf(Args a, CallContext&, const RuntimeServices&) {
    return Value(decodeDateTime(dateTimeArg(a[0])).*Field);
}

// Monday is 1, Sunday 7 (ISO 8601), unlike DayOfWeek.
Value dayOfTheWeek(Args a, CallContext&, const RuntimeServices&) {
    return Value((dayOfWeek(dateTimeArg(a[0])) + 5) % 7 + 1);
}

Value dayOfTheYear(Args a, CallContext&, const RuntimeServices&) {
    const double d = dateTimeArg(a[0]);
    const DateTimeFields f = decodeDateTime(d);
    return Value(static_cast<std::int64_t>(dateOf(f.year, f.month, f.day) - dateOf(f.year, 1, 1)) +
                 1);
}

Value daysInMonthValue(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    return Value(daysInMonth(f.year, f.month));
}

Value daysInAMonth(Args a, CallContext&, const RuntimeServices&) {
    const std::int64_t y = a[0].toInteger(), m = a[1].toInteger();
    if (!validDate(y, m, 1)) badDate();
    return Value(daysInMonth(y, static_cast<int>(m)));
}

Value daysInYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(isLeapYear(decodeDateTime(dateTimeArg(a[0])).year) ? 366 : 365);
}

Value daysInAYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(isLeapYear(a[0].toInteger()) ? 366 : 365);
}

int weeksIn(std::int64_t year) {
    if (year < 1 || year > 9999) badDate();
    const int first = (dayOfWeek(dateOf(year, 1, 1)) + 5) % 7 + 1;
    return first == 4 || (first == 3 && isLeapYear(year)) ? 53 : 52;
}

Value weeksInYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(weeksIn(decodeDateTime(dateTimeArg(a[0])).year));
}

Value weeksInAYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(weeksIn(a[0].toInteger()));
}

// The day clamped to the new month's length; the time of day kept.
double addMonths(double d, std::int64_t months) {
    if (months < -120000 || months > 120000) badDate();
    const DateTimeFields f = decodeDateTime(d);
    const std::int64_t index = f.year * 12 + (f.month - 1) + months;
    const std::int64_t year = index >= 0 ? index / 12 : -1;
    const int month = static_cast<int>(index - year * 12) + 1;
    if (year < 1 || year > 9999) badDate();
    const int day = std::min(f.day, daysInMonth(year, month));
    return dateOf(year, month, day) + timePart(d);
}

std::int64_t countArg(Args a) { return a.size() > 1 ? a[1].toInteger() : 1; }

Value incMonth(Args a, CallContext&, const RuntimeServices&) {
    return dateResult(addMonths(dateTimeArg(a[0]), countArg(a)));
}

Value incYear(Args a, CallContext&, const RuntimeServices&) {
    const std::int64_t years = countArg(a);
    if (years < -10000 || years > 10000) badDate();
    return dateResult(addMonths(dateTimeArg(a[0]), years * 12));
}

// Whole steps of a fixed length, counted in milliseconds so that sums stay exact.
template <std::int64_t StepMs>
Value incBy(Args a, CallContext&, const RuntimeServices&) {
    const std::int64_t count = countArg(a);
    constexpr std::int64_t kMaxSteps = 4'000'000LL * 86'400'000LL / StepMs;
    if (count < -kMaxSteps || count > kMaxSteps) badDate();
    return dateResult(fromMs(msOf(dateTimeArg(a[0])) + count * StepMs));
}

std::int64_t spanMs(Args a) {
    const std::int64_t x = msOf(dateTimeArg(a[0])), y = msOf(dateTimeArg(a[1]));
    return x > y ? x - y : y - x;
}

template <std::int64_t UnitMs>
Value between(Args a, CallContext&, const RuntimeServices&) {
    return Value(spanMs(a) / UnitMs);
}

// Delphi counts months and years between two moments with average lengths.
Value monthsBetween(Args a, CallContext&, const RuntimeServices&) {
    return Value(static_cast<std::int64_t>(static_cast<double>(spanMs(a)) / kMsPerDay / 30.4375));
}

Value yearsBetween(Args a, CallContext&, const RuntimeServices&) {
    return Value(static_cast<std::int64_t>(static_cast<double>(spanMs(a)) / kMsPerDay / 365.25));
}

Value recodeDate(Args a, CallContext&, const RuntimeServices&) {
    const double d = dateTimeArg(a[0]);
    const std::int64_t y = a[1].toInteger(), m = a[2].toInteger(), day = a[3].toInteger();
    if (!validDate(y, m, day)) badDate();
    return Value(dateOf(y, m, day) + timePart(d));
}

constexpr double kLastMsOfDay = 86399999.0 / kMsPerDay;

Value startOfTheMonth(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    return Value(dateOf(f.year, f.month, 1));
}

Value endOfTheMonth(Args a, CallContext&, const RuntimeServices&) {
    const DateTimeFields f = decodeDateTime(dateTimeArg(a[0]));
    return Value(dateOf(f.year, f.month, daysInMonth(f.year, f.month)) + kLastMsOfDay);
}

Value startOfTheYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(dateOf(decodeDateTime(dateTimeArg(a[0])).year, 1, 1));
}

Value endOfTheYear(Args a, CallContext&, const RuntimeServices&) {
    return Value(dateOf(decodeDateTime(dateTimeArg(a[0])).year, 12, 31) + kLastMsOfDay);
}

Value startOfTheDay(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::trunc(dateTimeArg(a[0])));
}

Value endOfTheDay(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::trunc(dateTimeArg(a[0])) + kLastMsOfDay);
}

Value dateOfValue(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::trunc(dateTimeArg(a[0])));
}

Value timeOfValue(Args a, CallContext&, const RuntimeServices&) {
    const double d = dateTimeArg(a[0]);
    return Value(d - std::trunc(d));
}

template <int Days>
Value dayFromToday(Args, CallContext&, const RuntimeServices& s) {
    return Value(std::floor(now(s)) + Days);
}

std::int64_t ordering(double x, double y) { return (x > y) - (x < y); }

Value compareDate(Args a, CallContext&, const RuntimeServices&) {
    return Value(ordering(std::trunc(dateTimeArg(a[0])), std::trunc(dateTimeArg(a[1]))));
}

// Moments less than a millisecond apart are the same moment.
Value compareDateTime(Args a, CallContext&, const RuntimeServices&) {
    const double x = dateTimeArg(a[0]), y = dateTimeArg(a[1]);
    if (std::fabs(x - y) < 1.0 / kMsPerDay) return Value(std::int64_t{0});
    return Value(ordering(x, y));
}

Value sameDate(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::trunc(dateTimeArg(a[0])) == std::trunc(dateTimeArg(a[1])));
}

Value sameDateTime(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::fabs(dateTimeArg(a[0]) - dateTimeArg(a[1])) < 1.0 / kMsPerDay);
}

Value isToday(Args a, CallContext&, const RuntimeServices& s) {
    return Value(std::floor(dateTimeArg(a[0])) == std::floor(now(s)));
}

Value isValidDate(Args a, CallContext&, const RuntimeServices&) {
    return Value(validDate(a[0].toInteger(), a[1].toInteger(), a[2].toInteger()));
}

// Midnight at the day's end, 24:00:00.000, is a valid time as well.
Value isValidTime(Args a, CallContext&, const RuntimeServices&) {
    const std::int64_t h = a[0].toInteger(), n = a[1].toInteger(), s = a[2].toInteger(),
                       ms = a[3].toInteger();
    return Value(validTime(h, n, s, ms) || (h == 24 && n == 0 && s == 0 && ms == 0));
}

// ---- texts to dates ---------------------------------------------------------------------------

// Reads dates in the order and with the separator of the locale's short date, and times as
// hours, minutes, seconds and milliseconds with an optional AM or PM.
class DateScanner {
public:
    DateScanner(std::string_view text, const RuntimeServices& services, const DateTimeNames& names)
        : text_(text), services_(services), names_(names) {}

    bool date(double& out) {
        LocaleFormat& locale = need(services_.locale, "The locale");
        // A date whose fields all differ shows the locale's order and separator.
        const std::string sample = locale.shortDate(dateOf(2003, 11, 22));
        const std::size_t yearAt = sample.find("03");
        const std::size_t monthAt = sample.find("11");
        const std::size_t dayAt = sample.find("22");
        char separator = '/';
        for (const char ch : sample)
            if (ch < '0' || ch > '9') {
                separator = ch;
                break;
            }
        std::int64_t n[3] = {0, 0, 0};
        std::size_t digits[3] = {0, 0, 0};
        int count = 0;
        while (count < 3) {
            blanks();
            if (!number(n[count], digits[count])) break;
            ++count;
            blanks();
            if (count == 3 || !take(separator)) break;
        }
        if (count < 2) return false;
        std::int64_t y, m, d;
        if (count == 2) {
            y = decodeDateTime(need(services_.clock, "The clock").now()).year;
            const bool monthFirst = monthAt < dayAt;
            m = monthFirst ? n[0] : n[1];
            d = monthFirst ? n[1] : n[0];
        } else {
            int order[3];  // the fields' places: year, month, day
            const std::size_t at[3] = {yearAt, monthAt, dayAt};
            for (int i = 0; i < 3; ++i) {
                order[i] = 0;
                for (int j = 0; j < 3; ++j) order[i] += at[j] < at[i] ? 1 : 0;
            }
            y = n[order[0]];
            m = n[order[1]];
            d = n[order[2]];
            if (y <= 99 && digits[order[0]] <= 2) y = twoDigitYear(y);
        }
        if (!validDate(y, m, d)) return false;
        out = dateOf(y, m, d);
        return true;
    }

    bool time(double& out) {
        std::int64_t h = 0, n = 0, s = 0, ms = 0;
        std::size_t digits = 0;
        blanks();
        if (!number(h, digits)) return false;
        if (take(names_.timeSeparator) || take(':')) {
            if (!number(n, digits)) return false;
            if (take(names_.timeSeparator) || take(':')) {
                if (!number(s, digits)) return false;
                if (take('.') && !number(ms, digits)) return false;
            }
        }
        blanks();
        const int half = marker();
        if (half != 0) {
            if (h < 1 || h > 12) return false;
            h = h % 12 + (half == 2 ? 12 : 0);
        }
        blanks();
        if (!validTime(h, n, s, ms)) return false;
        out = timeOf(h, n, s, ms);
        return true;
    }

    bool atEnd() {
        blanks();
        return pos_ == text_.size();
    }

private:
    // Two-digit years fall in the century window of the 50 years before and after now.
    std::int64_t twoDigitYear(std::int64_t y) {
        const std::int64_t pivot =
            decodeDateTime(need(services_.clock, "The clock").now()).year - 50;
        y += pivot / 100 * 100;
        if (y < pivot) y += 100;
        return y;
    }

    void blanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    bool take(char ch) {
        if (pos_ < text_.size() && text_[pos_] == ch) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool number(std::int64_t& value, std::size_t& digits) {
        const std::size_t start = pos_;
        value = 0;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9' && pos_ - start < 9)
            value = value * 10 + (text_[pos_++] - '0');
        digits = pos_ - start;
        return digits > 0;
    }

    // 1 for the morning's mark, 2 for the afternoon's, 0 for none.
    int marker() {
        const std::string_view rest = text_.substr(pos_);
        const std::string_view marks[] = {names_.timeAm, names_.timePm, "AM", "PM", "A", "P"};
        for (std::size_t i = 0; i < std::size(marks); ++i) {
            const std::string_view mark = marks[i];
            if (!mark.empty() && rest.size() >= mark.size() &&
                equalsIgnoreCase1251(rest.substr(0, mark.size()), mark)) {
                pos_ += mark.size();
                return i % 2 == 0 ? 1 : 2;
            }
        }
        return 0;
    }

    std::string_view text_;
    const RuntimeServices& services_;
    const DateTimeNames& names_;
    std::size_t pos_ = 0;
};

struct DateContext {
    RuntimeServices services;
    DateTimeNames names;
};

[[noreturn]] void notValid(std::string_view text, std::string_view what) {
    throw RuntimeError(
        "'" + std::string(text.substr(0, 200)) + "' is not a valid " + std::string(what),
        "EConvertError");
}

Value strToDate(Args a, const DateContext& c) {
    std::string h;
    const std::string_view text = stringArg(a[0], h);
    DateScanner scan(text, c.services, c.names);
    double d = 0;
    if (!scan.date(d) || !scan.atEnd()) notValid(text, "date");
    return Value(d);
}

Value strToTime(Args a, const DateContext& c) {
    std::string h;
    const std::string_view text = stringArg(a[0], h);
    DateScanner scan(text, c.services, c.names);
    double t = 0;
    if (!scan.time(t) || !scan.atEnd()) notValid(text, "time");
    return Value(t);
}

Value strToDateTime(Args a, const DateContext& c) {
    std::string h;
    const std::string_view text = stringArg(a[0], h);
    DateScanner scan(text, c.services, c.names);
    double d = 0, t = 0;
    if (!scan.date(d) || (!scan.atEnd() && (!scan.time(t) || !scan.atEnd())))
        notValid(text, "date and time");
    return Value(d + t);
}

Value formatDateTimeValue(Args a, CallContext& call, const DateContext& c) {
    std::string h;
    const std::string_view format = stringArg(a[0], h);
    const double d = dateTimeArg(a[1]);
    const std::size_t bound = call.limits().maxStringLength + 1;
    BoundedText text = c.services.locale != nullptr
                           ? formatLocalDateTime(*c.services.locale, c.names, format, d, bound)
                           : formatDateTime(format, d, nullptr, bound);
    call.checkLength(text.text.size());
    return Value(std::move(text.text));
}

constexpr Row kRows[] = {
    {"Now", 0, 0, 0, nowValue},
    {"Date", 0, 0, 0, dateValue},
    {"Time", 0, 0, 0, timeValue},
    {"Today", 0, 0, 0, dayFromToday<0>},
    {"Yesterday", 0, 0, 0, dayFromToday<-1>},
    {"Tomorrow", 0, 0, 0, dayFromToday<1>},
    {"CurrentYear", 0, 0, 0, currentYear},
    {"DateToStr", 1, 1, 0, dateToStr},
    {"TimeToStr", 1, 1, 0, timeToStr},
    {"DateTimeToStr", 1, 1, 0, dateTimeToStr},
    {"EncodeDate", 3, 3, 0, encodeDate},
    {"DecodeDate", 4, 4, (1u << 1) | (1u << 2) | (1u << 3), decodeDate},
    {"EncodeTime", 4, 4, 0, encodeTime},
    {"DecodeTime", 5, 5, (1u << 1) | (1u << 2) | (1u << 3) | (1u << 4), decodeTime},
    {"EncodeDateTime", 7, 7, 0, encodeDateTimeValue},
    {"DecodeDateTime", 8, 8, 0xFEu, decodeDateTimeValue},
    {"DateOf", 1, 1, 0, dateOfValue},
    {"TimeOf", 1, 1, 0, timeOfValue},
    {"IsLeapYear", 1, 1, 0, isLeapYearValue},
    {"DayOfWeek", 1, 1, 0, dayOfWeekValue},
    {"DayOfTheWeek", 1, 1, 0, dayOfTheWeek},
    {"DayOfTheYear", 1, 1, 0, dayOfTheYear},
    {"YearOf", 1, 1, 0, fieldOf<&DateTimeFields::year>},
    {"MonthOf", 1, 1, 0, fieldOf<&DateTimeFields::month>},
    {"DayOf", 1, 1, 0, fieldOf<&DateTimeFields::day>},
    {"HourOf", 1, 1, 0, fieldOf<&DateTimeFields::hour>},
    {"MinuteOf", 1, 1, 0, fieldOf<&DateTimeFields::minute>},
    {"SecondOf", 1, 1, 0, fieldOf<&DateTimeFields::second>},
    {"MilliSecondOf", 1, 1, 0, fieldOf<&DateTimeFields::millisecond>},
    {"DaysInMonth", 1, 1, 0, daysInMonthValue},
    {"DaysInAMonth", 2, 2, 0, daysInAMonth},
    {"DaysInYear", 1, 1, 0, daysInYear},
    {"DaysInAYear", 1, 1, 0, daysInAYear},
    {"WeeksInYear", 1, 1, 0, weeksInYear},
    {"WeeksInAYear", 1, 1, 0, weeksInAYear},
    {"IncYear", 1, 2, 0, incYear},
    {"IncMonth", 1, 2, 0, incMonth},
    {"IncWeek", 1, 2, 0, incBy<7 * 86'400'000LL>},
    {"IncDay", 1, 2, 0, incBy<86'400'000LL>},
    {"IncHour", 1, 2, 0, incBy<3'600'000LL>},
    {"IncMinute", 1, 2, 0, incBy<60'000LL>},
    {"IncSecond", 1, 2, 0, incBy<1'000LL>},
    {"IncMilliSecond", 1, 2, 0, incBy<1LL>},
    {"YearsBetween", 2, 2, 0, yearsBetween},
    {"MonthsBetween", 2, 2, 0, monthsBetween},
    {"WeeksBetween", 2, 2, 0, between<7 * 86'400'000LL>},
    {"DaysBetween", 2, 2, 0, between<86'400'000LL>},
    {"HoursBetween", 2, 2, 0, between<3'600'000LL>},
    {"MinutesBetween", 2, 2, 0, between<60'000LL>},
    {"SecondsBetween", 2, 2, 0, between<1'000LL>},
    {"MilliSecondsBetween", 2, 2, 0, between<1LL>},
    {"RecodeDate", 4, 4, 0, recodeDate},
    {"StartOfTheMonth", 1, 1, 0, startOfTheMonth},
    {"EndOfTheMonth", 1, 1, 0, endOfTheMonth},
    {"StartOfTheYear", 1, 1, 0, startOfTheYear},
    {"EndOfTheYear", 1, 1, 0, endOfTheYear},
    {"StartOfTheDay", 1, 1, 0, startOfTheDay},
    {"EndOfTheDay", 1, 1, 0, endOfTheDay},
    {"CompareDate", 2, 2, 0, compareDate},
    {"CompareDateTime", 2, 2, 0, compareDateTime},
    {"SameDate", 2, 2, 0, sameDate},
    {"SameDateTime", 2, 2, 0, sameDateTime},
    {"IsToday", 1, 1, 0, isToday},
    {"IsValidDate", 3, 3, 0, isValidDate},
    {"IsValidTime", 4, 4, 0, isValidTime},
};

}  // namespace

void addDateFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    // The names are read once, when the environment is built, as Delphi reads them at start.
    const auto context =
        std::make_shared<const DateContext>(DateContext{services, localeNames(services)});
    environment.addFunction("FormatDateTime", 2, 2, [context](Args a, CallContext& c) {
        return formatDateTimeValue(a, c, *context);
    });
    environment.addFunction("StrToDate", 1, 1,
                            [context](Args a, CallContext&) { return strToDate(a, *context); });
    environment.addFunction("StrToTime", 1, 1,
                            [context](Args a, CallContext&) { return strToTime(a, *context); });
    environment.addFunction("StrToDateTime", 1, 1,
                            [context](Args a, CallContext&) { return strToDateTime(a, *context); });
}

}  // namespace qbx::scripting::pascal::library
