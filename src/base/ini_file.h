// INI documents with the reading rules of the Windows profile functions (sections and keys
// matched without regard to case, first match wins, blanks around names and values ignored,
// a value in matching quotes loses them), parsed from and written to whole files.
// Input is untrusted (language files, plug-in lists, variables files): the parser is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qbx {

// The blanks the profile functions strip around names and values; Ctrl-Z is the end-of-file
// mark of old editors.
constexpr bool isIniBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A';
}
// Some versions of the system's profile functions also strip the code page's no-break space
// (Wine's keep it): a value with one at an end is written in quotes, which every reader takes
// off again, and the variables file holds no name with one at an end.
constexpr bool isProfileBlank(char c) { return isIniBlank(c) || c == '\xA0'; }

class IniFile {
public:
    static constexpr std::size_t kMaxFileBytes = 16u << 20;  // larger files read as empty
    static constexpr std::size_t kMaxLineBytes = 64u << 10;  // longer lines are skipped
    // Sections and keys kept from one parse; the rest of a larger file is ignored, so that a
    // hostile file costs tens of megabytes at most.
    static constexpr std::size_t kMaxParsedNames = 1u << 18;

    IniFile() = default;
    static IniFile parse(std::string_view bytes);
    // Why the parse left part of its text out ("a line longer than 65536 bytes", ...); empty
    // when it took the whole text. A caller that writes the document back over its file keeps
    // such a file aside first.
    const std::string& cut() const { return cut_; }

    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    std::string getString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The leading integer of the value as the profile functions read it; fallback when none.
    std::int32_t getInt(std::string_view section, std::string_view key,
                        std::int32_t fallback) const;

    // Replaces the first matching key or appends it (creating the section at the end).
    void set(std::string_view section, std::string_view key, std::string_view value);
    // Removes the key, or the section with its keys (what the profile functions do for a
    // missing value or key name); nothing when it is missing.
    void erase(std::string_view section, std::string_view key);
    void eraseSection(std::string_view section);
    bool hasSection(std::string_view section) const;
    std::vector<std::string> sectionNames() const;
    std::vector<std::string> keyNames(std::string_view section) const;
    // The section's keys and values in file order, the first of each name only; empty when
    // the section is missing. Valid until the document changes.
    struct Entry {
        std::string key;
        std::string value;
    };
    std::span<const Entry> entries(std::string_view section) const;

    // "[Section]" lines and "key=value" lines, CR LF line ends.
    std::string serialize() const;

private:
    // Names are looked up by their upper-cased form, so that parsing and querying a large
    // file stays linear.
    using Index = std::unordered_map<std::string, std::size_t>;
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        Index keys;
    };
    const Section* findSection(std::string_view name) const;
    Section* findSection(std::string_view name);
    Section& addSection(std::string_view name);
    // Appends unless the key is present; true when appended.
    static bool addEntry(Section& section, std::string_view key, std::string_view value);

    std::vector<Section> sections_;
    Index sectionIndex_;
    std::string cut_;
};

}  // namespace qbx
