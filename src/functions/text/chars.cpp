#include "functions/text/chars.h"

#include <algorithm>

#include "base/text.h"
#include "core/formatting.h"
#include "functions/text/lines.h"
#include "functions/text/text_builder.h"
#include "mail/mime_words.h"

namespace qbx::functions::text {
namespace {

constexpr std::string_view kPunctuation = "!\"'()*,-./:;?\\`";

std::size_t countOf(std::string_view text, bool (*counted)(unsigned char)) {
    return static_cast<std::size_t>(std::count_if(
        text.begin(), text.end(), [&](char c) { return counted(static_cast<unsigned char>(c)); }));
}

}  // namespace

std::size_t printableCharCount(std::string_view text) {
    return countOf(text, [](unsigned char c) { return c >= 32; });
}

std::size_t countLetters(std::string_view text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        const auto upper = static_cast<unsigned char>(toUpper1251(c));
        return (upper >= 'A' && upper <= 'Z') || (upper >= 0xC0 && upper <= 0xDF);
    }));
}

std::size_t countPunctuation(std::string_view text) {
    return countOf(text, [](unsigned char c) {
        return kPunctuation.find(static_cast<char>(c)) != std::string_view::npos;
    });
}

std::size_t countSpaces(std::string_view text) {
    return countOf(text, [](unsigned char c) { return c == ' '; });
}

BoundedText replaceChars(char character, std::string_view replacement, std::string_view text,
                         std::size_t maxSize) {
    TextBuilder out(maxSize);
    std::size_t from = 0;
    for (std::size_t at = text.find(character); at != std::string_view::npos;
         at = text.find(character, from)) {
        if (!out.append(text.substr(from, at - from)) || !out.append(replacement))
            return out.take();
        from = at + 1;
    }
    out.append(text.substr(from));
    return out.take();
}

std::string randomSeparator(std::string_view characters, std::int32_t count,
                            std::mt19937& generator) {
    if (count <= 0 || characters.empty()) return {};
    const std::size_t length = std::min(static_cast<std::size_t>(count), kMaxCountedText);
    std::uniform_int_distribution<std::size_t> pick(0, characters.size() - 1);
    std::string text(length, ' ');
    for (char& c : text) c = characters[pick(generator)];
    return text;
}

BoundedText percentEncodeWithin(std::string_view text, bool eightBitOnly, std::size_t maxSize) {
    const auto encode = [eightBitOnly](std::string_view piece) {
        return eightBitOnly ? percentEncode8Bit(piece) : percentEncodeAll(piece);
    };
    // Pieces keep the memory within the bound; the piece that does not fit goes byte by byte
    // so that the cut falls between escapes.
    constexpr std::size_t kPiece = 4096;
    BoundedText result{{}, false, maxSize};
    for (std::size_t at = 0; at < text.size(); at += kPiece) {
        const std::string_view piece = text.substr(at, kPiece);
        const std::string encoded = encode(piece);
        if (result.text.size() + encoded.size() <= maxSize) {
            result.text += encoded;
            continue;
        }
        for (const char c : piece) {
            const std::string one = encode(std::string_view(&c, 1));
            if (result.text.size() + one.size() > maxSize) break;
            result.text += one;
        }
        result.cut = true;
        break;
    }
    return result;
}

BoundedText decodeEncodedWords(std::string_view text, std::size_t maxSize,
                               const std::function<void(std::string_view)>& logLine) {
    TextBuilder out(maxSize);
    LineReader lines(text);
    for (std::string_view line; lines.next(line);) {
        logLine(line);
        const std::string decoded = mail::decodeMimeWords(line);
        logLine(decoded);
        if (!(out.append(decoded) && out.append("\r\n"))) break;
    }
    return out.take();
}

}  // namespace qbx::functions::text
