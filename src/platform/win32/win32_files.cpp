#include <windows.h>

#include <algorithm>
#include <atomic>
#include <new>
#include <string>
#include <vector>

#include "platform/mapped_log.h"
#include "platform/win32/system_texts.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

constexpr std::size_t kMaxPathBytes = 32767;
constexpr std::size_t kChunkBytes = 1u << 20;

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }
    bool close() {
        if (!valid()) return false;
        const bool ok = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

std::optional<std::string> usablePath(std::string_view path) {
    if (path.empty() || path.size() > kMaxPathBytes) return std::nullopt;
    return zeroTerminated(path);
}

bool writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD part =
            static_cast<DWORD>(bytes.size() < kChunkBytes ? bytes.size() : kChunkBytes);
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), part, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

DWORD attributesOf(const std::string& path) {
    const auto p = usablePath(path);
    return p ? GetFileAttributesA(p->c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string lastReason() { return systemErrorText(GetLastError()); }

class Win32OutputFile final : public OutputFile {
public:
    explicit Win32OutputFile(HANDLE file) : file_(file) {}
    bool write(std::string_view bytes) override { return writeAll(file_.get(), bytes); }
    // WriteFile hands every line to the system at once, and the system keeps it when our
    // process dies, which is what the log's per-line flush is for. FlushFileBuffers would
    // add a disk sync per log line and stall the host's thread.
    bool flush() override { return file_.valid(); }

private:
    FileHandle file_;
};

class Win32MappedLog final : public MappedLogWriter {
public:
    explicit Win32MappedLog(HANDLE file) : file_(file) {}
    ~Win32MappedLog() override { settle(); }
    Win32MappedLog(const Win32MappedLog&) = delete;
    Win32MappedLog& operator=(const Win32MappedLog&) = delete;

private:
    static DWORD high(std::uint64_t value) { return static_cast<DWORD>(value >> 32); }
    static DWORD low(std::uint64_t value) { return static_cast<DWORD>(value & 0xFFFFFFFFu); }

    char* mapWindow(std::uint64_t start) override {
        // A mapping larger than the file grows the file to its size, and the room on the disk
        // is taken then: a full disk refuses here, not when a line is copied.
        const std::uint64_t end = start + kWindowBytes;
        mapping_ =
            CreateFileMappingA(file_.get(), nullptr, PAGE_READWRITE, high(end), low(end), nullptr);
        if (mapping_ == nullptr) return nullptr;
        void* view = MapViewOfFile(mapping_, FILE_MAP_WRITE, high(start), low(start), kWindowBytes);
        if (view == nullptr) {
            CloseHandle(mapping_);
            mapping_ = nullptr;
        }
        return static_cast<char*>(view);
    }
    void unmapWindow(char* view) override {
        UnmapViewOfFile(view);
        if (mapping_ != nullptr) CloseHandle(mapping_);
        mapping_ = nullptr;
    }
    bool cutAt(std::uint64_t size) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size);
        return SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) && SetEndOfFile(file_.get());
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN) &&
               writeAll(file_.get(), bytes);
    }

    FileHandle file_;
    HANDLE mapping_ = nullptr;
};

}  // namespace

