#include "functions/numerals/numerals.h"

#include <array>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>

#include "base/text.h"
#include "core/strings.h"
#include "functions/numerals/numeral_words.h"
#include "macros/mode_letters.h"

namespace qbx::functions::numerals {
namespace {

// The group words reach the quadrillions: anything from 10^18 up has no words.
constexpr std::uint64_t kWordsLimit = 1'000'000'000'000'000'000ULL;
constexpr int kGroups = 5;

std::size_t caseRow(int grammaticalCase) {
    return grammaticalCase >= 1 && grammaticalCase <= 5
               ? static_cast<std::size_t>(grammaticalCase - 1)
               : 0;
}

std::uint64_t magnitude(std::int64_t n) {
    return n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
}

void appendWord(std::string& text, std::string_view word) {
    if (word.empty()) return;
    if (!text.empty()) text += ' ';
    text += word;
}

std::string_view unitWord(std::size_t digit, std::size_t row, int gender) {
    if (gender != kMasculine) {
        if (digit == 1) return words::kFeminineOne[row];
        if (digit == 2 && row == 0) return words::kFeminineTwoNominative;
    }
    return words::kUnits[row][digit];
}

std::string cardinalBelow1000(std::uint64_t v, std::size_t row, int gender) {
    const auto hundreds = static_cast<std::size_t>(v / 100 % 10);
    const auto rest = static_cast<std::size_t>(v % 100);
    std::string text;
    if (hundreds > 0) appendWord(text, words::kHundreds[row][hundreds - 1]);
    if (rest >= 20) {
        appendWord(text, words::kTens[row][rest / 10 - 2]);
        if (rest % 10 != 0) appendWord(text, unitWord(rest % 10, row, gender));
    } else if (rest > 0 || hundreds == 0) {
        appendWord(text, unitWord(rest, row, gender));
    }
    return text;
}

// The group's digits agree with the case; its word follows the noun rule of the count, so
// that "сто тысяч" and "двести миллионов" come out as they are said.
std::string cardinalWords(std::uint64_t v, int grammaticalCase, int gender) {
    const std::size_t row = caseRow(grammaticalCase);
    std::string text;
    if (v % 1000 != 0 || v == 0) text = cardinalBelow1000(v % 1000, row, gender);
    for (int group = 1; group <= kGroups; ++group) {
        v /= 1000;
        if (v == 0) break;
        const std::uint64_t part = v % 1000;
        if (part == 0) continue;
        const NounForm form = pluralForm(grammaticalCase, static_cast<std::int64_t>(part));
        const auto& table = form.plural ? words::kGroupPlural : words::kGroupSingular;
        std::string groupText = cardinalBelow1000(part, row, group == 1 ? kFeminine : kMasculine);
        appendWord(groupText, table[caseRow(form.nounCase)][static_cast<std::size_t>(group - 1)]);
        appendWord(groupText, text);
        text = std::move(groupText);
    }
    return text;
}

std::string ordinalWord(const words::OrdinalWord& word, std::size_t row, int gender) {
    const auto column = static_cast<std::size_t>(gender >= 1 && gender <= 4 ? gender - 1 : 3);
    std::string text(word.stem);
    text += words::kOrdinalEndings[word.pattern - 1u][row][column];
    return text;
}

std::string ordinalWords(std::uint64_t v, int grammaticalCase, int gender) {
    const std::size_t row = caseRow(grammaticalCase);
    const auto hundreds = static_cast<std::size_t>(v / 100 % 10);
    const auto rest = static_cast<std::size_t>(v % 100);
    std::string text;
    if (hundreds > 0) {
        appendWord(text, rest == 0 ? ordinalWord(words::kOrdinalHundreds[hundreds - 1], row, gender)
                                   : std::string(words::kHundreds[0][hundreds - 1]));
    }
    if (rest >= 20) {
        if (rest % 10 == 0) {
            appendWord(text, ordinalWord(words::kOrdinalTens[rest / 10 - 2], row, gender));
        } else {
            appendWord(text, words::kTens[0][rest / 10 - 2]);
            appendWord(text, ordinalWord(words::kOrdinalUnits[rest % 10], row, gender));
        }
    } else if (rest > 0 || hundreds == 0) {
        appendWord(text, ordinalWord(words::kOrdinalUnits[rest], row, gender));
    }
    return text;
}

std::string withMinus(std::string words) {
    std::string text(words::kMinus);
    appendWord(text, words);
    return text;
}

std::string trimmed(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
    return std::string(text.substr(begin, end - begin));
}

enum class NumberKind : std::uint8_t { Cardinal, Ordinal };

struct GenderLetter {
    char letter;
    NumberKind kind;
    int gender;
};

// Matched as written: a small letter or a digit asks for a cardinal, a capital for an ordinal.
constexpr std::array<GenderLetter, 14> kGenderLetters = {{
    {'m', NumberKind::Cardinal, kMasculine},
    {'\xEC', NumberKind::Cardinal, kMasculine},  // м
    {'1', NumberKind::Cardinal, kMasculine},
    {'f', NumberKind::Cardinal, kFeminine},
    {'\xE4', NumberKind::Cardinal, kFeminine},  // д
    {'2', NumberKind::Cardinal, kFeminine},
    {'M', NumberKind::Ordinal, kMasculine},
    {'\xCC', NumberKind::Ordinal, kMasculine},  // М
    {'F', NumberKind::Ordinal, kFeminine},
    {'\xC6', NumberKind::Ordinal, kFeminine},  // Ж
    {'N', NumberKind::Ordinal, kNeuter},
    {'\xD1', NumberKind::Ordinal, kNeuter},  // С
    {'P', NumberKind::Ordinal, kPlural},
    {'\xCD', NumberKind::Ordinal, kPlural},  // Н
}};

GenderLetter genderLetter(std::string_view letters, std::size_t index) {
    if (index < letters.size())
        for (const GenderLetter& row : kGenderLetters)
            if (row.letter == letters[index]) return row;
    return {' ', NumberKind::Cardinal, kMasculine};
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

NounForm pluralForm(int grammaticalCase, std::int64_t count) {
    const auto lastTwo = static_cast<int>(magnitude(count) % 100);
    const int last = lastTwo % 10;
    if (caseRow(grammaticalCase) == 0) {
        if (lastTwo >= 11 && lastTwo <= 19) return {2, true};
        if (last == 1) return {1, false};
        if (last >= 2 && last <= 4) return {2, false};
        return {2, true};
    }
    return {grammaticalCase, lastTwo == 11 || last != 1};
}

std::string threeDigitsToWords(std::int64_t n, int grammaticalCase, int gender) {
    return cardinalBelow1000(magnitude(n) % 1000, caseRow(grammaticalCase), gender);
}

std::string numberToWords(std::int64_t n, int grammaticalCase, int gender) {
    const std::uint64_t v = magnitude(n);
    if (v >= kWordsLimit) return decimal(n);
    std::string text = cardinalWords(v, grammaticalCase, gender);
    return n < 0 ? withMinus(std::move(text)) : text;
}

std::string ordinalBelow1000(std::int64_t n, int grammaticalCase, int gender) {
    return ordinalWords(magnitude(n) % 1000, grammaticalCase, gender);
}

std::string numberToOrdinalWords(std::int64_t n, int grammaticalCase, int gender) {
    const std::uint64_t v = magnitude(n);
    if (v >= kWordsLimit) return decimal(n);
    std::string text;
    if (v % 1000 == 0) {
        if (v != 0) text = cardinalWords(v, 1, kMasculine);
    } else if (v <= 1000) {
        text = ordinalWords(v, grammaticalCase, gender);
    } else {
        text = cardinalWords(v / 1000 * 1000, 1, kMasculine);
        appendWord(text, ordinalWords(v % 1000, grammaticalCase, gender));
    }
    return n < 0 ? withMinus(std::move(text)) : text;
}

std::string bytesToWords(int unit, int grammaticalCase, std::int64_t count) {
    if (unit < 1 || unit > 5) unit = 1;
    if (caseRow(grammaticalCase) == 0) grammaticalCase = 1;
    // In 64 bits: a terabyte shift of 40 must not wrap around a 32-bit count.
    const std::uint64_t shifted = magnitude(count) >> (10 * (unit - 1));
    const std::int64_t scaled =
        count < 0 ? -static_cast<std::int64_t>(shifted) : static_cast<std::int64_t>(shifted);
    const NounForm form = pluralForm(grammaticalCase, scaled);
    const auto& table = form.plural ? words::kBytePlural : words::kByteSingular;
    std::string text = numberToWords(scaled, grammaticalCase, kMasculine);
    text += ' ';
    text += words::kBytePrefixes[static_cast<std::size_t>(unit - 1)];
    text += table[caseRow(form.nounCase)];
    return text;
}

std::string durationPartText(int grammaticalCase, int unit, DurationStyle style, std::int64_t value,
                             const StringTable& strings) {
    if (value == 0 || unit < 1 || unit > 7) return {};
    if (style == DurationStyle::ShortUnits)
        return decimal(value) + " " + strings[str::kDurationUnit0 - 2 + unit];
    const NounForm form = pluralForm(grammaticalCase, value);
    const auto& table = form.plural ? words::kDurationPlural : words::kDurationSingular;
    std::string text = numberToWords(value, grammaticalCase, unit <= 3 ? kFeminine : kMasculine);
    appendWord(text, table[static_cast<std::size_t>(unit - 1)][caseRow(form.nounCase)]);
    return text;
}

std::string secondsToText(int grammaticalCase, DurationStyle style, std::int64_t seconds,
                          const StringTable& strings) {
    if (seconds == 0) {
        return style == DurationStyle::ShortUnits ? "0 " + strings[str::kDurationUnit0]
                                                  : numberToWords(0, grammaticalCase, kFeminine);
    }
    // A negative span is the positive one with a leading minus.
    const std::uint64_t v = magnitude(seconds);
    const std::uint64_t days = v / 86400;
    const std::array<std::uint64_t, 6> parts = {days / 365,    days % 365 / 30, days % 365 % 30,
                                                v / 3600 % 24, v / 60 % 60,     v % 60};
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) text += ' ';
        text += durationPartText(grammaticalCase, 7 - static_cast<int>(i), style,
                                 static_cast<std::int64_t>(parts[i]), strings);
    }
    text = trimmed(text);
    if (seconds > 0) return text;
    return style == DurationStyle::ShortUnits ? "-" + text : withMinus(std::move(text));
}

BoundedText replaceNumbersByWords(std::string_view text, std::string_view caseLetters,
                                  std::string_view genderLetters, std::size_t maxSize) {
    const std::string cases = toUpper1251(caseLetters);
    BoundedText result;
    result.limit = maxSize;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text.size() && !result.cut;) {
        if (!isDigit(text[at])) {
            result.text += text[at++];
        } else {
            const std::size_t start = at;
            std::int64_t value = 0;
            bool fits = true;
            for (; at < text.size() && isDigit(text[at]); ++at) {
                if (!fits) continue;
                value = value * 10 + (text[at] - '0');
                fits = value <= std::numeric_limits<std::int32_t>::max();
            }
            const int grammaticalCase =
                number < cases.size() ? macros::russianCase(cases[number]) : 1;
            const GenderLetter gender = genderLetter(genderLetters, number);
            ++number;
            if (!fits) {
                result.text += text.substr(start, at - start);
            } else if (gender.kind == NumberKind::Ordinal) {
                result.text += numberToOrdinalWords(value, grammaticalCase, gender.gender);
            } else {
                result.text += numberToWords(value, grammaticalCase, gender.gender);
            }
        }
        if (result.text.size() > maxSize) {
            result.text.resize(maxSize);
            result.cut = true;
        }
    }
    result.text = trimmed(result.text);
    return result;
}

}  // namespace qbx::functions::numerals
