#include "base/uu_codec.h"

#include <cstdint>

namespace qbx {
namespace {

// Zero is written "`" rather than a blank: mail programs strip trailing blanks.
char encodeSix(unsigned value) { return value == 0 ? '`' : static_cast<char>(0x20 + value); }

unsigned decodeSix(char c) {
    return static_cast<unsigned>(static_cast<unsigned char>(c) - 0x20) & 0x3F;
}

void encodeLine(std::string& out, std::string_view bytes) {
    out += encodeSix(static_cast<unsigned>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const auto byte = [&](std::size_t k) -> unsigned {
            return i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u;
        };
        const unsigned group = (byte(0) << 16) | (byte(1) << 8) | byte(2);
        out += encodeSix((group >> 18) & 0x3F);
        out += encodeSix((group >> 12) & 0x3F);
        out += encodeSix((group >> 6) & 0x3F);
        out += encodeSix(group & 0x3F);
    }
    out += "\r\n";
}

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

}  // namespace

bool isUuDataLine(std::string_view line) {
    if (line.empty()) return false;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x60) return false;
    }
    const std::size_t bytes = decodeSix(line.front());
    if (bytes == 0 || bytes > kUuBytesPerLine) return false;
    const std::size_t fewest = 1 + (bytes * 4 + 2) / 3;
    const std::size_t most = 1 + (bytes + 2) / 3 * 4 + 2;
    return line.size() >= fewest && line.size() <= most;
}

std::string uuEncodeFile(std::string_view name, std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / kUuBytesPerLine * 63 + 64 + name.size());
    out += "begin 644 ";
    for (const char c : name)
        if (c != '\r' && c != '\n') out += c;
    out += "\r\n";
    for (std::size_t at = 0; at < bytes.size(); at += kUuBytesPerLine)
        encodeLine(out, bytes.substr(at, kUuBytesPerLine));
    out += "`\r\nend\r\n";
    return out;
}

std::string uuDecode(std::string_view text, std::size_t maxBytes) {
    std::string out;
    // A text that holds a block is read inside its begin and end lines only.
    const bool blocks =
        startsWith(text, "begin ") || text.find("\nbegin ") != std::string_view::npos;
    bool inside = false;
    std::size_t start = 0;
    while (start < text.size() && out.size() < maxBytes) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (startsWith(line, "begin ")) {
            inside = true;
            continue;
        }
        if (line == "end") {
            inside = false;
            continue;
        }
        if (line.empty() || (blocks && !inside)) continue;
        const std::size_t count = decodeSix(line.front());
        std::size_t taken = 0;
        for (std::size_t i = 1; i < line.size() && taken < count; i += 4) {
            const auto six = [&](std::size_t k) {
                return i + k < line.size() ? decodeSix(line[i + k]) : 0u;
            };
            const unsigned group = (six(0) << 18) | (six(1) << 12) | (six(2) << 6) | six(3);
            for (int shift = 16; shift >= 0 && taken < count && out.size() < maxBytes; shift -= 8) {
                out += static_cast<char>((group >> shift) & 0xFF);
                ++taken;
            }
        }
    }
    return out;
}

}  // namespace qbx
