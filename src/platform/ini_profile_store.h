// The profile functions' reading and writing rules over our own INI document, for builds and
// tests that have no system profile functions. The file is read again on every call: the
// files kept this way are small, and nobody else's writes are missed.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace qbx {

class IniProfileStore final : public ProfileStore {
public:
    explicit IniProfileStore(FileSystem& files) : files_(files) {}

    std::vector<std::string> keyNames(const std::string& path, std::string_view section) override;
    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view fallback) override;
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool deleteKey(const std::string& path, std::string_view section,
                   std::string_view key) override;
    bool eraseSection(const std::string& path, std::string_view section) override;

private:
    // Reads the document (empty when the file is missing), lets change() edit it and writes it
    // back; a file that exists but cannot be read is left alone.
    template <class Change>
    bool rewrite(const std::string& path, Change&& change);

    FileSystem& files_;
};

}  // namespace qbx
