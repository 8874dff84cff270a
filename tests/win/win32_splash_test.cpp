// The splash through the real module: with "splashmode" on, TBP_Initialize shows it with the
// start-up's stages without taking the focus and closes it by the end; with it off nothing
// shows. The start-up runs on this thread, so a hook on this thread's window messages watches
// the splash while TBP_Initialize runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "platform/platform.h"
#include "screenshot.h"
#include "ui/win32/splash_window.h"
#include "window_walk.h"

namespace qbx::test {
namespace {

using ui::win32::kSplashClass;

struct Watch {
    HWND splash = nullptr;
    std::vector<std::wstring> stages;
    std::wstring caption;
    std::wstring versionLabel;
    RECT client{};
    DWORD style = 0;
    DWORD exStyle = 0;
    bool pictured = false;
    bool activeEver = false;
};
Watch* g_watch = nullptr;

bool isSplash(HWND window) {
    wchar_t name[64] = {};
    return window && GetClassNameW(window, name, 64) && std::wstring(name) == kSplashClass;
}

std::wstring queryText(HWND window, unsigned message) {
    std::wstring buffer(512, L'\0');
    const auto length = static_cast<std::size_t>(
        SendMessageW(window, message, buffer.size(), reinterpret_cast<LPARAM>(buffer.data())));
    buffer.resize(std::min(length, buffer.size() - 1));
    return buffer;
}

LRESULT CALLBACK afterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && g_watch && sent && isSplash(sent->hwnd) && sent->message == WM_PAINT &&
        IsWindowVisible(sent->hwnd)) {
        Watch& watch = *g_watch;
        if (!watch.splash) {
            watch.splash = sent->hwnd;
            wchar_t caption[128] = {};
            GetWindowTextW(sent->hwnd, caption, 128);
            watch.caption = caption;
            watch.versionLabel = queryText(sent->hwnd, ui::win32::kQuerySplashVersion);
            GetClientRect(sent->hwnd, &watch.client);
            watch.style = static_cast<DWORD>(GetWindowLongPtrW(sent->hwnd, GWL_STYLE));
            watch.exStyle = static_cast<DWORD>(GetWindowLongPtrW(sent->hwnd, GWL_EXSTYLE));
        }
        const std::wstring stage = queryText(sent->hwnd, ui::win32::kQuerySplashStage);
        if (watch.stages.empty() || watch.stages.back() != stage) watch.stages.push_back(stage);
        if (GetForegroundWindow() == sent->hwnd || GetActiveWindow() == sent->hwnd)
            watch.activeEver = true;
        if (stage == L"Mainform created" && !watch.pictured) {
            CreateDirectoryA("..\\screenshots", nullptr);
            watch.pictured = qbxhost::captureWindow(sent->hwnd, "..\\screenshots\\splash.png");
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The hook on this thread for one test.
class MessageHook {
public:
    explicit MessageHook(Watch& watch)
        : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, &afterWindowProc, nullptr,
                                  GetCurrentThreadId())) {
        g_watch = &watch;
    }
    ~MessageHook() {
        g_watch = nullptr;
        if (hook_) UnhookWindowsHookEx(hook_);
    }
    MessageHook(const MessageHook&) = delete;
    MessageHook& operator=(const MessageHook&) = delete;
    bool installed() const { return hook_ != nullptr; }

private:
    HHOOK hook_;
};

class Win32Splash : public ::testing::Test {
protected:
    const HostHome home_{"splash-"};
};

TEST_F(Win32Splash, StartUpShowsItsStagesWithoutTheFocusAndClosesIt) {
    const SettingForTheTest splash{"splashmode", "1"};
    const qbxhost::UserWindow user;
    const HWND inFront = GetForegroundWindow();
    Watch watch;
    {
        qbxhost::Host host(kModule);
        MessageHook hook(watch);
        ASSERT_TRUE(hook.installed());
        host.initialize();
        EXPECT_EQ(FindWindowW(kSplashClass, nullptr), nullptr) << "left open by the start-up";
        EXPECT_EQ(GetForegroundWindow(), inFront);
        host.finalize();
    }
    ASSERT_NE(watch.splash, nullptr);
    EXPECT_FALSE(IsWindow(watch.splash));
    EXPECT_FALSE(watch.activeEver);
    EXPECT_EQ(watch.caption, L"2.4.1202 Summer edition");
    EXPECT_EQ(watch.versionLabel, L"v2.4.1202 Summer edition beta");
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(watch.client.right, MulDiv(199, dpi < 96 ? 96 : dpi, 96));
    EXPECT_EQ(watch.client.bottom, MulDiv(251, dpi < 96 ? 96 : dpi, 96));
    EXPECT_EQ(watch.style & WS_CAPTION, 0u);
    for (const DWORD bit : {DWORD{WS_EX_TOPMOST}, DWORD{WS_EX_NOACTIVATE}, DWORD{WS_EX_TOOLWINDOW}})
        EXPECT_EQ(watch.exStyle & bit, bit) << std::hex << bit;
    // A fresh installation: the module runs enabled, with the default language file and no play
    // counts.
    const std::vector<std::wstring> expected = {L"Loading....",
                                                L"Creating aux modules",
                                                L"Setting up...",
                                                L"Setting up statistics...",
                                                L"Creating mainform",
                                                L"Mainform created",
                                                L"Loading language resources"};
    EXPECT_EQ(watch.stages, expected);
    EXPECT_TRUE(watch.pictured);
}

TEST_F(Win32Splash, WithSplashModeOffNothingShows) {
    const SettingForTheTest noSplash{"splashmode", "0"};
    Watch watch;
    qbxhost::Host host(kModule);
    {
        MessageHook hook(watch);
        host.initialize();
    }
    EXPECT_EQ(watch.splash, nullptr);
    EXPECT_EQ(FindWindowW(kSplashClass, nullptr), nullptr);
    host.finalize();
}

}  // namespace
}  // namespace qbx::test
