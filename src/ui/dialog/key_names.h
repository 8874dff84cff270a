// The names of the 256 virtual-key codes as the hot-key list shows them: item i of the list is
// the key with code i, so the list's selection is the key code the setting stores.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace qbx::ui {

inline constexpr int kKeyCodeCount = 256;

// A key with a name of its own. The codes without a key take the placeholder of their range.
struct KeyNameRow {
    int code;
    const char* name;  // UTF-8
};
std::span<const KeyNameRow> keyNameRows();

// The 256 names in code order, code page 1251 (the letter keys carry their Cyrillic letter).
const std::vector<std::string>& keyNames();
// The name of one code; the empty text outside 0..255.
std::string keyName(int code);

}  // namespace qbx::ui
