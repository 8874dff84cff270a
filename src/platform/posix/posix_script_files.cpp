// The scripts' files on the native build: the POSIX calls behind Windows-style paths mapped as
// the rest of the native build maps them. Attributes are made up from the mode bits the way
// Wine shows a Unix file to a Windows program: a folder, read-only when no one may write it,
// hidden when its name starts with a dot.
#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>

#include "platform/posix/posix_services.h"
#include "platform/script_files.h"

namespace qbx {

namespace {

using namespace file_attribute;

std::string nativeOf(const std::string& path) { return posix::toNativePath(path); }

bool statOf(const std::string& path, struct stat& st) {
    const std::string native = nativeOf(path);
    return !native.empty() && ::stat(native.c_str(), &st) == 0;
}

double localDateTime(std::time_t seconds) {
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return 0;
    return posix::localDateTimeOf(local, 0);
}

std::uint32_t attributesOf(const struct stat& st, std::string_view name) {
    std::uint32_t bits = 0;
    if (S_ISDIR(st.st_mode)) bits |= kDirectory;
    if ((st.st_mode & 0222) == 0) bits |= kReadOnly;
    if (!name.empty() && name.front() == '.' && name != "." && name != "..") bits |= kHidden;
    if (bits == 0) bits = kArchive;
    return bits;
}

std::string_view lastPart(std::string_view native) {
    while (native.size() > 1 && native.back() == '/') native.remove_suffix(1);
    const std::size_t slash = native.rfind('/');
    return slash == std::string_view::npos ? native : native.substr(slash + 1);
}

class PosixOpenFile final : public OpenScriptFile {
public:
    explicit PosixOpenFile(int fd) : fd_(fd) {}
    ~PosixOpenFile() override { ::close(fd_); }
    PosixOpenFile(const PosixOpenFile&) = delete;
    PosixOpenFile& operator=(const PosixOpenFile&) = delete;

