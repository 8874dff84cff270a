#include "platform/ini_profile_store.h"

#include "base/ini_file.h"

namespace qbx {
namespace {

// A missing, unreadable or oversized file reads as an empty document.
IniFile readIni(FileSystem& files, const std::string& path) {
    if (auto bytes = files.readFile(path, IniFile::kMaxFileBytes)) return IniFile::parse(*bytes);
    return IniFile{};
}

}  // namespace

std::vector<std::string> IniProfileStore::keyNames(const std::string& path,
                                                   std::string_view section) {
    try {
        std::vector<std::string> names = readIni(files_, path).keyNames(section);
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
        return readIni(files_, path).getString(section, key, fallback);
    } catch (...) {
        return std::string(fallback);
    }
}

template <class Change>
bool IniProfileStore::rewrite(const std::string& path, Change&& change) {
    try {
        // A file that exists but cannot be read would be replaced by the one change: refuse.
        IniFile ini;
        if (files_.fileExists(path)) {
            auto bytes = files_.readFile(path, IniFile::kMaxFileBytes);
            if (!bytes) return false;
            ini = IniFile::parse(*bytes);
        }
        change(ini);
        return files_.writeFileAtomic(path, ini.serialize());
    } catch (...) {
        return false;
    }
}

bool IniProfileStore::writeString(const std::string& path, std::string_view section,
                                  std::string_view key, std::string_view value) {
    return rewrite(path, [&](IniFile& ini) { ini.set(section, key, value); });
}

bool IniProfileStore::deleteKey(const std::string& path, std::string_view section,
                                std::string_view key) {
    if (!files_.fileExists(path)) return true;
    return rewrite(path, [&](IniFile& ini) { ini.erase(section, key); });
}

bool IniProfileStore::eraseSection(const std::string& path, std::string_view section) {
    if (!files_.fileExists(path)) return true;
    return rewrite(path, [&](IniFile& ini) { ini.eraseSection(section); });
}

}  // namespace qbx
