// The table of stored scripts: every script of every "*.s" file of the scripts folder, read at
// registration, found by name for the runner, listed for the host's macro list and the
// debugger, and written back to its files on the debugger's request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scripting/script_file.h"

namespace qbx {
class FileSystem;
class Log;
}  // namespace qbx

namespace qbx::scripting {

struct ZvxScript {
    std::string name;  // upper-cased
    std::string text;
    std::string fileName;  // without folder, upper-cased
    std::uint8_t flag = 0;
    ScriptLang lang = ScriptLang::Pascal;
    SourceLines lines;  // where the text's lines stand in the file
};

// Bounds of one registration, whatever the folder holds.
inline constexpr std::size_t kMaxScriptFiles = 256;
inline constexpr std::size_t kMaxScripts = 1024;
inline constexpr std::size_t kMaxScriptTextBytes = std::size_t{16} << 20;  // all texts together
inline constexpr std::size_t kMaxLoggedDirectives = 4096;
// Entries after the last script read that always stay empty.
inline constexpr std::size_t kSpareScriptEntries = 2;

struct ScriptTable {
    std::vector<ZvxScript> entries;
};

struct ScriptStoreIo {
    FileSystem& files;
    Log& log;
};

// The scripts folder: its path (ending in a backslash; empty in disabled mode, where nothing is
// read or written) and the names of its entries as the file system lists them. Only names
// that match "*.s" and name no other folder are used, at most kMaxScriptFiles of them.
struct ScriptFolder {
    std::string dir;
    std::vector<std::string> entryNames;
};

std::vector<std::string> listScriptFiles(const ScriptFolder& folder);

// RegisterScripts: a new table of the scripts read plus the spare entries. A file that cannot
// be read (missing, locked, beyond the bounds) is skipped.
ScriptTable registerScripts(ScriptStoreIo io, const ScriptFolder& folder);

struct FoundScript {
    std::string text;
    int index = -1;
    SourceLines lines;
};
// The first entry whose name equals the name without regard to case; an empty name finds
// nothing.
FoundScript findScript(const ScriptTable& table, std::string_view name);

// The names of the entries that have a name and a text, in table order, CR LF between them.
std::string scriptNameList(const ScriptTable& table);
// The distinct file names of all entries, sorted, each followed by CR LF (the spare entries
// give an empty first line).
std::string scriptFileList(const ScriptTable& table);

// SaveScripts: rewrites every file named in the table, each whole and atomically, from the
// entries in table order. A file that cannot be written keeps its former content. True when
// every file was written.
bool saveScripts(ScriptStoreIo io, const ScriptTable& table, const std::string& dir);

}  // namespace qbx::scripting
