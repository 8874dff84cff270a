// UU encoding: three bytes as four characters of "`" and "!" .. "_", 45 bytes a line behind a
// length character, the lines between "begin 644 NAME" and "end" so that any mail program takes
// the block for a file. The decoder reads the data lines back; it is shared with the assembly of
// files mailed in UU-encoded parts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qbx {

inline constexpr std::size_t kUuBytesPerLine = 45;

// The block of a file: "begin 644 " + name, the data lines, the zero-length line "`" and "end",
// every line ended by CR LF. Line breaks in the name are dropped.
std::string uuEncodeFile(std::string_view name, std::string_view bytes);

// The bytes of the data lines of a text (lines outside a begin/end pair, and the begin and end
// lines themselves, are skipped; a line whose length character promises more than it holds
// gives what it holds). At most maxBytes are decoded.
std::string uuDecode(std::string_view text, std::size_t maxBytes);

// Whether the line (without its line break) is a data line as encoders write it: every
// character within "`" .. "_" and the blank, a length character of 1 .. 45 bytes, and the
// characters those bytes need (trailing padding that mail programs strip may be missing; up to
// two more, as some encoders add a check character). "begin" and "end" lines are none.
bool isUuDataLine(std::string_view line);

}  // namespace qbx
