// The line-list work of the text macros: counting, filtering, decorating, framing and
// reversing the lines of a text. A text is split at CR LF, CR or LF; a final line break starts
// no further line and an empty text has no lines. A "list text" is every line followed by
// CR LF, the last one included. Lines are read as views of the text, never copied into a
// list, and every result is built within the caller's bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx::functions::text {

// Widths are held within this (a line of a template has no use for more).
inline constexpr std::int32_t kMaxLineWidth = 64 * 1024;
// Texts built from counts (frame lines, random separators) are held within this.
inline constexpr std::size_t kMaxCountedText = std::size_t{1} << 20;

// The lines of a text, front to back.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// The lines of a text, back to front.
class BackwardLineReader {
public:
    explicit BackwardLineReader(std::string_view text);
    bool next(std::string_view& line);

private:
    std::string_view text_;
    std::size_t end_ = 0;
    bool done_ = false;
};

std::size_t lineCount(std::string_view text);

// The text's characters of code 32 and above in one stream, cut every width characters: the
// separator and CR LF end each full line. Empty for a width below 2; a width above
// kMaxLineWidth is kMaxLineWidth.
BoundedText wrapText(std::string_view text, std::int32_t width, std::string_view separator,
                     std::size_t maxSize);

// The words of the text cut at the separator characters and at CR and LF, as a list text;
// empty pieces are dropped, and a stretch in single or double quotes (the quotes kept) is not
// cut, not even at a line break.
BoundedText splitToLines(std::string_view text, std::string_view separators, std::size_t maxSize);

// The lines that hold more than blanks and control characters, as they are, joined by CR LF
// (none after the last).
BoundedText killEmptyLines(std::string_view text, std::size_t maxSize);

// Every line without blanks and control characters at either end, as a list text.
BoundedText trimLines(std::string_view text, std::size_t maxSize);

// The non-empty lines, trimmed, on one line: each step is trim(result) + " " + trim(line), so
// a single line keeps one leading blank.
BoundedText makePlain(std::string_view text, std::size_t maxSize);

struct FillRequest {
    std::string_view text;
    char fill = ' ';
    std::int32_t width = 0;
    std::string_view prefix;
    std::string_view suffix;
    std::int32_t above = 0;      // frame lines before the first line
    std::int32_t below = 0;      // frame lines after the last line
    std::int32_t alignment = 0;  // 1 text left, 2 text right, any other centred
    std::string_view marker;     // when given, only the text before it (none when it is missing)
};

// The lines of the text framed: an empty line becomes the frame line (the fill character width
// times), any other prefix + line + suffix padded with the fill character to width; a line
// longer than width that ends in CR LF is cut to width. The frame lines above and below are
// held within kMaxCountedText, the width within kMaxLineWidth. Lines joined by CR LF.
BoundedText fillLines(const FillRequest& request, std::size_t maxSize);

// The text when it has no more than count lines; otherwise its first count / 2 lines, the
// marker line (when the marker is not empty) and its last count - count / 2 lines, each
// followed by CR LF.
BoundedText citeText(std::string_view text, std::string_view marker, std::int32_t count,
                     std::size_t maxSize);

// Every line as prefix + line + suffix, as a list text.
BoundedText prefixSuffixLines(std::string_view text, std::string_view prefix,
                              std::string_view suffix, std::size_t maxSize);

// The lines without a run of depth ">" in them, as a list text; the text itself for a depth of
// 0 or less.
BoundedText killCite(std::string_view text, std::int32_t depth, std::size_t maxSize);

// Each line with its characters reversed, as a list text: in their order, or last line first.
BoundedText reverseEachLine(std::string_view text, std::size_t maxSize);
BoundedText reverseAll(std::string_view text, std::size_t maxSize);

// In the first line of the file's contents that begins with the key (case-sensitive): what
// follows its first blank, or the whole line when it has none. Empty when no line begins with
// the key.
std::string getLine(std::string_view contents, std::string_view key);

}  // namespace qbx::functions::text
