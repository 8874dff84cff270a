#include "functions/letters/hidden_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qbx::functions::letters {
namespace {

constexpr int kBitsPerCharacter = 7;

// Latin letter first, then its Cyrillic twin.
// clang-format off
constexpr std::array<std::array<char, 2>, 18> kCarrierPairs = {{
    {'E', '\xC5'}, {'T', '\xD2'}, {'O', '\xCE'}, {'P', '\xD0'}, {'A', '\xC0'}, {'H', '\xCD'},
    {'K', '\xCA'}, {'X', '\xD5'}, {'C', '\xD1'}, {'B', '\xC2'}, {'M', '\xCC'}, {'e', '\xE5'},
    {'y', '\xF3'}, {'o', '\xEE'}, {'p', '\xF0'}, {'a', '\xE0'}, {'x', '\xF5'}, {'c', '\xF1'},
}};
// clang-format on

// Code = position. Texts hidden elsewhere are read with this order: it never changes.
constexpr std::string_view kAlphabet =
    " ABCDEFGHIJKLMNP"
    "QRSTUVWXYZ\xC1\xC3\xC4\xC6\xC8\xC9"
    "\xCB\xCF\xD3\xD4\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF"
    "12"
    "34567890@.:-,()?"
    "abcdefghijklmnop"
    "qrstuwxyz/\\~!;\xE1\xE2"
    "\xE3\xE4\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEF\xF2\xF4\xF6\xF7\xF8"
    "\xF9\xFA\xFB\xFC\xFD\xFE\xFF"
    "#$%^&*=+_";
static_assert(kAlphabet.size() == std::size_t{1} << kBitsPerCharacter);

// Look-alikes and brackets the alphabet lacks, taken to the character that stands for them.
constexpr std::array<std::array<char, 2>, 25> kMessagePreMap = {{
    {'\xCA', 'K'}, {'\xC5', 'E'}, {'\xCD', 'H'}, {'\xC7', '3'}, {'\xD5', 'X'},
    {'\xC2', 'B'}, {'\xC0', 'A'}, {'\xD0', 'P'}, {'\xCE', '0'}, {'\xD1', 'C'},
    {'\xCC', 'M'}, {'\xD2', 'T'}, {'O', '0'},    {'\xA8', 'E'}, {'[', '('},
    {']', ')'},    {'{', '('},    {'}', ')'},    {'\xF3', 'y'}, {'\xE5', 'e'},
    {'\xF5', 'x'}, {'\xE0', 'a'}, {'\xF0', 'p'}, {'\xEE', 'o'}, {'\xF1', 'c'},
}};

constexpr std::uint8_t byte(char c) { return static_cast<std::uint8_t>(c); }

struct Carrier {
    bool isCarrier = false;
    bool isLatin = false;
    char latin = 0;
    char cyrillic = 0;
};

constexpr std::array<Carrier, 256> buildCarriers() {
    std::array<Carrier, 256> table{};
    for (const auto& [latin, cyrillic] : kCarrierPairs) {
        table[byte(latin)] = {true, true, latin, cyrillic};
        table[byte(cyrillic)] = {true, false, latin, cyrillic};
    }
    return table;
}

// The code a message byte is sent as: pre-mapped, then its place in the alphabet, else 0.
constexpr std::array<std::uint8_t, 256> buildMessageCodes() {
    std::array<std::uint8_t, 256> codes{};
    for (std::size_t code = 0; code < kAlphabet.size(); ++code)
        codes[byte(kAlphabet[code])] = static_cast<std::uint8_t>(code);
    for (const auto& [from, to] : kMessagePreMap) codes[byte(from)] = codes[byte(to)];
    return codes;
}

constexpr std::array<Carrier, 256> kCarriers = buildCarriers();
constexpr std::array<std::uint8_t, 256> kMessageCodes = buildMessageCodes();

}  // namespace

std::string hideTextInText(std::string_view cover, std::string_view message) {
    std::string result(cover);
    std::size_t bitIndex = 0;
    for (char& c : result) {
        const Carrier& carrier = kCarriers[byte(c)];
        if (!carrier.isCarrier) continue;
        const std::size_t position = bitIndex / kBitsPerCharacter;
        // Past the message the bits are 0: its closing blank, then nothing.
        const unsigned code =
            position < message.size() ? kMessageCodes[byte(message[position])] : 0;
        const bool bit = (code >> (bitIndex % kBitsPerCharacter)) & 1u;
        c = bit ? carrier.latin : carrier.cyrillic;
        ++bitIndex;
    }
    return result;
}

std::string extractHiddenText(std::string_view text) {
    std::vector<std::uint8_t> codes;  // at most one per seven bytes of the text
    std::size_t bitIndex = 0;
    for (char c : text) {
        const Carrier& carrier = kCarriers[byte(c)];
        if (!carrier.isCarrier) continue;
        if (carrier.isLatin) {
            const std::size_t position = bitIndex / kBitsPerCharacter;
            if (codes.size() <= position) codes.resize(position + 1, 0);
            codes[position] |= static_cast<std::uint8_t>(1u << (bitIndex % kBitsPerCharacter));
        }
        ++bitIndex;
    }
    std::string result;
    result.reserve(codes.size());
    for (std::uint8_t code : codes) result += kAlphabet[code];
    return result;
}

}  // namespace qbx::functions::letters
