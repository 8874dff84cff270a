#include "ui/dialog/pascal_highlight.h"

#include <algorithm>
#include <array>
#include <string>

namespace qbx::ui {
namespace {

// Sorted, lower case: looked up by binary search.
constexpr std::array<std::string_view, 64> kKeywords = {
    "and",
    "array",
    "as",
    "asm",
    "begin",
    "case",
    "class",
    "const",
    "constructor",
    "destructor",
    "div",
    "do",
    "downto",
    "else",
    "end",
    "except",
    "exports",
    "file",
    "finalization",
    "finally",
    "for",
    "function",
    "goto",
    "if",
    "implementation",
    "in",
    "inherited",
    "initialization",
    "inline",
    "interface",
    "is",
    "label",
    "library",
    "mod",
    "nil",
    "not",
    "object",
    "of",
    "or",
    "out",
    "packed",
    "procedure",
    "program",
    "property",
    "raise",
    "record",
    "repeat",
    "resourcestring",
    "set",
    "shl",
    "shr",
    "string",
    "then",
    "threadvar",
    "to",
    "try",
    "type",
    "unit",
    "until",
    "uses",
    "var",
    "while",
    "with",
    "xor",
};

bool isKeyword(std::string_view word) {
    if (word.size() > 16) return false;
    std::string lower(word);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return std::binary_search(kKeywords.begin(), kKeywords.end(), std::string_view(lower));
}

bool isIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

}  // namespace

std::vector<HighlightRange> highlightPascal(std::string_view source) {
    const std::string_view s = source.substr(0, std::min(source.size(), kMaxHighlightedBytes));
    std::vector<HighlightRange> ranges;
    const auto add = [&](std::size_t start, std::size_t end, Highlight kind) {
        if (end > start) ranges.push_back({start, end - start, kind});
    };
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const char c = s[i];
        const std::size_t start = i;
        if (c == '{') {
            const std::size_t close = s.find('}', i + 1);
            i = close == std::string_view::npos ? n : close + 1;
            add(start, i, Highlight::Comment);
        } else if (c == '(' && i + 1 < n && s[i + 1] == '*') {
            const std::size_t close = s.find("*)", i + 2);
            i = close == std::string_view::npos ? n : close + 2;
            add(start, i, Highlight::Comment);
        } else if (c == '/' && i + 1 < n && s[i + 1] == '/') {
            const std::size_t eol = s.find_first_of("\r\n", i);
            i = eol == std::string_view::npos ? n : eol;
            add(start, i, Highlight::Comment);
        } else if (c == '\'' || c == '#') {
            // A string literal is a run of quoted parts and #codes: 'It''s'#13#10'done'.
            while (i < n && (s[i] == '\'' || s[i] == '#')) {
                if (s[i] == '#') {
                    ++i;
                    if (i < n && s[i] == '$') {
                        ++i;
                        while (i < n && isHexDigit(s[i])) ++i;
                    } else {
                        while (i < n && isDigit(s[i])) ++i;
                    }
                    continue;
                }
                ++i;
                // A quote left open ends with its line, as the compiler reads it.
                while (i < n && s[i] != '\r' && s[i] != '\n') {
                    if (s[i] == '\'') {
                        if (i + 1 < n && s[i + 1] == '\'') {
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    ++i;
                }
            }
            add(start, i, Highlight::String);
        } else if (isDigit(c) || (c == '$' && i + 1 < n && isHexDigit(s[i + 1]))) {
            if (c == '$') {
                ++i;
                while (i < n && isHexDigit(s[i])) ++i;
            } else {
                while (i < n && isDigit(s[i])) ++i;
                // "1..5" is a range of two numbers, not a real number.
                if (i + 1 < n && s[i] == '.' && isDigit(s[i + 1])) {
                    ++i;
                    while (i < n && isDigit(s[i])) ++i;
                }
                if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                    std::size_t j = i + 1;
                    if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
                    if (j < n && isDigit(s[j])) {
                        i = j;
                        while (i < n && isDigit(s[i])) ++i;
                    }
                }
            }
            add(start, i, Highlight::Number);
        } else if (isIdentStart(c)) {
            while (i < n && (isIdentStart(s[i]) || isDigit(s[i]))) ++i;
            if (isKeyword(s.substr(start, i - start))) add(start, i, Highlight::Keyword);
        } else {
            ++i;
        }
    }
    return ranges;
}

}  // namespace qbx::ui
