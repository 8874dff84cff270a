#include "macros/marked_text.h"

#include <algorithm>

#include "base/text.h"

namespace qbx::macros {

MarkedText templateText(std::string_view text) {
    if (text.empty()) return {};
    return MarkedText{TextPiece{std::string(text), false}};
}

MarkedText dataText(std::string_view text, bool fromMessage) {
    if (text.empty()) return {};
    return MarkedText{TextPiece{std::string(text), true, fromMessage}};
}

std::string flatten(const MarkedText& text) {
    std::size_t size = 0;
    for (const TextPiece& piece : text) size += piece.text.size();
    std::string out;
    out.reserve(size);
    for (const TextPiece& piece : text) out += piece.text;
    return out;
}

bool holdsData(const MarkedText& text) {
    return std::any_of(text.begin(), text.end(),
                       [](const TextPiece& piece) { return piece.isData && !piece.text.empty(); });
}

bool holdsMessageText(const MarkedText& text) {
    return std::any_of(text.begin(), text.end(), [](const TextPiece& piece) {
        return piece.fromMessage && !piece.text.empty();
    });
}

void markFromMessage(MarkedText& text) {
    for (TextPiece& piece : text) piece.fromMessage = true;
}

void trimMarked(MarkedText& text) {
    while (!text.empty()) {
        std::string& front = text.front().text;
        std::size_t first = 0;
        while (first < front.size() && isBlankOrControl(front[first])) ++first;
        front.erase(0, first);
        if (!front.empty()) break;
        text.erase(text.begin());
    }
    while (!text.empty()) {
        std::string& back = text.back().text;
        while (!back.empty() && isBlankOrControl(back.back())) back.pop_back();
        if (!back.empty()) break;
        text.pop_back();
    }
}

std::string HeldTexts::hold(std::string_view data, bool fromMessage) {
    // Past the bounds, data stands for the empty text.
    std::size_t index = kEmptyPiece;
    if (pieces_.size() < kMaxHeldPieces && bytes_ + data.size() <= kMaxHeldBytes) {
        index = pieces_.size();
        pieces_.push_back(Held{std::string(data), fromMessage});
        bytes_ += data.size();
    }
    std::string placeholder(kPlaceholderSize, '0');
    placeholder[0] = kHeldMark;
    for (std::size_t i = kPlaceholderSize - 1, rest = index; rest != 0; --i, rest /= 10)
        placeholder[i] = static_cast<char>('0' + rest % 10);
    return placeholder;
}

std::string HeldTexts::admit(const MarkedText& text) {
    std::string out;
    for (const TextPiece& piece : text) {
        if (piece.isData) {
            if (!piece.text.empty()) out += hold(piece.text, piece.fromMessage);
            continue;
        }
        if (piece.fromMessage && !piece.text.empty()) noteBareMessageText();
        std::size_t start = 0;
        for (std::size_t at = piece.text.find(kHeldMark); at != std::string::npos;
             at = piece.text.find(kHeldMark, start)) {
            out.append(piece.text, start, at - start);
            out += hold(std::string_view(&kHeldMark, 1));
            start = at + 1;
        }
        out.append(piece.text, start, std::string::npos);
    }
    return out;
}

const HeldTexts::Held* HeldTexts::lookup(std::string_view encoded, std::size_t at) const {
    if (encoded.size() - at < kPlaceholderSize) return nullptr;
    std::size_t index = 0;
    for (std::size_t i = 1; i < kPlaceholderSize; ++i) {
        const char c = encoded[at + i];
        if (c < '0' || c > '9') return nullptr;
        index = index * 10 + static_cast<std::size_t>(c - '0');
    }
    static const Held empty;
    if (index == kEmptyPiece) return &empty;
    return index < pieces_.size() ? &pieces_[index] : nullptr;
}

std::string HeldTexts::reveal(std::string_view encoded, std::size_t limit) const {
    std::string out;
    forEachPiece(encoded, [&](std::string_view piece, bool, bool) {
        if (out.size() >= limit) return;
        out.append(piece.substr(0, limit - out.size()));
    });
    return out;
}

MarkedText HeldTexts::split(std::string_view encoded) const {
    MarkedText out;
    forEachPiece(encoded, [&](std::string_view piece, bool isData, bool fromMessage) {
        // Data pieces side by side are one; from the message when either is.
        if (!out.empty() && out.back().isData == isData) {
            out.back().text += piece;
            out.back().fromMessage = out.back().fromMessage || fromMessage;
        } else {
            out.push_back(TextPiece{std::string(piece), isData, fromMessage});
        }
    });
    // A number from the message may stand anywhere in the text: all of it counts.
    if (holdsBareMessageText()) markFromMessage(out);
    return out;
}

std::string HeldTexts::revealWindow(std::string_view encoded, std::size_t from,
                                    std::size_t count) const {
    from = std::min(from, encoded.size());
    // A mark less than a placeholder's length before the window opens the placeholder the
    // window starts in: placeholders hold no mark of their own.
    const std::size_t back = std::min(from, kPlaceholderSize - 1);
    const std::size_t mark = encoded.substr(from - back, back).rfind(kHeldMark);
    if (mark != std::string_view::npos) from = from - back + mark + kPlaceholderSize;
    from = std::min(from, encoded.size());
    return reveal(encoded.substr(from, count));
}

}  // namespace qbx::macros
