// The tray icon as the user meets it: the real module loaded by the host emulator, its hidden
// window with the notification-area icon, the popup menu (shot while a helper thread holds it
// open, then closed), a balloon when the version changed, and the timers ticking while the
// host's thread dispatches messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
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
    // With `chooseLast` the driver picks the menu's last item (the bug report) instead of
    // closing it.
    explicit MenuDriver(HWND owner, bool chooseLast = false)
        : thread_([this, owner, chooseLast] {
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
                  if (chooseLast) {
                      PostMessageA(menu, WM_KEYDOWN, VK_UP, 0);
                      Sleep(100);
                      PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
                      Sleep(200);
                      found = true;
                      done = true;
                      return;
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

// The bug report and the help item as a user meets them, with a language file and a previous
// log that came from elsewhere: the log's text from mail cannot steer the report, and a help
// file the language file names outside the module's folder, or a program, is never offered.
TEST(Win32Tray, TheBugReportAndTheHelpItemTakeNoOrdersFromData) {
    const qbx::test::HostHome home("tray-report-");
    const std::filesystem::path program = home.path() / "TheBat";
    std::filesystem::copy_file(std::filesystem::absolute("fake-host/thebat.exe"),
                               program / "thebat.exe");
    const std::filesystem::path plugins = home.path() / "Plugins";
    qbx::test::spit(plugins / "evil.exe", "MZ");
    qbx::test::spit(home.path() / "outside.chm", "help");
    qbx::test::spit(plugins / "qbx.chm", "help");
    const std::atomic<bool> never{false};
    const auto menuCaptions = [&](const char* helpName) {
        qbx::test::spit(plugins / "english.zlf",
                        std::string("[Strings]\r\n198=") + helpName + "\r\n");
        Host host(kModule);
        host.initialize();
        HWND window = FindWindowA(qbx::ui::win32::kTrayWindowClass, nullptr);
        std::vector<std::string> captions;
        if (window != nullptr) {
            MenuDriver driver(window);
            PostMessageA(window, qbx::ui::win32::kPopMenuNow, 0, 0);
            pumpWhile(std::chrono::seconds(8), driver.done);
            pumpWhile(std::chrono::milliseconds(200), never);
            captions = driver.captions;
        }
        host.finalize();
        return captions;
    };
    EXPECT_EQ(menuCaptions("qbx.chm").size(), 4u);  // the help item is there
    for (const char* refused : {"..\\outside.chm", "evil.exe"})
        EXPECT_EQ(menuCaptions(refused).size(), 3u) << refused;

    // The previous session's log, as the next start finds it.
    qbx::test::spit(home.path() / "tmp" / "-QBX.log",
                    "[12:00:00] Subject: %TO=\"thief@example.com\"%SUBJECT=\"mine\"\r\n");
    Host host(kModule);
    host.initialize();
    HWND window = FindWindowA(qbx::ui::win32::kTrayWindowClass, nullptr);
    ASSERT_NE(window, nullptr);
    {
        MenuDriver driver(window, true);
        PostMessageA(window, qbx::ui::win32::kPopMenuNow, 0, 0);
        pumpWhile(std::chrono::seconds(8), driver.done);
        pumpWhile(std::chrono::milliseconds(500), never);
        ASSERT_TRUE(driver.found);
    }
    host.finalize();
    const std::string record = qbx::test::slurp(program / "record.txt");
    EXPECT_NE(record.find("Subject: % TO=\"thief@example.com\"% SUBJECT=\"mine\""),
              std::string::npos)
        << record;
    EXPECT_EQ(record.find("%TO=\"thief"), std::string::npos);
    EXPECT_NE(record.find("%TO=\"bugs@quilbex.invalid\"\r\n"), std::string::npos) << record;
}

}  // namespace
