// The string work of the text macros, without a module context.
#include "functions/text/text_operations.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace qbx::functions::text {
namespace {

using Triple = std::tuple<std::string, std::string, std::string>;

TEST(TextOperations, ReplaceLeftToRightWithoutOverlap) {
    // Case-sensitive; an empty search changes nothing.
    const std::vector<std::pair<Triple, std::string>> cases = {{{"aaa", "aa", "b"}, "ba"},
                                                               {{"a-b-c", "-", "--"}, "a--b--c"},
                                                               {{"Abc abc", "abc", "x"}, "Abc x"},
                                                               {{"abc", "", "x"}, "abc"},
                                                               {{"abc", "b", ""}, "ac"}};
    for (const auto& [in, expected] : cases) {
        const auto& [text, search, replacement] = in;
        const BoundedText result = replaceAll(text, search, replacement, 100);
        EXPECT_EQ(result.text, expected) << text << " " << search;
        EXPECT_FALSE(result.cut);
    }
}

TEST(TextOperations, ReplaceStopsAtItsBound) {
    const BoundedText result = replaceAll("a.b.c.d", ".", "----", 8);
    EXPECT_EQ(result.text, "a----b--");
    EXPECT_TRUE(result.cut);
    EXPECT_FALSE(replaceAll("a.b", ".", "--", 4).cut);  // exactly the bound is no cut
}

TEST(TextOperations, AReplacementEndingExactlyAtTheBoundIsWhole) {
    const BoundedText exact = replaceAll("ab.", ".", "--", 4);
    EXPECT_EQ(exact.text, "ab--");
    EXPECT_FALSE(exact.cut);
    const BoundedText over = replaceAll("ab.", ".", "---", 4);
    EXPECT_EQ(over.text, "ab--");
    EXPECT_TRUE(over.cut);
}

TEST(TextOperations, CutAtMarkers) {
    const std::vector<std::pair<Triple, std::string>> fromTo = {
        {{"a<b>c<d>", "<", ">"}, "b"},
        {{"Subject: hello [x]", "Subject: ", " ["}, "hello"},
        {{"abc|def", "", "|"}, "abc"},
        {{"ab|c", "|", ""}, "c"},
        {{"abc|def", "#", "#"}, "abc|def"},
        {{">a<b>", "<", ">"}, "b"}};  // "to" is looked for after "from" only
    for (const auto& [in, expected] : fromTo) {
        const auto& [text, from, to] = in;
        EXPECT_EQ(cutFromTo(text, from, to), expected) << text;
    }
    EXPECT_EQ(cutOn("text\r\n-- \r\nsig", "\r\n-- "), "text");
    EXPECT_EQ(cutOn("text", ""), "text");
    EXPECT_EQ(cutOn("text", "#"), "text");
}

TEST(TextOperations, RandomDigitsLengthAndRadix) {
    std::mt19937 generator(1251);
    EXPECT_EQ(randomDigits(5, 1, generator), "00000");
    EXPECT_EQ(randomDigits(0, 10, generator).size(), 1u);
    EXPECT_EQ(randomDigits(-4, 10, generator).size(), 1u);
    const std::string digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (const std::int32_t radix : {0, -3})  // both mean decimal
        EXPECT_EQ(randomDigits(500, radix, generator).find_first_not_of(digits.substr(0, 10)),
                  std::string::npos);
    EXPECT_EQ(randomDigits(500, 16, generator).find_first_not_of(digits.substr(0, 16)),
              std::string::npos);
    const std::string wide = randomDigits(2000, 99, generator);
    EXPECT_EQ(wide.find_first_not_of(digits), std::string::npos);
    EXPECT_NE(wide.find('Z'), std::string::npos);  // all 36 digits in use
    EXPECT_EQ(randomDigits(2000000000, 2, generator).size(),
              static_cast<std::size_t>(kMaxRandomLength));
}

}  // namespace
}  // namespace qbx::functions::text
