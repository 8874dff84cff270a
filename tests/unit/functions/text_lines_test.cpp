// The line-list work of the text macros, without a module context: golden texts for each
// operation, the two line readers against each other, and the bounds.
#include "functions/text/lines.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "functions/text/text_builder.h"

namespace qbx::functions::text {
namespace {

constexpr std::size_t kRoom = 1 << 20;

using Lines = std::vector<std::string>;

Lines forward(std::string_view text) {
    Lines lines;
    LineReader reader(text);
    for (std::string_view line; reader.next(line);) lines.emplace_back(line);
    return lines;
}

Lines backward(std::string_view text) {
    Lines lines;
    BackwardLineReader reader(text);
    for (std::string_view line; reader.next(line);) lines.emplace_back(line);
    return Lines(lines.rbegin(), lines.rend());
}

TEST(TextLines, ReadersSplitAtEveryKindOfBreakBothWays) {
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},  // a final break starts no line
        {"\r\n", {""}},
        {"a\r\n\r\n", {"a", ""}},
        {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"\r\r\n\n", {"", "", ""}},
        {"\n\r", {"", ""}},
        {"x\r\n\ny\r", {"x", "", "y"}},
    };
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(forward(text), lines) << text;
        EXPECT_EQ(backward(text), lines) << text;
        EXPECT_EQ(lineCount(text), lines.size()) << text;
    }
}

TEST(TextLines, WrapCutsOneStreamOfPrintableCharacters) {
    const std::vector<std::tuple<std::string, std::int32_t, std::string, std::string>> cases = {
        {"abcdefg", 3, "\\", "abc\\\r\ndef\\\r\ng"},
        {"ab\r\ncd\tef", 3, "|", "abc|\r\ndef"},  // breaks and tabs are dropped
        {"abcdef", 3, "\\", "abc\\\r\ndef"},      // nothing after the last full line
        {"abcdef", 2, "", "ab\r\ncd\r\nef"},
        {"abcdefg", 1, "\\", ""},
        {"abcdefg", 0, "\\", ""},
        {"abcdefg", -5, "\\", ""},
    };
    for (const auto& [text, width, separator, expected] : cases)
        EXPECT_EQ(wrapText(text, width, separator, kRoom).text, expected) << text << width;
    // A width past the clamp is the clamp.
    const std::string longLine(70000, 'x');
    EXPECT_EQ(wrapText(longLine, 1 << 30, "", kRoom).text.find("\r\n"),
              static_cast<std::size_t>(kMaxLineWidth));
}

