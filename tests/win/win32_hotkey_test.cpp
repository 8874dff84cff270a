// The dialog's global hot key through the real module: taken while the module runs, answered by
// showing the dialog, and free again once the module is finalised.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "window_walk.h"

namespace qbx::test {
namespace {

constexpr const char* kKey = "Software\\ZVX";
constexpr int kTestHotKeyId = 0x3A11;

void pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Whether this process can take the chord itself; gives it back at once.
bool chordIsFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, kTestHotKeyId, modifiers, key)) return false;
    UnregisterHotKey(nullptr, kTestHotKeyId);
    return true;
}

class Win32HotKey : public ::testing::Test {
protected:
    void SetUp() override {
        write("gk_KEY", "120");  // F9
        write("gk_WIN", "0");
        write("gk_ALT", "1");
        write("gk_SH", "1");
        write("gk_CTRL", "0");
        write("splashmode", "0");
    }
    void TearDown() override {
        write("gk_KEY", "113");
        write("gk_WIN", "1");
        write("gk_ALT", "0");
        write("gk_SH", "0");
        write("gk_CTRL", "1");
    }
    static void write(const char* name, const char* value) {
        systemPlatform().registry->writeString(kKey, name, value);
    }
    const HostHome home_{"hotkey-"};
};

TEST_F(Win32HotKey, IsTakenWhileTheModuleRunsAndShowsTheDialog) {
    ASSERT_TRUE(chordIsFree(MOD_ALT | MOD_SHIFT, VK_F9));
    {
        qbxhost::Host host(kModule);
        host.initialize();
        pump();
        const HWND form = qbxhost::findSetupDialog();
        ASSERT_NE(form, nullptr);
        EXPECT_FALSE(IsWindowVisible(form));
        EXPECT_FALSE(chordIsFree(MOD_ALT | MOD_SHIFT, VK_F9));

        PostMessageW(form, WM_HOTKEY, 0, MAKELPARAM(MOD_ALT | MOD_SHIFT, VK_F9));
        pump();
        EXPECT_TRUE(IsWindowVisible(form));
        host.finalize();
    }
    EXPECT_TRUE(chordIsFree(MOD_ALT | MOD_SHIFT, VK_F9));
}

TEST_F(Win32HotKey, NoKeyRegistersNothing) {
    write("gk_KEY", "0");
    qbxhost::Host host(kModule);
    host.initialize();
    pump();
    // The bare modifiers stay free for everyone else.
    EXPECT_TRUE(chordIsFree(MOD_ALT | MOD_SHIFT, 0));
    EXPECT_TRUE(chordIsFree(MOD_ALT | MOD_SHIFT, VK_F9));
    host.finalize();
}

}  // namespace
}  // namespace qbx::test
