// Players on the desktop as the module sees them: stand-in player programs started beside the
// tests, their windows found by class, their captions cut and their WM_USER replies read,
// through the system's desktop and through the built module as the host calls it.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/desktop_windows.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

std::string besideThisProgram(const char* name) {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    const std::size_t slash = folder.find_last_of("\\/");
    folder.resize(slash == std::string::npos ? 0 : slash + 1);
    return folder + name;
}

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept {
        if (handle != nullptr) CloseHandle(handle);
    }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// A stand-in player running until the object goes, whatever the test's assertions did.
class FakePlayer {
public:
    FakePlayer(const std::string& className, const std::string& caption, bool hang = false) {
        static int serial = 0;
        const std::string eventName = "QBX fake player ready " +
                                      std::to_string(GetCurrentProcessId()) + " " +
                                      std::to_string(++serial);
        const OwnedHandle ready(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
        if (!ready) return;
        std::string commandLine = "\"" + besideThisProgram("fake_player.exe") + "\" \"" +
                                  className + "\" \"" + caption + "\" --ready \"" + eventName +
                                  "\"";
        if (hang) commandLine += " --hang";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started))
            return;
        process_.reset(started.hProcess);
        CloseHandle(started.hThread);
        const HANDLE waited[] = {ready.get(), process_.get()};
        ready_ = WaitForMultipleObjects(2, waited, FALSE, 20000) == WAIT_OBJECT_0;
    }
    ~FakePlayer() {
        if (!process_) return;
        TerminateProcess(process_.get(), 0);
        WaitForSingleObject(process_.get(), 10000);
    }
    FakePlayer(const FakePlayer&) = delete;
    FakePlayer& operator=(const FakePlayer&) = delete;
    bool ready() const { return ready_; }

private:
    OwnedHandle process_;
    bool ready_ = false;
};

constexpr const char* kWinampCaption = "12. Artist - Title - Winamp";

TEST(Win32DesktopWindows, FindsReadsAndAsksAnotherProgramsWindow) {
    qbx::DesktopWindows& desktop = qbx::systemDesktopWindows();
    EXPECT_EQ(desktop.findWindowByClass("QBX class that nobody registers"), 0u);
    EXPECT_EQ(desktop.findWindowByClass(std::string("Winamp\0v1.x", 11)), 0u);
    EXPECT_EQ(desktop.sendUserMessage(0, 0, 0), std::nullopt);
    const FakePlayer player("Winamp v1.x", kWinampCaption);
    ASSERT_TRUE(player.ready());
    const qbx::WindowHandle window = desktop.findWindowByClass("Winamp v1.x");
    ASSERT_NE(window, 0u);
    EXPECT_EQ(desktop.windowCaption(window, 2047), kWinampCaption);
    EXPECT_EQ(desktop.windowCaption(window, 3), "12.");
    EXPECT_EQ(desktop.sendUserMessage(window, 0, 0), 0x2091);
    EXPECT_EQ(desktop.sendUserMessage(window, 1, 105), 245);
    bool seen = false;
    int visited = 0;
    desktop.forEachTopLevelWindow([&](qbx::WindowHandle each, std::string_view caption) {
        ++visited;
        if (each != window) return true;
        seen = caption == kWinampCaption;
        return false;
    });
    EXPECT_TRUE(seen);
    EXPECT_GE(visited, 1);
}

TEST(Win32Players, WinampAndFoobarThroughTheModule) {
    const qbx::test::HostHome home("win-players-");
    Host host(kModule);
    host.initialize();
    auto call = [&](const char* name, const std::vector<std::string>& arguments = {}) {
        return host.callMacro(host.data(), name, arguments);
    };
    const FakePlayer winamp("Winamp v1.x", kWinampCaption);
    ASSERT_TRUE(winamp.ready());
    EXPECT_EQ(call("NPP"), "WinAMP");
    EXPECT_EQ(call("NP"), "Artist - Title");
    EXPECT_EQ(call("WANP"), "Artist - Title");
    EXPECT_EQ(call("WAIF", {"yes", "no"}), "yes");
    EXPECT_EQ(call("WAVER"), "2.01");
    EXPECT_EQ(call("WASTATUS"), "Playing");
    EXPECT_EQ(call("WAPOS"), "1:23.45");
    EXPECT_EQ(call("WAPLLEN"), "12");
    EXPECT_EQ(call("WAPLPOS"), "5");
    EXPECT_EQ(call("WARATE"), "44");
    EXPECT_EQ(call("WABITRATE"), "128");
    EXPECT_EQ(call("WACH"), "stereo");
    // The bands worked out by hand in the unit tests.
    EXPECT_EQ(call("WAEQ", {"3"}), "$     .   \r\n$=ss..$=..\r\n$$$$$$$.$$\r\n");
    EXPECT_EQ(call("FBNP"), "Foobar2000 is not active");
    {
        const FakePlayer foobar("FOOBAR2000_CLASS", "Band - Song  [foobar2000 v0.9.4]");
        ASSERT_TRUE(foobar.ready());
        EXPECT_EQ(call("NPP"), "Foobar");
        EXPECT_EQ(call("NP"), "Band - Song");
        EXPECT_EQ(call("FBNP"), "Band - Song");
        EXPECT_EQ(call("WANP"), "Artist - Title");
    }
}

// A caption is the player's text, not a template: the host's expansion leaves it alone.
TEST(Win32Players, CaptionsAreNotExpanded) {
    const qbx::test::HostHome home("win-players-caption-");
    Host host(kModule);
    host.initialize();
    const FakePlayer winamp("Winamp v1.x", "1. $$year %WAVER - Winamp");
    ASSERT_TRUE(winamp.ready());
    EXPECT_EQ(host.expandTemplate(host.data(), "[%WANP]"), "[$$year %WAVER]");
}

TEST(Win32Players, AHungWinampDoesNotHoldTheHost) {
    const qbx::test::HostHome home("win-players-hung-");
    Host host(kModule);
    host.initialize();
    const FakePlayer winamp("Winamp v1.x", kWinampCaption, true);
    ASSERT_TRUE(winamp.ready());
    for (const char* name : {"WAVER", "WAEQ"}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(host.callMacro(host.data(), name, {"9"}), "") << name;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << name;
    }
    // The title needs no message.
    EXPECT_EQ(host.callMacro(host.data(), "WANP", {}), "Artist - Title");
}

}  // namespace
