// The native build's stand-ins for the system services: the registry kept in an INI file,
// Windows-style paths mapped onto the POSIX file system the way Wine maps drive Z:, and
// console stand-ins for the user interface.
#pragma once

#include <cstdint>
#include <ctime>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "base/ini_file.h"
#include "platform/platform.h"

namespace qbx::posix {

// A broken-down local time as the module's date-time (a leap second read as the 59th).
double localDateTimeOf(const tm& t, long nanoseconds);

// "Z:\tmp\x" -> "/tmp/x". Every drive letter names the root: the native build has one file
// tree, and the core only ever builds paths below folders it got from us (all on Z:).
// Empty when the path cannot name a file (an embedded NUL).
std::string toNativePath(std::string_view path);
// "/tmp/x" -> "Z:\tmp\x"; relative paths only get their separators turned.
std::string toWindowsPath(std::string_view nativePath);

class PosixFileSystem final : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool createDirectories(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override;
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    bool appendToExistingFile(const std::string& path, std::string_view bytes) override;
    bool deleteFile(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createNewFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createLogFile(const std::string& path) override;
    void settleLogFile(const std::string& path) override;
    std::vector<std::string> listFiles(const std::string& folder, std::string_view suffix) override;

private:
    // mapped: a log file written through a mapping (opened for reading too, which that needs).
    std::unique_ptr<OutputFile> openForWriting(const std::string& path, int flags,
                                               bool mapped = false);
};

// Values live in the INI file named by QBX_REGISTRY (default ~/.qbx/registry.ini): one
// section per key path, one "name=text" line per value. The document is cached and re-read
// when the file changes under us; writes go straight to the file (atomically), and a write
// that changes nothing is skipped, so the ~70 values saved at shut-down cost only the
// rewrites of the values that changed.
class IniRegistry final : public Registry {
public:
    RegValue readString(std::string_view key, std::string_view name) override;
    bool writeString(std::string_view key, std::string_view name, std::string_view value) override;

    // The file in use: $QBX_REGISTRY, else $HOME/.qbx/registry.ini; empty when neither is set.
    static std::string registryPath();

private:
    struct Stamp {
        bool exists = false;
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t mtimeSec = 0, mtimeNsec = 0;
        bool operator==(const Stamp&) const = default;
    };
    static Stamp stampOf(const std::string& path);
    // Brings the cache up to date with the file; false when the file cannot be used.
    bool refresh(const std::string& path);

    std::mutex mutex_;
    PosixFileSystem files_;
    std::string cachedPath_;
    std::optional<Stamp> cachedStamp_;
    IniFile cache_;
};

class PosixEnvironment final : public Environment {
public:
    std::string expandVariables(std::string_view text) override;
    std::string tempDirectory() override;
    std::string systemDirectory() override;
    std::string hostProgramPath() override;
    std::string modulePath() override;
};

class PosixClock final : public Clock {
public:
    double now() override;
    double universalNow() override;
    double localToUniversal(double localDateTime) override;
    std::uint32_t tickCount() override;
    std::uint64_t heapBytesInUse() override;
};

// Fixed formats: the native build never consults the C locale.
class PosixLocale final : public LocaleFormat {
public:
    std::string longTime(double dateTime) override;   // HH:MM:SS
    std::string shortDate(double dateTime) override;  // DD.MM.YYYY
    std::string shortTime(double dateTime) override;  // HH:MM
    std::string longDate(double dateTime) override;   // "Monday, December 7, 2026"
    char decimalSeparator() override { return '.'; }
    char thousandSeparator() override { return ','; }
    DateTimeNames dateTimeNames() override { return englishDateTimeNames(); }
};

class ConsoleUi final : public UserInterface {
public:
    void pumpMessages() override {}
    // "caption: text" on stderr; there is nobody to click OK.
    void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;
};

}  // namespace qbx::posix
