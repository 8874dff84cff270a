// The shared one-letter mode tables.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "macros/mode_letters.h"
#include "support/fake_container.h"

namespace qbx::macros {
namespace {

// Each letter maps to the value at the same place.
void expectRows(int (*lookup)(char), std::string_view letters, const std::vector<int>& values) {
    ASSERT_EQ(letters.size(), values.size());
    for (std::size_t i = 0; i < letters.size(); ++i)
        EXPECT_EQ(lookup(letters[i]), values[i])
            << "letter " << int(static_cast<unsigned char>(letters[i]));
}

TEST(ModeLetters, LetterTables) {
    // Letters without a row give the macro's default (77 here).
    expectRows([](char c) { return durationUnit(c, 77); }, "SMHD1OmYTL2s3lhdy 04",
               {0, 1, 2, 3, 4, 4, 4, 5, 6, 7, 8, 8, 9, 9, 77, 77, 77, 77, 77, 77});
    expectRows(byteUnit, "BKMGTkP ", {0, 1, 2, 3, 4, 0, 0, 0});
    expectRows(russianByteScale, "KMGTBk ", {2, 3, 4, 5, 1, 1, 1});
    // Latin and Cyrillic capitals; lower-case "d" and "д" have no row.
    expectRows(russianCase,
               "I\xC8"
               "R\xD0"
               "D\xC4"
               "T\xD2"
               "P\xCF"
               "d\xE4"
               " X",
               {1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 1, 1, 1, 1});
    expectRows(genderTwoValue,
               "F\xC6"
               "f\xE6"
               "MN ",
               {2, 2, 1, 1, 1, 1, 1});
    expectRows(genderFourValue,
               "M\xCC"
               "F\xC6"
               "N\xD1"
               "P\xCD"
               "X ",
               {1, 1, 2, 2, 3, 3, 4, 4, 1, 1});
    // Only one macro upper-cases the unit-name letter first.
    EXPECT_TRUE(unitNameRequested('U'));
    EXPECT_FALSE(unitNameRequested('u'));
    EXPECT_FALSE(unitNameRequested(' '));
    EXPECT_TRUE(unitNameRequested('u', UnitNameCase::AsciiUpperCased));
    EXPECT_FALSE(unitNameRequested('X', UnitNameCase::AsciiUpperCased));
}

TEST(ModeLetters, NumeralLettersAreUpperCasedAndEmptyArgumentsKeepTheirX) {
    // Lower-case "д" and "ж" become "Д" and "Ж": dative, feminine.
    test::FakeContainer params({"5", "\xE4", "\xE6"});
    const std::string letters = numeralModeLetters(&params);
    ASSERT_EQ(letters.size(), 2u);
    EXPECT_EQ(russianCase(letters[0]), 3);
    EXPECT_EQ(genderFourValue(letters[1]), 2);
    EXPECT_EQ(params.references, 1);
    test::FakeContainer one({"5"});
    test::FakeContainer second({"5", "", "n"});
    EXPECT_EQ(numeralModeLetters(&one), "XX");
    EXPECT_EQ(numeralModeLetters(nullptr), "XX");
    EXPECT_EQ(numeralModeLetters(&second), "XN");
}

TEST(ModeLetters, SeparatorRowsAndFallbacksPerMacro) {
    using U = SeparatorUser;
    const std::vector<std::tuple<char, U, std::string>> cases = {
        {'C', U::ForLoop, ","},
        {'c', U::ForLoop, ","},
        {'L', U::ForLoop, "\r\n"},
        {'s', U::ForLoop, " "},
        {'N', U::ForLoop, ""},
        {'X', U::ForLoop, ""},
        {'M', U::ForLoop, ""},
        {' ', U::Grep, ""},
        {'n', U::Grep, ""},
        {'l', U::Grep, "\r\n"},
        {'N', U::LocalIpList, "\r\n"},
        {'X', U::LocalIpList, "\r\n"},
        {'c', U::LocalIpList, ","},
        {'S', U::LocalIpList, " "},
        {'M', U::ServerList, "-"},
        {'m', U::ServerList, "-"},
        {'N', U::ServerList, " "},
        {' ', U::ServerList, " "},
        {'C', U::ServerList, ","},
    };
    for (const auto& [letter, user, expected] : cases)
        EXPECT_EQ(separatorFromLetter(letter, user), expected)
            << letter << " user " << static_cast<int>(user);
    // ZVXGREP's argument 4 falls back to what argument 2 chose.
    EXPECT_EQ(separatorFromLetter('X', U::Grep, ";"), ";");
    EXPECT_EQ(separatorFromLetter('N', U::Grep, ";"), "");
}

}  // namespace
}  // namespace qbx::macros
