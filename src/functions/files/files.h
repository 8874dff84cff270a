// The pure side of the file, folder, INI and registry macros: quote and mask rules of the
// folder searches, the sums, counts and lists over what a search finds, and the texts the
// macros build from what the system reports.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bounded_text.h"
#include "platform/file_info.h"
#include "platform/registry_roots.h"

namespace qbx::functions::files {

// A folder search stops after this many entries: a share of millions of files costs bounded
// time, and its sums and counts are those of the entries seen.
inline constexpr std::size_t kMaxSearchEntries = 1'000'000;

// One leading and one trailing double quote off, then the same with single quotes.
std::string withoutQuotes(std::string_view text);
// The folder with its backslash (unless empty or already there) and the mask ("*.*" when
// empty).
std::string searchPattern(std::string_view folder, std::string_view mask);

// Over the files (not folders) of a search: quotes are taken off folder and mask first.
std::uint64_t folderFilesSize(FileInfo& files, std::string_view folder, std::string_view mask);
std::uint64_t folderFilesCount(FileInfo& files, std::string_view folder, std::string_view mask);
// The names one a line, quotes kept, trimmed of blanks and control characters at both ends;
// cut at maxBytes.
BoundedText folderFilesList(FileInfo& files, std::string_view folder, std::string_view mask,
                            std::size_t maxBytes);

// The previous log as lines (CR LF, LF or CR), each followed by CR LF, cut at maxBytes; a
// head that stops mid-file also counts as cut.
BoundedText logLines(const FileHead& head, std::size_t maxBytes);

// A file name as the module reads it. The host's current folder is no place the user chose:
// a name without a drive or a leading slash is in the module's folder (nothing when the module
// runs without one), and a rooted one is on the module's drive.
std::optional<std::string> moduleFilePath(const std::string& name, const std::string& moduleFolder);

// An INI value read as an integer the way the INI object reads one: blanks, a sign, decimal
// digits or "$"/"0x" hexadecimal, within 32 bits; nothing when it is no number.
std::optional<std::int32_t> iniInteger(std::string_view text);

// "%d.%d.%d.%d" of the four 16-bit parts, most significant first.
std::string fileVersionText(const FileVersion& version);
// High and low word as four upper-case hexadecimal digits each, joined by "-".
std::string serialNumberText(std::uint32_t serial);

// The drive number of a drive letter (upper-cased, ASCII): A 1, B 2, ...; 0 (the current
// drive) when the letter lies outside the range a drive number can take.
int driveNumber(char letter);
// free / total × 100 with two decimals and the given separator; "---" for a total of 0.
std::string freePercentText(std::int64_t free, std::int64_t total, char separator);

// The root of a registry-root letter: R C M U P N D, any other the current user's.
RegistryRoot registryRoot(char letter);

// Where a ZVXGP key's folder comes from.
enum class FolderSource { CommonFiles, Current, ProgramFiles, Windows, System, Temp, Shell };
struct FolderKey {
    std::string_view key;
    FolderSource source;
    int shellNumber;  // for FolderSource::Shell
};
// The row of an upper-cased key, or nothing.
std::optional<FolderKey> folderKey(std::string_view upperKey);

}  // namespace qbx::functions::files
