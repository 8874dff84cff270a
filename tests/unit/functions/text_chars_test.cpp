// Character counts, replacement, random separators, bounded percent-encoding and encoded words
// of the text macros, without a module context.
#include "functions/text/chars.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "functions/text/lines.h"
#include "platform/charset_converter.h"

namespace qbx::functions::text {
namespace {

constexpr std::size_t kRoom = 1 << 20;

TEST(TextChars, Counts) {
    EXPECT_EQ(printableCharCount("a\tb\r\nc \x01\xFF"), 5u);
    // A b c, ж и к, я Я; Ё (upper-cased ё included) is no capital of the range.
    EXPECT_EQ(countLetters("Abc, \xA8\xE6\xE8\xEA! 12 \xFF\xDF \xB8"), 8u);
    EXPECT_EQ(countPunctuation("!\"'()*,-./:;?\\`"), 15u);
    EXPECT_EQ(countPunctuation("a+b=c<d>e[f]{g}#$%&@^_|~"), 0u);
    EXPECT_EQ(countSpaces("a b  c\t\xA0"), 3u);
}

TEST(TextChars, ReplaceOneCharacter) {
    const std::vector<std::tuple<char, std::string, std::string, std::string>> cases = {
        {'a', "xy", "banana", "bxynxynxy"},
        {'a', "", "banana", "bnn"},
        {' ', "_", "a b ", "a_b_"},
        {'q', "zz", "banana", "banana"},
    };
    for (const auto& [c, replacement, text, expected] : cases)
        EXPECT_EQ(replaceChars(c, replacement, text, kRoom).text, expected) << text;
    const BoundedText cut = replaceChars('a', "xyz", "banana", 5);
    EXPECT_EQ(cut.text, "bxyzn");
    EXPECT_TRUE(cut.cut);
}

TEST(TextChars, RandomSeparatorDrawsFromItsCharacters) {
    std::mt19937 generator(1251);
    EXPECT_EQ(randomSeparator("ab", 0, generator), "");
    EXPECT_EQ(randomSeparator("ab", -3, generator), "");
    EXPECT_EQ(randomSeparator("", 5, generator), "");
    EXPECT_EQ(randomSeparator("x", 5, generator), "xxxxx");
    const std::string drawn = randomSeparator("-=", 1000, generator);
    EXPECT_EQ(drawn.find_first_not_of("-="), std::string::npos);
    EXPECT_NE(drawn.find('-'), std::string::npos);
    EXPECT_NE(drawn.find('='), std::string::npos);
    EXPECT_EQ(randomSeparator("ab", 2000000000, generator).size(), kMaxCountedText);
}

TEST(TextChars, PercentEncodingCutsBetweenEscapes) {
    EXPECT_EQ(percentEncodeWithin("a b\xE9", false, kRoom).text, "a%20b%E9");
    EXPECT_EQ(percentEncodeWithin("a b\xE9", true, kRoom).text, "a b%E9");
    EXPECT_FALSE(percentEncodeWithin("\xE9\xE9", false, 6).cut);
    for (const auto& [text, eightBit, expected] :
         std::vector<std::tuple<std::string, bool, std::string>>{
             {"\xE9\xE9", false, "%E9"}, {"abc\xE9", true, "abc"}, {"ab%\xE9", true, "ab%"}}) {
        const BoundedText cut = percentEncodeWithin(text, eightBit, 5);
        EXPECT_EQ(cut.text, expected) << text;
        EXPECT_TRUE(cut.cut);
    }
    // Past one piece of the encoder's work.
    const BoundedText big = percentEncodeWithin(std::string(5000, '\xE9'), true, 10001);
    EXPECT_EQ(big.text.size(), 9999u);
    EXPECT_TRUE(big.cut);
}

TEST(TextChars, EncodedWordsDecodedLineByLineAndLogged) {
    std::vector<std::string> logged;
    const BoundedText decoded =
        decodeEncodedWords("=?utf-8?B?0J/RgNC40LLQtdGC?=\r\nplain", kRoom,
                           [&](std::string_view line) { logged.emplace_back(line); });
    // Привет in the module's text: itself in 1251, a "?" each in the DLL under Wine's 1252.
    const std::string privet = moduleTextCodePage() == 1251 ? "\xCF\xF0\xE8\xE2\xE5\xF2" : "??????";
    EXPECT_EQ(decoded.text, privet + "\r\nplain\r\n");
    EXPECT_EQ(logged,
              (std::vector<std::string>{"=?utf-8?B?0J/RgNC40LLQtdGC?=", privet, "plain", "plain"}));
}

}  // namespace
}  // namespace qbx::functions::text