bool Win32FileSystem::fileExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::directoryExists(const std::string& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32FileSystem::createDirectory(const std::string& path) {
    const auto p = usablePath(path);
    if (!p) return fail("unusable path");
    if (!CreateDirectoryA(p->c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return fail(lastReason());
    return directoryExists(*p) || fail("a file of that name is in the way");
}

bool Win32FileSystem::createDirectories(const std::string& path) {
    try {
        auto p = usablePath(path);
        if (!p) return fail("unusable path");
        std::string& folder = *p;
        while (folder.size() > 1 && isSeparator(folder.back())) folder.pop_back();
        if (directoryExists(folder)) return true;
        // Each prefix in turn ("C:\a", "C:\a\b", ...). Prefixes that are no folders of their
        // own ("C:", "\\server\share") or that exist already simply fail.
        for (std::size_t i = 1; i < folder.size(); ++i) {
            if (isSeparator(folder[i]) && !isSeparator(folder[i - 1]) && folder[i - 1] != ':')
                CreateDirectoryA(folder.substr(0, i).c_str(), nullptr);
        }
        if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return fail(lastReason());
        return directoryExists(folder) || fail("a file of that name is in the way");
    } catch (...) {
        return fail("out of memory");
    }
}

std::optional<std::string> Win32FileSystem::readFile(const std::string& path,
                                                     std::size_t maxBytes) {
    const auto p = usablePath(path);
    if (!p) {
        fail("unusable path");
        return std::nullopt;
    }
    const DWORD attributes = GetFileAttributesA(p->c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        fail("a folder is in its place");
        return std::nullopt;
    }
    FileHandle file(CreateFileA(p->c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        fail(lastReason());
        return std::nullopt;
    }
    // Only disk files: a device or pipe name could block the host's thread for ever.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        fail("not a plain file");
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        fail(lastReason());
        return std::nullopt;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        fail(tooLongReason(maxBytes));
        return std::nullopt;
    }
    try {
        std::string bytes;
        bytes.reserve(static_cast<std::size_t>(size.QuadPart));
        std::string chunk(kChunkBytes, '\0');
        for (;;) {
            DWORD got = 0;
            if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got,
                          nullptr)) {
                fail(lastReason());
                return std::nullopt;
            }
            if (got == 0) break;
            if (got > maxBytes - bytes.size()) {  // grew while we read
                fail(tooLongReason(maxBytes));
                return std::nullopt;
            }
            bytes.append(chunk.data(), got);
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        fail("out of memory");
        return std::nullopt;
    }
}

bool Win32FileSystem::writeFileAtomic(const std::string& path, std::string_view bytes) {
    static std::atomic<unsigned> sequence{0};
    try {
        const auto target = usablePath(path);
        if (!target || isSeparator(target->back())) return fail("unusable path");
        const std::string temp =
            atomicTemporaryName(*target, GetCurrentProcessId(), sequence.fetch_add(1));
        FileHandle file(CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return fail(lastReason());
        bool ok = writeAll(file.get(), bytes) && FlushFileBuffers(file.get());
        std::string reason = ok ? std::string() : lastReason();
        if (!file.close() && ok) {
            ok = false;
            reason = lastReason();
        }
        if (ok && !MoveFileExA(temp.c_str(), target->c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            ok = false;
            reason = lastReason();
        }
        if (!ok) {
            DeleteFileA(temp.c_str());
            return fail(std::move(reason));
        }
        return true;
    } catch (...) {
        return fail("out of memory");
    }
}

bool Win32FileSystem::appendToExistingFile(const std::string& path, std::string_view bytes) {
    const auto p = usablePath(path);
    if (!p) return fail("unusable path");
    FileHandle file(CreateFileA(p->c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return fail(lastReason());
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return fail("not a plain file");
    bool ok = writeAll(file.get(), bytes) || fail(lastReason());
    if (!file.close() && ok) ok = fail(lastReason());
    return ok;
}

bool Win32FileSystem::deleteFile(const std::string& path) {
    const auto p = usablePath(path);
    if (!p) return fail("unusable path");
    return DeleteFileA(p->c_str()) || fail(lastReason());
}

bool Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
    const auto source = usablePath(from);
    const auto target = usablePath(to);
    if (!source || !target) return fail("unusable path");
    return MoveFileA(source->c_str(), target->c_str()) || fail(lastReason());  // never replaces
}

// Opens the file for writing as `disposition` says; null (the reason recorded) when it cannot.
std::unique_ptr<OutputFile> Win32FileSystem::openForWriting(const std::string& path,
                                                            unsigned long share,
                                                            unsigned long disposition,
                                                            bool mapped) {
    const auto p = usablePath(path);
    if (!p) {
        fail("unusable path");
        return nullptr;
    }
    const DWORD access = mapped ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    const HANDLE handle = CreateFileA(p->c_str(), access, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        fail(lastReason());
        return nullptr;
    }
    try {
        if (mapped) return std::make_unique<Win32MappedLog>(handle);
        return std::make_unique<Win32OutputFile>(handle);
    } catch (...) {
        CloseHandle(handle);
        return nullptr;
    }
}

std::unique_ptr<OutputFile> Win32FileSystem::createFile(const std::string& path) {
    // Others may read the file, and rename or delete it (the next load rotates the log),
    // while we hold it.
    return openForWriting(path, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS);
}

std::unique_ptr<OutputFile> Win32FileSystem::createLogFile(const std::string& path) {
    // Shared as createFile shares it.
    return openForWriting(path, FILE_SHARE_READ | FILE_SHARE_DELETE, CREATE_ALWAYS, true);
}

void Win32FileSystem::settleLogFile(const std::string& path) {
    const auto p = usablePath(path);
    if (!p) return;
    FileHandle file(CreateFileA(p->c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size;
    if (!file.valid() || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return;
    // The zeros are at most one window long.
    const auto total = static_cast<std::uint64_t>(size.QuadPart);
    const auto tailBytes =
        static_cast<DWORD>(std::min<std::uint64_t>(total, MappedLogWriter::kWindowBytes));
    std::string tail(tailBytes, '\0');
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(total - tailBytes);
    DWORD read = 0;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), tail.data(), tailBytes, &read, nullptr) || read != tailBytes)
        return;
    const std::uint64_t kept = sizeWithoutTrailingZeros(total, tail);
    if (kept == total) return;
    at.QuadPart = static_cast<LONGLONG>(kept);
    if (SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) SetEndOfFile(file.get());
}

std::unique_ptr<OutputFile> Win32FileSystem::createNewFile(const std::string& path) {
    // CREATE_NEW: the system refuses a name that exists, so two writers never share a file.
    return openForWriting(path, FILE_SHARE_READ, CREATE_NEW);
}

namespace {

constexpr std::size_t kMaxScannedEntries = 1u << 16;

// The ANSI-code-page path as UTF-16 (the other file functions take it in the ANSI code page).
std::optional<std::wstring> widePath(const std::string& path) {
    if (path.empty() || path.size() > kMaxPathBytes) return std::nullopt;
    const int length = static_cast<int>(path.size());
    const int count = MultiByteToWideChar(CP_ACP, 0, path.data(), length, nullptr, 0);
    if (count <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, path.data(), length, wide.data(), count) != count)
        return std::nullopt;
    return wide;
}

// The name in the ANSI code page; nothing when it has characters the code page lacks, since
// the ANSI file functions could not open it under any spelling we could give.
std::optional<std::string> ansiName(const wchar_t* name) {
    BOOL lossy = FALSE;
    const int count =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, nullptr, 0, nullptr, &lossy);
    if (count <= 1 || lossy) return std::nullopt;
    std::string text(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, text.data(), count, nullptr,
                            &lossy) != count ||
        lossy)
        return std::nullopt;
    text.pop_back();  // the terminating zero
    return text;
}

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

}  // namespace

std::vector<std::string> Win32FileSystem::listFiles(const std::string& folder,
                                                    std::string_view suffix) {
    std::vector<std::string> names;
    try {
        std::string pattern = folder;
        if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
        // "*" and our own suffix test: a pattern such as "*.s" would also match the short
        // 8.3 names of longer extensions.
        pattern += '*';
        if (folder.empty() || !zeroTerminated(pattern)) return names;
        const auto wide = widePath(pattern);
        if (!wide) return names;
        WIN32_FIND_DATAW found{};
        const FindHandle find(FindFirstFileW(wide->c_str(), &found));
        if (find.get() == INVALID_HANDLE_VALUE) return names;
        std::size_t scanned = 0;
        do {
            ++scanned;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
            const auto name = ansiName(found.cFileName);
            if (name && nameHasSuffix(*name, suffix)) names.push_back(*name);
        } while (scanned < kMaxScannedEntries && FindNextFileW(find.get(), &found));
        std::sort(names.begin(), names.end());
        if (names.size() > kMaxListedFiles) names.resize(kMaxListedFiles);
    } catch (...) {
        names.clear();
    }
    return names;
}

}  // namespace qbx::win32
