#include <windows.h>

#include "platform/win32/system_texts.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

// The system expands at most 32K characters; texts beyond that come back unchanged.
constexpr DWORD kMaxExpandedBytes = 32768;
// Module paths may be long ("\\?\" paths run to 32K characters).
constexpr DWORD kMaxModulePath = 65536;

std::string withOneBackslash(std::string folder) {
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder + "\\";
}

std::string withoutBackslash(std::string folder) {
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

// Calls of the GetTempPath kind: the length on success, the size needed (terminator included)
// when the buffer is too small, 0 on failure.
template <class Call>
std::string askForFolder(Call call) {
    std::string buffer(MAX_PATH + 1, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD n = call(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        if (n > kMaxModulePath) return {};
        buffer.assign(static_cast<std::size_t>(n) + 1, '\0');
    }
    return {};
}

std::string moduleFileName(HMODULE module) {
    // A cut-short name fills the buffer exactly; try again with more room.
    for (DWORD size = MAX_PATH + 1; size <= kMaxModulePath; size *= 2) {
        std::string buffer(size, '\0');
        const DWORD n = GetModuleFileNameA(module, buffer.data(), size);
        if (n == 0) return {};
        if (n < size) {
            buffer.resize(n);
            return buffer;
        }
    }
    return {};
}

}  // namespace

std::string Win32Environment::expandVariables(std::string_view text) {
    try {
        const auto source = zeroTerminated(text);
        if (!source || text.size() >= kMaxExpandedBytes) return std::string(text);
        DWORD room = static_cast<DWORD>(text.size()) + 256;
        for (int attempt = 0; attempt < 3; ++attempt) {
            // One byte more than we admit to: some versions of the ANSI form write one past
            // the size they report.
            std::string buffer(static_cast<std::size_t>(room) + 1, '\0');
            const DWORD n = ExpandEnvironmentStringsA(source->c_str(), buffer.data(), room);
            if (n == 0) return std::string(text);
            if (n <= room) {
                buffer.resize(n);
                if (const auto nul = buffer.find('\0'); nul != std::string::npos)
                    buffer.resize(nul);
                return buffer;
            }
            if (n > kMaxExpandedBytes) return std::string(text);
            room = n + 1;
        }
        return std::string(text);
    } catch (...) {
        return std::string(text);
    }
}

std::string Win32Environment::tempDirectory() {
    std::string folder =
        askForFolder([](DWORD size, char* buffer) { return GetTempPathA(size, buffer); });
    if (folder.empty()) {
        folder = askForFolder(
            [](DWORD size, char* buffer) { return GetWindowsDirectoryA(buffer, size); });
        if (folder.empty()) folder = "C:\\Windows";
        folder = withOneBackslash(folder) + "Temp";
    }
    return withOneBackslash(folder);
}

std::string Win32Environment::systemDirectory() {
    return withoutBackslash(
        askForFolder([](DWORD size, char* buffer) { return GetSystemDirectoryA(buffer, size); }));
}

std::string Win32Environment::hostProgramPath() { return moduleFileName(nullptr); }

std::string Win32Environment::modulePath() {
    const HMODULE self = ownModule();
    return self != nullptr ? moduleFileName(self) : std::string();
}

}  // namespace qbx::win32
