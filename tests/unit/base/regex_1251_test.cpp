// The 1251 regular expressions: casing and classes from our tables, the library's compile
// errors, and a backtracking pattern that gives up instead of hanging the host.
#include "base/regex_1251.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

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

}  // namespace
}  // namespace qbx
