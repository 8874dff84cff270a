// The registry as the scripts' TRegistry reaches it: keys of any root made, opened and removed,
// text and integer values read and written. Natively the current user's root is the INI file
// that stands in for the registry, an integer kept there as "dword:" and eight hex digits the way
// the system's own export writes it; the other roots are empty there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/registry_roots.h"

namespace qbx {

enum class RegDataKind { Missing, Text, Integer, Other };

struct RegData {
    RegDataKind kind = RegDataKind::Missing;
    std::string text;         // Text
    std::int32_t number = 0;  // Integer
};

class ScriptRegistry {
public:
    // A value longer than this reads as Other.
    static constexpr std::size_t kMaxValueBytes = 1u << 20;

    virtual ~ScriptRegistry() = default;
    // Key paths are below the root, without a leading backslash.
    virtual bool keyExists(RegistryRoot root, std::string_view key) = 0;
    // The key and its missing parents; true when it exists afterwards.
    virtual bool createKey(RegistryRoot root, std::string_view key) = 0;
    // The key with everything below it.
    virtual bool deleteKey(RegistryRoot root, std::string_view key) = 0;
    virtual RegData read(RegistryRoot root, std::string_view key, std::string_view name) = 0;
    virtual bool writeText(RegistryRoot root, std::string_view key, std::string_view name,
                           std::string_view value) = 0;
    virtual bool writeInteger(RegistryRoot root, std::string_view key, std::string_view name,
                              std::int32_t value) = 0;
    virtual bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name) = 0;
};

// The registry of this build.
ScriptRegistry& systemScriptRegistry();

}  // namespace qbx
