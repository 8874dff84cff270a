#include "mail/markup.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace qbx::mail {
namespace {

bool isAsciiLetter(char c) noexcept { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) noexcept { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) noexcept {
    return isAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

bool opensTag(char c) noexcept { return isAsciiLetter(c) || c == '/' || c == '!' || c == '?'; }

// The first occurrence of `what` at or after a place (the text's size when there is none),
// kept for the next question: asked with places that only grow, it reads every byte once, so
// that a body of "<" without ">" costs one pass, not one search per "<".
class NextOf {
public:
    NextOf(std::string_view text, std::string_view what) noexcept : text_(text), what_(what) {}

    std::size_t from(std::size_t at) noexcept {
        if (!searched_ || found_ < at) {
            found_ = std::min(text_.find(what_, at), text_.size());
            searched_ = true;
        }
        return found_;
    }

private:
    std::string_view text_;
    std::string_view what_;
    std::size_t found_ = 0;
    bool searched_ = false;
};

// Where an entity that starts with the "&" at `at` ends (one past its ";"); `at` when there is
// none.
std::size_t entityEnd(std::string_view text, std::size_t at) noexcept {
    const std::size_t limit = std::min(text.size(), at + 2 + kMaxEntityBytes);
    std::size_t i = at + 1;
    if (i < limit && text[i] == '#') {
        ++i;
        const bool hex = i < limit && (text[i] == 'x' || text[i] == 'X');
        if (hex) ++i;
        const std::size_t digits = i;
        while (i < limit && (hex ? isHexDigit(text[i]) : isAsciiDigit(text[i]))) ++i;
        if (i == digits) return at;
    } else {
        if (i >= limit || !isAsciiLetter(text[i])) return at;
        while (i < limit && (isAsciiLetter(text[i]) || isAsciiDigit(text[i]))) ++i;
    }
    return i < limit && text[i] == ';' ? i + 1 : at;
}

struct Span {
    std::size_t from = 0;
    std::size_t to = 0;  // empty when from == to
};

// The value of the tag's first href attribute, quotes left out; empty when it has none.
Span hrefValue(std::string_view tag) noexcept {
    constexpr std::string_view kName = "href";
    for (std::size_t i = 1; i + kName.size() < tag.size(); ++i) {
        if (!isBlank(tag[i - 1])) continue;
        bool named = true;
        for (std::size_t k = 0; k < kName.size() && named; ++k)
            named = lowerAscii(tag[i + k]) == kName[k];
        if (!named) continue;
        std::size_t p = i + kName.size();
        while (p < tag.size() && isBlank(tag[p])) ++p;
        if (p >= tag.size() || tag[p] != '=') {
            i = p - 1;  // the blanks passed over hold no name: each byte is read once
            continue;
        }
        ++p;
        while (p < tag.size() && isBlank(tag[p])) ++p;
        if (p >= tag.size()) return {};
        if (tag[p] == '"' || tag[p] == '\'') {
            const std::size_t end = tag.find(tag[p], p + 1);
            return end == std::string_view::npos ? Span{} : Span{p + 1, end};
        }
        std::size_t end = p;
        while (end < tag.size() && !isBlank(tag[end]) && tag[end] != '>') ++end;
        return {p, end};
    }
    return {};
}

}  // namespace

std::size_t blankMarkup(std::span<char> text) noexcept {
    const std::string_view view(text.data(), text.size());
    NextOf nextClose(view, ">");
    NextOf nextCommentEnd(view, "-->");
    std::size_t blanked = 0;
    const auto blank = [&](std::size_t from, std::size_t to) {
        if (to <= from) return;
        std::memset(text.data() + from, ' ', to - from);
        blanked += to - from;
    };
    // Only "<" and "&" open markup: the text between them is passed over by the library's
    // search rather than looked at byte by byte.
    NextOf nextOpen(view, "<");
    NextOf nextAmpersand(view, "&");
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        i = std::min(nextOpen.from(i), nextAmpersand.from(i));
        if (i >= n) break;
        const char c = text[i];
        if (c == '&') {
            const std::size_t end = entityEnd(view, i);
            if (end > i) {
                blank(i, end);
                i = end;
                continue;
            }
        } else if (c == '<' && i + 1 < n && opensTag(text[i + 1])) {
            if (view.substr(i, 4) == "<!--") {
                const std::size_t end = nextCommentEnd.from(i + 4);
                if (end < n && end - i <= kMaxCommentBytes) {
                    blank(i, end + 3);
                    i = end + 3;
                    continue;
                }
            }
            const std::size_t close = nextClose.from(i + 1);
            if (close < n && close - i <= kMaxTagBytes) {
                const Span link = hrefValue(view.substr(i, close - i));
                if (link.to > link.from) {
                    blank(i, i + link.from);
                    blank(i + link.to, close + 1);
                } else {
                    blank(i, close + 1);
                }
                i = close + 1;
                continue;
            }
        }
        ++i;
    }
    return blanked;
}

}  // namespace qbx::mail
