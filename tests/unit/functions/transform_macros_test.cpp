// The text transformation macros called as the host calls them: how each reads its arguments
// (texts, numbers, letters, the message text for an empty argument), their edge cases,
// and what a failure answers and logs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "macros/arguments.h"
#include "macros/macro_call.h"
#include "platform/charset_converter.h"
#include "support/macro_fixture.h"

namespace qbx::functions::text {
namespace {

using Args = std::vector<std::string>;

class TransformMacros : public test::MacroFixture {
protected:
    void expectAll(const std::vector<std::tuple<std::string, Args, std::string>>& cases) {
        for (const auto& [name, args, expected] : cases)
            EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
    }
};

TEST_F(TransformMacros, WrapCountAndSplit) {
    expectAll({
        {"ZVXWRAP", {"abc\r\ndefg", "3"}, "abc\\\r\ndef\\\r\ng"},
        {"ZVXWRAP", {"abcdefg", "1"}, ""},
        {"ZVXWRAP", {"abcdefg", "0"}, ""},
        {"ZVXSYMCNT", {"a\tb c\r\n"}, "4"},
        {"ZVXLINCNT", {"a\r\nb\n"}, "2"},
        {"ZVXEXTRACTSTR", {"a, b;c 'd e'"}, "a\r\nb\r\nc\r\n'd e'\r\n"},
        {"ZVXSEPARATOR", {"-", "5"}, "-----"},
        {"ZVXSEPARATOR", {"-", "-1"}, ""},
        {"ZVXKILLEMPTYSTR", {"a\r\n \r\nb\r\n"}, "a\r\nb"},
        {"ZVXSTRTRIM", {" a \r\n b"}, "a\r\nb\r\n"},
        {"ZVXMKPLAIN", {"hello"}, " hello"},
    });
}

TEST_F(TransformMacros, FillAlignsAndFrames) {
    expectAll({
        {"ZVXFILL", {"hi", "*", "10", "", "", "0", "0", "1"}, "hi********"},
        {"ZVXFILL", {"hi", "*", "10", "", "", "0", "0", "2"}, "********hi"},
        {"ZVXFILL", {"hi", "*", "10", "", "", "0", "0", "0"}, "****hi****"},
        {"ZVXFILL", {"abc", "*", "10"}, "****abc***"},
        {"ZVXFILL", {"hi", "*", "4", "", "", "1", "1", "1", "#"}, "****\r\n****"},
        {"ZVXFILL", {"hi", "", "4", "<", ">", "0", "0", "1"}, "<hi>"},
        {"ZVXFILL", {"hi", "", "5", "", "", "0", "0", "1"}, "hi   "},  // no letter: a blank
        {"ZVXFILL", {"hi", "-", "-4", "", "", "-1", "-1"}, "hi"},
    });
}

TEST_F(TransformMacros, GrepLettersGroupsAndRepeats) {
    const std::string ten = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)";
    expectAll({
        {"ZVXGREP", {"a1 b2", "([a-z])(\\d)", "C", "12", "S"}, "a 1,b 2"},
        {"ZVXGREP", {"abcdefghij", ten, "C", "A"}, "j"},
        {"ZVXGREP", {"a1 b2", "([a-z])(\\d)", "l", "12", "X"}, "a\r\n1\r\nb\r\n2"},
        {"ZVXGREP", {"a1 b2", "([a-z])(\\d)", "s", "12", "n"}, "a1 b2"},
        {"ZVXGREP", {"a1 b2", "\\w\\d", "Q"}, "a1b2"},  // no such letter: nothing between
        {"ZVXGREP", {"a b a", "\\w", "C", "", "", "N"}, "a,b"},
        {"ZVXGREP", {"a b a", "\\w", "C", "", "", "n"}, "a,b,a"},
        {"ZVXREPLACEREGEXP", {"\xA8\xEB\xEA\xE0", "(?i)^\xB8(\\w+)", "[$1]"}, "[\xEB\xEA\xE0]"},
    });
}

TEST_F(TransformMacros, AnExpressionThatFailsAnswersThePlaceholderAndIsLogged) {
    EXPECT_EQ(run("ZVXREPLACEREGEXP", {"abc", "(b", "x"}), "abc");
    EXPECT_TRUE(logged("@@ ZVXREPLACEREGEXP: "));
    EXPECT_TRUE(logged("parenthesis"));
    EXPECT_EQ(run("ZVXGREP", {"abc", "[b", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXGREP: "));

    const std::string runaway = std::string(20000, 'a') + "!";
    logLines.clear();
    EXPECT_EQ(run("ZVXREPLACEREGEXP", {runaway, "(a+)+$", "x"}), runaway);
    EXPECT_TRUE(logged("@@ ZVXREPLACEREGEXP: The complexity"));
    logLines.clear();
    EXPECT_EQ(run("ZVXGREP", {runaway, "(a|aa)*b", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXGREP: The complexity"));
}

// A clock that moves a second every time it is read.
class RacingClock : public test::FakeClock {
public:
    std::uint32_t tickCount() override { return tick += 1000; }
};

TEST_F(TransformMacros, AWalkPastItsTimeAnswersThePlaceholder) {
    RacingClock clock;
    plugin.platform.clock = &clock;
    EXPECT_EQ(run("ZVXGREP", {"aaaaaaaaaa", "a", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXGREP: matching stopped after 6000 ms"));
    EXPECT_EQ(run("ZVXREPLACEREGEXP", {"aaaaaaaaaa", "a", "b"}), "aaaaaaaaaa");
    EXPECT_TRUE(logged("@@ ZVXREPLACEREGEXP: matching stopped after 6000 ms"));
    plugin.platform.clock = &fake.clock;
}

// The call's time also ends a single search: one that would find its match only after the call's
// five seconds answers the placeholder, and the log gives the library's reason.
TEST_F(TransformMacros, ASearchPastTheCallsTimeGivesUpWithTheLibrarysReason) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "ab";
    text += "xc";
    RacingClock clock;
    plugin.platform.clock = &clock;
    EXPECT_EQ(run("ZVXGREP", {text, "(a|b)*c", "C"}), "");
    EXPECT_TRUE(logged("@@ ZVXGREP: The complexity of matching"));
    EXPECT_EQ(run("ZVXREPLACEREGEXP", {text, "(a|b)*c", "x"}), text);
    EXPECT_TRUE(logged("@@ ZVXREPLACEREGEXP: The complexity of matching"));
    plugin.platform.clock = &fake.clock;
    EXPECT_EQ(run("ZVXGREP", {text, "(a|b)*c", "C"}), "c");
}

TEST_F(TransformMacros, CiteAndLinksReadTheMessageForAnEmptyText) {
    std::string ten;
    for (int i = 1; i <= 10; ++i) ten += "l" + std::to_string(i) + "\r\n";
    data.items[macros::kTextItem] = ten + "see http://a.b/c?d=e\r\n";
    expectAll({
        {"ZVXCITE", {ten, "[...]", "4"}, "l1\r\nl2\r\n[...]\r\nl9\r\nl10\r\n"},
        {"ZVXCITE", {ten, "[...]", "10"}, ten},
        {"ZVXCITE", {"", "~", "2"}, "l1\r\n~\r\nsee http://a.b/c?d=e\r\n"},
        {"ZVXGETLINKS", {}, "http://a.b/c"},
        {"ZVXGETLINKS", {"x https://s.t/ ftp://u.v/w=1"}, "ftp://u.v/w"},
    });
}

TEST_F(TransformMacros, LineDecorationsReversalAndCharacters) {
    expectAll({
        {"ZVXPS", {"a\r\nb", "> ", "|"}, "> a|\r\n> b|\r\n"},
        {"ZVXKILLCITE", {"a\r\n> b\r\n>> c\r\nd >> e", "2"}, "a\r\n> b\r\n"},
        {"ZVXREVERSE", {"ab\r\ncd", "L"}, "dc\r\nba\r\n"},
        {"ZVXREVERSE", {"ab\r\ncd", "l"}, "ba\r\ndc\r\n"},  // "L" exactly
        {"ZVXMKLINK", {"a b\xE9", "A"}, "a b%E9"},
        {"ZVXMKLINK", {"a b\xE9"}, "a%20b%E9"},
        {"ZVXREPLACECHAR", {"a.b.c", ".", "::"}, "a::b::c"},
        {"ZVXREPLACECHAR", {"a b", "", "_"}, "a_b"},  // no letter: the blank
        {"ZVXCNT", {"Hello, \xEC\xE8\xF0!", "P"}, "2"},
        {"ZVXCNT", {"Hello, \xEC\xE8\xF0!", "S"}, "1"},
        {"ZVXCNT", {"Hello, \xEC\xE8\xF0!", "p"}, "8"},  // letters
    });
}

TEST_F(TransformMacros, DecodedLinesAreLogged) {
    // Cyrillic in the module's text: itself in 1251, a "?" each in the DLL under Wine's 1252.
    const std::string decoded = moduleTextCodePage() == 1251 ? "\xCF\xF0\xE8" : "???";
    EXPECT_EQ(run("ZVXDECODESTR", {"=?windows-1251?Q?=CF=F0=E8?=\r\nx"}), decoded + "\r\nx\r\n");
    EXPECT_TRUE(logged("=?windows-1251?Q?=CF=F0=E8?="));
    EXPECT_TRUE(logged(decoded));
}

TEST_F(TransformMacros, KeyedLineFromAFileInTheModulesFolder) {
    plugin.settings.installDir = "C:\\QBX\\";
    fake.files.put("C:\\QBX\\keys.txt", "one first line\r\ntwo second\r\n");
    fake.files.put("C:\\data\\k.txt", "k rooted\r\n");
    fake.files.put("D:\\k.txt", "k full\r\n");
    fake.files.makeUnreadable("C:\\QBX\\locked.txt");
    fake.files.put("C:\\QBX\\locked.txt", "k locked\r\n");
    expectAll({
        {"ZVXGETSTR", {"keys.txt", "two"}, "second"},
        {"ZVXGETSTR", {"keys.txt", "one"}, "first line"},
        {"ZVXGETSTR", {"keys.txt", "three"}, ""},
        {"ZVXGETSTR", {"\\data\\k.txt", "k"}, "rooted"},
        {"ZVXGETSTR", {"D:\\k.txt", "k"}, "full"},
    });
    EXPECT_FALSE(logged("cannot read"));
    EXPECT_EQ(run("ZVXGETSTR", {"none.txt", "k"}), "");
    EXPECT_TRUE(logged("@@ ZVXGETSTR: cannot read C:\\QBX\\none.txt: "));
    EXPECT_EQ(run("ZVXGETSTR", {"locked.txt", "k"}), "");
    EXPECT_TRUE(logged("@@ ZVXGETSTR: cannot read C:\\QBX\\locked.txt: Access is denied."));
    // Without a module folder a relative name names no file: the host's current folder is not
    // where the user's files are.
    plugin.settings.installDir.clear();
    fake.files.put("keys.txt", "two here\r\n");
    EXPECT_EQ(run("ZVXGETSTR", {"keys.txt", "two"}), "");
    EXPECT_TRUE(logged("@@ ZVXGETSTR: cannot read keys.txt: the module's folder is unknown"));
}

TEST_F(TransformMacros, CountedTextsAndTransformationsAreBounded) {
    EXPECT_EQ(run("ZVXSEPARATOR", {"ab", "2147483647"}).size(), std::size_t{1} << 20);
    EXPECT_FALSE(logged("result cut"));
    // A prefix a line longer than the whole result may be.
    const std::string lines(1000, '\n');
    EXPECT_EQ(run("ZVXPS", {lines, std::string(20000, 'p')}).size(), macros::kMaxParamText);
    EXPECT_TRUE(logged("@@ ZVXPS: result cut at 16777216 bytes"));
}

}  // namespace
}  // namespace qbx::functions::text
