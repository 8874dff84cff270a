// "var.dat" on disk, apart from what the table makes of it: which bytes the file never holds.
#pragma once

#include <cstddef>
#include <string_view>

namespace qbx {

// The bytes var.dat never holds: control characters other than tab, CR and LF. Saving turns
// them into blanks; a file that holds one is taken for damaged.
constexpr bool isForeignToVarFile(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// Offset of the first byte var.dat never holds, or npos. A Ctrl-Z run at the very end (the
// end-of-file mark of old editors, which the profile functions read as a blank) is allowed.
std::size_t firstForeignByte(std::string_view bytes);

}  // namespace qbx
