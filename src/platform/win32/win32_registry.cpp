#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/win32/registry_text.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

class KeyHandle {
public:
    KeyHandle() = default;
    ~KeyHandle() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

bool isText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

std::optional<RawRegistryValue> readRegistryValue(HKEY root, std::string_view key,
                                                  std::string_view name, std::size_t maxBytes) {
    try {
        const auto path = zeroTerminated(registryKeyPath(key));
        const auto value = zeroTerminated(name);
        if (!path || !value) return std::nullopt;
        KeyHandle handle;
        if (RegOpenKeyExA(root, path->c_str(), 0, KEY_QUERY_VALUE, handle.out()) != ERROR_SUCCESS)
            return std::nullopt;
        // The value may change between asking for its size and reading it: a few tries.
        for (int attempt = 0; attempt < 4; ++attempt) {
            RawRegistryValue raw;
            DWORD size = 0;
            if (RegQueryValueExA(handle.get(), value->c_str(), nullptr, &raw.type, nullptr,
                                 &size) != ERROR_SUCCESS)
                return std::nullopt;
            if (size > maxBytes) return raw;
            // Room for a terminator: a stored text need not have one.
            raw.bytes.assign(static_cast<std::size_t>(size) + 2, '\0');
            DWORD got = size;
            const LONG rc = RegQueryValueExA(handle.get(), value->c_str(), nullptr, &raw.type,
                                             reinterpret_cast<BYTE*>(raw.bytes.data()), &got);
            if (rc == ERROR_MORE_DATA) continue;
            if (rc != ERROR_SUCCESS) return std::nullopt;
            raw.bytes.resize(got < size ? got : size);
            raw.fits = true;
            return raw;
        }
        return std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

RegValue readRegistryText(HKEY root, std::string_view key, std::string_view name,
                          std::size_t maxBytes) {
    try {
        std::optional<RawRegistryValue> raw = readRegistryValue(root, key, name, maxBytes);
        if (!raw) return {};
        if (!isText(raw->type)) return RegValue{RegStatus::WrongType, {}};
        if (!raw->fits) return {};
        std::string text = std::move(raw->bytes);
        if (const auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
        return RegValue{RegStatus::Ok, std::move(text)};
    } catch (...) {
        return {};
    }
}

RegValue Win32Registry::readString(std::string_view key, std::string_view name) {
    return readRegistryText(HKEY_CURRENT_USER, key, name, kMaxValueBytes);
}

bool Win32Registry::writeString(std::string_view key, std::string_view name,
                                std::string_view value) {
    try {
        const auto path = zeroTerminated(registryKeyPath(key));
        const auto valueName = zeroTerminated(name);
        // A NUL inside would end the text early when read: refuse rather than store less.
        const auto text = zeroTerminated(value);
        if (!path || path->empty() || !valueName || !text || text->size() >= kMaxValueBytes)
            return false;
        KeyHandle handle;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_SET_VALUE, nullptr, handle.out(), nullptr) != ERROR_SUCCESS)
            return false;
        return RegSetValueExA(handle.get(), valueName->c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(text->c_str()),
                              static_cast<DWORD>(text->size() + 1)) == ERROR_SUCCESS;
    } catch (...) {
        return false;
    }
}

}  // namespace qbx::win32
