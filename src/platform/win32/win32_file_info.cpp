#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <string>

#include "platform/win32/registry_text.h"
#include "platform/win32/win32_file_info.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

constexpr std::size_t kReadChunk = 1u << 20;
constexpr DWORD kMaxFolderBytes = 32768;

// No "insert a disk" box while a drive is asked: the host would stop on it. The previous mode
// comes back when the query is done.
class QuietDriveErrors {
public:
    QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
    ~QuietDriveErrors() { SetErrorMode(previous_); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    UINT previous_;
};

struct SearchCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};

// A folder that an "A" call writes into a buffer it sizes itself: asked for the length first.
template <typename Call>
std::string folderText(Call call) {
    const DWORD needed = call(0, nullptr);
    if (needed == 0 || needed > kMaxFolderBytes) return {};
    std::string text(needed + 1, '\0');
    const DWORD got = call(static_cast<DWORD>(text.size()), text.data());
    if (got == 0 || got >= text.size()) return {};
    text.resize(got);
    return text;
}

}  // namespace

void Win32FileInfo::findEntries(const std::string& pattern,
                                const std::function<bool(const FoundEntry&)>& visit) {
    const auto text = zeroTerminated(pattern);
    if (!text || text->empty()) return;
    const QuietDriveErrors quiet;
    WIN32_FIND_DATAA data{};
    const HANDLE first = FindFirstFileA(text->c_str(), &data);
    if (first == INVALID_HANDLE_VALUE) return;
    const std::unique_ptr<void, SearchCloser> search(first);
    do {
        data.cFileName[MAX_PATH - 1] = '\0';
        const FoundEntry entry{
            data.cFileName,
            (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
            (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
        if (!visit(entry)) return;
    } while (FindNextFileA(first, &data));
}

std::optional<FileHead> Win32FileInfo::readHead(const std::string& path, std::size_t maxBytes) {
    const auto name = zeroTerminated(path);
    if (!name || name->empty()) return std::nullopt;
    const HANDLE opened = CreateFileA(name->c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return std::nullopt;
    const std::unique_ptr<void, HandleCloser> file(opened);
    if (GetFileType(opened) != FILE_TYPE_DISK) return std::nullopt;
    FileHead head;
    std::size_t got = 0;
    for (;;) {
        if (got >= maxBytes) break;
        const std::size_t want = std::min(kReadChunk, maxBytes - got);
        head.bytes.resize(got + want);
        DWORD read = 0;
        if (!ReadFile(opened, head.bytes.data() + got, static_cast<DWORD>(want), &read, nullptr))
            return std::nullopt;
        if (read == 0) break;
        got += read;
    }
    head.bytes.resize(got);
    if (got >= maxBytes) {
        char extra = 0;
        DWORD read = 0;
        head.more = ReadFile(opened, &extra, 1, &read, nullptr) && read == 1;
    }
    return head;
}

std::optional<FileVersion> Win32FileInfo::fileVersion(const std::string& path) {
    const auto name = zeroTerminated(path);
    if (!name || name->empty()) return std::nullopt;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(name->c_str(), &ignored);
    if (size == 0 || size > kMaxVersionInfoBytes) return std::nullopt;
    std::string buffer(size, '\0');
    if (!GetFileVersionInfoA(name->c_str(), 0, size, buffer.data())) return std::nullopt;
    void* fixed = nullptr;
    UINT length = 0;
    char root[] = "\\";
    if (!VerQueryValueA(buffer.data(), root, &fixed, &length) || fixed == nullptr ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    return FileVersion{info->dwFileVersionMS, info->dwFileVersionLS};
}

DriveSpace Win32FileInfo::driveSpace(int driveNumber) {
    if (driveNumber < 0 || driveNumber > 26) return {};
    char root[] = "?:\\";
    root[0] = static_cast<char>('A' + driveNumber - 1);
    const QuietDriveErrors quiet;
    ULARGE_INTEGER free{}, total{};
    if (!GetDiskFreeSpaceExA(driveNumber == 0 ? nullptr : root, &free, &total, nullptr)) return {};
    // Past 2^63 bytes a count would turn negative, the sign of a drive that cannot be read.
    const auto capped = [](ULONGLONG bytes) {
        return static_cast<std::int64_t>(bytes > 0x7FFFFFFFFFFFFFFFull ? 0x7FFFFFFFFFFFFFFFull
                                                                       : bytes);
    };
    return DriveSpace{capped(free.QuadPart), capped(total.QuadPart)};
}

std::optional<VolumeInfo> Win32FileInfo::volumeInfo(const std::string& root) {
    const auto name = zeroTerminated(root);
    if (!name) return std::nullopt;
    char label[MAX_PATH + 1] = {};
    char fileSystem[MAX_PATH + 1] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    const QuietDriveErrors quiet;
    if (!GetVolumeInformationA(name->c_str(), label, MAX_PATH + 1, &serial, &maxComponent, &flags,
                               fileSystem, MAX_PATH + 1))
        return std::nullopt;
    label[MAX_PATH] = fileSystem[MAX_PATH] = '\0';
    return VolumeInfo{label, serial, fileSystem};
}

std::string Win32FileInfo::windowsFolder() {
    return folderText([](DWORD size, char* buffer) {
        return static_cast<DWORD>(GetWindowsDirectoryA(buffer, size));
    });
}

std::string Win32FileInfo::currentFolder() {
    return folderText([](DWORD size, char* buffer) { return GetCurrentDirectoryA(size, buffer); });
}

std::string Win32FileInfo::shellFolder(int number) {
    char buffer[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, number, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) return {};
    buffer[MAX_PATH] = '\0';
    return buffer;
}

RegValue Win32RegistryRoots::readString(RegistryRoot root, std::string_view key,
                                        std::string_view name) {
    return readRegistryText(win32::rootKeyOf(root), key, name, kMaxValueBytes);
}

}  // namespace qbx::win32
