// The macros the dispatcher answers itself, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/datetime.h"
#include "base/text.h"
#include "macro_fixture.h"
#include "macros/arguments.h"
#include "macros/own_macros.h"

namespace qbx::macros {
namespace {

using namespace std::string_literals;
using Args = std::vector<std::string>;

class OwnMacros : public test::MacroFixture {};

TEST_F(OwnMacros, TextMacros) {
    const std::vector<std::tuple<std::string, Args, std::string>> cases = {
        {"ZVXCUTHERE", {}, "\r\n-- "},
        {"ZVXSTRCMP", {"abc", "abc"}, "1"}, {"ZVXSTRCMP", {"abc", "ABC"}, "0"},
        {"ZVXSTRCMP", {}, "1"},  // two empty texts
        {"ZVXSTRIN", {"b", "a", "b", "c"}, "1"}, {"ZVXSTRIN", {"B", "a", "b", "c"}, "0"},
        {"ZVXSTRIN", {"b"}, "0"},
        // The last complete pair wins; an unpaired last argument is no pair.
        {"ZVXSELECT", {"b", "a", "1", "b", "2", "b", "3"}, "3"},
        {"ZVXSELECT", {"z", "a", "1", "b", "2"}, ""}, {"ZVXSELECT", {"b", "b", "2", "b"}, "2"},
        {"ZVXSELECT", {"b"}, ""}, {"ZVXSTRINGS", {"a", "", "c"}, "a\r\n\r\nc"},
        // Left to right without overlap, case-sensitive; an empty search changes nothing.
        {"ZVXREPLACE", {"aaa", "aa", "b"}, "ba"}, {"ZVXREPLACE", {"a-b-c", "-", "--"}, "a--b--c"},
        {"ZVXREPLACE", {"Abc abc", "abc", "x"}, "Abc x"}, {"ZVXREPLACE", {"abc", "", "x"}, "abc"},
        {"ZVXREPLACE", {"abc", "b"}, "ac"}, {"ZVXCUTFROMTO", {"a<b>c<d>", "<", ">"}, "b"},
        {"ZVXCUTFROMTO", {"Subject: hello [x]", "Subject: ", " ["}, "hello"},
        {"ZVXCUTFROMTO", {"abc|def", "", "|"}, "abc"}, {"ZVXCUTFROMTO", {"ab|c", "|", ""}, "c"},
        {"ZVXCUTFROMTO", {"abc|def", "#", "#"}, "abc|def"},
        {"ZVXCUTON", {"text\r\n-- \r\nsig", "\r\n-- "}, "text"},
        {"ZVXCUTON", {"text", ""}, "text"}, {"ZVXCUTON", {"text", "#"}, "text"},
        {"ZVXCRC32", {"123456789"}, "340BC6D9"}, {"ZVXCRC16", {"123456789"}, "6F91"},
        {"ZVXCRC32", {}, "FFFFFFFF"}, {"ZVXCRC16", {}, "FFFF"},
        // The low byte of the key.
        {"ZVXXOR", {"aB", "32"}, "Ab"}, {"ZVXXOR", {"text", "256"}, "text"},
        {"ZVXXOR", {"\x0f", "-1"}, "\xf0"}, {"ZVXXOR", {"text", "0"}, "text"},
        // The raw digest, its zero byte included.
        {"ZVXMD5", {"abc"}, "\x90\x01\x50\x98\x3c\xd2\x4f\xb0\xd6\x96\x3f\x7d\x28\xe1\x7f\x72"},
        {"ZVXMD5", {}, "\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e"s}};
    for (const auto& [name, args, expected] : cases)
        EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
}

TEST_F(OwnMacros, ReplaceCannotGrowPastTheCap) {
    EXPECT_EQ(run("ZVXREPLACE", {std::string(4096, 'a'), "a", std::string(8192, 'b')}).size(),
              kMaxParamText);
    EXPECT_TRUE(logged("ZVXREPLACE: result cut"));
}

TEST_F(OwnMacros, RandomTextLengthAndDigits) {
    EXPECT_EQ(run("ZVXRND", {"5", "1"}), "00000");
    EXPECT_EQ(run("ZVXRND", {"0", "10"}).size(), 1u);
    EXPECT_EQ(run("ZVXRND", {"-4", "10"}).size(), 1u);
    const std::string digits = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    EXPECT_EQ(run("ZVXRND", {"500"}).find_first_not_of(digits.substr(0, 10)), std::string::npos);
    EXPECT_EQ(run("ZVXRND", {"500", "16"}).find_first_not_of(digits.substr(0, 16)),
              std::string::npos);
    const std::string wide = run("ZVXRND", {"2000", "99"});
    EXPECT_EQ(wide.find_first_not_of(digits), std::string::npos);
    EXPECT_NE(wide.find('Z'), std::string::npos);  // all 36 digits in use
    EXPECT_EQ(run("ZVXRND", {"2000000000", "2"}).size(),
              static_cast<std::size_t>(own::kMaxRandomLength));
}

}  // namespace
}  // namespace qbx::macros
