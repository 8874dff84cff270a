// Reading one text value under any open root, shared by our settings' registry and the macros
// that read other programs' values.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace qbx::win32 {

// REG_SZ and REG_EXPAND_SZ (unexpanded) as text cut at the first zero character; another type
// is WrongType; a missing key or value, or a value over maxBytes, is Missing.
RegValue readRegistryText(HKEY root, std::string_view key, std::string_view name,
                          std::size_t maxBytes);

}  // namespace qbx::win32
