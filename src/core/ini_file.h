// INI documents with the reading rules of the Windows profile functions (sections and keys
// matched without regard to case, first match wins, blanks around names and values ignored,
// a value in matching quotes loses them), parsed from and written to whole files.
// Input is untrusted (language files, plug-in lists, variables files): the parser is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

class FileSystem;

class IniFile {
public:
    static constexpr std::size_t kMaxFileBytes = 16u << 20;  // larger files read as empty
    static constexpr std::size_t kMaxLineBytes = 64u << 10;  // longer lines are skipped

    IniFile() = default;
    static IniFile parse(std::string_view bytes);

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The leading integer of the value as the profile functions read it; fallback when none.
    std::int32_t getInt(std::string_view section, std::string_view key,
                        std::int32_t fallback) const;

    // Replaces the first matching key or appends it (creating the section at the end).
    void set(std::string_view section, std::string_view key, std::string_view value);
    bool hasSection(std::string_view section) const;
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(std::string_view section) const;

    // "[Section]" lines and "key=value" lines, CR LF line ends.
    std::string serialize() const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    const Section* findSection(std::string_view name) const;
    Section* findSection(std::string_view name);

    std::vector<Section> sections_;
};

// A missing, unreadable or oversized file gives an empty document.
IniFile loadIniFile(FileSystem& files, const std::string& path);
// Written to a temporary name and renamed over the old file.
bool saveIniFile(FileSystem& files, const std::string& path, const IniFile& ini);

}  // namespace qbx