TEST(TextLines, WordsCutAtSeparatorsButNotInsideQuotes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a b,c;;d", "a\r\nb\r\nc\r\nd\r\n"},
        {"'a b' c", "'a b'\r\nc\r\n"},
        {"x\"1;2\"y z", "x\"1;2\"y\r\nz\r\n"},
        {"a\r\n\r\nb", "a\r\nb\r\n"},
        {"'it\"s; x' y", "'it\"s; x'\r\ny\r\n"},  // the other quote does not close
        {"'open; to\r\nthe end", "'open; to\r\nthe end\r\n"},
        {" ,; ", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(splitToLines(text, " ,;", kRoom).text, expected) << text;
}

TEST(TextLines, FiltersAndTrims) {
    EXPECT_EQ(killEmptyLines("a\r\n  \r\n\tb \n\nc\n", kRoom).text, "a\r\n\tb \r\nc");
    EXPECT_EQ(trimLines(" a \n\tb\t\r\n\r\n", kRoom).text, "a\r\nb\r\n\r\n");
    const std::vector<std::pair<std::string, std::string>> plain = {
        {"hello", " hello"},  // one line keeps its leading blank
        {"  a  \r\n\r\n b\r\n", "a b"},
        {"a\n   \nb", "a b"},
        {"   \nb", " b"},
        {"a\n \t", "a "},  // not trimmed at the end
        {"", ""},
    };
    for (const auto& [text, expected] : plain) EXPECT_EQ(makePlain(text, kRoom).text, expected);
}

TEST(TextLines, FillFramesPadsAndCuts) {
    struct Case {
        FillRequest request;
        std::string expected;
    };
    const auto fill = [](std::string_view text, char c, std::int32_t width, std::int32_t align) {
        FillRequest r;
        r.text = text;
        r.fill = c;
        r.width = width;
        r.alignment = align;
        return r;
    };
    FillRequest framed = fill("a\nb", '=', 3, 1);
    framed.above = 1;
    framed.below = 2;
    FillRequest missingMarker = framed;
    missingMarker.marker = "#";
    FillRequest signature = fill("one\r\ntwo\r\n--\r\nsig", '*', 5, 1);
    signature.marker = "--";
    FillRequest bracketed = fill("x", '.', 7, 1);
    bracketed.prefix = "[";
    bracketed.suffix = "]";
    FillRequest longWithBreak = fill("abcdef", '*', 3, 1);
    longWithBreak.suffix = "\r\n";
    FillRequest shortWithBreak = fill("a", '*', 5, 1);
    shortWithBreak.suffix = "\r\n";
    const std::vector<Case> cases = {
        {fill("abc", '*', 10, 7), "****abc***"},
        {framed, "===\r\na==\r\nb==\r\n===\r\n==="},
        {missingMarker, "===\r\n===\r\n==="},
        {signature, "one**\r\ntwo**"},
        {fill("a\r\n\r\nb", '-', 4, 1), "a---\r\n----\r\nb---"},
        {fill("a\r\n\r\nb", '-', 0, 1), "a\r\n\r\nb"},
        {fill("abcdef", '*', 3, 1), "abcdef"},  // long lines are not cut...
        {longWithBreak, "abc"},                 // ...unless they end in CR LF
        {shortWithBreak, "a\r\n**"},
        {bracketed, "[x]...."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fillLines(c.request, kRoom).text, c.expected) << c.request.text;

    FillRequest wide = fill("a", '*', 1 << 30, 1);
    EXPECT_EQ(fillLines(wide, kRoom).text.size(), static_cast<std::size_t>(kMaxLineWidth));
    FillRequest tall = fill("", '*', 10, 1);
    tall.above = tall.below = 2000000000;
    const BoundedText frames = fillLines(tall, std::size_t{16} << 20);
    EXPECT_FALSE(frames.cut);
    EXPECT_LE(frames.text.size(), 2 * kMaxCountedText);
    EXPECT_GT(frames.text.size(), kMaxCountedText);
}

TEST(TextLines, CiteKeepsHeadAndTail) {
    std::string ten;
    for (int i = 1; i <= 10; ++i) ten += "l" + std::to_string(i) + (i < 10 ? "\r\n" : "");
    const std::vector<std::tuple<std::string, std::int32_t, std::string>> cases = {
        {"[...]", 4, "l1\r\nl2\r\n[...]\r\nl9\r\nl10\r\n"},
        {"[...]", 5, "l1\r\nl2\r\n[...]\r\nl8\r\nl9\r\nl10\r\n"},
        {"", 4, "l1\r\nl2\r\nl9\r\nl10\r\n"},
        {"[...]", 1, "[...]\r\nl10\r\n"},
        {"[...]", 0, "[...]\r\n"},
        {"[...]", -3, "[...]\r\n"},
        {"[...]", 10, ten},  // unchanged, without a final break
        {"[...]", 2000000000, ten},
    };
    for (const auto& [marker, count, expected] : cases)
        EXPECT_EQ(citeText(ten, marker, count, kRoom).text, expected) << count;
}

TEST(TextLines, DecorationsQuotesAndReversal) {
    EXPECT_EQ(prefixSuffixLines("a\nb\n", "> ", "<", kRoom).text, "> a<\r\n> b<\r\n");
    EXPECT_EQ(prefixSuffixLines("", "> ", "<", kRoom).text, "");
    const std::string quoted = "a\r\n> b\r\n>> c\r\nd >>e\r\n> > f";
    EXPECT_EQ(killCite(quoted, 2, kRoom).text, "a\r\n> b\r\n> > f\r\n");
    EXPECT_EQ(killCite(quoted, 1, kRoom).text, "a\r\n");
    EXPECT_EQ(killCite(quoted, 0, kRoom).text, quoted);
    EXPECT_EQ(killCite(quoted, 2000000000, kRoom).text, "a\r\n> b\r\n>> c\r\nd >>e\r\n> > f\r\n");
    EXPECT_EQ(reverseEachLine("abc\r\nde\n", kRoom).text, "cba\r\ned\r\n");
    EXPECT_EQ(reverseAll("abc\r\nde\n", kRoom).text, "ed\r\ncba\r\n");
    EXPECT_EQ(reverseAll("a\r\rb", kRoom).text, "b\r\n\r\na\r\n");
}

TEST(TextLines, KeyedLineOfAFile) {
    const std::string contents = "alpha one two\r\nbeta\r\nALPHA x\r\n";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"alpha", "one two"}, {"al", "one two"}, {"beta", "beta"},  // no blank: the whole line
        {"ALPHA", "x"},       {"gamma", ""},     {"", "one two"},
    };
    for (const auto& [key, expected] : cases) EXPECT_EQ(getLine(contents, key), expected) << key;
}

TEST(TextLines, ResultsStopAtTheirBound) {
    const BoundedText decorated = prefixSuffixLines("a\nb", "xxxx", "", 6);
    EXPECT_EQ(decorated.text, "xxxxa\r");
    EXPECT_TRUE(decorated.cut);
    EXPECT_FALSE(reverseEachLine("ab", 4).cut);  // "ba\r\n" is exactly the bound
    EXPECT_TRUE(reverseEachLine("abc", 4).cut);

    TextBuilder builder(4);
    EXPECT_TRUE(builder.append("abcd"));
    EXPECT_TRUE(builder.append(""));
    EXPECT_FALSE(builder.full());
    EXPECT_FALSE(builder.append(1, 'e'));
    EXPECT_TRUE(builder.full());
    EXPECT_EQ(builder.take().text, "abcd");
}

}  // namespace
}  // namespace qbx::functions::text
