// Text values of any registry root, for the macros that read other programs' settings. Our
// own settings go through Registry (platform.h), which knows only the current user's root.
#pragma once

#include <string_view>

#include "platform/platform.h"

namespace qbx {

enum class RegistryRoot {
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    CurrentConfig,
    DynData,
};

class RegistryRoots {
public:
    virtual ~RegistryRoots() = default;
    // REG_SZ and REG_EXPAND_SZ (unexpanded) read as text, cut at the first zero character;
    // another type is WrongType; a missing key or value, or one over kMaxValueBytes, is Missing.
    virtual RegValue readString(RegistryRoot root, std::string_view key, std::string_view name) = 0;
    static constexpr std::size_t kMaxValueBytes = 1u << 20;
};

}  // namespace qbx
