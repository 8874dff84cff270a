#include "base/datetime.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace qbx {
namespace {

constexpr double kMsPerDay = 86400000.0;

// Days from 1899-12-30 to a civil date (proleptic Gregorian), after H. Hinnant's algorithm.
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<std::int64_t>(y - era * 400);
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const std::int64_t unixDays = era * 146097 + doe - 719468;
    return unixDays + 25569;  // 1970-01-01 is day 25569
}

void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    const std::int64_t z = days - 25569 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

}  // namespace

DateTimeFields decodeDateTime(double dateTime) {
    DateTimeFields f;
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6) return f;  // beyond year 9999
    // Milliseconds since the epoch, rounded so that 0.9999999 of a ms does not lose a second.
    const auto totalMs = static_cast<std::int64_t>(std::llround(dateTime * kMsPerDay));
    std::int64_t days = totalMs / 86400000;
    std::int64_t msOfDay = totalMs % 86400000;
    if (msOfDay < 0) {  // before the epoch the time of day still counts forward
        msOfDay += 86400000;
        days -= 1;
    }
    civilFromDays(days, f.year, f.month, f.day);
    f.hour = static_cast<int>(msOfDay / 3600000);
    f.minute = static_cast<int>(msOfDay / 60000 % 60);
    f.second = static_cast<int>(msOfDay / 1000 % 60);
    f.millisecond = static_cast<int>(msOfDay % 1000);
    return f;
}

