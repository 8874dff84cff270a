#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/mapped_log.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

constexpr std::size_t kMaxPathBytes = 64u << 10;
constexpr std::size_t kReadChunk = 64u << 10;
// Entries looked at in one listing, matching or not: a huge folder costs bounded time.
constexpr std::size_t kMaxScannedEntries = 1u << 16;

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// The native path without trailing slashes (the root stays "/"); empty when unusable.
std::string folderPath(const std::string& path) {
    std::string native = toNativePath(path);
    if (native.size() > kMaxPathBytes) return {};
    while (native.size() > 1 && native.back() == '/') native.pop_back();
    return native;
}

// The system's text for an error number ("Permission denied").
std::string reasonOf(int error) {
    char buffer[256] = {};
    // The GNU form returns the text, which may or may not be the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return text != nullptr ? std::string(text) : "error " + std::to_string(error);
}

std::string lastReason() { return reasonOf(errno); }

bool isDirectory(const std::string& native) {
    struct stat st {};
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void syncFolderOf(const std::string& native) {
    const auto slash = native.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : native.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

class PosixOutputFile final : public OutputFile {
public:
    explicit PosixOutputFile(int fd) : fd_(fd) {}
    ~PosixOutputFile() override { ::close(fd_); }
    PosixOutputFile(const PosixOutputFile&) = delete;
    PosixOutputFile& operator=(const PosixOutputFile&) = delete;

    bool write(std::string_view bytes) override { return writeAll(fd_, bytes); }
    // Writes are unbuffered: once write() returns the bytes are the kernel's and survive the
    // death of the process, which is what the log's per-line flush is for. A disk sync per
    // log line would stall the host for nothing.
    bool flush() override { return true; }

private:
    int fd_;
};

class PosixMappedLog final : public MappedLogWriter {
public:
    explicit PosixMappedLog(int fd) : fd_(fd) {}
    ~PosixMappedLog() override {
        settle();
        ::close(fd_);
    }
    PosixMappedLog(const PosixMappedLog&) = delete;
    PosixMappedLog& operator=(const PosixMappedLog&) = delete;

private:
    char* mapWindow(std::uint64_t start) override {
        // The window's blocks are taken now: a store into a mapped page the disk has no room
        // for would kill the process.
        const auto offset = static_cast<off_t>(start);
        if (::posix_fallocate(fd_, offset, static_cast<off_t>(kWindowBytes)) != 0) return nullptr;
        void* view = ::mmap(nullptr, kWindowBytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd_, offset);
        return view == MAP_FAILED ? nullptr : static_cast<char*>(view);
    }
    void unmapWindow(char* view) override { ::munmap(view, kWindowBytes); }
    bool cutAt(std::uint64_t size) override {
        return ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
            offset += static_cast<std::uint64_t>(n);
        }
        return true;
    }

    int fd_;
};

}  // namespace

bool PosixFileSystem::fileExists(const std::string& path) {
    const std::string native = toNativePath(path);
    struct stat st {};
    return !native.empty() && ::stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool PosixFileSystem::directoryExists(const std::string& path) {
    return isDirectory(folderPath(path));
}

bool PosixFileSystem::createDirectory(const std::string& path) {
    const std::string native = folderPath(path);
    if (native.empty()) return fail("unusable path");
    if (::mkdir(native.c_str(), 0777) != 0 && errno != EEXIST) return fail(lastReason());
    return isDirectory(native) || fail("a file of that name is in the way");
}

bool PosixFileSystem::createDirectories(const std::string& path) {
    try {
        const std::string native = folderPath(path);
        if (native.empty()) return fail("unusable path");
        if (isDirectory(native)) return true;
        // Each prefix in turn; failures on the way (existing or forbidden parents) only
        // matter if the last folder cannot be made.
        for (std::size_t slash = native.find('/', 1); slash != std::string::npos;
             slash = native.find('/', slash + 1)) {
            const std::string prefix = native.substr(0, slash);
            if (!prefix.empty() && prefix.back() != '/') ::mkdir(prefix.c_str(), 0777);
        }
        if (::mkdir(native.c_str(), 0777) != 0 && errno != EEXIST) return fail(lastReason());
        return isDirectory(native) || fail("a file of that name is in the way");
    } catch (...) {
        return fail("out of memory");
    }
}

std::optional<std::string> PosixFileSystem::readFile(const std::string& path,
                                                     std::size_t maxBytes) {
    const std::string native = toNativePath(path);
    if (native.empty()) {
        fail("unusable path");
        return std::nullopt;
    }
    // Not blocking: opening a FIFO would otherwise wait for a writer for ever. Regular
    // files, the only ones read, ignore the flag.
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        fail(lastReason());
        return std::nullopt;
    }
    std::optional<std::string> result;
    try {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            fail(lastReason());
        } else if (!S_ISREG(st.st_mode)) {
            fail(S_ISDIR(st.st_mode) ? "a folder is in its place" : "not a plain file");
        } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
            fail(tooLongReason(maxBytes));
        } else {
            // The size is only a hint (the file may grow while we read); the cap is enforced
            // on what actually arrives.
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(st.st_size));
            std::string chunk(kReadChunk, '\0');
            bool ok = true;
            for (;;) {
                const ssize_t n = ::read(fd, chunk.data(), chunk.size());
                if (n < 0) {
                    if (errno == EINTR) continue;
                    ok = fail(lastReason());
                    break;
                }
                if (n == 0) break;
                if (static_cast<std::size_t>(n) > maxBytes - bytes.size()) {
                    ok = fail(tooLongReason(maxBytes));
                    break;
                }
                bytes.append(chunk.data(), static_cast<std::size_t>(n));
            }
            if (ok) result = std::move(bytes);
        }
    } catch (const std::bad_alloc&) {
        result.reset();
        fail("out of memory");
    }
    ::close(fd);
    return result;
}

