// Reading one value under any open root, shared by our settings' registry, the macros that read
// other programs' values, the proxy settings and the firmware texts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qbx::win32 {

// A value as stored: its type, and its bytes when they fit the bound the caller gave.
struct RawRegistryValue {
    DWORD type = REG_NONE;
    bool fits = false;
    std::string bytes;  // empty unless it fits
};

// Nothing when the key or the value is missing (or either name holds a zero byte).
std::optional<RawRegistryValue> readRegistryValue(HKEY root, std::string_view key,
                                                  std::string_view name, std::size_t maxBytes);

// REG_SZ and REG_EXPAND_SZ (unexpanded) as text cut at the first zero character; another type
// is WrongType; a missing key or value, or a value over maxBytes, is Missing.
RegValue readRegistryText(HKEY root, std::string_view key, std::string_view name,
                          std::size_t maxBytes);

}  // namespace qbx::win32
