#include "base/text.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace qbx {
namespace {

// Code page 1251 case pairs beyond ASCII: the Cyrillic alphabet and a few letters of the
// other Cyrillic languages that the code page carries.
constexpr std::array<std::pair<unsigned char, unsigned char>, 15> kExtraPairs = {{
    {0xA8, 0xB8},  // Ё ё
    {0x80, 0x90},  // Ђ ђ
    {0x81, 0x83},  // Ѓ ѓ
    {0x8A, 0x9A},  // Љ љ
    {0x8C, 0x9C},  // Њ њ
    {0x8D, 0x9D},  // Ќ ќ
    {0x8E, 0x9E},  // Ћ ћ
    {0x8F, 0x9F},  // Џ џ
    {0xA1, 0xA2},  // Ў ў
    {0xA3, 0xBC},  // Ј ј
    {0xA5, 0xB4},  // Ґ ґ
    {0xAA, 0xBA},  // Є є
    {0xAF, 0xBF},  // Ї ї
    {0xB2, 0xB3},  // І і
    {0xBD, 0xBE},  // Ѕ ѕ
}};

struct CaseTables {
    std::array<unsigned char, 256> upper{};
    std::array<unsigned char, 256> lower{};
    constexpr CaseTables() {
        for (int c = 0; c < 256; ++c) {
            upper[c] = static_cast<unsigned char>(c);
            lower[c] = static_cast<unsigned char>(c);
        }
        for (int c = 'a'; c <= 'z'; ++c) {
            upper[c] = static_cast<unsigned char>(c - 32);
            lower[c - 32] = static_cast<unsigned char>(c);
        }
        for (int c = 0xE0; c <= 0xFF; ++c) {  // а..я / А..Я
            upper[c] = static_cast<unsigned char>(c - 32);
            lower[c - 32] = static_cast<unsigned char>(c);
        }
        for (auto [up, low] : kExtraPairs) {
            upper[low] = up;
            lower[up] = low;
        }
    }
};

constexpr CaseTables kCase{};

}  // namespace

char toUpper1251(char c) { return static_cast<char>(kCase.upper[static_cast<unsigned char>(c)]); }

char toLower1251(char c) { return static_cast<char>(kCase.lower[static_cast<unsigned char>(c)]); }

std::string toUpper1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = toUpper1251(c);
    return out;
}

std::string toLower1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = toLower1251(c);
    return out;
}

bool equalsIgnoreCase1251(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (toUpper1251(a[i]) != toUpper1251(b[i])) return false;
    return true;
}

std::string decimal(std::int64_t value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec;
    return std::string(buf, end);
}

std::string hexUpper(std::uint64_t value) {
    char buf[20];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, 16);
    (void)ec;
    return toUpper1251(std::string_view(buf, static_cast<std::size_t>(end - buf)));
}

std::string hexUpper(std::uint64_t value, int digits) {
    return padLeft(hexUpper(value), static_cast<std::size_t>(digits < 0 ? 0 : digits), '0');
}

std::string pointerText(const void* pointer) {
    return hexUpper(reinterpret_cast<std::uintptr_t>(pointer), static_cast<int>(sizeof(void*) * 2));
}

std::string padLeft(std::string_view text, std::size_t width, char fill) {
    if (text.size() >= width) return std::string(text);
    std::string out(width - text.size(), fill);
    out.append(text);
    return out;
}

std::string_view trimBlankOrControl(std::string_view text) {
    while (!text.empty() && isBlankOrControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlankOrControl(text.back())) text.remove_suffix(1);
    return text;
}

std::string lineBreaksToBlanks(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

bool parseInt64(std::string_view text, std::int64_t& value) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    std::int64_t parsed = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    value = parsed;
    return true;
}

IntegerPrefix readIntegerPrefix(std::string_view text) {
    IntegerPrefix prefix;
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) prefix.negative = text[i++] == '-';
    if (i < text.size() && text[i] == '$') {
        prefix.base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        prefix.base = 16;
        i += 2;
    }
    prefix.digits = i;
    return prefix;
}

std::optional<std::int32_t> parseDelphiInteger(std::string_view text) {
    const auto [negative, base, digits] = readIntegerPrefix(text);
    std::size_t i = digits;
    if (i >= text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    // Hexadecimal takes all 32 bits ("$FFFFFFFF" is -1); decimal stays within the range.
    if (base == 10 && value > (negative ? 2147483648u : 2147483647u)) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(negative ? 0u - value : value);
    return static_cast<std::int32_t>(bits);
}

}  // namespace qbx
