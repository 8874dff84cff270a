#include "platform/posix/posix_file_info.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "base/text.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

// Entries looked at in one search, matching or not: a huge folder costs bounded time.
constexpr std::size_t kMaxScannedEntries = 4'000'000;
constexpr std::size_t kMaxMountsBytes = 1u << 20;

bool sameLetter(char a, char b) { return toUpper1251(a) == toUpper1251(b); }

bool isDriveRoot(std::string_view root) {
    return root.size() == 3 &&
           ((root[0] >= 'A' && root[0] <= 'Z') || (root[0] >= 'a' && root[0] <= 'z')) &&
           root[1] == ':' && root[2] == '\\';
}

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

// The file system type of the mount at "/", from the kernel's table of mounts.
std::string rootFileSystem() {
    std::ifstream mounts("/proc/self/mounts");
    std::string line;
    std::size_t read = 0;
    while (read < kMaxMountsBytes && std::getline(mounts, line)) {
        read += line.size() + 1;
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (fields >> device >> mountPoint >> type && mountPoint == "/") return type;
    }
    return {};
}

}  // namespace

bool matchesSearchMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*") mask = "*";
    // The one-star backtracking walk: linear in the name for every star but the last.
    std::size_t n = 0, m = 0;
    std::size_t starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || sameLetter(mask[m], name[n]))) {
            ++m;
            ++n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

void PosixFileInfo::findEntries(const std::string& pattern,
                                const std::function<bool(const FoundEntry&)>& visit) {
    const std::size_t slash = pattern.find_last_of("\\/");
    const std::string folder =
        slash == std::string::npos ? std::string() : pattern.substr(0, slash + 1);
    const std::string_view mask =
        std::string_view(pattern).substr(slash == std::string::npos ? 0 : slash + 1);
    std::string native = folder.empty() ? std::string(".") : toNativePath(folder);
    if (native.empty()) return;
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), &::closedir);
    if (!dir) return;
    std::string path;
    for (std::size_t scanned = 0; scanned < kMaxScannedEntries; ++scanned) {
        const dirent* entry = ::readdir(dir.get());
        if (entry == nullptr) return;
        const std::string_view name(entry->d_name);
        if (!matchesSearchMask(name, mask)) continue;
        // stat, not d_type: a link counts as what it points at, as it does for reading.
        path.assign(native).append("/").append(name);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) continue;
        const FoundEntry found{name,
                               S_ISDIR(st.st_mode) ? 0u : static_cast<std::uint64_t>(st.st_size),
                               S_ISDIR(st.st_mode)};
        if (!visit(found)) return;
    }
}

std::optional<FileHead> PosixFileInfo::readHead(const std::string& path, std::size_t maxBytes) {
    const std::string native = toNativePath(path);
    if (native.empty()) return std::nullopt;
    // Not blocking: a FIFO in the file's place would otherwise wait for a writer for ever.
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    const std::unique_ptr<int, void (*)(int*)> closer(new int(fd), [](int* f) {
        ::close(*f);
        delete f;
    });
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    FileHead head;
    const std::size_t expected = static_cast<std::uint64_t>(st.st_size) < maxBytes
                                     ? static_cast<std::size_t>(st.st_size)
                                     : maxBytes;
    head.bytes.resize(expected);
    std::size_t got = 0;
    // The size is a hint: the file may grow or shrink while it is read.
    for (;;) {
        if (got == head.bytes.size()) {
            if (got >= maxBytes) break;
            head.bytes.resize(std::min(maxBytes, got + (64u << 10)));
        }
        const ssize_t n = ::read(fd, head.bytes.data() + got, head.bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    head.bytes.resize(got);
    if (got >= maxBytes) {
        char extra = 0;
        ssize_t n;
        do n = ::read(fd, &extra, 1);
        while (n < 0 && errno == EINTR);
        head.more = n > 0;
    }
    return head;
}

std::optional<FileVersion> PosixFileInfo::fileVersion(const std::string&) { return std::nullopt; }

DriveSpace PosixFileInfo::driveSpace(int driveNumber) {
    if (driveNumber < 0 || driveNumber > 26) return {};
    struct statvfs fs {};
    if (::statvfs(driveNumber == 0 ? "." : "/", &fs) != 0) return {};
    DriveSpace space;
    space.free = static_cast<std::int64_t>(fs.f_bavail * fs.f_frsize);
    space.total = static_cast<std::int64_t>(fs.f_blocks * fs.f_frsize);
    return space;
}

std::optional<VolumeInfo> PosixFileInfo::volumeInfo(const std::string& root) {
    if (!isDriveRoot(root)) return std::nullopt;
    VolumeInfo info;
    info.fileSystem = rootFileSystem();
    if (info.fileSystem.empty()) return std::nullopt;
    return info;
}

std::string PosixFileInfo::windowsFolder() { return {}; }

std::string PosixFileInfo::currentFolder() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) != nullptr ? toWindowsPath(buffer) : std::string();
}

std::string PosixFileInfo::shellFolder(int number) {
    const std::string home = variable("HOME");
    std::string folder;
    switch (number) {
        case 5: folder = home; break;
        case 26: {
            folder = variable("XDG_CONFIG_HOME");
            if (folder.empty() && !home.empty()) folder = home + "/.config";
            break;
        }
        case 0:
        case 16: {
            struct stat st {};
            const std::string desktop = home + "/Desktop";
            if (!home.empty() && ::stat(desktop.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                folder = desktop;
            break;
        }
        default: break;
    }
    return folder.empty() ? folder : toWindowsPath(folder);
}

RegValue IniRegistryRoots::readString(RegistryRoot root, std::string_view key,
                                      std::string_view name) {
    try {
        const std::string_view path = registryKeyPath(key);
        std::string_view rootName;
        switch (root) {
            case RegistryRoot::CurrentUser: return currentUser_.readString(path, name);
            case RegistryRoot::ClassesRoot: rootName = "HKEY_CLASSES_ROOT"; break;
            case RegistryRoot::LocalMachine: rootName = "HKEY_LOCAL_MACHINE"; break;
            case RegistryRoot::Users: rootName = "HKEY_USERS"; break;
            case RegistryRoot::PerformanceData: rootName = "HKEY_PERFORMANCE_DATA"; break;
            case RegistryRoot::CurrentConfig: rootName = "HKEY_CURRENT_CONFIG"; break;
            case RegistryRoot::DynData: rootName = "HKEY_DYN_DATA"; break;
        }
        std::string section(rootName);
        if (!path.empty()) section.append("\\").append(path);
        RegValue value = currentUser_.readString(section, name);
        if (value.status == RegStatus::Ok && value.text.size() > kMaxValueBytes) return {};
        return value;
    } catch (...) {
        return {};
    }
}

}  // namespace qbx::posix
