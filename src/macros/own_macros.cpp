#include "macros/own_macros.h"

#include "base/random_source.h"

#include <boost/crc.hpp>
#include <stdexcept>

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <optional>
#include <random>
#include <string_view>

#include "base/datetime.h"
#include "core/host_texts.h"
#include "core/plugin.h"
#include "core/session.h"
#include "base/text.h"
#include "macros/arguments.h"
#include "macros/templates.h"

namespace qbx::macros::own {
namespace {

// Texts these macros build from their arguments are cut here (and the cut is logged).
constexpr std::size_t kMaxResultText = kMaxParamText;

constexpr int kSizeLabel0 = str::kByteUnit0;      // "b"; 81..84 "Kb" .. "Tb"
constexpr int kLargestSizeStep = 4;               // Strings[84] is the last label
constexpr int kSecondsLabel = str::kDurationUnit0;  // "sec", "min", "h", "d" follow

std::string arg(const MacroCall& call, std::int32_t index) {
    return getParamText(call.params, index);
}

char letter(const MacroCall& call, std::int32_t index) {
    return getParamChar(call.params, index);
}

// ---- numbers as text ----------------------------------------------------------------------

// Halves go to the even neighbour whatever rounding mode the host left in the FPU.
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

std::string wholeText(double value) {
    return fixedText(roundHalfEven(value), 0, '.');
}

char decimalSeparator(const Plugin& plugin) {
    return plugin.platform.locale != nullptr ? plugin.platform.locale->decimalSeparator() : '.';
}

// ---- the statistics period ----------------------------------------------------------------

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The stored start of the period; nothing when its fields make no date.
std::optional<double> periodStart(const Settings& s) {
    const DateTimeFields f{s.stYear, s.stMonth, s.stDay, s.stHour, s.stMin, s.stSec, s.stMsec};
    if (f.year < 1 || f.year > 9999 || f.month < 1 || f.month > 12) return std::nullopt;
    if (f.day < 1 || f.day > daysInMonth(f.year, f.month)) return std::nullopt;
    if (f.hour > 23 || f.minute > 59 || f.second > 59 || f.millisecond > 999) return std::nullopt;
    return encodeDateTime(f);
}

// Whole seconds since the period started; a start that makes no date counts as now.
std::int64_t periodSeconds(const Plugin& plugin) {
    if (plugin.platform.clock == nullptr) return 0;
    const std::optional<double> start = periodStart(plugin.settings);
    if (!start) return 0;
    return secondsBetween(plugin.platform.clock->now(), *start);
}

std::string twoDigits(std::int64_t value) {
    return padLeft(decimal(value), 2, '0');
}

// "01 h 02 min 05 sec": parts that are 0 are left out.
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

// ---- statistics mode letters --------------------------------------------------------------

// T whole messages, H header blocks, B bodies, A the rest; any other letter 0.
double amount(const Settings& s, char which) {
    switch (which) {
        case 'T': return static_cast<double>(s.stTotalSize);
        case 'H': return static_cast<double>(s.stHeaderSize);
        case 'B': return static_cast<double>(s.stTextSize);
        case 'A':
            return static_cast<double>(s.stTotalSize) - static_cast<double>(s.stTextSize) -
                   static_cast<double>(s.stHeaderSize);
        default: return 0.0;
    }
}

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
    {'S', 1.0}, {'M', 60.0}, {'H', 3600.0}, {'D', 86400.0}, {'W', 604800.0}, {'Y', 220903200.0},
}};

double timeUnitSeconds(char which) {
    for (const TimeUnit& unit : kTimeUnits)
        if (unit.letter == which) return unit.seconds;
    return 1.0;
}

