// INI documents on disk, through the file services.
#pragma once

#include <string>

#include "base/ini_file.h"

namespace qbx {

class FileSystem;
class Log;

// A missing, unreadable or oversized file gives an empty document.
IniFile loadIniFile(FileSystem& files, const std::string& path);
// Written to a temporary name and renamed over the old one.
bool saveIniFile(FileSystem& files, const std::string& path, const IniFile& ini);

// A document read to be changed and written back over its file.
struct IniToRewrite {
    IniFile ini;
    // Why the file must be kept aside before it is written over: it exists but could not be
    // read, or was not taken whole. Empty when writing over it loses nothing.
    std::string notTakenWhole;
    // It could not be read at all (rather than held more than a document takes): kept as
    // damaged ("<path>.bad") rather than as whole.
    bool unreadable = false;
};
IniToRewrite loadIniFileToRewrite(FileSystem& files, const std::string& path);
// Writes the document over its file. A file not taken whole is first kept aside whole
// ("<path>.full"), one that could not be read as "<path>.bad"; when it cannot be, nothing is
// written. The log says which.
bool rewriteIniFile(FileSystem& files, Log& log, const std::string& path,
                    const IniToRewrite& document);

}  // namespace qbx
