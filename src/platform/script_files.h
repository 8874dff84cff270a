// Files and folders as the scripts' SysUtils routines reach them: attributes, times, the current
// folder, disk space, folder listings and files held open by a script. Paths are the system's
// own, relative ones taken from the process's current folder. A script runs with the user's
// rights, so nothing here is confined to a folder of ours.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qbx {

// Windows' attribute bits, which scripts read and write as numbers.
namespace file_attribute {
constexpr std::uint32_t kReadOnly = 0x01;
constexpr std::uint32_t kHidden = 0x02;
constexpr std::uint32_t kSystem = 0x04;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;
}  // namespace file_attribute

struct FoundFile {
    std::string name;  // without its folder
    std::uint32_t attributes = 0;
    std::int64_t size = 0;
    double modified = 0;  // local date-time, days since 1899-12-30
};

struct DiskSpace {
    std::int64_t free = 0;  // bytes this user may still take
    std::int64_t total = 0;
};

enum class SeekOrigin { Begin = 0, Current = 1, End = 2 };

// A file a script holds open. Reads and writes move the position as the system's do.
class OpenScriptFile {
public:
    virtual ~OpenScriptFile() = default;
    // Bytes read (0 at the end), or -1.
    virtual std::int64_t read(char* buffer, std::size_t count) = 0;
    // Bytes written, or -1.
    virtual std::int64_t write(const char* bytes, std::size_t count) = 0;
    // The new position from the start, or -1.
    virtual std::int64_t seek(std::int64_t offset, SeekOrigin origin) = 0;
};

enum class FileAccess { Read = 0, Write = 1, ReadWrite = 2 };

class ScriptFiles {
public:
    // A folder listing stops after this many entries.
    static constexpr std::size_t kMaxFoundFiles = 1u << 16;

    virtual ~ScriptFiles() = default;
    virtual bool fileExists(const std::string& path) = 0;
    virtual bool directoryExists(const std::string& path) = 0;
    // One level; false when it exists already or its parent is missing.
    virtual bool createDirectory(const std::string& path) = 0;
    // The folder and its missing parents; true when it exists afterwards.
    virtual bool createDirectories(const std::string& path) = 0;
    virtual bool deleteFile(const std::string& path) = 0;
    // Fails when the target exists.
    virtual bool renameFile(const std::string& from, const std::string& to) = 0;
    // The attribute bits, or nothing when the path names nothing.
    virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;
    // Read-only, hidden, system and archive bits; the others are the system's to keep.
    virtual bool setAttributes(const std::string& path, std::uint32_t attributes) = 0;
    // When the file was last written, or nothing when it is missing.
    virtual std::optional<double> modified(const std::string& path) = 0;
    virtual std::optional<std::int64_t> size(const std::string& path) = 0;
    // An empty folder only.
    virtual bool removeDirectory(const std::string& path) = 0;
    virtual std::string currentDirectory() = 0;
    virtual bool setCurrentDirectory(const std::string& path) = 0;
    // The disk holding the path ("C:\"); nothing when there is no such disk.
    virtual std::optional<DiskSpace> diskSpace(const std::string& path) = 0;
    // The entries of the pattern's folder whose names match its last part ("*" and "?" as the
    // system matches them), "." and ".." included where the system lists them, at most
    // kMaxFoundFiles. Empty when the folder is missing.
    virtual std::vector<FoundFile> find(const std::string& pattern) = 0;
    // The system's text for one of its error codes, as it gives it; empty for a code it has no
    // text for.
    virtual std::string errorText(std::uint32_t code) = 0;
    // create: a new empty file (an existing one is emptied), opened for reading and writing.
    virtual std::unique_ptr<OpenScriptFile> open(const std::string& path, FileAccess access,
                                                 bool create) = 0;
};

// The files of this build: Win32 in the DLL, POSIX natively.
ScriptFiles& systemScriptFiles();

}  // namespace qbx
