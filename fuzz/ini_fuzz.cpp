// Arbitrary bytes as an INI document: parsing and querying stay within bounds, and what is
// read from a document is read the same after writing it out and parsing it again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/ini_file.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool hasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const qbx::IniFile first = qbx::IniFile::parse(bytes);

    // Queries the callers make: fixed names, and names cut from the input itself.
    (void)first.get("Strings", "40");
    (void)first.getInt("Plugins", "Count", -1);
    const std::string_view probe = bytes.substr(0, 8);
    (void)first.getString(probe, probe, "fallback");
    (void)first.getInt(probe, "", 0);

    const std::string written = first.serialize();
    if (written.size() > qbx::IniFile::kMaxFileBytes) return 0;
    const qbx::IniFile second = qbx::IniFile::parse(written);

    for (const auto& section : first.sectionNames()) {
        check(second.hasSection(section));
        for (const auto& key : first.keyNames(section)) {
            const auto value = first.get(section, key);
            check(value.has_value());
            if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(*value) ||
                key.find('=') != std::string::npos)
                continue;
            check(second.get(section, key) == value);
            check(second.getInt(section, key, -7) == first.getInt(section, key, -7));
        }
    }
    // Written once, the text no longer changes.
    check(second.serialize() == written);
    return 0;
}
