// INI documents on disk, through the file services.
#pragma once

#include <string>

#include "base/ini_file.h"

namespace qbx {

class FileSystem;

// A missing, unreadable or oversized file gives an empty document.
IniFile loadIniFile(FileSystem& files, const std::string& path);
// Written to a temporary name and renamed over the old file.
bool saveIniFile(FileSystem& files, const std::string& path, const IniFile& ini);

}  // namespace qbx
