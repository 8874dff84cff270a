// The letter-table macros, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "base/random_source.h"
#include "base/text.h"
#include "support/macro_fixture.h"

namespace qbx::functions::letters {
namespace {

using Args = std::vector<std::string>;

// The tests write Russian in UTF-8; the macros see code page 1251.
std::string cp(std::string_view utf8) { return utf8ToCp1251(utf8); }

class LettersMacros : public test::MacroFixture {};

TEST_F(LettersMacros, TransliterationBothWays) {
    EXPECT_EQ(run("ZVXTRANSLIT", {cp("Щука и Объём, красный")}), "Schuka i Ob'yom, krasny");
    EXPECT_EQ(run("zvxtranslit2", {cp("ЖУК и ляля")}), ">|<YK u /|R/|R");
    EXPECT_EQ(run("ZVXTRANSLIT"), "");
    EXPECT_EQ(run("ZVXTRANSLIT2", {"plain 42"}), "plain 42");
}

TEST_F(LettersMacros, GarblerAsksForBothArgumentsInTheUsersLanguage) {
    const std::string ask = cp("задайте текст и параметр!");
    EXPECT_EQ(run("ZVXIZVRAT"), ask);
    EXPECT_EQ(run("ZVXIZVRAT", {cp("текст")}), ask);
    plugin.strings.set(38, "give a text and a percentage!");
    EXPECT_EQ(run("ZVXIZVRAT", {cp("текст")}), "give a text and a percentage!");
}

// The percentage is the host's integer reading of argument 1; the letter classes themselves
// are the letter tables' business.
TEST_F(LettersMacros, GarblerPercentage) {
    const std::string text = cp("Съешь ещё этих мягких булок, Bob 2024");
    for (const char* keeps : {"0", "-5", "", "abc"})
        EXPECT_EQ(run("ZVXIZVRAT", {text, keeps}), text) << keeps;
    for (const char* all : {"100", "1000"}) {
        const std::string garbled = run("ZVXIZVRAT", {text, all});
        ASSERT_EQ(garbled.size(), text.size());
        EXPECT_NE(garbled, text);  // that no letter changes is below 10^-15
        EXPECT_EQ(garbled.substr(garbled.size() - 10), ", Bob 2024");
    }
}

TEST_F(LettersMacros, RandomCaseChangesOnlyCase) {
    const std::string text = cp("Привет, World! Ёжик 42 ") + std::string(200, 'q');
    const std::string mixed = run("ZVXRCASE", {text});
    ASSERT_EQ(mixed.size(), text.size());
    EXPECT_TRUE(equalsIgnoreCase1251(mixed, text));
    EXPECT_NE(mixed, toUpper1251(text));  // 2^-222 to fail by chance
    EXPECT_NE(mixed, toLower1251(text));
}

// Both random macros draw from the generator the other macros share: reseeding it repeats
// their results.
TEST_F(LettersMacros, DrawsComeFromTheProcessGenerator) {
    const std::string text = cp("Мягкие французские булки");
    const auto draw = [&] {
        processRandom().seed(1251);
        return run("ZVXRCASE", {text}) + "|" + run("ZVXIZVRAT", {text, "50"});
    };
    EXPECT_EQ(draw(), draw());
}

// The message comes back as the alphabet sends it: the Cyrillic O as the digit, a Latin v as
// a blank.
TEST_F(LettersMacros, HiddenMessageRoundTrip) {
    std::string cover;
    for (int i = 0; i < 4; ++i)
        cover += cp("Молоко, сахар и кофе: все это на столе у окна. ") +
                 "Take a cup of cocoa, or a coffee, or both. ";
    const std::string hidden = run("ZVXENCRYPT", {cover, cp("Ваня, 8 Окт в 7")});
    ASSERT_EQ(hidden.size(), cover.size());
    EXPECT_NE(hidden, cover);
    EXPECT_EQ(run("ZVXDECRYPT", {hidden}), cp("Baня, 8 0кт в 7"));
    EXPECT_EQ(run("zvxdecrypt", {run("ZVXENCRYPT", {cover, "vote"})}), " ote");
}

TEST_F(LettersMacros, HiddenMessageMissingArguments) {
    EXPECT_EQ(run("ZVXENCRYPT"), "");
    EXPECT_EQ(run("ZVXDECRYPT"), "");
    EXPECT_EQ(run("ZVXENCRYPT", {"Hexa Box"}), cp("Нех") + cp("а") + " " + cp("Вох"));
    EXPECT_EQ(run("ZVXENCRYPT", {"123 limb", "secret"}), "123 limb");
    EXPECT_EQ(run("ZVXDECRYPT", {"123 limb"}), "");
    EXPECT_EQ(run("ZVXDECRYPT", {"COCOA xx"}), "_");
}

}  // namespace
}  // namespace qbx::functions::letters
