// "var.dat" on disk, apart from what the table makes of it: which bytes the file never holds,
// how a damaged file is kept aside, and the leftovers of saves that were cut short.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qbx {

class FileSystem;
class Log;

// The bytes var.dat never holds: control characters other than tab, CR and LF. Saving turns
// them into blanks; a file that holds one is taken for damaged.
constexpr bool isForeignToVarFile(char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n';
}

// Offset of the first byte var.dat never holds, or npos. A Ctrl-Z run at the very end (the
// end-of-file mark of old editors, which the profile functions read as a blank) is allowed.
std::size_t firstForeignByte(std::string_view bytes);

// Whether the file name is one our saves give their temporary file beside the target:
// "<target>.tmp" (older versions) or "<target>.tmp<pid>.<seq>" (the atomic write). Letters
// match without regard to case, as the system's file names do.
bool isTemporaryNameOf(std::string_view fileName, std::string_view targetName);

// Deletes the temporary files of earlier saves beside the file; logs how many went and how
// many could not be removed.
void removeStaleTemporaries(FileSystem& files, const std::string& path, Log& log);

struct KeptAside {
    bool kept = false;
    std::string detail;  // the new path, or why the file is still in place
};

// Renames the file to the first name not taken of "<path>.bad", "<path>.bad2", ...,
// "<path>.bad<kMaxKeptAside>"; never over another file.
inline constexpr int kMaxKeptAside = 100;
KeptAside keepAside(FileSystem& files, const std::string& path);

}  // namespace qbx
