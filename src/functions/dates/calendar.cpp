#include "functions/dates/calendar.h"

#include <algorithm>
#include <cmath>

#include "base/text.h"
#include "core/formatting.h"
#include "core/strings.h"
#include "functions/numerals/numerals.h"

namespace qbx::functions::dates {
namespace {

constexpr std::int64_t kMsPerSecond = 1000;
constexpr std::int64_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int64_t kMsPerHour = 60 * kMsPerMinute;
constexpr std::int64_t kMsPerDay = 24 * kMsPerHour;

// "%.2d" and "%.4d": at least that many digits, the minus before them.
std::string padded(std::int64_t value, std::size_t width) {
    const std::string digits = decimal(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : "";
    if (digits.size() < width) text.append(width - digits.size(), '0');
    return text + digits;
}

std::string dateText(std::int64_t day, std::int64_t month, std::int64_t year) {
    return padded(day, 2) + "." + padded(month, 2) + "." + padded(year, 4);
}

// Days since 1899-12-30 of a date that exists; exact, as encodeDateTime's whole days are.
std::int64_t dayNumber(int year, int month, int day) {
    return std::llround(encodeDateTime({year, month, day}));
}

std::int64_t dayNumber(const DateTimeFields& f) { return dayNumber(f.year, f.month, f.day); }

// Monday 1 .. Sunday 7.
int isoDayOfWeek(std::int64_t day) {
    return static_cast<int>(((day % 7) + 7 + 5) % 7 + 1);  // day 0 was a Saturday
}

// The day of the year of a day number that lies within the calendar.
int dayOfYearOf(std::int64_t day, int year) {
    return static_cast<int>(day - dayNumber(year, 1, 1) + 1);
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Delphi's IncMonth: the day clamped to the target month's length.
void addMonths(DateTimeFields& f, std::int64_t months) {
    const std::int64_t total = std::int64_t{f.year} * 12 + (f.month - 1) + months;
    const std::int64_t year = floorDiv(total, 12);
    if (year < kFirstYear || year > kLastYear)
        throw InvalidDate("the shifted date leaves the years 1 to 9999");
    f.year = static_cast<int>(year);
    f.month = static_cast<int>(total - year * 12 + 1);
    f.day = std::min(f.day, daysInMonth(f.year, f.month));
}

// Whole units between two moments, either way round.
std::int64_t wholeUnitsBetween(std::int64_t aMs, std::int64_t bMs, std::int64_t unitMs) {
    return (aMs > bMs ? aMs - bMs : bMs - aMs) / unitMs;
}

}  // namespace

bool isValidDate(std::int64_t year, std::int64_t month, std::int64_t day) {
    return year >= kFirstYear && year <= kLastYear && month >= 1 && month <= 12 && day >= 1 &&
           day <= daysInMonth(year, static_cast<int>(month));
}

bool isValidTime(std::int64_t hour, std::int64_t minute, std::int64_t second) {
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}

std::int64_t epochMilliseconds(const DateTimeFields& f) {
    return dayNumber(f) * kMsPerDay + f.hour * kMsPerHour + f.minute * kMsPerMinute +
           f.second * kMsPerSecond + f.millisecond;
}

std::string internetTime(double universalNow, char decimalSeparator) {
    const DateTimeFields f = decodeDateTime(universalNow);
    const std::int64_t seconds = ((f.hour + 1) % 24 * 60 + f.minute) * 60 + f.second;
    // Beats are seconds / 86.4, in hundredths seconds * 125 / 108. Delphi's "%4.2f" rounds a
    // half away from zero, and 54 seconds past the hour (beat 0.625) is such a half.
    const std::int64_t hundredths = (seconds * 125 + 54) / 108;
    std::string text = "@" + decimal(hundredths / 100);
    text += decimalSeparator;
    return text + padded(hundredths % 100, 2);
}

std::string timeWithMilliseconds(LocaleFormat& locale, double now) {
    return defaultDateTimeText(locale, now) + "." + decimal(decodeDateTime(now).millisecond);
}

int isoWeek(double dateTime) {
    const std::int64_t day = dayNumber(decodeDateTime(dateTime));
    // The week belongs to the year of its Thursday.
    const std::int64_t thursday = day - isoDayOfWeek(day) + 4;
    const int year = decodeDateTime(static_cast<double>(thursday)).year;
    return (dayOfYearOf(thursday, year) - 1) / 7 + 1;
}

int dayOfYear(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return dayOfYearOf(dayNumber(f), f.year);
}

int hourOfMonth(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return f.hour + (f.day - 1) * 24;
}

int hourOfWeek(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return f.hour + (isoDayOfWeek(dayNumber(f)) - 1) * 24;
}

int hourOfYear(double dateTime) {
    return decodeDateTime(dateTime).hour + (dayOfYear(dateTime) - 1) * 24;
}

double shiftDate(double now, std::int32_t days, std::int32_t months, std::int32_t years) {
    DateTimeFields f = decodeDateTime(now);
    const std::int64_t first = dayNumber(kFirstYear, 1, 1);
    const std::int64_t last = dayNumber(kLastYear, 12, 31);
    const std::int64_t today = dayNumber(f);
    if (days < first - today || days > last - today)
        throw InvalidDate("the shifted date leaves the years 1 to 9999");
    const DateTimeFields date = decodeDateTime(static_cast<double>(today + days));
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    addMonths(f, months);
    addMonths(f, std::int64_t{years} * 12);
    return encodeDateTime(f);
}

std::int64_t daysTo(double now, int day, int month) {
    const DateTimeFields n = decodeDateTime(now);
    DateTimeFields target = n;
    target.month = month;
    target.day = day;
    if (!isValidDate(target.year, month, day))
        throw InvalidDate("no such date: " + dateText(day, month, target.year));
    const std::int64_t nowMs = epochMilliseconds(n);
    std::int64_t targetMs = epochMilliseconds(target);
    if (nowMs > targetMs) {
        target = DateTimeFields{n.year + 1, month, day};
        if (!isValidDate(target.year, month, day))
            throw InvalidDate("no such date: " + dateText(day, month, target.year));
        targetMs = epochMilliseconds(target);
    }
    return (targetMs - nowMs) / kMsPerDay;
}

std::int64_t secondsSince(double now, const DateTimeFields& moment) {
    if (!isValidDate(moment.year, moment.month, moment.day) ||
        !isValidTime(moment.hour, moment.minute, moment.second))
        throw InvalidDate(
            "no such date and time: " + dateText(moment.day, moment.month, moment.year) + " " +
            padded(moment.hour, 2) + ":" + padded(moment.minute, 2) + ":" +
            padded(moment.second, 2));
    DateTimeFields whole = moment;
    whole.millisecond = 0;
    return wholeUnitsBetween(epochMilliseconds(decodeDateTime(now)), epochMilliseconds(whole),
                             kMsPerSecond);
}

std::optional<std::int64_t> secondsToShow(double now, const SpanStart& start) {
    DateTimeFields from{start.year, start.month, start.day};
    if (start.unit != SpanUnit::Days) from.hour = start.hour;
    if (start.unit == SpanUnit::Minutes) from.minute = start.minute;
    if (!isValidDate(from.year, from.month, from.day) || !isValidTime(from.hour, from.minute, 0))
        return std::nullopt;
    const std::int64_t nowMs = epochMilliseconds(decodeDateTime(now));
    const std::int64_t fromMs = epochMilliseconds(from);
    switch (start.unit) {
        case SpanUnit::Days: return (wholeUnitsBetween(nowMs, fromMs, kMsPerDay) + 1) * 86400;
        case SpanUnit::Hours: return wholeUnitsBetween(nowMs, fromMs, kMsPerHour) * 3600;
        case SpanUnit::Minutes: return wholeUnitsBetween(nowMs, fromMs, kMsPerMinute) * 60;
    }
    return std::nullopt;
}

std::string invalidStartText(std::string_view errorWord, const SpanStart& start) {
    std::string text(errorWord);
    text += ' ';
    text += dateText(start.day, start.month, start.year);
    if (start.unit != SpanUnit::Days) text += " " + decimal(start.hour);
    if (start.unit == SpanUnit::Minutes) text += ":" + decimal(start.minute);
    return text;
}

std::optional<std::string> dayProgressBar(double now, int startHour, int endHour, int width,
                                          char emptyCell, char filledCell) {
    if (startHour >= endHour || width < 1) return std::nullopt;
    const std::int64_t cells = std::min(width, kMaxProgressWidth);
    const DateTimeFields f = decodeDateTime(now);
    std::int64_t filled = 0;
    if (f.hour >= endHour) {
        filled = cells;
    } else if (f.hour > startHour) {
        // (minutes elapsed) / (minutes of the day's span) of the cells, exactly.
        const std::int64_t elapsed = (std::int64_t{f.hour} - startHour) * 60 + f.minute;
        const std::int64_t span = (std::int64_t{endHour} - startHour) * 60;
        const std::int64_t product = elapsed * cells;
        filled = product / span;
        const std::int64_t twiceRest = product % span * 2;
        if (twiceRest > span || (twiceRest == span && filled % 2 != 0)) ++filled;
    }
    std::string bar(static_cast<std::size_t>(filled), filledCell);
    bar.append(static_cast<std::size_t>(cells - filled), emptyCell);
    return bar;
}

WorkdayLeft workdayLeft(double now, const WorkingHours& hours) {
    const DateTimeFields f = decodeDateTime(now);
    if (isoDayOfWeek(dayNumber(f)) >= 6) return {WorkdayPhase::DayOff};
    const std::int64_t minuteOfDay = std::int64_t{f.hour} * 60 + f.minute;
    const std::int64_t end = std::int64_t{hours.endHour} * 60 + hours.endMinute;
    const std::int64_t start = std::int64_t{hours.startHour} * 60 + hours.startMinute;
    if (minuteOfDay > end) return {WorkdayPhase::Over};
    if (minuteOfDay < start) return {WorkdayPhase::NotStarted};
    const std::int64_t left = end * 60 - (minuteOfDay * 60 + f.second);
    if (left <= 0) return {WorkdayPhase::Over};
    return {WorkdayPhase::Running, left};
}

std::string paydayCountdown(double now, const PayDays& days, const StringTable& strings) {
    const DateTimeFields f = decodeDateTime(now);
    const std::int64_t monthHours = std::int64_t{daysInMonth(f.year, f.month)} * 24;
    const std::int64_t nowHours = std::int64_t{f.day} * 24 + f.hour;
    std::int64_t pay = std::int64_t{days.payDay} * 24 + days.payHour;
    std::int64_t advance =
        days.advanceDay == 0 ? 10000000 : std::int64_t{days.advanceDay} * 24 + days.advanceHour;
    if (nowHours > pay) pay += monthHours;
    if (nowHours > advance) advance += monthHours;
    const bool advanceFirst = advance - nowHours <= pay - nowHours;
    const std::int64_t left = advanceFirst ? advance - nowHours : pay - nowHours;
    const int hour = advanceFirst ? days.advanceHour : days.payHour;
    const int day = advanceFirst ? days.advanceDay : days.payDay;
    if (f.day == day) return strings[advanceFirst ? text::kAdvanceToday : text::kPayToday];
    using numerals::DurationStyle;
    std::string answer = strings[advanceFirst ? text::kAdvanceLeft : text::kPayLeft];
    answer += ' ';
    answer += numerals::secondsToText(1, DurationStyle::ShortUnits, left / 24 * 86400, strings);
    if (hour >= 1 && hour <= 23) {
        answer += ' ';
        answer += numerals::secondsToText(1, DurationStyle::ShortUnits, left % 24 * 3600, strings);
    }
    return answer;
}

}  // namespace qbx::functions::dates
