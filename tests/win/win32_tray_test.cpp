// The tray icon as the user meets it: the real module loaded by the host emulator, its hidden
// window with the notification-area icon, the popup menu (shot while a helper thread holds it
// open, then closed), a balloon when the version changed, and the timers ticking while the
// host's thread dispatches messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/platform.h"
#include "screenshot.h"
#include "ui/win32/tray_view.h"
#include "window_walk.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;
using Clock = std::chrono::steady_clock;

void pumpWhile(Clock::duration span, const std::atomic<bool>& stop) {
    const auto end = Clock::now() + span;
    while (Clock::now() < end && !stop) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

HWND visibleWindowOfClass(const char* className) {
    HWND found = nullptr;
    qbxhost::forEachTopLevelWindow([&](HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (lstrcmpiA(name, className) != 0 || !IsWindowVisible(window)) return true;
        found = window;
        return false;
    });
    return found;
}

// Waits on its own thread for the popup menu, reads and shoots it, and closes it again; joined
// whatever the test does, so the module's menu loop always ends.
class MenuDriver {
public:
    explicit MenuDriver(HWND owner)
        : thread_([this, owner] {
              const auto end = Clock::now() + std::chrono::seconds(5);
              HWND menu = nullptr;
              while (Clock::now() < end && (menu = visibleWindowOfClass("#32768")) == nullptr)
                  Sleep(20);
              if (menu != nullptr) {
                  Sleep(300);  // let it paint
                  HMENU items = reinterpret_cast<HMENU>(SendMessageA(menu, MN_GETHMENU, 0, 0));
                  for (int i = 0; items != nullptr && i < GetMenuItemCount(items); ++i) {
                      char text[256] = {};
                      GetMenuStringA(items, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                      captions.push_back(text);
                  }
                  CreateDirectoryA("..\\screenshots", nullptr);
                  shot = qbxhost::captureWindow(menu, "..\\screenshots\\tray_menu.png");
                  PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
                  Sleep(200);
                  if (IsWindowVisible(menu)) PostMessageA(owner, WM_CANCELMODE, 0, 0);
              }
              found = menu != nullptr;
              done = true;
          }) {}
    ~MenuDriver() { thread_.join(); }
    MenuDriver(const MenuDriver&) = delete;
    MenuDriver& operator=(const MenuDriver&) = delete;

    std::atomic<bool> done{false};
    bool found = false;
    bool shot = false;
    std::vector<std::string> captions;

private:
    std::thread thread_;
};

TEST(Win32Tray, IconMenuBalloonAndTimersThroughTheModule) {
    const qbx::test::HostHome home("tray-");
    // An older version recorded: the start shows the new-version balloon.
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "Version", "2.3.900");
    Host host(kModule);
    host.initialize();
    const std::atomic<bool> never{false};

    HWND window = FindWindowA(qbx::ui::win32::kTrayWindowClass, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageA(window, qbx::ui::win32::kQueryIconAdded, 0, 0), 1);

    // Wine's notification area (a window of its own without a desktop's tray) draws the
    // balloon as a tooltip after a delay of its own; a run without it has no picture of it.
    CreateDirectoryA("..\\screenshots", nullptr);
    std::atomic<bool> balloonSeen{false};
    HWND balloon = nullptr;
    for (int i = 0; i < 40 && balloon == nullptr; ++i) {
        pumpWhile(std::chrono::milliseconds(100), balloonSeen);
        balloon = visibleWindowOfClass("tooltips_class32");
    }
    if (balloon != nullptr) {
        Sleep(300);
        EXPECT_TRUE(qbxhost::captureWindow(balloon, "..\\screenshots\\tray_balloon.png"));
    }
    if (HWND area = visibleWindowOfClass("__winex11_standalone_tray"))
        qbxhost::captureWindow(area, "..\\screenshots\\tray_icon.png");

    host.callMacro(host.data(), "ZVXSET", {"datetime", "stale"});
    pumpWhile(std::chrono::milliseconds(1000), never);
    const std::string now = host.callMacro(host.data(), "ZVXVAR", {"datetime"});
    EXPECT_NE(now, "stale");
    EXPECT_GE(now.size(), 8u);
    EXPECT_EQ(host.callMacro(host.data(), "ZVXVAR", {"ver"}), "2.4.1202 Summer edition");

    {
        MenuDriver driver(window);
        PostMessageA(window, qbx::ui::win32::kPopMenuNow, 0, 0);
        pumpWhile(std::chrono::seconds(8), driver.done);
        pumpWhile(std::chrono::milliseconds(200), never);
        ASSERT_TRUE(driver.done);
        ASSERT_TRUE(driver.found);
        EXPECT_TRUE(driver.shot);
        // Neither a help file nor the viewer exists: their items are hidden.
        EXPECT_EQ(driver.captions,
                  (std::vector<std::string>{"Setup Quilbex 2.4.1202 Summer edition", "",
                                            "Send a bug report"}));
    }
    EXPECT_EQ(visibleWindowOfClass("#32768"), nullptr);

    host.finalize();
    EXPECT_EQ(FindWindowA(qbx::ui::win32::kTrayWindowClass, nullptr), nullptr);
}

}  // namespace
