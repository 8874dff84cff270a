// Regular-expression replace and grep of the text macros, without a module context: group
// substitution, empty matches, line anchors, Cyrillic casing and ranges, repeated results,
// and the walk stopped from outside.
#include "functions/text/regex_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace qbx::functions::text {
namespace {

constexpr std::size_t kRoom = 1 << 20;
const MatchLimits kNoDeadline{[] {}, {}};

Regex1251 compiled(const std::string& expression) {
    std::string error;
    auto regex = compileTextRegex(expression, &error);
    EXPECT_TRUE(regex.has_value()) << expression << ": " << error;
    return regex ? *regex : *compileTextRegex("$^", nullptr);
}

std::string replaced(const std::string& text, const std::string& expression,
                     const std::string& replacement) {
    return replaceRegExpr(compiled(expression), text, replacement, kRoom, kNoDeadline).text;
}

std::string grepped(const std::string& text, const std::string& expression, GrepRequest request) {
    return grepText(compiled(expression), text, request, kRoom, kNoDeadline).text;
}

TEST(TextRegex, ReplaceSubstitutesGroups) {
    const std::vector<std::tuple<std::string, std::string, std::string, std::string>> cases = {
        {"abc", "x*", "-", "-a-b-c-"},  // every empty match once, then on
        {"baaac", "a*", "-", "-b--c-"},
        {"a\r\nb\nc", "^", "> ", "> a\r\n> b\n> c"},
        {"a\r\nb", "$", ";", "a;\r\nb;"},
        {"John Smith", "(\\w+) (\\w+)", "$2, $1", "Smith, John"},
        {"ab", "b", "[$0$9$]", "a[b$]"},  // a missing group is empty; "$]" stays
        {"cost 5", "(\\d)", "$$1", "cost $5"},
        {"a", "a", "b$", "b$"},
        {"abc", "z", "q", "abc"},
        {"\xA8\xEB\xEA\xE0 \xB8\xEB\xEA\xE0", "(?i)\xB8\xEB\xEA\xE0", "X", "X X"},  // Ёлка ёлка
        {"\xB8\xE6 \xE8 \xE5\xE6", "[\xE0-\xFF]+", "<$0>",
         "<\xB8\xE6> <\xE8> <\xE5\xE6>"},               // [а-я] takes in ё
        {"\xA8\xC6 \xB8", "[\xE0-\xDF]+", "#", "# #"},  // [а-Я]: every Russian letter
    };
    for (const auto& [text, expression, replacement, expected] : cases)
        EXPECT_EQ(replaced(text, expression, replacement), expected) << expression;
}

TEST(TextRegex, GrepJoinsGroupsAndResults) {
    const auto request = [](std::string_view groups, std::string_view separator,
                            std::string_view joiner, bool unique = false) {
        return GrepRequest{groups, separator, joiner, unique};
    };
    const std::string ten = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)";
    const std::vector<std::tuple<std::string, std::string, GrepRequest, std::string>> cases = {
        {"a1b2c3", "([a-z])(\\d)", request("12", ",", " "), "a 1,b 2,c 3"},
        {"a1b2c3", "([a-z])(\\d)", request("21", ",", ""), "1a,2b,3c"},
        {"a1b2c3", "([a-z])(\\d)", request("", ",", " "), "a1,b2,c3"},
        {"abcdefghij", ten, request("A", ",", ""), "j"},
        {"abcdefghij", ten, request("0a", ",", "-"), "abcdefghij-j"},
        {"abcdefghij", ten, request("Z!", ",", ""), "abcdefghij"},  // 35 is missing; "!" is 0
        {"a b a c b", "\\w", request("0", ",", "", true), "a,b,c"},
        {"a b a c b", "\\w", request("0", ",", ""), "a,b,a,c,b"},
        {"ab ab abc", "\\w+", request("0", "", "", true), "ababc"},
        {"abc", "x*", request("0", ",", ""), ""},
        {"ab", "a*", request("0", ",", ""), "a"},
        {"one\r\ntwo\nthree", "^\\w", request("0", ",", ""), "o,t,t"},
        {"x1 y z2", "([a-z])(\\d)?", request("2", ",", ""), "1,2"},  // empty results dropped
        {"\xA8\xE6 \xB8\xEB\xEA\xE0 \xC5\xCB\xDC", "(?i)\xB8\\w*", request("0", ",", ""),
         "\xA8\xE6,\xB8\xEB\xEA\xE0"},  // Ёж, ёлка; not ЕЛЬ
    };
    for (const auto& [text, expression, grep, expected] : cases)
        EXPECT_EQ(grepped(text, expression, grep), expected) << expression << " " << grep.groups;
}

TEST(TextRegex, GroupCharacters) {
    const std::string digits = "09AZaz!~ ";
    std::vector<int> values;
    for (const char c : digits) values.push_back(hexDigitValue(c));
    EXPECT_EQ(values, (std::vector<int>{0, 9, 10, 35, 10, 35, 0, 0, 0}));
}

TEST(TextRegex, RepeatedResultsAreRememberedPastManyDistinctOnes) {
    // Enough distinct results to make the remembered places grow several times.
    std::string text;
    for (int i = 0; i < 3000; ++i) text += std::to_string(i % 1500) + " ";
    const std::string all = grepped(text, "\\d+", GrepRequest{"0", " ", "", true});
    std::string expected;
    for (int i = 0; i < 1500; ++i) expected += (i > 0 ? " " : "") + std::to_string(i);
    EXPECT_EQ(all, expected);
}

TEST(TextRegex, ResultsStopAtTheirBound) {
    const BoundedText replacedText =
        replaceRegExpr(compiled("b"), "abababab", "xyz", 10, kNoDeadline);
    EXPECT_EQ(replacedText.text, "axyzaxyzax");
    EXPECT_TRUE(replacedText.cut);
    const BoundedText grep =
        grepText(compiled("\\w"), "abcdef", GrepRequest{"000", ",", "", false}, 10, kNoDeadline);
    EXPECT_EQ(grep.text, "aaa,bbb,cc");
    EXPECT_TRUE(grep.cut);
    EXPECT_FALSE(replaceRegExpr(compiled("b"), "ab", "cd", 3, kNoDeadline).cut);
}

TEST(TextRegex, TheCheckpointStopsTheWalk) {
    int calls = 0;
    const MatchLimits threeMatches{[&] {
                                       if (++calls > 3) throw std::runtime_error("stopped");
                                   },
                                   {}};
    EXPECT_THROW(replaceRegExpr(compiled("a"), "aaaaaa", "b", kRoom, threeMatches),
                 std::runtime_error);
    EXPECT_EQ(calls, 4);
    calls = 0;
    EXPECT_THROW(grepText(compiled("a"), "aaaaaa", GrepRequest{}, kRoom, threeMatches),
                 std::runtime_error);
    EXPECT_EQ(calls, 4);
}

}  // namespace
}  // namespace qbx::functions::text