// A byte amount in the unit of the letter: "A" scales by itself (one decimal), "B" and "b"
// give the bare number, every other letter appends its label.
std::string sizeText(const Plugin& plugin, double value, char unitLetter) {
    if (unitLetter == 'A') {
        int step = 0;
        while (value > 1024.0 && step < kLargestSizeStep) {
            value /= 1024.0;
            ++step;
        }
        if (step == 0) return wholeText(value) + " " + plugin.strings[kSizeLabel0];
        return fixedText(value, 1, decimalSeparator(plugin)) + " " +
               plugin.strings[kSizeLabel0 + step];
    }
    SizeUnit unit = kSizeUnits[0];
    for (const SizeUnit& candidate : kSizeUnits)
        if (candidate.letter == unitLetter) unit = candidate;
    std::string text = wholeText(value / unit.divisor);
    if (unitLetter != 'B' && unitLetter != 'b') text += " " + plugin.strings[unit.label];
    return text;
}

// ---- random text --------------------------------------------------------------------------

void logCut(const MacroCall& call) {
    call.plugin.log.write("@@ " + call.name + ": result cut at " + decimal(kMaxResultText) +
                          " bytes");
}

}  // namespace

// ---- statistics ---------------------------------------------------------------------------

std::string statCount(MacroCall& call) {
    return decimal(call.plugin.settings.stLetterCount);
}

std::string statTimes(MacroCall& call) {
    return decimal(periodSeconds(call.plugin));
}

std::string statTime(MacroCall& call) {
    return periodText(periodSeconds(call.plugin), call.plugin.strings);
}

std::string statTraffic(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    const std::int64_t period = periodSeconds(plugin);
    // The first second of a period has no rate yet.
    if (period == 0) return plugin.strings[str::kNotAvailable];
    const double perUnit = amount(plugin.settings, letter(call, 0)) /
                           static_cast<double>(period) * timeUnitSeconds(letter(call, 2));
    return sizeText(plugin, perUnit, letter(call, 1));
}

std::string statS(MacroCall& call) {
    return sizeText(call.plugin, amount(call.plugin.settings, letter(call, 0)), letter(call, 1));
}

std::string statMs(MacroCall& call) {
    const Plugin& plugin = call.plugin;
    if (plugin.settings.stLetterCount == 0) return plugin.strings[str::kNotAvailable];
    const double mean = amount(plugin.settings, letter(call, 0)) /
                        static_cast<double>(plugin.settings.stLetterCount);
    return sizeText(plugin, mean, letter(call, 1));
}

std::string statSessionTotalTime(MacroCall& call) {
    return decimal(totalSessionSeconds(call.plugin));
}

std::string statSessionTime(MacroCall& call) {
    return decimal(sessionSeconds(call.plugin));
}

std::string statStartCount(MacroCall& call) {
    return decimal(call.plugin.settings.stStartCount);
}

std::string statEndCount(MacroCall& call) {
    return decimal(call.plugin.settings.stEndCount);
}

std::string statSessionMeanTime(MacroCall& call) {
    const std::int64_t ends = call.plugin.settings.stEndCount;
    if (ends == 0) return "0";
    return wholeText(static_cast<double>(totalSessionSeconds(call.plugin)) /
                     static_cast<double>(ends));
}

// ---- the current message ------------------------------------------------------------------

std::string zvxAttCount(MacroCall& call) {
    // The host lists the attachments separated by commas, or says "<none>".
    const std::string list = expandHostMacros(call, "%OATTACHMENTS");
    if (list == "<none>") return "0";
    return decimal(1 + std::count(list.begin(), list.end(), ','));
}

std::string zvxRawSource(MacroCall& call) {
    return getParamText(call.data, kMsgIdItem);
}

// ---- text operations ----------------------------------------------------------------------

std::string zvxCutHere(MacroCall&) {
    return "\r\n-- ";
}

std::string zvxStrCmp(MacroCall& call) {
    return arg(call, 0) == arg(call, 1) ? "1" : "0";
}

std::string zvxStrIn(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = getParamCount(call.params);
    for (std::int32_t i = 1; i < count; ++i)
        if (arg(call, i) == key) return "1";
    return "0";
}

