// A host's home for one test: prepared as qbxhost prepares its own, as a fresh installation, and
// removed when the test ends, with the process variables that point into it put back as they
// were.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace qbx::test {

class HostHome {
public:
    explicit HostHome(const std::string& prefix) : folder_(prefix) {
        qbxhost::prepareHome(folder_.path.string());
        forgetModuleFolders();
    }
    ~HostHome() {
        forgetModuleFolders();
        for (const auto& [name, value] : saved_) {
            if (value) {
                setProcessVariable(name, *value);
            } else {
#if defined(_WIN32)
                setProcessVariable(name, "");  // an empty variable counts as none
#else
                ::unsetenv(name);
#endif
            }
        }
    }
    HostHome(const HostHome&) = delete;
    HostHome& operator=(const HostHome&) = delete;

    const std::filesystem::path& path() const { return folder_.path; }
    std::string string() const { return folder_.path.string(); }

private:
    // The Windows registry is shared by every test and every run: the module is to find its
    // folders in this home, and no later module is to create them in a home that is gone.
    static void forgetModuleFolders() {
        Registry& registry = *systemPlatform().registry;
        for (const char* name : {"InstallDir", "StatDir", "UCdir", "ScriptingDir"})
            registry.writeString("Software\\ZVX", name, "");
    }

    struct SavedVariable {
        const char* name;
        std::optional<std::string> value;
    };
    // What prepareHome points into the home. Read through the C library: natively that is the
    // live environment, and under Windows, where SetEnvironmentVariable does not reach the C
    // library's copy, it still holds the values the program started with.
    static std::vector<SavedVariable> saveVariables() {
#if defined(_WIN32)
        const char* const names[] = {"TMP", "TEMP"};
#else
        const char* const names[] = {"QBX_REGISTRY", "TMPDIR"};
#endif
        std::vector<SavedVariable> saved;
        for (const char* name : names) {
            const char* value = std::getenv(name);
            saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
        }
        return saved;
    }

    const std::vector<SavedVariable> saved_ = saveVariables();
    const ScratchFolder folder_;
};

// One of the module's settings set for a test. The registry is shared by every test and every
// run: the value goes back as it was ("0" when there was none).
class SettingForTheTest {
public:
    SettingForTheTest(const char* name, const std::string& value)
        : name_(name), saved_(registry().readString("Software\\ZVX", name)) {
        registry().writeString("Software\\ZVX", name_, value);
    }
    ~SettingForTheTest() {
        registry().writeString("Software\\ZVX", name_,
                               saved_.status == RegStatus::Ok ? saved_.text : "0");
    }
    SettingForTheTest(const SettingForTheTest&) = delete;
    SettingForTheTest& operator=(const SettingForTheTest&) = delete;

private:
    static Registry& registry() { return *systemPlatform().registry; }
    std::string name_;
    RegValue saved_;
};

}  // namespace qbx::test
