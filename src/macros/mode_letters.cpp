#include "macros/mode_letters.h"

#include <array>

#include "base/text.h"

namespace qbx::macros {
namespace {

struct LetterRow {
    char letter;
    int value;
};

template <std::size_t N>
int lookup(const std::array<LetterRow, N>& table, char letter, int fallback) {
    for (const LetterRow& row : table)
        if (row.letter == letter) return row.value;
    return fallback;
}

constexpr char cp1251(unsigned char code) { return static_cast<char>(code); }

// "M" is minutes and "m" months: the case of these letters matters.
constexpr std::array<LetterRow, 15> kDurationUnits = {{
    {'S', 0},
    {'M', 1},
    {'H', 2},
    {'D', 3},
    {'1', 4},
    {'O', 4},
    {'m', 4},
    {'Y', 5},
    {'T', 6},
    {'L', 7},
    {'2', 8},
    {'s', 8},
    {'3', 9},
    {'l', 9},
}};

constexpr std::array<LetterRow, 5> kByteUnits = {{
    {'B', 0},
    {'K', 1},
    {'M', 2},
    {'G', 3},
    {'T', 4},
}};

constexpr std::array<LetterRow, 4> kRussianByteScales = {{
    {'K', 2},
    {'M', 3},
    {'G', 4},
    {'T', 5},
}};

constexpr std::array<LetterRow, 10> kRussianCases = {{
    {'I', 1},
    {cp1251(0xC8), 1},  // И
    {'R', 2},
    {cp1251(0xD0), 2},  // Р
    {'D', 3},
    {cp1251(0xC4), 3},  // Д
    {'T', 4},
    {cp1251(0xD2), 4},  // Т
    {'P', 5},
    {cp1251(0xCF), 5},  // П
}};

constexpr std::array<LetterRow, 2> kGenderTwoValues = {{
    {'F', 2}, {cp1251(0xC6), 2},  // Ж
}};

constexpr std::array<LetterRow, 8> kGenderFourValues = {{
    {'M', 1},
    {cp1251(0xCC), 1},  // М
    {'F', 2},
    {cp1251(0xC6), 2},  // Ж
    {'N', 3},
    {cp1251(0xD1), 3},  // С
    {'P', 4},
    {cp1251(0xCD), 4},  // Н
}};

constexpr std::uint8_t bit(SeparatorUser user) {
    return static_cast<std::uint8_t>(1u << static_cast<unsigned>(user));
}

struct SeparatorRow {
    char letter;  // capital; the lower-case letter matches too
    std::string_view text;
    std::uint8_t users;
};

constexpr std::uint8_t kAllUsers = bit(SeparatorUser::ForLoop) | bit(SeparatorUser::Grep) |
                                   bit(SeparatorUser::LocalIpList) | bit(SeparatorUser::ServerList);

constexpr std::array<SeparatorRow, 5> kSeparators = {{
    {'C', ",", kAllUsers},
    {'L', "\r\n", kAllUsers},
    {'S', " ", kAllUsers},
    {'N', "", static_cast<std::uint8_t>(bit(SeparatorUser::ForLoop) | bit(SeparatorUser::Grep))},
    {'M', "-", bit(SeparatorUser::ServerList)},
}};

constexpr std::array<std::string_view, 4> kSeparatorFallbacks = {
    "",      // ForLoop
    "",      // Grep
    "\r\n",  // LocalIpList
    " ",     // ServerList
};

char asciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

int durationUnit(char letter, int fallback) { return lookup(kDurationUnits, letter, fallback); }

bool unitNameRequested(char letter, UnitNameCase mode) {
    if (mode == UnitNameCase::AsciiUpperCased) letter = asciiUpper(letter);
    return letter == 'U';
}

int byteUnit(char letter) { return lookup(kByteUnits, letter, 0); }

int russianByteScale(char letter) { return lookup(kRussianByteScales, letter, 1); }

int russianCase(char letter) { return lookup(kRussianCases, letter, 1); }

std::string numeralModeLetters(ITBPDataProvider* params) {
    std::string letters = "XX";
    if (params != nullptr) {
        const HostRef<ITBPDataProvider> hold(params);
        // One byte each: the host writes nothing for an empty argument and the "X" stays.
        params->GetItemText(1, &letters[0], 1);
        params->GetItemText(2, &letters[1], 1);
    }
    return toUpper1251(letters);
}

int genderTwoValue(char letter) { return lookup(kGenderTwoValues, letter, 1); }

int genderFourValue(char letter) { return lookup(kGenderFourValues, letter, 1); }

std::string separatorFromLetter(char letter, SeparatorUser user) {
    return separatorFromLetter(letter, user, kSeparatorFallbacks[static_cast<std::size_t>(user)]);
}

std::string separatorFromLetter(char letter, SeparatorUser user, std::string_view fallback) {
    const char upper = asciiUpper(letter);
    for (const SeparatorRow& row : kSeparators)
        if (row.letter == upper && (row.users & bit(user)) != 0) return std::string(row.text);
    return std::string(fallback);
}

}  // namespace qbx::macros
