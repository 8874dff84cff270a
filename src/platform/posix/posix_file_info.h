// The native stand-ins for file information and registry roots. Every drive letter names the
// one file tree, as in posix_paths.cpp; what Linux has no counterpart for (version resources,
// volume labels and serial numbers, the Windows folder, most shell folders) is reported as
// absent.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_info.h"
#include "platform/registry_roots.h"

namespace qbx::posix {

// Whether a name matches a search mask of "*" and "?", letters compared without regard to
// case; "*.*" matches every name, as the Windows search has it.
bool matchesSearchMask(std::string_view name, std::string_view mask);

class PosixFileInfo final : public FileInfo {
public:
    void findEntries(const std::string& pattern,
                     const std::function<bool(const FoundEntry&)>& visit) override;
    std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes) override;
    std::optional<FileVersion> fileVersion(const std::string& path) override;
    DriveSpace driveSpace(int driveNumber) override;
    std::optional<VolumeInfo> volumeInfo(const std::string& root) override;
    std::string windowsFolder() override;
    std::string currentFolder() override;
    // Personal documents ($HOME), application data ($XDG_CONFIG_HOME or ~/.config) and the
    // desktop (~/Desktop when it exists); no others.
    std::string shellFolder(int number) override;
};

// The current user's values are those of the registry file; another root's live in the same
// file under sections named with the root ("[HKEY_LOCAL_MACHINE\Software\X]").
class IniRegistryRoots final : public RegistryRoots {
public:
    explicit IniRegistryRoots(Registry& currentUser) : currentUser_(currentUser) {}
    RegValue readString(RegistryRoot root, std::string_view key, std::string_view name) override;

private:
    Registry& currentUser_;
};

}  // namespace qbx::posix
