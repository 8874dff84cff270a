// The module's view of the outside world. Code outside platform/win32, ui/win32 and win/ reaches
// the system only through these interfaces; platform/win32 implements them with real Win32,
// platform/posix with the native stand-ins, and the tests with fakes.
//
// Paths are Windows-style texts ("C:\dir\file"); text is code page 1251 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/datetime.h"

namespace qbx {

// ---- registry (values under HKEY_CURRENT_USER) ----------------------------------------------

enum class RegStatus { Ok, Missing, WrongType };

struct RegValue {
    RegStatus status = RegStatus::Missing;
    std::string text;  // the value's text when status is Ok
};

// A key path without the root's backslash or a trailing one ("\Software\ZVX\" gives
// "Software\ZVX"): both registries take either form.
inline std::string_view registryKeyPath(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    return key;
}

class Registry {
public:
    virtual ~Registry() = default;
    // Key is a path below HKEY_CURRENT_USER without a leading backslash ("Software\ZVX").
    virtual RegValue readString(std::string_view key, std::string_view name) = 0;
    // Creates the key when needed; stores a string value.
    virtual bool writeString(std::string_view key, std::string_view name,
                             std::string_view value) = 0;
};

// ---- files and folders --------------------------------------------------------------------

// A file held open for writing (the log). Each write is flushed at once by the caller's request.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual bool write(std::string_view bytes) = 0;
    virtual bool flush() = 0;
};

// Whether two pieces of file names are the same, ASCII letters compared without regard to case.
inline bool sameNameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Whether the file name ends in the suffix, ASCII letters compared without regard to case (the
// suffixes asked for are extensions such as ".s").
inline bool nameHasSuffix(std::string_view name, std::string_view suffix) {
    return suffix.size() <= name.size() &&
           sameNameText(name.substr(name.size() - suffix.size()), suffix);
}

// The name FileSystem::writeFileAtomic writes under before renaming it over the target:
// "<target>.tmp<process id>.<sequence>". A save that is killed half-way leaves it behind.
inline std::string atomicTemporaryName(std::string_view target, std::uint64_t processId,
                                       std::uint64_t sequence) {
    std::string name(target);
    name += ".tmp";
    name += std::to_string(processId);
    name += '.';
    name += std::to_string(sequence);
    return name;
}

// Whether a file name (without folder) is such a temporary name of the file name `target`:
// the target, ".tmp", digits, a dot, digits and nothing else. Only these may be removed as
// leftovers, so nothing looser matches.
inline bool isAtomicTemporaryNameOf(std::string_view name, std::string_view target) {
    constexpr std::string_view kTmp = ".tmp";
    if (name.size() <= target.size() + kTmp.size()) return false;
    if (!sameNameText(name.substr(0, target.size()), target) ||
        !sameNameText(name.substr(target.size(), kTmp.size()), kTmp))
        return false;
    const std::string_view numbers = name.substr(target.size() + kTmp.size());
    const auto allDigits = [](std::string_view text) {
        if (text.empty()) return false;
        for (const char c : text)
            if (c < '0' || c > '9') return false;
        return true;
    };
    const std::size_t dot = numbers.find('.');
    return dot != std::string_view::npos && allDigits(numbers.substr(0, dot)) &&
           allDigits(numbers.substr(dot + 1));
}

// The reason FileSystem::readFile gives for a file over its cap. It is the one refusal that
// is about the file's content rather than about getting at it.
inline std::string tooLongReason(std::size_t maxBytes) {
    return "longer than " + std::to_string(maxBytes) + " bytes";
}
inline bool isTooLongReason(std::string_view reason) { return reason.starts_with("longer than "); }

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // The system's reason for the latest call of this object that failed ("Access is
    // denied."), for the failure lines of the callers; read it right after the failure.
    const std::string& lastError() const noexcept { return lastError_; }
    virtual bool fileExists(const std::string& path) = 0;
    virtual bool directoryExists(const std::string& path) = 0;
    // One level only; true when the folder exists afterwards.
    virtual bool createDirectory(const std::string& path) = 0;
    // The folder and all missing parents; true when the folder exists afterwards.
    virtual bool createDirectories(const std::string& path) = 0;
    // The whole file, or nothing when it is missing, unreadable or longer than maxBytes (the
    // reason then being tooLongReason(maxBytes)).
    virtual std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) = 0;
    // Writes to a temporary name beside the file and renames it over the old one.
    virtual bool writeFileAtomic(const std::string& path, std::string_view bytes) = 0;
    // Appends to a file that exists already; never creates one.
    virtual bool appendToExistingFile(const std::string& path, std::string_view bytes) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Fails when the target exists.
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // Creates or truncates a file and keeps it open for writing.
    virtual std::unique_ptr<OutputFile> createFile(const std::string& path) = 0;
    // Creates a file that does not exist yet and keeps it open for writing; nothing (and an
    // existing file left as it was) when the name is taken or the file cannot be made.
    virtual std::unique_ptr<OutputFile> createNewFile(const std::string& path) = 0;
    // Creates or truncates a file written line by line whose every line must be the system's
    // at once, so that it outlives our process (the log). Where the system offers it the file
    // is written through a mapping, which costs no call into the system per line; its end then
    // holds zeros after the last line until it is let go.
    virtual std::unique_ptr<OutputFile> createLogFile(const std::string& path) {
        return createFile(path);
    }
    // A log file whose process ended before settling it: the zeros after its last line are cut
    // off. Any other file, and a missing one, are left as they are.
    virtual void settleLogFile(const std::string& /*path*/) {}
    // The plain files (no folders) of the folder whose names end in the suffix (matched
    // without regard to case; an empty suffix matches every name), names only, sorted
    // bytewise; at most kMaxListedFiles of them. Empty when the folder is missing.
    virtual std::vector<std::string> listFiles(const std::string& folder,
                                               std::string_view suffix) = 0;
    static constexpr std::size_t kMaxListedFiles = 4096;

