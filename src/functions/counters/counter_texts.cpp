#include "functions/counters/counter_texts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "base/datetime.h"
#include "base/text.h"
#include "core/settings.h"
#include "core/strings.h"

namespace qbx::functions::counters {
namespace {

constexpr int kSizeLabel0 = str::kByteUnit0;        // "b"; 81..84 "Kb" .. "Tb"
constexpr int kLargestSizeStep = 4;                 // Strings[84] is the last label
constexpr int kSecondsLabel = str::kDurationUnit0;  // "sec", "min", "h", "d" follow

double roundHalfEven(double value) {
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) result = lower + 1.0;
    return result == 0.0 ? 0.0 : result;  // no "-0"
}

// Fixed-point text of a finite value; the decimal point becomes the given separator.
std::string fixedText(double value, int decimals, char separator) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 400> buffer{};  // DBL_MAX has 309 integer digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc()) return "0";
    std::string text(buffer.data(), end);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

std::string twoDigits(std::int64_t value) { return padLeft(decimal(value), 2, '0'); }

struct SizeUnit {
    char letter;
    double divisor;
    int label;
};

constexpr std::array<SizeUnit, 4> kSizeUnits = {{
    {'B', 1.0, kSizeLabel0},
    {'K', 1024.0, kSizeLabel0 + 1},
    {'M', 1048576.0, kSizeLabel0 + 2},
    {'G', 1073741824.0, kSizeLabel0 + 3},
}};

struct TimeUnit {
    char letter;
    double seconds;
};

// "Y" is 365.25 weeks, as the counters have always been read.
constexpr std::array<TimeUnit, 6> kTimeUnits = {{
    {'S', 1.0},
    {'M', 60.0},
    {'H', 3600.0},
    {'D', 86400.0},
    {'W', 604800.0},
    {'Y', 220903200.0},
}};

}  // namespace

std::optional<double> periodStart(const Settings& s) {
    const DateTimeFields f{s.periodStartYear,       s.periodStartMonth,  s.periodStartDay,
                           s.periodStartHour,       s.periodStartMinute, s.periodStartSecond,
                           s.periodStartMillisecond};
    if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12) return std::nullopt;
    if (f.day < 1 || f.day > daysInMonth(f.year, f.month)) return std::nullopt;
    if (f.hour > 23 || f.minute > 59 || f.second > 59 || f.millisecond > 999) return std::nullopt;
    return encodeDateTime(f);
}

std::string periodText(std::int64_t s, const StringTable& strings) {
    std::string text;
    if (s == 0) text = "0 " + strings[kSecondsLabel];
    if (s % 60 != 0) text = twoDigits(s % 60) + " " + strings[kSecondsLabel];
    s /= 60;
    if (s % 60 != 0) text = twoDigits(s % 60) + " " + strings[kSecondsLabel + 1] + " " + text;
    s /= 60;
    if (s % 24 != 0) text = twoDigits(s % 24) + " " + strings[kSecondsLabel + 2] + " " + text;
    s /= 24;
    if (s > 0) text = decimal(s) + " " + strings[kSecondsLabel + 3] + " " + text;
    return text;
}

double trafficAmount(const Settings& s, char which) {
    switch (which) {
        case 'T': return static_cast<double>(s.totalBytes);
        case 'H': return static_cast<double>(s.headerBytes);
        case 'B': return static_cast<double>(s.bodyBytes);
        case 'A':
            return static_cast<double>(s.totalBytes) - static_cast<double>(s.bodyBytes) -
                   static_cast<double>(s.headerBytes);
        default: return 0.0;
    }
}

double timeUnitSeconds(char which) {
    for (const TimeUnit& unit : kTimeUnits)
        if (unit.letter == which) return unit.seconds;
    return 1.0;
}

std::string sizeText(double value, char unitLetter, const StringTable& strings,
                     char decimalSeparator) {
    if (unitLetter == 'A') {
        int step = 0;
        while (value > 1024.0 && step < kLargestSizeStep) {
            value /= 1024.0;
            ++step;
        }
        if (step == 0) return wholeText(value) + " " + strings[kSizeLabel0];
        return fixedText(value, 1, decimalSeparator) + " " + strings[kSizeLabel0 + step];
    }
    SizeUnit unit = kSizeUnits[0];
    for (const SizeUnit& candidate : kSizeUnits)
        if (candidate.letter == unitLetter) unit = candidate;
    std::string text = wholeText(value / unit.divisor);
    if (unitLetter != 'B' && unitLetter != 'b') text += " " + strings[unit.label];
    return text;
}

std::string wholeText(double value) { return fixedText(roundHalfEven(value), 0, '.'); }

}  // namespace qbx::functions::counters
