// Character-level work of the text macros: counts, replacing one character, random separators,
// percent-encoding within a bound, and decoding the encoded words of every line. "Character"
// means one byte of code page 1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx::functions::text {

// Characters of code 32 and above.
std::size_t printableCharCount(std::string_view text);
// A..Z and the 1251 capitals А..Я after upper-casing under the 1251 tables (Ё is not counted).
std::size_t countLetters(std::string_view text);
// The 15 characters ! " ' ( ) * , - . / : ; ? \ and the grave accent.
std::size_t countPunctuation(std::string_view text);
// Blanks (code 32 only).
std::size_t countSpaces(std::string_view text);

// Every occurrence of the character replaced by the replacement (which may be empty).
BoundedText replaceChars(char character, std::string_view replacement, std::string_view text,
                         std::size_t maxSize);

// Count characters, each drawn uniformly from the given ones; empty for a count of 0 or less
// or no characters. The count is held within kMaxCountedText.
std::string randomSeparator(std::string_view characters, std::int32_t count,
                            std::mt19937& generator);

// percentEncode8Bit (eightBitOnly) or percentEncodeAll, cut before the first escape that would
// pass the bound (an escape is never split).
BoundedText percentEncodeWithin(std::string_view text, bool eightBitOnly, std::size_t maxSize);

// Every line with its encoded words decoded, as a list text; each line is handed to logLine
// before and after decoding.
BoundedText decodeEncodedWords(std::string_view text, std::size_t maxSize,
                               const std::function<void(std::string_view)>& logLine);

}  // namespace qbx::functions::text
