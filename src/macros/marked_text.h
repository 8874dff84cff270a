// Template text and produced text, told apart. A template is what the user wrote: it may hold
// macro calls, variable references and the host's own macros. Everything a macro produces
// (message data, variables' values, results of calls, script and file contents) is data: it
// is never read for calls or references again, by us or by the host's expander.
//
// While a template is evaluated its data pieces are held aside and stand in the text as
// placeholders that no step of the expression language can read as anything: a mark byte
// that code page 1251 leaves unassigned and six digits. The placeholders travel through
// spacing, tokens, quoting and arithmetic like a word; only the last step puts the data back.
//
// Data is the user's own (a variable set from text the user wrote, a built-in variable, a
// macro's answer about the machine) or comes from the message, which a stranger wrote: the
// header lookups, the body, the host's own macros, and whatever a macro or variable computed
// from them. A piece knows which; a path, key or script name from the message is refused.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::macros {

struct TextPiece {
    std::string text;
    bool isData = false;
    // Derived from the message. A template piece can be too: a number computed from the
    // message stands bare in the text it was put into, and that whole text counts then.
    bool fromMessage = false;
    bool operator==(const TextPiece&) const = default;
};
using MarkedText = std::vector<TextPiece>;

MarkedText templateText(std::string_view text);
MarkedText dataText(std::string_view text, bool fromMessage = false);
std::string flatten(const MarkedText& text);
bool holdsData(const MarkedText& text);
bool holdsMessageText(const MarkedText& text);
// Every piece counted as derived from the message.
void markFromMessage(MarkedText& text);
// Blanks and control characters removed at both ends of the whole text.
void trimMarked(MarkedText& text);

inline constexpr char kHeldMark = '\x98';
inline constexpr std::size_t kPlaceholderSize = 7;     // the mark and six digits
inline constexpr std::size_t kMaxHeldPieces = 999999;  // the next index stands for ""
inline constexpr std::size_t kEmptyPiece = kMaxHeldPieces;
// Past this many bytes held in one evaluation, further data is held as the empty text.
inline constexpr std::size_t kMaxHeldBytes = std::size_t{16} << 20;

// The data pieces of one evaluation. Host thread only; lives as long as the evaluation.
class HeldTexts {
public:
    // The placeholder that stands for the data.
    std::string hold(std::string_view data, bool fromMessage = false);
    // The text to evaluate: template pieces as they are (a mark byte in them is held as data,
    // so that every mark in the result starts a placeholder), data pieces held. A template
    // piece from the message counts as a bare message text (below).
    std::string admit(const MarkedText& text);
    // Text from the message that stands bare in the evaluated text, where no placeholder
    // tells it apart: numbers (a call's answer, an Integer variable) and admitted template
    // pieces. Once there is any, whatever this evaluation passes on counts as from the message.
    void noteBareMessageText() { ++bareMessageTexts_; }
    bool holdsBareMessageText() const { return bareMessageTexts_ != 0; }
    // The text with its data put back, at most `limit` bytes.
    std::string reveal(std::string_view encoded, std::size_t limit = std::string::npos) const;
    // The same, piece by piece.
    MarkedText split(std::string_view encoded) const;
    // A part of an encoded text for a log line: the placeholder cut at its start is skipped.
    std::string revealWindow(std::string_view encoded, std::size_t from, std::size_t count) const;

    // Calls piece(text, isData, fromMessage) for each stretch of the encoded text, data put
    // back.
    template <typename Piece>
    void forEachPiece(std::string_view encoded, Piece&& piece) const {
        std::size_t start = 0;
        for (std::size_t at = encoded.find(kHeldMark); at != std::string_view::npos;
             at = encoded.find(kHeldMark, start)) {
            if (at > start) piece(encoded.substr(start, at - start), false, false);
            const Held* data = lookup(encoded, at);
            if (data != nullptr && !data->text.empty())
                piece(std::string_view(data->text), true, data->fromMessage);
            start = std::min(encoded.size(), at + (data != nullptr ? kPlaceholderSize : 1));
        }
        if (start < encoded.size()) piece(encoded.substr(start), false, false);
    }

private:
    struct Held {
        std::string text;
        bool fromMessage = false;
    };
    // The held text of the placeholder at `at`; null for a broken one (a cut text).
    const Held* lookup(std::string_view encoded, std::size_t at) const;

    std::vector<Held> pieces_;
    std::size_t bytes_ = 0;
    std::size_t bareMessageTexts_ = 0;
};

}  // namespace qbx::macros