std::string zvxSelect(MacroCall& call) {
    const std::string key = arg(call, 0);
    const std::int32_t count = getParamCount(call.params);
    std::string value;
    // The last matching pair wins; an unpaired last argument is no pair.
    for (std::int32_t i = 1; i + 1 < count; i += 2)
        if (arg(call, i) == key) value = arg(call, i + 1);
    return value;
}

std::string zvxStrings(MacroCall& call) {
    const std::int32_t count = getParamCount(call.params);
    std::string text;
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0) text += "\r\n";
        text += arg(call, i);
        if (text.size() > kMaxResultText) {
            text.resize(kMaxResultText);
            logCut(call);
            break;
        }
    }
    return text;
}

std::string zvxReplace(MacroCall& call) {
    const std::string text = arg(call, 0);
    const std::string search = arg(call, 1);
    if (search.empty()) return text;  // an empty search text matches nowhere
    const std::string replacement = arg(call, 2);
    std::string result;
    std::size_t from = 0;
    for (std::size_t hit = text.find(search); hit != std::string::npos;
         hit = text.find(search, from)) {
        result.append(text, from, hit - from);
        result += replacement;
        from = hit + search.size();
        if (result.size() > kMaxResultText) {
            result.resize(kMaxResultText);
            logCut(call);
            return result;
        }
    }
    result.append(text, from);
    return result;
}

std::string zvxCutFromTo(MacroCall& call) {
    std::string text = arg(call, 0);
    const std::string from = arg(call, 1);
    if (!from.empty()) {
        if (const auto at = text.find(from); at != std::string::npos)
            text.erase(0, at + from.size());
    }
    const std::string to = arg(call, 2);
    if (!to.empty()) {
        if (const auto at = text.find(to); at != std::string::npos) text.resize(at);
    }
    return text;
}

std::string zvxCutOn(MacroCall& call) {
    std::string text = arg(call, 0);
    const std::string marker = arg(call, 1);
    if (!marker.empty()) {
        if (const auto at = text.find(marker); at != std::string::npos) text.resize(at);
    }
    return text;
}

// ---- hashes and random text ---------------------------------------------------------------

std::string zvxMd5(MacroCall& call) {
    Hashing* hashing = call.plugin.platform.hashing;
    if (hashing == nullptr) throw std::runtime_error("no MD5 in this build");
    return hashing->md5(arg(call, 0));  // the raw 16 bytes, zero bytes included
}

std::string zvxCrc32(MacroCall& call) {
    // CRC-32/JAMCRC: the common reflected CRC-32 without its final inversion.
    boost::crc_optimal<32, 0x04C11DB7, 0xFFFFFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxCrc16(MacroCall& call) {
    // CRC-16/MCRF4XX: reflected CCITT polynomial, all ones at the start, no final inversion.
    boost::crc_optimal<16, 0x1021, 0xFFFF, 0, true, true> crc;
    const std::string text = arg(call, 0);
    crc.process_bytes(text.data(), text.size());
    return hexUpper(crc.checksum(), 2);
}

std::string zvxXor(MacroCall& call) {
    std::string text = arg(call, 0);
    const auto key = static_cast<unsigned char>(getParamInt(call.params, 1) & 0xFF);
    for (char& c : text) c = static_cast<char>(static_cast<unsigned char>(c) ^ key);
    return text;
}

std::string zvxRnd(MacroCall& call) {
    static constexpr std::string_view kDigits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const int length = std::clamp(getParamInt(call.params, 0), 1, kMaxRandomLength);
    std::int32_t radix = getParamInt(call.params, 1);
    if (radix <= 0) radix = 10;
    radix = std::min(radix, std::int32_t{36});
    std::uniform_int_distribution<std::size_t> digit(0, static_cast<std::size_t>(radix - 1));
    std::string text(static_cast<std::size_t>(length), '0');
    for (char& c : text) c = kDigits[digit(processRandom())];
    return text;
}

}  // namespace qbx::macros::own