bool PosixFileSystem::writeFileAtomic(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> sequence{0};
    try {
        const std::string target = toNativePath(path);
        if (target.empty() || target.back() == '/') return fail("unusable path");
        const std::string temp = atomicTemporaryName(target, static_cast<std::uint64_t>(::getpid()),
                                                     sequence.fetch_add(1));
        const int fd =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) return fail(lastReason());
        bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
        std::string reason = ok ? std::string() : lastReason();
        if (::close(fd) != 0 && ok) {
            ok = false;
            reason = lastReason();
        }
        if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
            ok = false;
            reason = lastReason();
        }
        if (!ok) {
            ::unlink(temp.c_str());
            return fail(std::move(reason));
        }
        syncFolderOf(target);
        return true;
    } catch (...) {
        return fail("out of memory");
    }
}

bool PosixFileSystem::appendToExistingFile(const std::string& path, std::string_view bytes) {
    const std::string native = toNativePath(path);
    if (native.empty()) return fail("unusable path");
    const int fd = ::open(native.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(lastReason());
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!ok) fail("not a plain file");
    if (ok && !writeAll(fd, bytes)) ok = fail(lastReason());
    if (::close(fd) != 0 && ok) ok = fail(lastReason());
    return ok;
}

bool PosixFileSystem::deleteFile(const std::string& path) {
    const std::string native = toNativePath(path);
    if (native.empty()) return fail("unusable path");
    return ::unlink(native.c_str()) == 0 || fail(lastReason());
}

bool PosixFileSystem::renameFile(const std::string& from, const std::string& to) {
    const std::string source = folderPath(from);
    const std::string target = folderPath(to);
    if (source.empty() || target.empty()) return fail("unusable path");
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return fail(lastReason());
    // A file system without the no-replace flag: check, then rename (not atomic, but the
    // only callers rotate our own files).
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) return fail(reasonOf(EEXIST));
    if (errno != ENOENT) return fail(lastReason());
    return ::rename(source.c_str(), target.c_str()) == 0 || fail(lastReason());
}

// Opens the file for writing with the open flags given; null (the reason recorded) when it
// cannot.
std::unique_ptr<OutputFile> PosixFileSystem::openForWriting(const std::string& path, int flags,
                                                            bool mapped) {
    const std::string native = toNativePath(path);
    if (native.empty()) {
        fail("unusable path");
        return nullptr;
    }
    const int access = mapped ? O_RDWR : O_WRONLY;
    const int fd = ::open(native.c_str(), access | O_CREAT | O_CLOEXEC | flags, 0666);
    if (fd < 0) {
        fail(lastReason());
        return nullptr;
    }
    try {
        if (mapped) return std::make_unique<PosixMappedLog>(fd);
        return std::make_unique<PosixOutputFile>(fd);
    } catch (...) {
        ::close(fd);
        return nullptr;
    }
}

std::unique_ptr<OutputFile> PosixFileSystem::createFile(const std::string& path) {
    return openForWriting(path, O_TRUNC);
}

std::unique_ptr<OutputFile> PosixFileSystem::createLogFile(const std::string& path) {
    return openForWriting(path, O_TRUNC, true);
}

void PosixFileSystem::settleLogFile(const std::string& path) {
    const std::string native = toNativePath(path);
    if (native.empty()) return;
    const int fd = ::open(native.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        // The zeros are at most one window long.
        const auto size = static_cast<std::uint64_t>(st.st_size);
        const std::size_t tailBytes =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, MappedLogWriter::kWindowBytes));
        std::string tail(tailBytes, '\0');
        const ssize_t n =
            ::pread(fd, tail.data(), tail.size(), static_cast<off_t>(size - tailBytes));
        if (n == static_cast<ssize_t>(tail.size())) {
            const std::uint64_t kept = sizeWithoutTrailingZeros(size, tail);
            if (kept < size) ::ftruncate(fd, static_cast<off_t>(kept));
        }
    }
    ::close(fd);
}

std::unique_ptr<OutputFile> PosixFileSystem::createNewFile(const std::string& path) {
    // O_EXCL: a name that exists (a link to elsewhere included) is refused, never followed.
    return openForWriting(path, O_EXCL);
}

std::vector<std::string> PosixFileSystem::listFiles(const std::string& folder,
                                                    std::string_view suffix) {
    std::vector<std::string> names;
    try {
        const std::string native = folderPath(folder);
        if (native.empty()) return names;
        const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(native.c_str()), &::closedir);
        if (!dir) return names;
        std::size_t scanned = 0;
        while (scanned < kMaxScannedEntries) {
            const dirent* entry = ::readdir(dir.get());
            if (entry == nullptr) break;
            ++scanned;
            const std::string_view name(entry->d_name);
            if (name == "." || name == ".." || !nameHasSuffix(name, suffix)) continue;
            // stat, not d_type: a link to a file counts as the file, as it does for reading.
            struct stat st {};
            const std::string path = native + "/" + std::string(name);
            if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
            names.emplace_back(name);
        }
        std::sort(names.begin(), names.end());
        if (names.size() > kMaxListedFiles) names.resize(kMaxListedFiles);
    } catch (...) {
        names.clear();
    }
    return names;
}

}  // namespace qbx::posix
