#include "core/formatting.h"

#include <array>
#include <charconv>
#include <cmath>

#include "base/datetime.h"
#include "base/text.h"
#include "core/strings.h"
#include "platform/platform.h"

namespace qbx {
namespace {

// Seconds per unit 0..5; a month is a twelfth of 365 days, a year 365.2425 days.
constexpr std::array<std::int64_t, 6> kDurationDivisors = {1, 60, 3600, 86400, 2628000, 31556952};
constexpr int kByteUnits = 5;

// "%.2d": at least two digits, more when the value needs them.
std::string twoDigits(std::uint64_t value) {
    std::string text = decimal(static_cast<std::int64_t>(value));
    if (text.size() < 2) text.insert(0, 1, '0');
    return text;
}

std::string clockText(std::uint64_t seconds) {
    return twoDigits(seconds / 3600 % 24) + ':' + twoDigits(seconds / 60 % 60) + ':' +
           twoDigits(seconds % 60);
}

// Units 6 and 7 of a non-negative span. Every quotient stays below 2^63, so decimal() takes it.
std::string spanText(int unit, std::uint64_t seconds) {
    if (unit == 6) {
        return decimal(static_cast<std::int64_t>(seconds / 3600)) + ':' +
               twoDigits(seconds / 60 % 60) + ':' + twoDigits(seconds % 60);
    }
    const std::uint64_t days = seconds / 86400;
    if (days == 0) return clockText(seconds);
    return twoDigits(days % 30) + '/' + twoDigits(days / 30 % 12) + '/' + twoDigits(days / 360) +
           ' ' + clockText(seconds);
}

// The magnitude of any int64, INT64_MIN included, without negating a signed value.
std::uint64_t magnitude(std::int64_t value) {
    const auto bits = static_cast<std::uint64_t>(value);
    return value < 0 ? ~bits + 1 : bits;
}

constexpr bool isAlphanumeric(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

void appendPercent(std::string& out, unsigned char c) {
    out += '%';
    out += hexUpper(c, 2);
}

// KOI8-R letters 0xC0..0xDF (lower case) in 1251 lower case; 0xE0..0xFF are their capitals.
constexpr std::array<unsigned char, 32> kKoi8Letters = {
    0xFE, 0xE0, 0xE1, 0xF6, 0xE4, 0xE5, 0xF4, 0xE3,  // ю а б ц д е ф г
    0xF5, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,  // х и й к л м н о
    0xEF, 0xFF, 0xF0, 0xF1, 0xF2, 0xF3, 0xE6, 0xE2,  // п я р с т у ж в
    0xFC, 0xFB, 0xE7, 0xF8, 0xFD, 0xF9, 0xF7, 0xFA,  // ь ы з ш э щ ч ъ
};
constexpr unsigned char kKoi8SmallYo = 0xA3;
constexpr unsigned char kKoi8CapitalYo = 0xB3;
constexpr unsigned char kWin1251SmallYo = 0xB8;

// An empty answer stays empty: a lone "\" would point at the root of the current drive.
std::string withOneBackslash(std::string path) {
    if (path.empty()) return path;
    while (!path.empty() && path.back() == '\\') path.pop_back();
    path += '\\';
    return path;
}

}  // namespace

std::string formatDuration(int unit, bool addName, std::int64_t seconds, const StringTable& strings,
                           const RussianDurationWords& russianWords) {
    if (unit >= 0 && unit < static_cast<int>(kDurationDivisors.size())) {
        // Truncates toward zero; the divisors are positive, so INT64_MIN divides safely.
        std::string text = decimal(seconds / kDurationDivisors[static_cast<std::size_t>(unit)]);
        if (addName) {
            text += ' ';
            text += strings[str::kDurationUnit0 + unit];
        }
        return text;
    }
    switch (unit) {
        case 6:
        case 7: {
            // A negative span (a reply dated before its original, say) keeps its digits and
            // gains one leading minus rather than a minus in every field.
            std::string text = spanText(unit, magnitude(seconds));
            if (seconds < 0) text.insert(0, 1, '-');
            return text;
        }
        case 8:
        case 9: return russianWords ? russianWords(seconds, unit == 8 ? 1 : 2) : std::string();
        default: return {};
    }
}

std::string formatByteSize(int unit, bool addName, std::int64_t bytes, const StringTable& strings) {
    if (unit < 0 || unit >= kByteUnits) return {};
    std::string text =
        unit == 0
            ? decimal(bytes)
            : decimal(static_cast<std::int64_t>(static_cast<std::uint64_t>(bytes) >> (10 * unit)));
    if (addName) {
        text += ' ';
        text += strings[str::kByteUnit0 + unit];
    }
    return text;
}

std::string percentEncodeAll(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isAlphanumeric(c)) {
            out += ch;
        } else {
            appendPercent(out, c);
        }
    }
    return out;
}

std::string percentEncode8Bit(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            appendPercent(out, c);
        } else {
            out += ch;
        }
    }
    return out;
}

std::string koi8ToLowerWin1251(std::string_view text) {
    std::string out(text);
    for (char& ch : out) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0xC0) {
            ch = static_cast<char>(kKoi8Letters[(c - 0xC0u) & 0x1Fu]);
        } else if (c == kKoi8SmallYo || c == kKoi8CapitalYo) {
            ch = static_cast<char>(kWin1251SmallYo);
        }
    }
    return out;
}

std::string tempDir(Environment& environment) {
    return withOneBackslash(environment.tempDirectory());
}

std::string systemDir(Environment& environment) {
    return withOneBackslash(environment.systemDirectory());
}

BoundedText formatLocalDateTime(LocaleFormat& locale, const DateTimeNames& names,
                                std::string_view format, double dateTime, std::size_t maxSize) {
    if (!std::isfinite(dateTime)) dateTime = 0;
    std::string shortDate, longTime, longDate, shortTime;
    if (format.find_first_of("cCdDtT") != std::string_view::npos) {
        shortDate = locale.shortDate(dateTime);
        longTime = locale.longTime(dateTime);
        longDate = locale.longDate(dateTime);
        shortTime = locale.shortTime(dateTime);
    }
    const LocaleDateTimeTexts texts{shortDate, longTime, longDate, shortTime, &names};
    return formatDateTime(format, dateTime, &texts, maxSize);
}

std::string defaultDateTimeText(LocaleFormat& locale, double dateTime) {
    if (!std::isfinite(dateTime)) dateTime = 0;
    const DateTimeFields f = decodeDateTime(dateTime);
    std::string text = locale.shortDate(dateTime);
    if (f.hour != 0 || f.minute != 0 || f.second != 0 || f.millisecond != 0)
        text += " " + locale.longTime(dateTime);
    return text;
}

}  // namespace qbx
