#include <windows.h>

#include <cmath>
#include <string>

#include "base/datetime.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

constexpr int kMaxFormatted = 1024;

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

char Win32Locale::decimalSeparator() {
    char text[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, sizeof(text)) > 1 &&
        text[0] != '\0')
        return text[0];
    return '.';
}

}  // namespace qbx::win32
