// Fakes of the platform interfaces: an in-memory registry and file system, a clock and heap
// that tests move by hand, a fixed locale and a UI that records its message boxes.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/hashing.h"
#include "platform/ini_profile_store.h"
#include "platform/platform.h"
#include "support/fake_desktop_windows.h"
#include "support/fake_file_info.h"
#include "support/fake_host_program.h"
#include "support/fake_network.h"
#include "support/fake_program_runner.h"
#include "support/fake_shared_memory.h"
#include "support/fake_system_info.h"
#include "support/fake_text_prompt.h"

namespace qbx::test {

class FakeRegistry : public Registry {
public:
    RegValue readString(std::string_view key, std::string_view name) override;
    bool writeString(std::string_view key, std::string_view name, std::string_view value) override;

    void set(std::string_view key, std::string_view name, std::string_view value);
    // A value of another type than text (REG_DWORD, say).
    void setWrongType(std::string_view key, std::string_view name);
    bool has(std::string_view key, std::string_view name) const;
    std::string get(std::string_view key, std::string_view name) const;  // "" when missing
    // Names written through writeString, in order.
    std::vector<std::string> writeOrder;
    bool failWrites = false;

private:
    struct Entry {
        std::string text;
        bool wrongType = false;
    };
    std::map<std::string, Entry> values_;  // "key\x01name", case-folded
};

class FakeFileSystem : public FileSystem {
public:
    FakeFileSystem();  // out of line: the shared state is complete only in fakes.cpp
    bool fileExists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool createDirectories(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override;
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override;
    bool appendToExistingFile(const std::string& path, std::string_view bytes) override;
    bool deleteFile(const std::string& path) override;
    bool renameFile(const std::string& from, const std::string& to) override;
    std::unique_ptr<OutputFile> createFile(const std::string& path) override;
    std::unique_ptr<OutputFile> createNewFile(const std::string& path) override;
    // Names come back lower-cased: the fake keeps its paths case-folded.
    std::vector<std::string> listFiles(const std::string& folder, std::string_view suffix) override;

    void put(const std::string& path, std::string bytes);
    std::string contents(const std::string& path) const;  // "" when missing
    bool has(const std::string& path) const;
    // Paths (case-folded, no trailing backslash) under which createDirectory fails.
    std::vector<std::string> unwritableFolders;
    // createFile gives no file while set (a locked or read-only folder).
    bool failCreateFile = false;
    // writeFileAtomic fails while set (a full disk).
    bool failWrites = false;
    // Files (case-folded paths) that exist but cannot be read (no permission).
    std::set<std::string> unreadableFiles;
    void makeUnreadable(const std::string& path) { unreadableFiles.insert(norm(path)); }
    // Paths longer than this cannot be created or written, as past the system's limit; 0 sets
    // no limit.
    std::size_t maxPathBytes = 0;
    // Calls counted, for the tests of how often a module goes to its files.
    int readFileCalls = 0;
    int atomicWrites = 0;
    int existenceChecks = 0;  // fileExists and directoryExists

private:
    static std::string norm(const std::string& path);
    bool folderWritable(const std::string& normalized) const;
    bool pathTooLong(const std::string& path) const {
        return maxPathBytes != 0 && path.size() > maxPathBytes;
    }
    struct Shared;
    std::shared_ptr<Shared> state_;
};

class FakeEnvironment : public Environment {
public:
    std::string expandVariables(std::string_view text) override;
    std::string tempDirectory() override { return temp; }
    std::string systemDirectory() override { return system; }
    std::string hostProgramPath() override { return hostProgram; }
    std::string modulePath() override { return module; }

    std::map<std::string, std::string> variables;  // names upper-cased
    std::string temp = "C:\\Temp\\";
    std::string system = "C:\\Windows\\system32";
    std::string hostProgram = "C:\\Program Files\\The Bat!\\thebat.exe";
    std::string module = "C:\\Mail\\Plugins\\QBX.tbp";
};

class FakeClock : public Clock {
public:
    double now() override { return dateTime; }
    // Universal time is local time plus the bias (minutes), as the system's zones have it.
    double universalNow() override { return localToUniversal(dateTime); }
    double localToUniversal(double local) override { return local + biasMinutes / 1440.0; }
    std::uint32_t tickCount() override { return tick; }
    std::uint64_t heapBytesInUse() override { return heap; }

    // Moves date-time and tick together.
    void advanceMs(std::uint32_t ms);

    double dateTime = 45000.5;  // 2023-03-15 12:00:00
    int biasMinutes = -180;     // three hours east of Greenwich
    std::uint32_t tick = 1000;
    std::uint64_t heap = 1024 * 1024;
};

class FakeLocale : public LocaleFormat {
public:
    std::string longTime(double dateTime) override;   // HH:MM:SS
    std::string shortDate(double dateTime) override;  // DD.MM.YYYY
    std::string shortTime(double dateTime) override;  // HH:MM
    std::string longDate(double dateTime) override;   // D MMMM YYYY with the names below
    char decimalSeparator() override { return '.'; }
    char thousandSeparator() override { return ','; }
    DateTimeNames dateTimeNames() override { return names; }

    DateTimeNames names = englishDateTimeNames();  // a test may put another language's here
};

class FakeUi : public UserInterface {
public:
    void pumpMessages() override { ++pumps; }
    void messageBox(std::string_view text, std::string_view caption, MessageIcon icon) override;

    int pumps = 0;
    struct Box {
        std::string text, caption;
        MessageIcon icon;
    };
    std::vector<Box> boxes;
};

// All fakes together, and the Platform that points at them.
struct FakePlatform {
    FakeRegistry registry;
    FakeFileSystem files;
    FakeEnvironment environment;
    FakeClock clock;
    FakeLocale locale;
    FakeUi ui;
    IniProfileStore profiles{files};  // the portable store over the fake files
    SystemHashing hashing;            // digests are the system's own in every build
    FakeNetwork network;
    FakeFileInfo fileInfo;
    FakeRegistryRoots registryRoots;
    FakeSystemInfo systemInfo;
    FakeSharedMemory sharedMemory;
    FakeTextPrompt textPrompt;
    FakeProgramRunner programRunner;
    FakeDesktopWindows desktopWindows;
    FakeHostProgram hostProgram;

    Platform platform() {
        Platform services{&registry, &files, &environment, &clock,
                          &locale,   &ui,    &profiles,    &hashing};
        services.network = &network;
        services.fileInfo = &fileInfo;
        services.registryRoots = &registryRoots;
        services.systemInfo = &systemInfo;
        services.sharedMemory = &sharedMemory;
        services.textPrompt = &textPrompt;
        services.programRunner = &programRunner;
        services.desktopWindows = &desktopWindows;
        services.hostProgram = &hostProgram;
        return services;
    }
};

}  // namespace qbx::test
