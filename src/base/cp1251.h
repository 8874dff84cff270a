// Conversion between UTF-8 and code page 1251, the single-byte text of the whole module.
#pragma once

#include <string>
#include <string_view>

namespace qbx {

// Every byte maps to one character; the one byte the code page leaves unassigned (0x98)
// maps to U+0098 as Windows does, so that every byte string survives a round trip.
std::string cp1251ToUtf8(std::string_view cp1251);

// A character the code page lacks becomes '?', and so does each malformed part of the input
// (stray continuation bytes, truncated or overlong sequences, surrogates, values past
// U+10FFFF). Linear in the input.
std::string utf8ToCp1251(std::string_view utf8);

}  // namespace qbx
