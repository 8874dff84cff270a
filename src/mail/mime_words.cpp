#include "mail/mime_words.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace qbx::mail {
namespace {

// Longer charset names are not names: the word is left as written.
constexpr std::size_t kMaxCharsetLength = kMaxCharsetNameLength;

bool isMimeBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Padding may only close the text; any other stray byte makes the word malformed. A final group
// of two or three characters still yields its one or two bytes, as mailers that drop the
// padding expect.
bool decodeBase64(std::string_view text, std::string& out) {
    std::uint32_t bits = 0;
    int held = 0;
    bool padding = false;
    for (char c : text) {
        if (c == '=') {
            padding = true;
            continue;
        }
        const int value = base64Value(c);
        if (value < 0 || padding) return false;
        bits = ((bits << 6) | static_cast<std::uint32_t>(value)) & 0xFFFFFFu;
        held += 6;
        if (held >= 8) {
            held -= 8;
            out += static_cast<char>((bits >> held) & 0xFFu);
        }
    }
    return true;
}

// "_" is the blank; "=XX" a byte; an "=" without two hex digits stays as it is.
void decodeQ(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
}

// The system knows the charsets; a charset it does not know, or a conversion it fails, keeps
// the bytes as they decoded. The text may not come out longer than the encoded word, so the
// whole result never outgrows the input.
std::string toModuleText(const CharsetConverter& converter, std::string_view charset,
                         std::string bytes, std::size_t maxBytes) {
    std::optional<std::string> text = converter.toModuleText(charset, bytes, maxBytes);
    return text ? std::move(*text) : std::move(bytes);
}

struct EncodedWord {
    std::size_t end = 0;  // just past "?="
    std::string decoded;
};

// The word that begins with "=?" at `start`. Each scan stops at the next "?" or blank, so a run
// of failed attempts reads every byte a bounded number of times.
bool parseWord(std::string_view text, std::size_t start, const CharsetConverter& converter,
               EncodedWord& word) {
    std::size_t i = start + 2;
    const std::size_t charsetStart = i;
    while (i < text.size() && text[i] != '?' && !isMimeBlank(text[i]) &&
           i - charsetStart <= kMaxCharsetLength)
        ++i;
    if (i >= text.size() || text[i] != '?' || i == charsetStart) return false;
    std::string_view charset = text.substr(charsetStart, i - charsetStart);
    if (charset.size() > kMaxCharsetLength) return false;
    // A language tag after "*" says nothing about the bytes.
    if (const std::size_t star = charset.find('*'); star != std::string_view::npos)
        charset = charset.substr(0, star);
    ++i;
    if (i + 1 >= text.size() || text[i + 1] != '?') return false;
    const char encoding = text[i];
    if (encoding != 'B' && encoding != 'b' && encoding != 'Q' && encoding != 'q') return false;
    i += 2;
    const std::size_t textStart = i;
    while (i < text.size() && text[i] != '?' && !isMimeBlank(text[i])) ++i;
    if (i + 1 >= text.size() || text[i] != '?' || text[i + 1] != '=') return false;
    const std::string_view encoded = text.substr(textStart, i - textStart);
    std::string bytes;
    if (encoding == 'B' || encoding == 'b') {
        if (!decodeBase64(encoded, bytes)) return false;
    } else {
        decodeQ(encoded, bytes);
    }
    word.end = i + 2;
    word.decoded = toModuleText(converter, charset, std::move(bytes), word.end - start);
    return true;
}

bool allBlank(std::string_view text) {
    for (char c : text)
        if (!isMimeBlank(c)) return false;
    return true;
}

}  // namespace

std::string decodeMimeWords(std::string_view text, const CharsetConverter& converter) {
    if (text.size() > kMaxMimeWordsInput || text.find("=?") == std::string_view::npos)
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;  // text before this is in `out` already
    std::size_t pos = 0;
    bool afterWord = false;
    EncodedWord word;
    for (;;) {
        const std::size_t start = text.find("=?", pos);
        if (start == std::string_view::npos) break;
        if (!parseWord(text, start, converter, word)) {
            pos = start + 1;
            continue;
        }
        const std::string_view gap = text.substr(copied, start - copied);
        if (!(afterWord && allBlank(gap))) {
            out.append(gap);
        }
        out += word.decoded;
        copied = pos = word.end;
        afterWord = true;
    }
    out.append(text.substr(copied));
    return out;
}

std::string decodeMimeWords(std::string_view text) {
    return decodeMimeWords(text, systemCharsetConverter());
}

}  // namespace qbx::mail
