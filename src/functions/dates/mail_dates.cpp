#include "functions/dates/mail_dates.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

#include "base/datetime.h"
#include "base/text.h"
#include "core/formatting.h"
#include "core/strings.h"
#include "mail/headers.h"
#include "platform/platform.h"

namespace qbx::functions::dates {
namespace {

constexpr std::string_view kReceived = "Received:";
constexpr std::string_view kDate = "Date:";

// A header name, a weekday, day, month, year, three time fields and the zone: past these a
// value's words are never read, however long it is.
constexpr std::size_t kMaxDateWords = 10;
// Longer runs of digits are no field of a date (and would not fit an int).
constexpr std::size_t kMaxNumberDigits = 9;

struct Word {
    std::string_view text;
    bool afterColon = false;  // a ":" stands between this word and the one before
};

struct Words {
    std::array<Word, kMaxDateWords> items{};
    std::size_t count = 0;

    const Word* at(std::size_t index) const { return index < count ? &items[index] : nullptr; }
};

constexpr bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
constexpr bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool allLetters(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (!isAsciiLetter(c)) return false;
    return true;
}

bool isHeaderName(std::string_view text) {
    if (text.empty() || !isAsciiLetter(text.front())) return false;
    for (const char c : text)
        if (!isAsciiLetter(c) && c != '-') return false;
    return true;
}

// A whole run of decimal digits, nothing else.
std::optional<int> number(const Word* word) {
    if (word == nullptr || word->text.empty() || word->text.size() > kMaxNumberDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : word->text) {
        if (!isAsciiDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

// The value of the text's leading digits, 0 when there are none (the receive-time text's rule).
int leadingNumber(std::string_view text) {
    int value = 0;
    for (std::size_t i = 0; i < text.size() && i < kMaxNumberDigits && isAsciiDigit(text[i]); ++i)
        value = value * 10 + (text[i] - '0');
    return value;
}

// December, February, November, October and September by their first letter; the others by
// the whole abbreviation; 0 for any other word.
int monthOfWord(std::string_view word) {
    const std::string lower = toLower1251(word.substr(0, std::min<std::size_t>(word.size(), 4)));
    if (lower.empty()) return 0;
    switch (lower.front()) {
        case 'd': return 12;
        case 'f': return 2;
        case 'n': return 11;
        case 'o': return 10;
        case 's': return 9;
        default: break;
    }
    if (word.size() != 3) return 0;
    static constexpr std::array<std::pair<std::string_view, int>, 7> kNames = {{
        {"jan", 1},
        {"mar", 3},
        {"apr", 4},
        {"may", 5},
        {"jun", 6},
        {"jul", 7},
        {"aug", 8},
    }};
    for (const auto& [name, month] : kNames)
        if (lower == name) return month;
    return 0;
}

bool isWeekday(std::string_view word) {
    if (word.size() < 3 || !allLetters(word)) return false;
    const std::string lower = toLower1251(word.substr(0, 3));
    for (const std::string_view day : {"mon", "tue", "wed", "thu", "fri", "sat", "sun"})
        if (lower == day) return true;
    return false;
}

// Two-digit years below 50 are this century's, the rest of two and three digits count from
// 1900 (the mail standard's reading); four digits are the year itself.
int fullYear(std::string_view digits, int value) {
    if (digits.size() <= 2) return value < 50 ? 2000 + value : 1900 + value;
    if (digits.size() == 3) return 1900 + value;
    return value;
}

// East of Greenwich in minutes: +hhmm or -hhmm (a missing sign is +), or a name. Names the mail
// standard does not define say nothing about the zone and read as +0000, as the standard asks.
std::optional<int> zoneOffsetMinutes(const Word* word) {
    if (word == nullptr) return std::nullopt;
    std::string_view text = word->text;
    if (allLetters(text)) {
        static constexpr std::array<std::pair<std::string_view, int>, 8> kUsZones = {{
            {"EST", -5},
            {"EDT", -4},
            {"CST", -6},
            {"CDT", -5},
            {"MST", -7},
            {"MDT", -6},
            {"PST", -8},
            {"PDT", -7},
        }};
        const std::string upper =
            toUpper1251(text.substr(0, std::min<std::size_t>(text.size(), 4)));
        for (const auto& [name, hours] : kUsZones)
            if (upper == name) return hours * 60;
        return 0;  // UT, UTC, GMT, Z and the names nobody defined
    }
    int sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    if (text.size() != 4) return std::nullopt;
    const Word digits{text, false};
    const std::optional<int> hhmm = number(&digits);
    if (!hhmm || *hhmm % 100 >= 60) return std::nullopt;
    return sign * (*hhmm / 100 * 60 + *hhmm % 100);
}

bool isSeparator(char c) { return isBlankOrControl(c) || c == ',' || c == '/' || c == ':'; }

// The words of a date, comments left out. A comma drops the words before it, so only those
// after the last comma stay; past kMaxDateWords the rest are only scanned for a comma.
Words dateWords(std::string_view text) {
    Words words;
    std::size_t depth = 0;  // of nested comments
    bool colon = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '(') {
            ++depth;
            ++i;
            continue;
        }
        if (depth > 0) {
            if (c == ')') --depth;
            ++i;
            continue;
        }
        if (c == ',') {
            words.count = 0;
            colon = false;
            ++i;
            continue;
        }
        if (c == ':') colon = true;
        if (isSeparator(c) || c == ')') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && !isSeparator(text[i]) && text[i] != '(' && text[i] != ')') ++i;
        if (words.count < words.items.size())
            words.items[words.count++] = Word{text.substr(start, i - start), colon};
        colon = false;
    }
    return words;
}

// Trailing comments go first, so that a ";" inside one ("+0300 (MSK; summer)") is not taken
// for the end of a Received value's routing clauses.
std::string_view withoutTrailingComments(std::string_view text) {
    for (;;) {
        text = trimBlankOrControl(text);
        if (text.empty() || text.back() != ')') return text;
        std::size_t depth = 0;
        std::size_t i = text.size();
        while (i > 0) {
            --i;
            if (text[i] == ')') {
                ++depth;
            } else if (text[i] == '(' && --depth == 0) {
                break;
            }
        }
        if (depth != 0) return text;  // unbalanced: nothing to take off
        text = text.substr(0, i);
    }
}

bool isValidMoment(const DateTimeFields& f) {
    return f.year >= 1 && f.year <= 9999 && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
           f.day <= daysInMonth(f.year, f.month) && f.hour >= 0 && f.hour <= 23 && f.minute >= 0 &&
           f.minute <= 59 && f.second >= 0 && f.second <= 59;
}

void say(const DateLog& log, std::string_view text) {
    if (!log) return;
    try {
        log(text);
    } catch (...) {
        // A log that cannot take the line loses it; the measurement stands.
    }
}

std::optional<double> mailDate(std::string_view value) {
    double dateTime = 0;
    if (!parseMailDate(value, dateTime)) return std::nullopt;
    return dateTime;
}

// The date-time of one source; nothing when its date cannot be read.
std::optional<double> sourceDateTime(const DateSources& sources, int code) {
    const mail::HeaderLog headerLog = sources.log;
    switch (code) {
        case kDateHeader: return mailDate(mail::getHeaderValue(sources.headers, kDate, headerLog));
        case kFirstHop: return mailDate(mail::getLastHeaderValue(sources.headers, kReceived));
        case kLastHop: return mailDate(mail::getHeaderValue(sources.headers, kReceived, headerLog));
        case kClientReceiveTime: {
            const std::optional<double> local = parseHostDateTime(sources.receiveText);
            if (!local) return std::nullopt;
            return sources.clock.localToUniversal(*local);
        }
        case kNow: return sources.clock.universalNow();
        default: return 0.0;
    }
}

std::optional<std::string> hopsApart(std::string_view a, std::string_view b,
                                     const StringTable& strings) {
    const std::optional<double> first = mailDate(a);
    const std::optional<double> second = mailDate(b);
    if (!first || !second) return std::nullopt;
    return hopTimeText(static_cast<std::uint64_t>(secondsBetween(*first, *second)), strings);
}

}  // namespace

bool parseMailDate(std::string_view text, double& dateTime) {
    text = withoutTrailingComments(text);
    const std::size_t semicolon = text.rfind(';');
    if (semicolon != std::string_view::npos) text.remove_prefix(semicolon + 1);
    const Words words = dateWords(text);

    std::size_t i = 0;
    // "Date: 5 Dec 2006 ..." as a whole header line.
    if (words.count >= 2 && isHeaderName(words.items[0].text) && words.items[1].afterColon) ++i;
    if (i < words.count && isWeekday(words.items[i].text)) ++i;

    DateTimeFields f;
    const std::optional<int> day = number(words.at(i));
    const int month = words.at(i + 1) ? monthOfWord(words.items[i + 1].text) : 0;
    const Word* yearWord = words.at(i + 2);
    const std::optional<int> year = number(yearWord);
    const std::optional<int> hour = number(words.at(i + 3));
    const Word* minuteWord = words.at(i + 4);
    const std::optional<int> minute = number(minuteWord);
    if (!day || month == 0 || !year || !hour || !minute || !minuteWord->afterColon) return false;
    std::size_t zoneAt = i + 5;
    int second = 0;
    if (const Word* secondWord = words.at(zoneAt); secondWord && secondWord->afterColon) {
        const std::optional<int> value = number(secondWord);
        if (!value || *value > 60) return false;
        // A leap second (":60") counts as the last second of its minute.
        second = std::min(*value, 59);
        ++zoneAt;
    }
    const std::optional<int> zone = zoneOffsetMinutes(words.at(zoneAt));
    if (!zone) return false;

    f.year = fullYear(yearWord->text, *year);
    f.month = month;
    f.day = *day;
    f.hour = *hour;
    f.minute = *minute;
    f.second = second;
    if (!isValidMoment(f)) return false;
    f.minute -= *zone;  // carried into hours and days by the calendar
    dateTime = encodeDateTime(f);
    return true;
}

std::optional<double> parseHostDateTime(std::string_view text) {
    // hh nn ss weekday month day year: seven words, split at blanks, commas and colons.
    constexpr std::size_t kWords = 7;
    std::array<std::string_view, kWords> words{};
    std::size_t count = 0;
    std::size_t i = 0;
    const auto separates = [](char c) { return isBlankOrControl(c) || c == ',' || c == ':'; };
    while (i < text.size() && count < kWords) {
        while (i < text.size() && separates(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !separates(text[i])) ++i;
        if (i > start) words[count++] = text.substr(start, i - start);
    }
    if (count < kWords) return std::nullopt;
    DateTimeFields f;
    f.hour = leadingNumber(words[0]);
    f.minute = leadingNumber(words[1]);
    f.second = leadingNumber(words[2]);
    f.month = monthOfWord(words[4].substr(0, 3));
    f.day = leadingNumber(words[5]);
    f.year = leadingNumber(words[6]);
    if (!isValidMoment(f)) return std::nullopt;
    return encodeDateTime(f);
}

std::optional<std::int64_t> deliveryTimeText(const DateSources& sources, int a, int b) {
    bool readable = true;
    std::array<double, 2> moments{};
    const std::array<int, 2> codes = {a, b};
    for (std::size_t k = 0; k < codes.size(); ++k) {
        const std::optional<double> moment = sourceDateTime(sources, codes[k]);
        moments[k] = moment.value_or(0.0);
        const std::string line =
            "d" + decimal(codes[k]) + ": " + defaultDateTimeText(sources.locale, moments[k]);
        say(sources.log, moment ? line : "ERROR: " + line);
        readable = readable && moment.has_value();
    }
    if (!readable) return std::nullopt;
    const std::int64_t seconds = secondsBetween(moments[0], moments[1]);
    say(sources.log, "Result is: " + decimal(seconds));
    return seconds;
}

std::string hopTimeText(std::uint64_t seconds, const StringTable& strings) {
    // Every quotient and remainder below stays far under 2^63.
    const auto field = [&strings](std::uint64_t value, int unit) {
        return decimal(static_cast<std::int64_t>(value)) + " " +
               strings[str::kDurationUnit0 + unit];
    };
    std::string text = field(seconds % 60, 0);
    if (seconds >= 60) text = field(seconds / 60 % 60, 1) + " " + text;
    if (seconds >= 3600) text = field(seconds / 3600 % 24, 2) + " " + text;
    if (seconds >= 86400) text = field(seconds / 86400, 3) + " " + text;
    return text;
}

std::optional<std::string> deliveryTime(std::string_view headers, const StringTable& strings,
                                        const DateLog& log) {
    const mail::HeaderLog headerLog = log;
    const std::string top = mail::getHeaderValue(headers, kReceived, headerLog);
    const std::string bottom = mail::getLastHeaderValue(headers, kReceived);
    say(log, top);
    say(log, bottom);
    return hopsApart(top, bottom, strings);
}

std::optional<std::string> deliveryTimeBox(std::string_view headers, const StringTable& strings) {
    return hopsApart(mail::getHeaderValue(headers, kReceived),
                     mail::getLastHeaderValue(headers, kDate), strings);
}

}  // namespace qbx::functions::dates
