#include "core/ini_io.h"

#include "platform/platform.h"

namespace qbx {

IniFile loadIniFile(FileSystem& files, const std::string& path) {
    try {
        if (auto bytes = files.readFile(path, IniFile::kMaxFileBytes))
            return IniFile::parse(*bytes);
    } catch (...) {  // an unreadable file reads as an empty one
    }
    return IniFile{};
}

bool saveIniFile(FileSystem& files, const std::string& path, const IniFile& ini) {
    try {
        return files.writeFileAtomic(path, ini.serialize());
    } catch (...) {
        return false;
    }
}

}  // namespace qbx
