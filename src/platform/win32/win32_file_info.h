// File information and registry roots from Win32: folder searches, version resources, drive
// space and volumes (critical-error boxes switched off around each, so that an empty drive
// never stops the host with a dialog), the Windows and shell folders, and text values under
// any root.
#pragma once

#include "platform/file_info.h"
#include "platform/registry_roots.h"

namespace qbx::win32 {

class Win32FileInfo final : public FileInfo {
public:
    // A version resource larger than this is taken for a damaged file.
    static constexpr unsigned long kMaxVersionInfoBytes = 16ul << 20;
    void findEntries(const std::string& pattern,
                     const std::function<bool(const FoundEntry&)>& visit) override;
    std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes) override;
    std::optional<FileVersion> fileVersion(const std::string& path) override;
    DriveSpace driveSpace(int driveNumber) override;
    std::optional<VolumeInfo> volumeInfo(const std::string& root) override;
    std::string windowsFolder() override;
    std::string currentFolder() override;
    std::string shellFolder(int number) override;
};

class Win32RegistryRoots final : public RegistryRoots {
public:
    RegValue readString(RegistryRoot root, std::string_view key, std::string_view name) override;
};

}  // namespace qbx::win32
