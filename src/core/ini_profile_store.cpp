#include "core/ini_profile_store.h"

#include "core/ini_io.h"

namespace qbx {

std::vector<std::string> IniProfileStore::keyNames(const std::string& path,
                                                   std::string_view section) {
    try {
        std::vector<std::string> names = loadIniFile(files_, path).keyNames(section);
        // The system's functions list no nameless keys.
        std::erase(names, std::string());
        return names;
    } catch (...) {  // out of memory: as good as an unreadable file
        return {};
    }
}

std::string IniProfileStore::readString(const std::string& path, std::string_view section,
                                        std::string_view key, std::string_view fallback) {
    try {
        return loadIniFile(files_, path).getString(section, key, fallback);
    } catch (...) {
        return std::string(fallback);
    }
}

bool IniProfileStore::writeString(const std::string& path, std::string_view section,
                                  std::string_view key, std::string_view value) {
    try {
        // A file that exists but cannot be read would be replaced by the one key: refuse.
        IniFile ini;
        if (files_.fileExists(path)) {
            auto bytes = files_.readFile(path, IniFile::kMaxFileBytes);
            if (!bytes) return false;
            ini = IniFile::parse(*bytes);
        }
        ini.set(section, key, value);
        return saveIniFile(files_, path, ini);
    } catch (...) {
        return false;
    }
}

}  // namespace qbx
