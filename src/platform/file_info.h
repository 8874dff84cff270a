// What the file system tells about files, folders and drives beyond reading and writing them:
// folder searches with sizes, the head of a long file, version resources, drive space and
// volume information, and the folders Windows and the shell keep for the user.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

// One entry a folder search found. The name is without its folder and valid only during the
// visit.
struct FoundEntry {
    std::string_view name;
    std::uint64_t size = 0;
    bool folder = false;
};

// FileVersionMS and FileVersionLS of a version resource's fixed part.
struct FileVersion {
    std::uint32_t mostSignificant = 0;
    std::uint32_t leastSignificant = 0;
};

// Bytes of a drive; -1 where the drive cannot be read.
struct DriveSpace {
    std::int64_t free = -1;
    std::int64_t total = -1;
};

struct VolumeInfo {
    std::string label;
    std::optional<std::uint32_t> serialNumber;  // absent where the system keeps none
    std::string fileSystem;
};

// The head of a file read within a bound.
struct FileHead {
    std::string bytes;
    bool more = false;  // the file goes on past the bytes read
};

class FileInfo {
public:
    virtual ~FileInfo() = default;
    // Visits the entries a search of pattern finds (a folder, a backslash and a mask of "*"
    // and "?"; hidden and system entries and folders included), until visit answers false.
    // Nothing is visited when the folder is missing or nothing matches.
    virtual void findEntries(const std::string& pattern,
                             const std::function<bool(const FoundEntry&)>& visit) = 0;
    // At most maxBytes of the file from its start; nothing when it cannot be opened.
    virtual std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes) = 0;
    // Nothing when the file has no version resource (or the system reads none).
    virtual std::optional<FileVersion> fileVersion(const std::string& path) = 0;
    // Drive 1 is A:, 2 is B: and so on; 0 the current drive.
    virtual DriveSpace driveSpace(int driveNumber) = 0;
    // Root is a drive's root folder ("C:\"). Nothing when the volume cannot be read.
    virtual std::optional<VolumeInfo> volumeInfo(const std::string& root) = 0;
    // The Windows folder as the system reports it; empty when there is none.
    virtual std::string windowsFolder() = 0;
    // The process's current folder; empty when it cannot be told.
    virtual std::string currentFolder() = 0;
    // The shell's special folder of that number (CSIDL); empty when it has none.
    virtual std::string shellFolder(int number) = 0;
};

}  // namespace qbx
