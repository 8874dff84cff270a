// The scripts' files in the DLL: the system's "A" file functions, as a Delphi program of the
// module's code page calls them.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/datetime.h"
#include "platform/script_files.h"

namespace qbx {

namespace {

constexpr std::size_t kMaxPathBytes = 32767;

// The path with its terminating zero, or nothing when it cannot name a file.
bool usable(const std::string& path) {
    return !path.empty() && path.size() <= kMaxPathBytes && path.find('\0') == std::string::npos;
}

double localDateTime(const FILETIME& written) {
    FILETIME local{};
    SYSTEMTIME parts{};
    if (!FileTimeToLocalFileTime(&written, &local) || !FileTimeToSystemTime(&local, &parts))
        return 0;
    DateTimeFields fields;
    fields.year = parts.wYear;
    fields.month = parts.wMonth;
    fields.day = parts.wDay;
    fields.hour = parts.wHour;
    fields.minute = parts.wMinute;
    fields.second = parts.wSecond;
    return encodeDateTime(fields);
}

std::int64_t sizeOf(DWORD high, DWORD low) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

class Win32OpenFile final : public OpenScriptFile {
public:
    explicit Win32OpenFile(HANDLE handle) : handle_(handle) {}
    ~Win32OpenFile() override { CloseHandle(handle_); }
    Win32OpenFile(const Win32OpenFile&) = delete;
    Win32OpenFile& operator=(const Win32OpenFile&) = delete;

    std::int64_t read(char* buffer, std::size_t count) override {
        DWORD done = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        if (!ReadFile(handle_, buffer, asked, &done, nullptr)) return -1;
        return done;
    }
    std::int64_t write(const char* bytes, std::size_t count) override {
        DWORD done = 0;
        const DWORD asked = static_cast<DWORD>(std::min<std::size_t>(count, 1u << 30));
        if (!WriteFile(handle_, bytes, asked, &done, nullptr)) return -1;
        return done;
    }
    std::int64_t seek(std::int64_t offset, SeekOrigin origin) override {
        LARGE_INTEGER distance{};
        distance.QuadPart = offset;
        LARGE_INTEGER at{};
        const DWORD method = origin == SeekOrigin::Begin     ? FILE_BEGIN
                             : origin == SeekOrigin::Current ? FILE_CURRENT
                                                             : FILE_END;
        if (!SetFilePointerEx(handle_, distance, &at, method)) return -1;
        return at.QuadPart;
    }

private:
    HANDLE handle_;
};

class Win32ScriptFiles final : public ScriptFiles {
public:
    bool fileExists(const std::string& path) override {
        const auto bits = attributes(path);
        return bits && (*bits & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    bool directoryExists(const std::string& path) override {
        const auto bits = attributes(path);
        return bits && (*bits & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool createDirectory(const std::string& path) override {
        return usable(path) && CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    }
    bool createDirectories(const std::string& path) override {
        if (!usable(path)) return false;
        std::string folder = path;
        while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/'))
            folder.pop_back();
        if (directoryExists(folder)) return true;
        // Each parent in turn; the ones that exist already, or are a drive, fail harmlessly.
        for (std::size_t at = folder.find_first_of("\\/", 1); at != std::string::npos;
             at = folder.find_first_of("\\/", at + 1))
            CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        CreateDirectoryA(folder.c_str(), nullptr);
        return directoryExists(folder);
    }
    bool deleteFile(const std::string& path) override {
        return usable(path) && DeleteFileA(path.c_str()) != FALSE;
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        return usable(from) && usable(to) && MoveFileA(from.c_str(), to.c_str()) != FALSE;
    }
    std::optional<std::uint32_t> attributes(const std::string& path) override {
        if (!usable(path)) return std::nullopt;
        const DWORD bits = GetFileAttributesA(path.c_str());
        if (bits == INVALID_FILE_ATTRIBUTES) return std::nullopt;
        return bits;
    }
    bool setAttributes(const std::string& path, std::uint32_t bits) override {
        return usable(path) && SetFileAttributesA(path.c_str(), bits) != FALSE;
    }
    std::optional<double> modified(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!usable(path) || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            return std::nullopt;
        return localDateTime(data.ftLastWriteTime);
    }
    std::optional<std::int64_t> size(const std::string& path) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!usable(path) || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return std::nullopt;
        return sizeOf(data.nFileSizeHigh, data.nFileSizeLow);
    }
    bool removeDirectory(const std::string& path) override {
        return usable(path) && RemoveDirectoryA(path.c_str()) != FALSE;
    }
    std::string currentDirectory() override {
        const DWORD needed = GetCurrentDirectoryA(0, nullptr);
        if (needed == 0 || needed > kMaxPathBytes + 1) return {};
        std::string text(needed, '\0');
        const DWORD length = GetCurrentDirectoryA(needed, text.data());
        if (length == 0 || length >= needed) return {};
        text.resize(length);
        return text;
    }
    bool setCurrentDirectory(const std::string& path) override {
        return usable(path) && SetCurrentDirectoryA(path.c_str()) != FALSE;
    }
    std::optional<DiskSpace> diskSpace(const std::string& path) override {
        ULARGE_INTEGER available{}, total{}, free{};
        const char* root = path.empty() ? nullptr : path.c_str();
        if ((root != nullptr && !usable(path)) ||
            !GetDiskFreeSpaceExA(root, &available, &total, &free))
            return std::nullopt;
        return DiskSpace{static_cast<std::int64_t>(available.QuadPart),
                         static_cast<std::int64_t>(total.QuadPart)};
    }
    std::vector<FoundFile> find(const std::string& pattern) override {
        std::vector<FoundFile> found;
        if (!usable(pattern)) return found;
        WIN32_FIND_DATAA data{};
        const HANDLE handle = FindFirstFileA(pattern.c_str(), &data);
        if (handle == INVALID_HANDLE_VALUE) return found;
        do {
            FoundFile file;
            file.name = data.cFileName;
            file.attributes = data.dwFileAttributes;
            file.size = sizeOf(data.nFileSizeHigh, data.nFileSizeLow);
            file.modified = localDateTime(data.ftLastWriteTime);
            found.push_back(std::move(file));
        } while (found.size() < kMaxFoundFiles && FindNextFileA(handle, &data));
        FindClose(handle);
        // Wine lists a folder in the host file system's order; sorted, it is the same every time.
        std::sort(found.begin(), found.end(),
                  [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
        return found;
    }
    std::string errorText(std::uint32_t code) override {
        char buffer[1024] = {};
        const DWORD length =
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buffer, sizeof buffer, nullptr);
        return std::string(buffer, std::min<std::size_t>(length, sizeof buffer));
    }
    std::unique_ptr<OpenScriptFile> open(const std::string& path, FileAccess access,
                                         bool create) override {
        if (!usable(path)) return nullptr;
        DWORD rights = access == FileAccess::Read    ? GENERIC_READ
                       : access == FileAccess::Write ? GENERIC_WRITE
                                                     : GENERIC_READ | GENERIC_WRITE;
        if (create) rights = GENERIC_READ | GENERIC_WRITE;
        const HANDLE handle =
            CreateFileA(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        return std::make_unique<Win32OpenFile>(handle);
    }
};

}  // namespace

ScriptFiles& systemScriptFiles() {
    static Win32ScriptFiles files;
    return files;
}

}  // namespace qbx
