#include "base/cp1251.h"

#include <array>
#include <cstdint>

namespace qbx {
namespace {

// Characters of bytes 0x80 .. 0xBF; 0xC0 .. 0xFF are U+0410 .. U+044F in order.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

constexpr std::uint32_t kCyrillicA = 0x0410;

std::uint32_t toUnicode(unsigned char byte) {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return kCyrillicA + (byte - 0xC0u);
    return kHigh[byte - 0x80u];
}

char fromUnicode(std::uint32_t cp) {
    if (cp < 0x80) return static_cast<char>(cp);
    if (cp >= kCyrillicA && cp < kCyrillicA + 64)
        return static_cast<char>(0xC0 + (cp - kCyrillicA));
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

void appendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {  // the code page reaches no further than the Basic Multilingual Plane
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size());
    for (char c : cp1251) appendUtf8(out, toUnicode(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8ToCp1251(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Length and the range allowed for the second byte, which rules out overlong forms,
        // surrogates and values past U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        std::uint32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0Fu;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07u;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {  // stray continuation byte or a lead byte no valid sequence has
            out += '?';
            ++i;
            continue;
        }
        // One '?' replaces the longest valid prefix of a broken sequence; the byte that broke
        // it starts over.
        std::size_t used = 1;
        bool complete = true;
        for (; used < length; ++used) {
            if (i + used >= n) {
                complete = false;
                break;
            }
            const auto b = static_cast<unsigned char>(utf8[i + used]);
            const bool fits = used == 1 ? (b >= low && b <= high) : isContinuation(b);
            if (!fits) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3Fu);
        }
        out += complete ? fromUnicode(cp) : '?';
        i += used;
    }
    return out;
}

}  // namespace qbx
