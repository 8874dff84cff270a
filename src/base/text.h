// Text helpers over code page 1251 bytes. Casing uses fixed tables, never the C locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

char toUpper1251(char c);
char toLower1251(char c);
std::string toUpper1251(std::string_view text);
std::string toLower1251(std::string_view text);
// Case-insensitive equality under the 1251 tables.
bool equalsIgnoreCase1251(std::string_view a, std::string_view b);

// Decimal text of an integer; the value is never a format string.
std::string decimal(std::int64_t value);
// Capital hexadecimal without leading zeros ("%x" upper-cased).
std::string hexUpper(std::uint64_t value);
// Capital hexadecimal, zero-padded to the given number of digits.
std::string hexUpper(std::uint64_t value, int digits);
// A pointer as capital hexadecimal at the pointer width of the build (8 or 16 digits).
std::string pointerText(const void* pointer);
// Right-aligns text in a field of the given width (longer text is kept whole).
std::string padLeft(std::string_view text, std::size_t width, char fill = ' ');
// The characters the module's trimming drops: the blank and every control character.
constexpr bool isBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }
// The text without blanks and control characters at either end.
std::string_view trimBlankOrControl(std::string_view text);

// Every CR and every LF as a blank: a text that must stay on one line of a file or the log.
std::string lineBreaksToBlanks(std::string_view text);
// Splits at CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string> splitLines(std::string_view text);
// Parses a whole decimal integer (optional sign, surrounding blanks allowed); false otherwise.
bool parseInt64(std::string_view text, std::int64_t& value);
// What the runtime's integer conversion reads before the digits: leading blanks, an optional
// sign, then "$" or "0x" for hexadecimal. `digits` is where the digits start.
struct IntegerPrefix {
    bool negative = false;
    int base = 10;
    std::size_t digits = 0;
};
IntegerPrefix readIntegerPrefix(std::string_view text);
// An integer as Delphi's StrToInt and the INI object read one: leading blanks, a sign, decimal
// digits or "$"/"0x" hexadecimal, nothing after; decimal within the 32-bit range, hexadecimal
// taking all 32 bits ("$FFFFFFFF" is -1). Nothing when the text is no such number.
std::optional<std::int32_t> parseDelphiInteger(std::string_view text);

}  // namespace qbx
