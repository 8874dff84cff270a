// Reading one value under any open root, shared by our settings' registry, the macros that read
// other programs' values, the proxy settings and the firmware texts.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/registry_roots.h"

namespace qbx::win32 {

// The system's handle of a root.
inline HKEY rootKeyOf(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
        case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
        case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
        case RegistryRoot::Users: return HKEY_USERS;
        case RegistryRoot::PerformanceData: return HKEY_PERFORMANCE_DATA;
        case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
        case RegistryRoot::DynData: return HKEY_DYN_DATA;
    }
    return HKEY_CURRENT_USER;
}

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
