// Numbers in Russian words: cardinals and ordinals by case and gender, the form of the noun
// after a number, byte counts and durations in words, and every number of a text in words.
// Cases are 1..5 (nominative, genitive, dative, instrumental, prepositional); a case outside
// that range reads as 1. Texts are code page 1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx {
class StringTable;
}

namespace qbx::functions::numerals {

inline constexpr int kMasculine = 1;
inline constexpr int kFeminine = 2;
inline constexpr int kNeuter = 3;
inline constexpr int kPlural = 4;

// The noun after a count: its case and whether it takes the plural table.
struct NounForm {
    int nounCase;
    bool plural;
    bool operator==(const NounForm&) const = default;
};
NounForm pluralForm(int grammaticalCase, std::int64_t count);

// The cardinal words of the last three digits of n (its absolute value); gender 1 masculine,
// any other feminine.
std::string threeDigitsToWords(std::int64_t n, int grammaticalCase, int gender);
// The cardinal words of n; gender 1 masculine, any other feminine. A negative number is
// "минус" and its absolute value; a number beyond the quadrillions stays in digits.
std::string numberToWords(std::int64_t n, int grammaticalCase, int gender);

// The ordinal words of the last three digits of n; gender 1..4 (masculine, feminine, neuter,
// plural), any other 4.
std::string ordinalBelow1000(std::int64_t n, int grammaticalCase, int gender);
// The ordinal words of n: the thousands and above stay cardinal, the last three digits take
// the case and gender. A round number of thousands is written as its cardinal; 0 is empty.
std::string numberToOrdinalWords(std::int64_t n, int grammaticalCase, int gender);

// Unit 1..5: bytes, kilo-, mega-, giga-, terabytes (any other 1); the count is shifted right
// by 10 bits a unit: "два килобайта" for 2048 in unit 2.
std::string bytesToWords(int unit, int grammaticalCase, std::int64_t count);

enum class DurationStyle : std::uint8_t { ShortUnits, Words };
// Unit 1..7: millisecond, second, minute, hour, day, month, year. A value of 0 is empty; the
// short style takes the unit's name from the string table.
std::string durationPartText(int grammaticalCase, int unit, DurationStyle style, std::int64_t value,
                             const StringTable& strings);
// Years of 365 days; the rest of the days in months of 30 days and days. Parts that are 0
// leave their blank between their neighbours.
std::string secondsToText(int grammaticalCase, DurationStyle style, std::int64_t seconds,
                          const StringTable& strings);

// The k-th run of digits takes the k-th case letter (И/I, Р/R, Д/D, Т/T, П/P, either case)
// and the k-th gender letter: m, м, 1 cardinal masculine; f, д, 2 cardinal feminine; M/М,
// F/Ж, N/С, P/Н ordinal masculine, feminine, neuter, plural; any other cardinal masculine.
// A run too large for a 32-bit integer stays in digits. The result is trimmed.
BoundedText replaceNumbersByWords(std::string_view text, std::string_view caseLetters,
                                   std::string_view genderLetters, std::size_t maxSize);

}  // namespace qbx::functions::numerals