double encodeDateTime(const DateTimeFields& f) {
    // Carry months into years first so that daysFromCivil sees 1..12.
    std::int64_t year = f.year;
    std::int64_t month0 = static_cast<std::int64_t>(f.month) - 1;
    year += month0 >= 0 ? month0 / 12 : (month0 - 11) / 12;
    month0 = ((month0 % 12) + 12) % 12;
    const std::int64_t days = daysFromCivil(year, static_cast<int>(month0 + 1), 1) + f.day - 1;
    const std::int64_t ms =
        ((static_cast<std::int64_t>(f.hour) * 60 + f.minute) * 60 + f.second) * 1000 +
        f.millisecond;
    return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

std::int64_t secondsBetween(double a, double b) {
    const double span = std::fabs(a - b) * 86400.0;
    if (!std::isfinite(span) || span > 9.0e18) return 0;
    // A tiny allowance keeps 10.0 seconds that come out as 9.9999999 counting as 10.
    return static_cast<std::int64_t>(span + 1e-6);
}

bool isLeapYear(std::int64_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(std::int64_t year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

int dayOfWeek(double dateTime) {
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6) dateTime = 0;  // as decoded
    const auto days = static_cast<std::int64_t>(std::floor(dateTime));
    return static_cast<int>(((days % 7) + 7 + 6) % 7 + 1);
}

const DateTimeNames& englishDateTimeNames() {
    static const DateTimeNames names{
        {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
        {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
        {"January", "February", "March", "April", "May", "June", "July", "August", "September",
         "October", "November", "December"},
    };
    return names;
}

namespace {

// A year before 1 AD is negative: its minus goes before the padding, not inside it.
std::string digits(int value, std::size_t width) {
    std::string text = std::to_string(value < 0 ? -static_cast<std::int64_t>(value) : value);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    if (value < 0) text.insert(0, 1, '-');
    return text;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool startsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i)
        if (lowerAscii(text[i]) != lowerPrefix[i]) return false;
    return true;
}

// Whether an hour token counts 1..12: the first "a" after it, outside quotes and before the
// next hour token, starts an am/pm mark. Both quote characters toggle one state, as Delphi's
// scan does.
bool twelveHourClock(std::string_view rest) {
    bool quoted = false;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        const char c = lowerAscii(rest[i]);
        if (c == '"' || c == '\'') {
            quoted = !quoted;
        } else if (c == 'h') {
            return false;
        } else if (c == 'a' && !quoted) {
            const std::string_view at = rest.substr(i);
            return startsWithIgnoringCase(at, "am/pm") || startsWithIgnoringCase(at, "a/p") ||
                   startsWithIgnoringCase(at, "ampm");
        }
    }
    return false;
}

// Appends within the bound; false once the bound is reached and the text was cut.
bool appendBounded(BoundedText& out, std::string_view piece) {
    const std::size_t room = out.limit - out.text.size();
    if (piece.size() <= room) {
        out.text.append(piece);
        return true;
    }
    out.text.append(piece.substr(0, room));
    out.cut = true;
    return false;
}

}  // namespace

BoundedText formatDateTime(std::string_view format, double dateTime,
                           const LocaleDateTimeTexts* locale, std::size_t maxSize) {
    const DateTimeFields f = decodeDateTime(dateTime);
    const DateTimeNames& names =
        locale != nullptr && locale->names != nullptr ? *locale->names : englishDateTimeNames();
    const bool midnight = f.hour == 0 && f.minute == 0 && f.second == 0 && f.millisecond == 0;
    const auto weekDay =
        static_cast<std::size_t>(dayOfWeek(encodeDateTime({f.year, f.month, f.day})) - 1);
    const auto month = static_cast<std::size_t>(f.month - 1);
    BoundedText out;
    out.limit = maxSize;
    char lastToken = 0;
    std::size_t i = 0;
    while (i < format.size()) {
        const char ch = format[i];
        if (ch == '"' || ch == '\'') {
            std::size_t end = format.find(ch, i + 1);
            if (end == std::string_view::npos) end = format.size();
            if (!appendBounded(out, format.substr(i + 1, end - i - 1))) break;
            i = end + 1;
            continue;
        }
        char token = lowerAscii(ch);
        if (isAsciiLetter(ch)) {
            if (token == 'm' && lastToken == 'h') token = 'n';
            lastToken = token;
        }
        std::size_t run = 1;
        while (i + run < format.size() && format[i + run] == ch) ++run;
        std::size_t used = run;
        std::string piece;
        switch (token) {
            case 'y':
                piece = run >= 3 ? digits(f.year, 4) : digits(std::abs(f.year) % 100, 2);
                break;
            case 'e': piece = digits(f.year, run >= 2 ? 2 : 1); break;
            case 'm':
                if (run <= 2)
                    piece = digits(f.month, run);
                else
                    piece = run == 3 ? names.shortMonthNames[month] : names.longMonthNames[month];
                break;
            case 'd':
                if (run <= 2)
                    piece = digits(f.day, run);
                else if (run == 3)
                    piece = names.shortDayNames[weekDay];
                else if (run == 4)
                    piece = names.longDayNames[weekDay];
                else if (locale == nullptr)
                    piece = format.substr(i, run);
                else if (run == 5 || locale->longDate.empty())
                    piece = locale->shortDate;
                else
                    piece = locale->longDate;
                break;
            case 'h': {
                int hour = f.hour;
                if (twelveHourClock(format.substr(i + run))) hour = hour % 12 == 0 ? 12 : hour % 12;
                piece = digits(hour, run >= 2 ? 2 : 1);
                break;
            }
            case 'n': piece = digits(f.minute, run >= 2 ? 2 : 1); break;
            case 's': piece = digits(f.second, run >= 2 ? 2 : 1); break;
            case 'z': piece = digits(f.millisecond, run >= 2 ? 3 : 1); break;
            case 't':
                if (locale == nullptr)
                    piece = format.substr(i, run);
                else if (run == 1 && !locale->shortTime.empty())
                    piece = locale->shortTime;
                else
                    piece = locale->longTime;
                break;
            case 'c':
                if (locale == nullptr) {
                    piece = format.substr(i, run);
                } else {
                    piece = locale->shortDate;
                    if (!midnight) {
                        piece += ' ';
                        piece += locale->longTime;
                    }
                }
                break;
            case 'a': {
                const std::string_view at = format.substr(i);
                const bool afternoon = f.hour >= 12;
                if (startsWithIgnoringCase(at, "am/pm")) {
                    piece = at.substr(afternoon ? 3 : 0, 2);
                    used = 5;
                } else if (startsWithIgnoringCase(at, "a/p")) {
                    piece = at.substr(afternoon ? 2 : 0, 1);
                    used = 3;
                } else if (startsWithIgnoringCase(at, "ampm")) {
                    piece = afternoon ? names.timePm : names.timeAm;
                    used = 4;
                } else if (startsWithIgnoringCase(at, "aaaa")) {
                    piece = names.longDayNames[weekDay];
                    used = 4;
                } else if (startsWithIgnoringCase(at, "aaa")) {
                    piece = names.shortDayNames[weekDay];
                    used = 3;
                } else {
                    piece = ch;
                    used = 1;
                }
                break;
            }
            case '/':
                piece = names.dateSeparator;
                used = 1;
                break;
            case ':':
                piece = names.timeSeparator;
                used = 1;
                break;
            default: piece = format.substr(i, run);
        }
        if (!appendBounded(out, piece)) break;
        i += used;
    }
    return out;
}

std::string formatDateTime(std::string_view format, double dateTime) {
    return formatDateTime(format, dateTime, nullptr, format.size() * 8).text;
}

}  // namespace qbx