    std::int64_t read(char* buffer, std::size_t count) override {
        const ssize_t n = ::read(fd_, buffer, count);
        return n < 0 ? -1 : n;
    }
    std::int64_t write(const char* bytes, std::size_t count) override {
        const ssize_t n = ::write(fd_, bytes, count);
        return n < 0 ? -1 : n;
    }
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override {
        const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                           : origin == SeekOrigin::Current ? SEEK_CUR
                                                           : SEEK_END;
        const off_t at = ::lseek(fd_, static_cast<off_t>(offset), whence);
        return at < 0 ? -1 : at;
    }

private:
    int fd_;
};

class PosixScriptFiles final : public ScriptFiles {
public:
    bool fileExists(const std::string& path) override {
        struct stat st {};
        return statOf(path, st) && !S_ISDIR(st.st_mode);
    }
    bool directoryExists(const std::string& path) override {
        struct stat st {};
        return statOf(path, st) && S_ISDIR(st.st_mode);
    }
    bool createDirectory(const std::string& path) override {
        const std::string native = nativeOf(path);
        return !native.empty() && ::mkdir(native.c_str(), 0777) == 0;
    }
    bool createDirectories(const std::string& path) override {
        return files_.createDirectories(path);
    }
    bool deleteFile(const std::string& path) override {
        if (!fileExists(path)) return false;
        const std::string native = nativeOf(path);
        return ::unlink(native.c_str()) == 0;
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        return files_.renameFile(from, to);
    }
    std::optional<std::uint32_t> attributes(const std::string& path) override {
        struct stat st {};
        if (!statOf(path, st)) return std::nullopt;
        return attributesOf(st, lastPart(nativeOf(path)));
    }
    bool setAttributes(const std::string& path, std::uint32_t bits) override {
        struct stat st {};
        if (!statOf(path, st)) return false;
        const mode_t mode =
            (bits & kReadOnly) != 0 ? (st.st_mode & ~mode_t{0222}) : (st.st_mode | S_IWUSR);
        return ::chmod(nativeOf(path).c_str(), mode & 07777) == 0;
    }
    std::optional<double> modified(const std::string& path) override {
        struct stat st {};
        if (!statOf(path, st)) return std::nullopt;
        return localDateTime(st.st_mtime);
    }
    std::optional<std::int64_t> size(const std::string& path) override {
        struct stat st {};
        if (!statOf(path, st) || S_ISDIR(st.st_mode)) return std::nullopt;
        return static_cast<std::int64_t>(st.st_size);
    }
    bool removeDirectory(const std::string& path) override {
        const std::string native = nativeOf(path);
        return !native.empty() && ::rmdir(native.c_str()) == 0;
    }
    std::string currentDirectory() override {
        char buffer[PATH_MAX];
        if (::getcwd(buffer, sizeof buffer) == nullptr) return {};
        return posix::toWindowsPath(buffer);
    }
    bool setCurrentDirectory(const std::string& path) override {
        const std::string native = nativeOf(path);
        return !native.empty() && ::chdir(native.c_str()) == 0;
    }
    std::optional<DiskSpace> diskSpace(const std::string& path) override {
        const std::string native = nativeOf(path.empty() ? std::string(".") : path);
        struct statvfs vfs {};
        if (native.empty() || ::statvfs(native.c_str(), &vfs) != 0) return std::nullopt;
        DiskSpace space;
        space.free =
            static_cast<std::int64_t>(vfs.f_bavail) * static_cast<std::int64_t>(vfs.f_frsize);
        space.total =
            static_cast<std::int64_t>(vfs.f_blocks) * static_cast<std::int64_t>(vfs.f_frsize);
        return space;
    }
    std::vector<FoundFile> find(const std::string& pattern) override {
        std::vector<FoundFile> found;
        const std::string native = nativeOf(pattern);
        if (native.empty()) return found;
        const std::size_t slash = native.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
        std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
        if (mask == "*.*") mask = "*";  // the system's old spelling of every name
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) return found;
        while (found.size() < kMaxFoundFiles) {
            const dirent* entry = ::readdir(dir);
            if (entry == nullptr) break;
            if (::fnmatch(mask.c_str(), entry->d_name, 0) != 0) continue;
            struct stat st {};
            const std::string full = folder + (folder.back() == '/' ? "" : "/") + entry->d_name;
            if (::stat(full.c_str(), &st) != 0) continue;
            FoundFile file;
            file.name = entry->d_name;
            file.attributes = attributesOf(st, file.name);
            file.size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
            file.modified = localDateTime(st.st_mtime);
            found.push_back(std::move(file));
        }
        ::closedir(dir);
        // The system lists a folder in its own order; sorted, a listing is the same every time.
        std::sort(found.begin(), found.end(),
                  [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
        return found;
    }
    // The texts of Windows' codes that the file routines give, as Windows words them; the
    // native build has no table of the rest.
    std::string errorText(std::uint32_t code) override {
        switch (code) {
            case 0: return "The operation completed successfully.\r\n";
            case 2: return "The system cannot find the file specified.\r\n";
            case 3: return "The system cannot find the path specified.\r\n";
            case 5: return "Access is denied.\r\n";
            case 18: return "There are no more files.\r\n";
            case 80: return "The file exists.\r\n";
            case 183: return "Cannot create a file when that file already exists.\r\n";
            default: return {};
        }
    }
    std::unique_ptr<OpenScriptFile> open(const std::string& path, FileAccess access,
                                         bool create) override {
        const std::string native = nativeOf(path);
        if (native.empty()) return nullptr;
        int flags = access == FileAccess::Read    ? O_RDONLY
                    : access == FileAccess::Write ? O_WRONLY
                                                  : O_RDWR;
        if (create) flags = O_RDWR | O_CREAT | O_TRUNC;
        const int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0666);
        if (fd < 0) return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixOpenFile>(fd);
    }

private:
    posix::PosixFileSystem files_;
};

}  // namespace

ScriptFiles& systemScriptFiles() {
    static PosixScriptFiles files;
    return files;
}

}  // namespace qbx
