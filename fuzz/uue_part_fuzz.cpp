// Arbitrary bodies, separated by NUL bytes, handed to the attachment-part completer as the spam
// entry point hands them, then assembled and aged out over fake files: no crash, no hang, and
// nothing is written, created or deleted outside the parts folder. A first piece that begins
// with "[" is the "UC.INI" found in the folder.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "base/text.h"
#include "core/plugin.h"
#include "platform/ini_profile_store.h"
#include "statistics/attachment_completer.h"
#include "statistics/uue_part.h"
#include "support/fakes.h"

namespace {

constexpr std::string_view kFolder = "C:\\UC\\";

void check(bool condition) {
    if (!condition) std::abort();
}

void inside(const std::string& path) {
    check(path.size() > kFolder.size() &&
          qbx::equalsIgnoreCase1251(std::string_view(path).substr(0, kFolder.size()), kFolder));
    const std::string_view name = std::string_view(path).substr(kFolder.size());
    check(name.find_first_of("\\/:") == std::string_view::npos && name != "." && name != "..");
}

// The fake files, every change checked against the folder.
struct FolderBoundFiles : qbx::test::FakeFileSystem {
    bool createDirectory(const std::string& path) override {
        check(qbx::equalsIgnoreCase1251(path, "C:\\UC") ||
              qbx::equalsIgnoreCase1251(path, "c:\\uc\\"));
        return FakeFileSystem::createDirectory(path);
    }
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override {
        inside(path);
        return FakeFileSystem::writeFileAtomic(path, bytes);
    }
    bool appendToExistingFile(const std::string& path, std::string_view bytes) override {
        inside(path);
        return FakeFileSystem::appendToExistingFile(path, bytes);
    }
    bool deleteFile(const std::string& path) override {
        inside(path);
        return FakeFileSystem::deleteFile(path);
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        inside(from);
        inside(to);
        return FakeFileSystem::renameFile(from, to);
    }
    std::unique_ptr<qbx::OutputFile> createFile(const std::string& path) override {
        inside(path);
        return FakeFileSystem::createFile(path);
    }
    std::unique_ptr<qbx::OutputFile> createNewFile(const std::string& path) override {
        inside(path);
        return FakeFileSystem::createNewFile(path);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    qbx::test::FakePlatform fake;
    FolderBoundFiles files;
    qbx::IniProfileStore profiles(files);
    qbx::Platform platform = fake.platform();
    platform.files = &files;
    platform.profiles = &profiles;
    qbx::Plugin plugin(platform);
    plugin.settings.partsDir = std::string(kFolder);
    files.createDirectories("C:\\UC");

    std::size_t start = 0;
    if (input.substr(0, 1) == "[") {
        start = std::min(input.find('\0'), input.size());
        files.put("C:\\UC\\UC.INI", std::string(input.substr(0, start)));
        ++start;
    }
    while (start <= input.size()) {
        std::size_t end = input.find('\0', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view body = input.substr(start, end - start);
        if (qbx::statistics::isUuePart(body)) {
            const qbx::statistics::UuePart part = qbx::statistics::parseUuePart(body);
            check(part.data.size() <= body.size() + 2);
            try {
                qbx::statistics::addUuePart(plugin, body);
            } catch (const std::exception&) {
                // A file that cannot be written: the entry point logs it.
            }
        }
        fake.clock.dateTime += 3.5;
        start = end + 1;
    }
    try {
        qbx::statistics::completePendingUue(plugin, size % 2 == 0);
        qbx::statistics::removeOlderUueParts(plugin, static_cast<std::int32_t>(size % 20));
    } catch (const std::exception&) {
    }
    return 0;
}
