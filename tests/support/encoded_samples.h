// Attachment data as mailers write it into message bodies, for the tests of the word counters
// that must pass it by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qbx::test {

// Bytes that look like a compressed file: a reproducible pseudo-random run.
inline std::string noiseBytes(std::size_t size, std::uint32_t seed = 7) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 23);
    }
    return bytes;
}

// Base64 as MIME encoders write it: `width` characters a line, "=" padding on the last.
inline std::string base64Lines(std::string_view bytes, std::size_t width = 76,
                               std::string_view lineEnd = "\r\n") {
    static constexpr char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string flat;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group =
                group << 8 | (i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            flat += k <= bytes.size() - i ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
    }
    std::string out;
    for (std::size_t i = 0; i < flat.size(); i += width) out.append(flat, i, width).append(lineEnd);
    return out;
}

// uuencode's data lines (CR LF): a count character, then groups of four within 0x21..0x60.
inline std::string uuLines(std::string_view bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 45) {
        const std::string_view chunk = bytes.substr(i, 45);
        out += static_cast<char>(0x20 + chunk.size());
        for (std::size_t j = 0; j < chunk.size(); j += 3) {
            std::uint32_t group = 0;
            for (std::size_t k = 0; k < 3; ++k)
                group = group << 8 |
                        (j + k < chunk.size() ? static_cast<unsigned char>(chunk[j + k]) : 0u);
            for (int k = 3; k >= 0; --k) {
                const auto six = static_cast<char>((group >> (6 * k)) & 63);
                out += six == 0 ? '`' : static_cast<char>(0x20 + six);
            }
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace qbx::test
