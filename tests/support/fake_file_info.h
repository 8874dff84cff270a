// Fakes of file information and registry roots: what a search finds, file heads, versions,
// drives, volumes and folders are set by the test; searches are recorded.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "platform/file_info.h"
#include "platform/registry_roots.h"

namespace qbx::test {

class FakeFileInfo : public FileInfo {
public:
    struct Entry {
        std::string name;
        std::uint64_t size = 0;
        bool folder = false;
    };
    // Every search finds these entries, whatever its pattern.
    std::vector<Entry> entries;
    std::vector<std::string> patterns;  // the patterns searched, in order
    std::map<std::string, FileHead> heads;
    std::map<std::string, FileVersion> versions;
    std::map<int, DriveSpace> drives;
    std::map<std::string, VolumeInfo> volumes;
    std::string windows = "C:\\WINDOWS";
    std::string current = "C:\\Mail";
    std::map<int, std::string> shell;

    void findEntries(const std::string& pattern,
                     const std::function<bool(const FoundEntry&)>& visit) override {
        patterns.push_back(pattern);
        for (const Entry& e : entries)
            if (!visit(FoundEntry{e.name, e.size, e.folder})) return;
    }
    std::optional<FileHead> readHead(const std::string& path, std::size_t maxBytes) override {
        const auto it = heads.find(path);
        if (it == heads.end()) return std::nullopt;
        FileHead head = it->second;
        if (head.bytes.size() > maxBytes) {
            head.bytes.resize(maxBytes);
            head.more = true;
        }
        return head;
    }
    std::optional<FileVersion> fileVersion(const std::string& path) override {
        const auto it = versions.find(path);
        return it == versions.end() ? std::nullopt : std::optional<FileVersion>(it->second);
    }
    DriveSpace driveSpace(int driveNumber) override {
        const auto it = drives.find(driveNumber);
        return it == drives.end() ? DriveSpace{} : it->second;
    }
    std::optional<VolumeInfo> volumeInfo(const std::string& root) override {
        const auto it = volumes.find(root);
        return it == volumes.end() ? std::nullopt : std::optional<VolumeInfo>(it->second);
    }
    std::string windowsFolder() override { return windows; }
    std::string currentFolder() override { return current; }
    std::string shellFolder(int number) override {
        const auto it = shell.find(number);
        return it == shell.end() ? std::string() : it->second;
    }
};

class FakeRegistryRoots : public RegistryRoots {
public:
    // Keys as the macros pass them (no leading backslash).
    std::map<std::tuple<RegistryRoot, std::string, std::string>, RegValue> values;
    RegValue readString(RegistryRoot root, std::string_view key, std::string_view name) override {
        const auto it = values.find({root, std::string(key), std::string(name)});
        return it == values.end() ? RegValue{} : it->second;
    }
};

}  // namespace qbx::test
