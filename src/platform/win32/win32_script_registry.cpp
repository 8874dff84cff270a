#include <windows.h>

#include <algorithm>
#include <string>

#include "platform/script_registry.h"
#include "platform/win32/registry_text.h"

namespace qbx {

namespace {

// The text with its terminating zero, or nothing when it holds a zero of its own (the system
// would read a different name).
bool usable(std::string_view text) { return text.find('\0') == std::string_view::npos; }

class OpenKey {
public:
    OpenKey(RegistryRoot root, std::string_view path, REGSAM access) {
        if (!usable(path)) return;
        const std::string zeroTerminated(path);
        if (RegOpenKeyExA(win32::rootKeyOf(root), zeroTerminated.c_str(), 0, access, &key_) !=
            ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~OpenKey() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

class Win32ScriptRegistry final : public ScriptRegistry {
public:
    bool keyExists(RegistryRoot root, std::string_view key) override {
        return OpenKey(root, key, KEY_READ).get() != nullptr;
    }
    bool createKey(RegistryRoot root, std::string_view key) override {
        if (key.empty() || !usable(key)) return false;
        const std::string path(key);
        HKEY made = nullptr;
        if (RegCreateKeyExA(win32::rootKeyOf(root), path.c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &made,
                            nullptr) != ERROR_SUCCESS)
            return false;
        RegCloseKey(made);
        return true;
    }
    bool deleteKey(RegistryRoot root, std::string_view key) override {
        if (key.empty() || !usable(key)) return false;
        const std::string path(key);
        // The tree goes with the key itself on some systems and leaves the empty key on others.
        if (RegDeleteTreeA(win32::rootKeyOf(root), path.c_str()) != ERROR_SUCCESS) return false;
        RegDeleteKeyA(win32::rootKeyOf(root), path.c_str());
        return !keyExists(root, key);
    }
    RegData read(RegistryRoot root, std::string_view key, std::string_view name) override {
        RegData data;
        const OpenKey open(root, key, KEY_READ);
        if (open.get() == nullptr || !usable(name)) return data;
        const std::string valueName(name);
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExA(open.get(), valueName.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            return data;
        data.kind = RegDataKind::Other;
        if (size > kMaxValueBytes) return data;
        std::string bytes(size, '\0');
        if (RegQueryValueExA(open.get(), valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(bytes.data()), &size) != ERROR_SUCCESS)
            return data;
        bytes.resize(std::min<std::size_t>(size, bytes.size()));
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            data.kind = RegDataKind::Text;
            data.text = bytes.substr(0, bytes.find('\0'));
        } else if (type == REG_DWORD && bytes.size() == 4) {
            data.kind = RegDataKind::Integer;
            std::uint32_t value = 0;
            for (int i = 3; i >= 0; --i)
                value =
                    (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
            data.number = static_cast<std::int32_t>(value);
        }
        return data;
    }
    bool writeText(RegistryRoot root, std::string_view key, std::string_view name,
                   std::string_view value) override {
        if (!usable(value)) return false;
        const std::string text(value);
        return write(root, key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    bool writeInteger(RegistryRoot root, std::string_view key, std::string_view name,
                      std::int32_t value) override {
        const DWORD number = static_cast<DWORD>(value);
        return write(root, key, name, REG_DWORD, &number, sizeof number);
    }
    bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name) override {
        const OpenKey open(root, key, KEY_SET_VALUE);
        if (open.get() == nullptr || !usable(name)) return false;
        const std::string valueName(name);
        return RegDeleteValueA(open.get(), valueName.c_str()) == ERROR_SUCCESS;
    }

private:
    static bool write(RegistryRoot root, std::string_view key, std::string_view name, DWORD type,
                      const void* bytes, DWORD size) {
        const OpenKey open(root, key, KEY_SET_VALUE);
        if (open.get() == nullptr || !usable(name) || size > kMaxValueBytes) return false;
        const std::string valueName(name);
        return RegSetValueExA(open.get(), valueName.c_str(), 0, type,
                              static_cast<const BYTE*>(bytes), size) == ERROR_SUCCESS;
    }
};

}  // namespace

ScriptRegistry& systemScriptRegistry() {
    static Win32ScriptRegistry registry;
    return registry;
}

}  // namespace qbx
