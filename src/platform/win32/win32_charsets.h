// The DLL's conversion of mail charsets: the charset's name to a Windows code page, the bytes
// through UTF-16 into the system's ANSI code page. UTF-16 itself is read by our own code, since
// the system's converters take no UTF-16 input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qbx::win32 {

// UTF-16 words: the system's numbers for the two byte orders, and one of our own (no code page
// has it) for "utf-16", whose byte order mark decides and which is big-endian without one.
inline constexpr unsigned kUtf16LittleEndian = 1200;
inline constexpr unsigned kUtf16BigEndian = 1201;
inline constexpr unsigned kUtf16ByMark = 0x10000;

// The code page a charset name stands for (letter case aside), or nothing for a name the table
// does not hold. Whether the system has that code page is not asked here.
std::optional<unsigned> charsetCodePage(std::string_view charset);

// The bytes of a code page as UTF-16; malformed parts become U+FFFD. Nothing when the system
// lacks the code page or fails.
std::optional<std::wstring> codePageToUtf16(unsigned codePage, std::string_view bytes);

// UTF-16 in the system's ANSI code page, "?" for what it lacks; nothing on failure.
std::optional<std::string> utf16ToAnsi(std::wstring_view text);

}  // namespace qbx::win32