protected:
    // Records the reason of a failed call; returns false for the caller's convenience.
    bool fail(std::string reason) noexcept {
        try {
            lastError_ = std::move(reason);
        } catch (...) {
        }
        return false;
    }

private:
    std::string lastError_;
};

// ---- INI files through the system's profile functions ----------------------------------------

// Sections and keys are matched without regard to case; reading ignores blanks around names
// and values and takes a value out of matching quotes. A value written here reads back as
// written, except that line breaks (which would start lines of their own) become blanks.
// Every write goes to the file at once.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // The section's key names in file order; empty when the file or section is missing.
    virtual std::vector<std::string> keyNames(const std::string& path,
                                              std::string_view section) = 0;
    // The key's value, or the fallback when the file, section or key is missing.
    virtual std::string readString(const std::string& path, std::string_view section,
                                   std::string_view key, std::string_view fallback) = 0;
    // Creates the file and section as needed.
    virtual bool writeString(const std::string& path, std::string_view section,
                             std::string_view key, std::string_view value) = 0;
    // Removes the key; true also when there was none.
    virtual bool deleteKey(const std::string& path, std::string_view section,
                           std::string_view key) = 0;
    // Removes the section with all its keys; true also when there was none.
    virtual bool eraseSection(const std::string& path, std::string_view section) = 0;
};

// ---- process environment ------------------------------------------------------------------

class Environment {
public:
    virtual ~Environment() = default;
    // %NAME% replaced by the variable's value; unknown names stay as written; on failure the
    // text comes back unchanged.
    virtual std::string expandVariables(std::string_view text) = 0;
    // The temporary folder, ending in exactly one backslash.
    virtual std::string tempDirectory() = 0;
    // The system folder as the system reports it (no trailing backslash).
    virtual std::string systemDirectory() = 0;
    // Full path of the process's main program (the host).
    virtual std::string hostProgramPath() = 0;
    // Full path of this module's own file.
    virtual std::string modulePath() = 0;
};

// ---- time and memory ---------------------------------------------------------------------

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time as days since 1899-12-30 (fraction = time of day).
    virtual double now() = 0;
    // Universal date and time now, in the same scale.
    virtual double universalNow() = 0;
    // A local date-time as universal time, by the time zone's bias in effect on that date
    // (daylight saving included); the value itself when the system cannot tell.
    virtual double localToUniversal(double localDateTime) = 0;
    // Milliseconds since boot, wrapping at 2^32.
    virtual std::uint32_t tickCount() = 0;
    // Bytes currently allocated from the module's heap (the log's memory column).
    virtual std::uint64_t heapBytesInUse() = 0;
};

// ---- locale-dependent texts ------------------------------------------------------------------

class LocaleFormat {
public:
    virtual ~LocaleFormat() = default;
    virtual std::string longTime(double dateTime) = 0;   // time of day, system long format
    virtual std::string shortDate(double dateTime) = 0;  // date, system short format
    virtual std::string shortTime(double dateTime) = 0;  // time of day, system short format
    virtual std::string longDate(double dateTime) = 0;   // date, system long format
    virtual char decimalSeparator() = 0;
    virtual char thousandSeparator() = 0;
    // Day and month names, the AM and PM texts and the separators of the user's locale, in the
    // system's ANSI code page.
    virtual DateTimeNames dateTimeNames() = 0;
};

// ---- digests ----------------------------------------------------------------------------------

class Hashing {
public:
    virtual ~Hashing() = default;
    // The 16 raw bytes of the MD5 digest of bytes (not hexadecimal). Throws std::runtime_error
    // when the system offers no MD5 (a policy that forbids it, say).
    virtual std::string md5(std::string_view bytes) = 0;
};

// ---- the user-interface thread -------------------------------------------------------------

enum class MessageIcon { Information, Warning, Error };

class SystemInfo;  // platform/system_info.h

class UserInterface {
public:
    virtual ~UserInterface() = default;
    // Processes every message waiting in the thread's queue.
    virtual void pumpMessages() = 0;
    // A modal box with an OK button and no owner window.
    virtual void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

class Network;         // platform/network.h
class FileInfo;        // platform/file_info.h
class RegistryRoots;   // platform/registry_roots.h
class SharedMemory;    // platform/shared_memory.h
class TextPrompt;      // platform/text_prompt.h
class ProgramRunner;   // platform/program_runner.h
class DesktopWindows;  // platform/desktop_windows.h
class HostProgram;     // platform/host_program.h

// The set of services one Plugin context works with. It owns nothing.
struct Platform {
    Registry* registry = nullptr;
    FileSystem* files = nullptr;
    Environment* environment = nullptr;
    Clock* clock = nullptr;
    LocaleFormat* locale = nullptr;
    UserInterface* ui = nullptr;
    ProfileStore* profiles = nullptr;
    Hashing* hashing = nullptr;
    Network* network = nullptr;
    FileInfo* fileInfo = nullptr;
    RegistryRoots* registryRoots = nullptr;
    SystemInfo* systemInfo = nullptr;
    SharedMemory* sharedMemory = nullptr;
    TextPrompt* textPrompt = nullptr;
    ProgramRunner* programRunner = nullptr;
    DesktopWindows* desktopWindows = nullptr;
    HostProgram* hostProgram = nullptr;
};

// The real services of this build (Win32 in the DLL, stand-ins natively); they live as long
// as the process.
Platform systemPlatform();

}  // namespace qbx
