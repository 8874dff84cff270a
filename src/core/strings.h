// The interface string table: 500 texts, indexed 1 to 500, with built-in defaults that a
// language file's [Strings] section may replace entry by entry.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace qbx {

class StringTable {
public:
    static constexpr int kCount = 500;

    StringTable() = default;  // every entry empty

    // ResetLanguageStrings: empties every entry, then assigns the built-in defaults.
    void reset();

    // Entry n; an index outside 1..500 reads as the empty text.
    const std::string& operator[](int index) const;
    // Ignored for an index outside 1..500.
    void set(int index, std::string_view text);

private:
    std::array<std::string, kCount + 1> entries_{};  // entry 0 unused
};

// Indexes with a role of their own.
namespace str {
inline constexpr int kNotAvailable = 40;   // "n/a", the placeholder of failed macros
inline constexpr int kDurationUnit0 = 44;  // 44..49 "sec" .. "y"
inline constexpr int kByteUnit0 = 80;      // 80..84 "b" .. "Tb"
inline constexpr int kSetupItem = 192;     // first word of the tray menu's setup caption
inline constexpr int kNewVersion = 193;    // the new-version balloon
inline constexpr int kHelpFile = 198;      // help file name in the installation folder
inline constexpr int kLanguageName = 199;
inline constexpr int kLanguageAuthor = 200;
inline constexpr int kViewerItem = 229;  // first word of the tray menu's viewer caption
}  // namespace str

}  // namespace qbx
