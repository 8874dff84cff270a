#include <windows.h>

#include <cmath>
#include <string>

#include "base/datetime.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

constexpr int kMaxFormatted = 1024;
constexpr int kMaxLocaleText = 128;  // the system allows 80 characters for a name

// Days since 1899-12-30, a Saturday.
WORD dayOfWeek(double dateTime) {
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6) return 6;
    const auto days = static_cast<long long>(std::floor(dateTime));
    return static_cast<WORD>(((days % 7) + 7 + 6) % 7);
}

// The system's formats know the years 1601 .. 30827 only.
std::optional<SYSTEMTIME> toSystemTime(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    if (f.year < 1601 || f.year > 30827) return std::nullopt;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(f.year);
    st.wMonth = static_cast<WORD>(f.month);
    st.wDay = static_cast<WORD>(f.day);
    st.wDayOfWeek = dayOfWeek(dateTime);
    st.wHour = static_cast<WORD>(f.hour);
    st.wMinute = static_cast<WORD>(f.minute);
    st.wSecond = static_cast<WORD>(f.second);
    st.wMilliseconds = static_cast<WORD>(f.millisecond);
    return st;
}

// GetTimeFormatA and GetDateFormatA share one shape: the size needed when asked with none,
// the characters written (terminator included) otherwise, 0 on failure.
template <class Call>
std::string formatWith(Call call) {
    char small[128];
    int n = call(small, static_cast<int>(sizeof(small)));
    if (n > 0) return std::string(small, static_cast<std::size_t>(n - 1));
    n = call(nullptr, 0);
    if (n <= 0 || n > kMaxFormatted) return {};
    std::string buffer(static_cast<std::size_t>(n), '\0');
    n = call(buffer.data(), n);
    if (n <= 0) return {};
    buffer.resize(static_cast<std::size_t>(n - 1));
    return buffer;
}

// The fixed form used when the system cannot format the value.
std::string fixedForm(int a, int b, int c, char separator, int lastWidth) {
    const auto padded = [](int value, int width) {
        std::string digits = std::to_string(value);
        if (value >= 0 && digits.size() < static_cast<std::size_t>(width))
            digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
        return digits;
    };
    return padded(a, 2) + separator + padded(b, 2) + separator + padded(c, lastWidth);
}

// One text of the user's locale, kept as the system gives it in the ANSI code page; the
// value stays unchanged when the system has none.
bool localeText(LCTYPE type, std::string& value) {
    char text[kMaxLocaleText] = {};
    const int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof(text));
    if (n <= 0) return false;
    value.assign(text, static_cast<std::size_t>(n - 1));
    return true;
}

}  // namespace

std::string Win32Locale::longTime(double dateTime) {
    if (const auto st = toSystemTime(dateTime)) {
        std::string text = formatWith([&](char* buffer, int size) {
            return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &*st, nullptr, buffer, size);
        });
        if (!text.empty()) return text;
    }
    const DateTimeFields f = decodeDateTime(dateTime);
    return fixedForm(f.hour, f.minute, f.second, ':', 2);
}

std::string Win32Locale::shortDate(double dateTime) {
    if (const auto st = toSystemTime(dateTime)) {
        std::string text = formatWith([&](char* buffer, int size) {
            return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &*st, nullptr, buffer, size);
        });
        if (!text.empty()) return text;
    }
    const DateTimeFields f = decodeDateTime(dateTime);
    return fixedForm(f.day, f.month, f.year, '.', 4);
}

std::string Win32Locale::shortTime(double dateTime) {
    if (const auto st = toSystemTime(dateTime)) {
        std::string text = formatWith([&](char* buffer, int size) {
            return GetTimeFormatA(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &*st, nullptr, buffer, size);
        });
        if (!text.empty()) return text;
    }
    const DateTimeFields f = decodeDateTime(dateTime);
    return fixedForm(f.hour, f.minute, 0, ':', 2).substr(0, 5);
}

std::string Win32Locale::longDate(double dateTime) {
    if (const auto st = toSystemTime(dateTime)) {
        std::string text = formatWith([&](char* buffer, int size) {
            return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_LONGDATE, &*st, nullptr, buffer, size);
        });
        if (!text.empty()) return text;
    }
    return shortDate(dateTime);
}

// A locale may group digits with no character at all; a blank stands in for it then.
char Win32Locale::thousandSeparator() {
    std::string text;
    if (localeText(LOCALE_STHOUSAND, text) && !text.empty()) return text[0];
    return ' ';
}

DateTimeNames Win32Locale::dateTimeNames() {
    DateTimeNames names = englishDateTimeNames();
    // The system's first day name is Monday's; ours start on Sunday.
    for (int i = 0; i < 7; ++i) {
        const auto system = static_cast<LCTYPE>((i + 6) % 7);
        localeText(LOCALE_SABBREVDAYNAME1 + system,
                   names.shortDayNames[static_cast<std::size_t>(i)]);
        localeText(LOCALE_SDAYNAME1 + system, names.longDayNames[static_cast<std::size_t>(i)]);
    }
    for (int i = 0; i < 12; ++i) {
        const auto system = static_cast<LCTYPE>(i);
        localeText(LOCALE_SABBREVMONTHNAME1 + system,
                   names.shortMonthNames[static_cast<std::size_t>(i)]);
        localeText(LOCALE_SMONTHNAME1 + system, names.longMonthNames[static_cast<std::size_t>(i)]);
    }
    // A locale without a 12-hour clock has empty marks, and Delphi then writes nothing either.
    std::string mark;
    if (localeText(LOCALE_S1159, mark)) names.timeAm = mark;
    if (localeText(LOCALE_S2359, mark)) names.timePm = mark;
    if (localeText(LOCALE_SDATE, mark) && !mark.empty()) names.dateSeparator = mark[0];
    if (localeText(LOCALE_STIME, mark) && !mark.empty()) names.timeSeparator = mark[0];
    return names;
}

char Win32Locale::decimalSeparator() {
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof(text)) > 1 &&
        text[0] != '\0')
        return text[0];
    return '.';
}

}  // namespace qbx::win32
