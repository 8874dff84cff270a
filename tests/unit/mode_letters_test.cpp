// The shared one-letter mode tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "macros/mode_letters.h"
#include "support/fake_container.h"

namespace qbx::macros {
namespace {

constexpr char cp(unsigned char code) {
    return static_cast<char>(code);
}

struct LetterCase {
    char letter;
    int expected;
};

TEST(ModeLetters, DurationUnit) {
    const std::vector<LetterCase> cases = {
        {'S', 0}, {'M', 1}, {'H', 2}, {'D', 3}, {'1', 4}, {'O', 4}, {'m', 4}, {'Y', 5},
        {'T', 6}, {'L', 7}, {'2', 8}, {'s', 8}, {'3', 9}, {'l', 9},
        // Without a row: the macro's default.
        {'h', 77}, {'d', 77}, {'y', 77}, {' ', 77}, {'0', 77}, {'4', 77},
    };
    for (const LetterCase& c : cases)
        EXPECT_EQ(durationUnit(c.letter, 77), c.expected) << "letter " << c.letter;
}

TEST(ModeLetters, UnitNameLetter) {
    EXPECT_TRUE(unitNameRequested('U'));
    EXPECT_FALSE(unitNameRequested('u'));
    EXPECT_FALSE(unitNameRequested(' '));
    EXPECT_TRUE(unitNameRequested('U', UnitNameCase::AsciiUpperCased));
    EXPECT_TRUE(unitNameRequested('u', UnitNameCase::AsciiUpperCased));
    EXPECT_FALSE(unitNameRequested('X', UnitNameCase::AsciiUpperCased));
}

TEST(ModeLetters, ByteUnitAndRussianScale) {
    const std::vector<LetterCase> units = {{'B', 0}, {'K', 1}, {'M', 2}, {'G', 3}, {'T', 4},
                                           {'k', 0}, {'P', 0}, {' ', 0}};
    for (const LetterCase& c : units) EXPECT_EQ(byteUnit(c.letter), c.expected) << c.letter;
    const std::vector<LetterCase> scales = {{'K', 2}, {'M', 3}, {'G', 4}, {'T', 5},
                                            {'B', 1}, {'k', 1}, {' ', 1}};
    for (const LetterCase& c : scales)
        EXPECT_EQ(russianByteScale(c.letter), c.expected) << c.letter;
}

TEST(ModeLetters, RussianCaseTakesLatinAndCyrillicCapitals) {
    const std::vector<LetterCase> cases = {
        {'I', 1}, {cp(0xC8), 1}, {'R', 2}, {cp(0xD0), 2}, {'D', 3}, {cp(0xC4), 3},
        {'T', 4}, {cp(0xD2), 4}, {'P', 5}, {cp(0xCF), 5},
        {'d', 1}, {cp(0xE4), 1},  // lower case "д": no row
        {' ', 1}, {'X', 1},
    };
    for (const LetterCase& c : cases)
        EXPECT_EQ(russianCase(c.letter), c.expected) << int(static_cast<unsigned char>(c.letter));
}

TEST(ModeLetters, NumeralLettersAreUpperCasedSoLowerCaseMatches) {
    // "д" and "ж" in lower case become "Д" and "Ж": dative, feminine.
    test::FakeContainer params({"5", std::string(1, cp(0xE4)), std::string(1, cp(0xE6))});
    const std::string letters = numeralModeLetters(&params);
    ASSERT_EQ(letters.size(), 2u);
    EXPECT_EQ(russianCase(letters[0]), 3);
    EXPECT_EQ(genderFourValue(letters[1]), 2);
    EXPECT_EQ(params.references, 1);
}

TEST(ModeLetters, NumeralLettersKeepTheirXForEmptyArguments) {
    test::FakeContainer params({"5"});
    EXPECT_EQ(numeralModeLetters(&params), "XX");
    EXPECT_EQ(numeralModeLetters(nullptr), "XX");
    test::FakeContainer second({"5", "", "n"});
    EXPECT_EQ(numeralModeLetters(&second), "XN");
}

TEST(ModeLetters, GenderLetters) {
    const std::vector<LetterCase> two = {{'F', 2}, {cp(0xC6), 2}, {'f', 1}, {cp(0xE6), 1},
                                         {'M', 1}, {'N', 1}, {' ', 1}};
    for (const LetterCase& c : two) EXPECT_EQ(genderTwoValue(c.letter), c.expected) << c.letter;
    const std::vector<LetterCase> four = {
        {'M', 1}, {cp(0xCC), 1}, {'F', 2}, {cp(0xC6), 2}, {'N', 3}, {cp(0xD1), 3},
        {'P', 4}, {cp(0xCD), 4}, {'X', 1}, {' ', 1},
    };
    for (const LetterCase& c : four) EXPECT_EQ(genderFourValue(c.letter), c.expected) << c.letter;
}

TEST(ModeLetters, SeparatorRowsAndFallbacksPerMacro) {
    struct Case {
        char letter;
        SeparatorUser user;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {'C', SeparatorUser::ForLoop, ","},        {'c', SeparatorUser::ForLoop, ","},
        {'L', SeparatorUser::ForLoop, "\r\n"},     {'s', SeparatorUser::ForLoop, " "},
        {'N', SeparatorUser::ForLoop, ""},         {'X', SeparatorUser::ForLoop, ""},
        {'M', SeparatorUser::ForLoop, ""},         {' ', SeparatorUser::Grep, ""},
        {'n', SeparatorUser::Grep, ""},            {'l', SeparatorUser::Grep, "\r\n"},
        {'N', SeparatorUser::LocalIpList, "\r\n"}, {'X', SeparatorUser::LocalIpList, "\r\n"},
        {'c', SeparatorUser::LocalIpList, ","},    {'S', SeparatorUser::LocalIpList, " "},
        {'M', SeparatorUser::ServerList, "-"},     {'m', SeparatorUser::ServerList, "-"},
        {'N', SeparatorUser::ServerList, " "},     {' ', SeparatorUser::ServerList, " "},
        {'C', SeparatorUser::ServerList, ","},
    };
    for (const Case& c : cases)
        EXPECT_EQ(separatorFromLetter(c.letter, c.user), c.expected)
            << c.letter << " user " << static_cast<int>(c.user);
    // ZVXGREP's argument 4 falls back to what argument 2 chose.
    EXPECT_EQ(separatorFromLetter('X', SeparatorUser::Grep, ";"), ";");
    EXPECT_EQ(separatorFromLetter('N', SeparatorUser::Grep, ";"), "");
}

}  // namespace
}  // namespace qbx::macros
