// The scripts' registry on the native build: the current user's root is the INI file of the
// registry stand-in, read whole and written back whole through a temporary file for every
// change. A file that cannot be read, or was read only in part, is never written over.
#include <cstdio>
#include <mutex>
#include <optional>

#include "base/ini_file.h"
#include "base/text.h"
#include "platform/posix/posix_services.h"
#include "platform/script_registry.h"

namespace qbx {

namespace {

constexpr std::string_view kDword = "dword:";

bool usableText(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool usableKey(std::string_view key) {
    return !key.empty() && usableText(key) && key.size() <= 16383 && key.front() != ' ' &&
           key.back() != ' ';
}

bool usableName(std::string_view name) {
    return !name.empty() && usableText(name) && name.find('=') == std::string_view::npos &&
           name.front() != '[' && name.front() != ';' && name.front() != ' ' && name.back() != ' ';
}

// Whether the section is the key or lies below it.
bool within(std::string_view section, std::string_view key) {
    if (section.size() < key.size() || !equalsIgnoreCase1251(section.substr(0, key.size()), key))
        return false;
    return section.size() == key.size() || section[key.size()] == '\\';
}

class PosixScriptRegistry final : public ScriptRegistry {
public:
    bool keyExists(RegistryRoot root, std::string_view key) override {
        std::lock_guard lock(mutex_);
        const auto doc = load(root);
        if (!doc) return false;
        for (const std::string& section : doc->sectionNames())
            if (within(section, key)) return true;
        return false;
    }
    bool createKey(RegistryRoot root, std::string_view key) override {
        if (!usableKey(key)) return false;
        std::lock_guard lock(mutex_);
        auto doc = load(root);
        if (!doc || !doc->cut().empty()) return false;
        if (doc->hasSection(key)) return true;
        // The document has no empty sections of its own making: the file's text gains one.
        return save(IniFile::parse(doc->serialize() + "[" + std::string(key) + "]\r\n"));
    }
    bool deleteKey(RegistryRoot root, std::string_view key) override {
        std::lock_guard lock(mutex_);
        auto doc = load(root);
        if (!doc || !doc->cut().empty()) return false;
        bool found = false;
        for (const std::string& section : doc->sectionNames())
            if (within(section, key)) {
                doc->eraseSection(section);
                found = true;
            }
        return found && save(*doc);
    }
    RegData read(RegistryRoot root, std::string_view key, std::string_view name) override {
        std::lock_guard lock(mutex_);
        const auto doc = load(root);
        RegData data;
        if (!doc) return data;
        auto text = doc->get(key, name);
        if (!text) return data;
        if (text->starts_with(kDword)) {
            unsigned value = 0;
            const std::string digits = text->substr(kDword.size());
            if (digits.size() == 8 && std::sscanf(digits.c_str(), "%8x", &value) == 1) {
                data.kind = RegDataKind::Integer;
                data.number = static_cast<std::int32_t>(value);
            } else {
                data.kind = RegDataKind::Other;
            }
            return data;
        }
        if (text->size() > kMaxValueBytes) {
            data.kind = RegDataKind::Other;
            return data;
        }
        data.kind = RegDataKind::Text;
        data.text = std::move(*text);
        return data;
    }
    bool writeText(RegistryRoot root, std::string_view key, std::string_view name,
                   std::string_view value) override {
        if (!usableText(value)) return false;
        return write(root, key, name, value);
    }
    bool writeInteger(RegistryRoot root, std::string_view key, std::string_view name,
                      std::int32_t value) override {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
        return write(root, key, name, std::string(kDword) + digits);
    }
    bool deleteValue(RegistryRoot root, std::string_view key, std::string_view name) override {
        std::lock_guard lock(mutex_);
        auto doc = load(root);
        if (!doc || !doc->cut().empty() || !doc->get(key, name)) return false;
        doc->erase(key, name);
        return save(*doc);
    }

private:
    // The document of the root; nothing for a root the stand-in does not hold or a file that
    // cannot be read.
    std::optional<IniFile> load(RegistryRoot root) {
        if (root != RegistryRoot::CurrentUser) return std::nullopt;
        path_ = posix::IniRegistry::registryPath();
        if (path_.empty()) return std::nullopt;
        if (!files_.fileExists(path_)) return IniFile{};
        const auto bytes = files_.readFile(path_, IniFile::kMaxFileBytes);
        if (!bytes) return std::nullopt;
        return IniFile::parse(*bytes);
    }
    bool write(RegistryRoot root, std::string_view key, std::string_view name,
               std::string_view value) {
        if (!usableKey(key) || !usableName(name)) return false;
        std::lock_guard lock(mutex_);
        auto doc = load(root);
        if (!doc || !doc->cut().empty()) return false;
        doc->set(key, name, value);
        return save(*doc);
    }
    bool save(const IniFile& doc) {
        const auto slash = path_.rfind('/');
        if (slash != std::string::npos && slash > 0)
            files_.createDirectories(path_.substr(0, slash));
        return files_.writeFileAtomic(path_, doc.serialize());
    }

    std::mutex mutex_;
    posix::PosixFileSystem files_;
    std::string path_;
};

}  // namespace

ScriptRegistry& systemScriptRegistry() {
    static PosixScriptRegistry registry;
    return registry;
}

}  // namespace qbx
