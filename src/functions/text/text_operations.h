// The string work of the text macros: replacing, cutting at markers and random digits. Texts
// are bytes compared exactly (no case folding); no module context.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx::functions::text {

// Every occurrence of search replaced, left to right without overlap; an empty search matches
// nowhere. When the text built so far passes maxSize at a replacement, it is cut to maxSize
// and the rest of the text is left out.
BoundedText replaceAll(std::string_view text, std::string_view search, std::string_view replacement,
                       std::size_t maxSize);

// What follows the first "from", up to the first "to" after it; a marker that is empty or not
// found cuts nothing.
std::string cutFromTo(std::string_view text, std::string_view from, std::string_view to);
// What precedes the first marker; a marker that is empty or not found cuts nothing.
std::string cutOn(std::string_view text, std::string_view marker);

// Longest text randomDigits gives.
inline constexpr int kMaxRandomLength = 64 * 1024;

// Length digits (held within 1 .. kMaxRandomLength), each drawn uniformly from the first radix
// digits of 0-9A-Z; a radix of 0 or less is 10, one above 36 is 36.
std::string randomDigits(std::int32_t length, std::int32_t radix, std::mt19937& generator);

}  // namespace qbx::functions::text
