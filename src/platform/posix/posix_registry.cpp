#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "base/ini_file.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

bool hasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// A name the INI form can hold and give back unchanged.
bool usableName(std::string_view name) {
    return !name.empty() && !hasLineBreakOrNul(name) && name.find('=') == std::string_view::npos &&
           !isIniBlank(name.front()) && !isIniBlank(name.back()) && name.front() != '[' &&
           name.front() != ';';
}

bool usableSection(std::string_view key) {
    return !key.empty() && !hasLineBreakOrNul(key) && !isIniBlank(key.front()) &&
           !isIniBlank(key.back());
}

}  // namespace

std::string IniRegistry::registryPath() {
    if (const char* path = std::getenv("QBX_REGISTRY"); path != nullptr && *path != '\0') {
        return path;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        std::string path = home;
        if (path.back() != '/') path += '/';
        return path + ".qbx/registry.ini";
    }
    return {};
}

IniRegistry::Stamp IniRegistry::stampOf(const std::string& path) {
    Stamp stamp;
    struct stat st {};
    if (::stat(toNativePath(path).c_str(), &st) != 0) return stamp;
    stamp.exists = true;
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::uint64_t>(st.st_size);
    stamp.mtimeSec = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    stamp.mtimeNsec = static_cast<std::int64_t>(st.st_mtim.tv_nsec);
    return stamp;
}

bool IniRegistry::refresh(const std::string& path) {
    const Stamp stamp = stampOf(path);
    if (path == cachedPath_ && cachedStamp_ && *cachedStamp_ == stamp) return true;
    cachedStamp_.reset();
    if (stamp.exists) {
        // A file we cannot read (too large, no permission) would look empty, and the next
        // write would replace it with a single value: leave such a file alone.
        const auto bytes = files_.readFile(path, IniFile::kMaxFileBytes);
        if (!bytes) return false;
        cache_ = IniFile::parse(*bytes);
    } else {
        cache_ = IniFile{};
    }
    cachedPath_ = path;
    cachedStamp_ = stamp;
    return true;
}

RegValue IniRegistry::readString(std::string_view key, std::string_view name) {
    try {
        const std::string path = registryPath();
        if (path.empty()) return {};
        std::lock_guard lock(mutex_);
        if (!refresh(path)) return {};
        auto text = cache_.get(registryKeyPath(key), name);
        if (!text) return {};
        return RegValue{RegStatus::Ok, std::move(*text)};
    } catch (...) {
        return {};
    }
}

bool IniRegistry::writeString(std::string_view key, std::string_view name, std::string_view value) {
    const std::string_view section = registryKeyPath(key);
    // Line breaks would split the line into new values or sections of their own.
    if (!usableSection(section) || !usableName(name) || hasLineBreakOrNul(value)) return false;
    try {
        const std::string path = registryPath();
        if (path.empty()) return false;
        std::lock_guard lock(mutex_);
        if (!refresh(path)) return false;
        if (cachedStamp_->exists && cache_.get(section, name) == value) return true;
        IniFile updated = cache_;
        updated.set(section, name, value);
        const auto slash = path.rfind('/');
        if (slash != std::string::npos && slash > 0)
            files_.createDirectories(path.substr(0, slash));
        if (!files_.writeFileAtomic(path, updated.serialize())) return false;
        cache_ = std::move(updated);
        cachedStamp_ = stampOf(path);
        return true;
    } catch (...) {  // the cache is only replaced once a write has succeeded
        return false;
    }
}

}  // namespace qbx::posix
