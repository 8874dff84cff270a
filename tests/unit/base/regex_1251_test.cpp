// The 1251 regular expressions: casing and classes from our tables, the library's compile
// errors, and a backtracking pattern that gives up instead of hanging the host.
#include "base/regex_1251.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace qbx {
namespace {

using ::testing::HasSubstr;

bool matches(const char* pattern, const std::string& text, bool icase = false) {
    std::string error;
    const auto re = Regex1251::compile(pattern, &error, RegexOptions{icase});
    EXPECT_TRUE(re.has_value()) << pattern << ": " << error;
    return re && re->search(text);
}

TEST(Regex1251, CyrillicCasingAndClassesFollowTheCodePage) {
    const std::string privet = "\xEF\xF0\xE8\xE2\xE5\xF2";    // привет
    const std::string privetUp = "\xCF\xD0\xC8\xC2\xC5\xD2";  // ПРИВЕТ
    const std::string yozhik = "\xA8\xE6\xE8\xEA";            // Ёжик
    struct Case {
        std::string pattern, text;
        bool icase, expected;
    };
    for (const Case& c : {
             Case{privet, "x " + privetUp + " y", true, true}, Case{privet, privetUp, false, false},
             Case{"\xB8", "\xA8", true, true},  // ё matches Ё
             Case{"^\\w+$", yozhik, false, true}, Case{"^[[:upper:]]", yozhik, false, true},
             Case{"^[[:lower:]]", yozhik, false, false}, Case{"\\d", privet, false, false},
             Case{"^[\xE0-\xFF]+$", privetUp, true, true},  // [а-я] over capitals
             Case{"\\bab\\b", "x ab\xE6", false, false},    // a Cyrillic letter is a word letter
         }) {
        EXPECT_EQ(matches(c.pattern.c_str(), c.text, c.icase), c.expected) << c.pattern;
    }
}

TEST(Regex1251, CompileErrorsCarryTheLibraryMessage) {
    std::string error;
    EXPECT_FALSE(Regex1251::compile("(abc", &error).has_value());
    EXPECT_THAT(error, HasSubstr("parenthesis"));
    EXPECT_FALSE(Regex1251::compile("[z-a]", nullptr).has_value());
    EXPECT_FALSE(Regex1251::compile(std::string(Regex1251::kMaxPatternLength + 1, 'a'), &error));

    // A pattern that ends inside a set, handed over without a terminating zero: the library
    // must not read past its end (the sanitizer watches the exact-sized buffer).
    for (std::string_view pattern : {"[\\", "[a-\\", "x[*&\\"}) {
        const auto buffer = std::make_unique<char[]>(pattern.size());
        std::copy(pattern.begin(), pattern.end(), buffer.get());
        EXPECT_FALSE(Regex1251::compile(std::string_view(buffer.get(), pattern.size()), &error))
            << pattern;
    }
}

TEST(Regex1251, BacktrackingGivesUpAsNoMatch) {
    const std::string text = std::string(20000, 'a') + "!";
    const auto start = std::chrono::steady_clock::now();
    for (const char* pattern : {"(a+)+$", "(a|aa)*b", "(x+x+)+y|(a*)*c"})
        EXPECT_FALSE(matches(pattern, text)) << pattern;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_TRUE(matches("a!$", text));
}

// [а-я] with ё, [А-Я] with Ё, [а-Я] all of them; other ranges and literal text stay as written.
TEST(Regex1251, RussianRangesTakeInYoWhenAsked) {
    const std::string yo = "\xB8", capitalYo = "\xA8", small = "\xE0-\xFF", capital = "\xC0-\xDF";
    struct Case {
        std::string pattern, text;
        bool expected;
    };
    for (const Case& c : {
             Case{"^[" + small + "]+$", yo + "\xE6", true},              // ёж
             Case{"^[" + capital + "]+$", capitalYo + "\xC6", true},     // ЁЖ
             Case{"^[\xE0-\xDF]+$", capitalYo + yo + "\xC0\xFF", true},  // [а-Я]: Ёё Ая
             Case{"^[\xE0-\xE5]$", yo, false},  // [а-е] is no Russian range
             Case{"^[^" + small + "]$", yo, false},
             Case{"^[" + small + "-]+$", yo + "-", true},  // a "-" after the range stays literal
             Case{"^[\\]" + small + "]+$", "]" + yo, true},
             Case{"^[[:digit:]" + small + "]+$", "1" + yo, true},
             Case{"^\\Q[" + small + "]\\E$", "[" + small + "]", true},  // quoted: literal
             Case{"^(?i)[" + small + "]$", capitalYo, true},
         }) {
        std::string error;
        const auto re = Regex1251::compile(c.pattern, &error, RegexOptions{false, true});
        ASSERT_TRUE(re.has_value()) << c.pattern << ": " << error;
        EXPECT_EQ(re->search(c.text), c.expected) << c.pattern;
    }
    // Without the option the ranges are byte ranges, and [а-Я] is no range at all.
    EXPECT_FALSE(matches(("^[" + small + "]$").c_str(), yo));
    EXPECT_FALSE(Regex1251::compile("[\xE0-\xDF]", nullptr).has_value());
}

std::vector<std::pair<std::size_t, std::size_t>> matchPlaces(const char* pattern,
                                                             std::string_view text) {
    std::vector<std::pair<std::size_t, std::size_t>> places;
    const auto re = Regex1251::compile(pattern, nullptr);
    EXPECT_TRUE(re.has_value()) << pattern;
    if (re)
        re->forEachMatch(text, [&](const RegexMatch& m) {
            places.emplace_back(m.position(), m.length());
            return true;
        });
    return places;
}

TEST(Regex1251, WalksEveryMatchMovingPastEmptyOnes) {
    using Places = std::vector<std::pair<std::size_t, std::size_t>>;
    EXPECT_EQ(matchPlaces("x*", "abc"), (Places{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
    EXPECT_EQ(matchPlaces("a*", "baaac"), (Places{{0, 0}, {1, 3}, {4, 0}, {5, 0}}));
    // "^" and "$" at every line break, CR LF counted as one.
    EXPECT_EQ(matchPlaces("^", "a\r\nb\nc"), (Places{{0, 0}, {3, 0}, {5, 0}}));
    EXPECT_EQ(matchPlaces("$", "a\r\nb"), (Places{{1, 0}, {4, 0}}));
    EXPECT_EQ(matchPlaces("a.b", "a\nb"), (Places{{0, 3}}));  // "." takes a line break
    EXPECT_EQ(matchPlaces("q", ""), Places{});
}

TEST(Regex1251, MatchGroupsAndStoppingTheWalk) {
    const auto re = Regex1251::compile("(a)|(b)", nullptr);
    ASSERT_TRUE(re);
    std::vector<std::string> seen;
    re->forEachMatch("xab", [&](const RegexMatch& m) {
        seen.push_back(std::string(m.group(0)) + "|" + std::string(m.group(1)) + "|" +
                       std::string(m.group(2)) + "|" + std::string(m.group(9)));
        return true;
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a|a||", "b||b|"}));
    int calls = 0;
    re->forEachMatch("ababab", [&](const RegexMatch&) { return ++calls < 2; });
    EXPECT_EQ(calls, 2);
}

TEST(Regex1251, AWalkThatGivesUpThrowsTheLibrarysMessage) {
    const auto re = Regex1251::compile("(a+)+$", nullptr);
    ASSERT_TRUE(re);
    const std::string text = std::string(20000, 'a') + "!";
    try {
        re->forEachMatch(text, [](const RegexMatch&) { return true; });
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("complexity"));
    }
}

// The library checks its state count only when a state fails: "(a|b)*c" fails at the "x" from
// every start, and its one search over this text takes tens of thousands of states.
TEST(Regex1251, OnlyALongSearchAsksItsWatchAndAWatchThatSaysNoStopsIt) {
    const auto re = Regex1251::compile("(a|b)*c", nullptr);
    ASSERT_TRUE(re);
    std::string text;
    for (int i = 0; i < 100; ++i) text += "ab";
    text += "xc";
    int asked = 0;
    const RegexWatch goOn = [&] { return ++asked > 0; };
    const RegexWatch stop = [&] { return ++asked < 0; };

    EXPECT_TRUE(re->search("abc", goOn));
    EXPECT_EQ(asked, 0);
    std::size_t position = 0;
    re->forEachMatch(
        text, [&](const RegexMatch& match) { return (position = match.position()) == 0; }, goOn);
    EXPECT_EQ(position, text.size() - 1);
    EXPECT_GT(asked, 1);

    asked = 0;
    EXPECT_FALSE(re->search(text, stop));
    EXPECT_EQ(asked, 1);
    try {
        re->forEachMatch(
            text, [](const RegexMatch&) { return true; }, stop);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("The complexity of matching"));
    }
    EXPECT_EQ(asked, 2);

    // A watch that lets every slice go on still leaves the library its own limit.
    const auto runaway = Regex1251::compile("(a+)+$", nullptr);
    ASSERT_TRUE(runaway);
    EXPECT_FALSE(runaway->search(std::string(20000, 'a') + "!", goOn));
}

// Each level of a recursion costs the matcher copies of the match results and a longer walk at
// every later step: the depth and the copies' memory are bounded, and a search past either
// gives up with the library's message for its own stack.
TEST(Regex1251, ARecursionPastItsBoundGivesUpAsTheLibrarysStackDoes) {
    const auto re = Regex1251::compile("\\((?R)*\\)", nullptr);
    ASSERT_TRUE(re);
    EXPECT_TRUE(re->search(std::string(1000, '(') + std::string(1000, ')')));
    const auto gaveUp = [](const Regex1251& regex, const std::string& text) {
        try {
            regex.forEachMatch(text, [](const RegexMatch&) { return true; });
        } catch (const std::runtime_error& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    const std::string stack = "Ran out of stack space";
    EXPECT_THAT(gaveUp(*re, std::string(20000, '(') + std::string(20000, ')')), HasSubstr(stack));
    EXPECT_THAT(gaveUp(*re, std::string(20000, '(')), HasSubstr(stack));
    EXPECT_FALSE(re->search(std::string(100000, '(')));
    // Many groups side by side at one level are no deep recursion.
    std::string siblings = "(";
    for (int i = 0; i < 3000; ++i) siblings += "(x)";
    const auto balanced = Regex1251::compile("\\((?:[^()]|(?R))*\\)", nullptr);
    ASSERT_TRUE(balanced);
    EXPECT_TRUE(balanced->search(siblings + ")"));

    std::string manyGroups = "\\((?R)*\\)|";
    for (int i = 0; i < 2000; ++i) manyGroups += "()";
    const auto wide = Regex1251::compile(manyGroups, nullptr);
    ASSERT_TRUE(wide);
    EXPECT_THAT(gaveUp(*wide, std::string(3000, '(')), HasSubstr(stack));
}

}  // namespace
}  // namespace qbx
