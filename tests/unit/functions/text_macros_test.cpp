// The text macros, called as the host calls them: how they read their arguments, the cut of a
// result that grows too long, and random digits from the process's generator.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/random_source.h"
#include "macros/arguments.h"
#include "support/macro_fixture.h"

namespace qbx::functions::text {
namespace {

using Args = std::vector<std::string>;

class TextMacros : public test::MacroFixture {};

TEST_F(TextMacros, ArgumentsCompareChooseAndJoin) {
    const std::vector<std::tuple<std::string, Args, std::string>> cases = {
        {"ZVXCUTHERE", {}, "\r\n-- "},
        {"ZVXSTRCMP", {"abc", "abc"}, "1"},
        {"ZVXSTRCMP", {"abc", "ABC"}, "0"},
        {"ZVXSTRCMP", {}, "1"},  // two empty texts
        {"ZVXSTRIN", {"b", "a", "b", "c"}, "1"},
        {"ZVXSTRIN", {"B", "a", "b", "c"}, "0"},
        {"ZVXSTRIN", {"b"}, "0"},
        // The last complete pair wins; an unpaired last argument is no pair.
        {"ZVXSELECT", {"b", "a", "1", "b", "2", "b", "3"}, "3"},
        {"ZVXSELECT", {"z", "a", "1", "b", "2"}, ""},
        {"ZVXSELECT", {"b", "b", "2", "b"}, "2"},
        {"ZVXSELECT", {"b"}, ""},
        {"ZVXSTRINGS", {"a", "", "c"}, "a\r\n\r\nc"},
        // Text, search and replacement; a missing replacement is empty.
        {"ZVXREPLACE", {"a-b-c", "-", "--"}, "a--b--c"},
        {"ZVXREPLACE", {"abc", "b"}, "ac"},
        {"ZVXCUTFROMTO", {"Subject: hello [x]", "Subject: ", " ["}, "hello"},
        {"ZVXCUTFROMTO", {"ab|c", "|"}, "c"},
        {"ZVXCUTON", {"text\r\n-- \r\nsig", "\r\n-- "}, "text"},
        {"ZVXCUTON", {"text"}, "text"}};
    for (const auto& [name, args, expected] : cases)
        EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
}

TEST_F(TextMacros, ReplaceCannotGrowPastTheCap) {
    EXPECT_EQ(run("ZVXREPLACE", {std::string(4096, 'a'), "a", std::string(8192, 'b')}).size(),
              macros::kMaxParamText);
    EXPECT_TRUE(logged("ZVXREPLACE: result cut"));
}

TEST_F(TextMacros, RandomDigitsFromTheProcessGenerator) {
    EXPECT_EQ(run("ZVXRND", {"5", "1"}), "00000");
    EXPECT_EQ(run("ZVXRND", {"500"}).find_first_not_of("0123456789"), std::string::npos);
    EXPECT_EQ(run("ZVXRND", {"-4", "16"}).size(), 1u);
    const auto draw = [&] {
        processRandom().seed(1251);
        return run("ZVXRND", {"40", "36"});
    };
    EXPECT_EQ(draw(), draw());
}

}  // namespace
}  // namespace qbx::functions::text
