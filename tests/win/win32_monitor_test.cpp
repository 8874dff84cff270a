// The anti-spam monitor through the real module: made hidden with the settings dialog at start,
// shown by training without taking the focus, refreshed, pictured, and gone 5 s after the last
// message.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "message_items.h"
#include "platform/platform.h"
#include "screenshot.h"
#include "ui/win32/monitor_window.h"
#include "window_walk.h"

namespace qbx::test {
namespace {

using ui::win32::kMonitorClass;

std::wstring text(HWND window) {
    std::wstring buffer(1024, L'\0');
    buffer.resize(static_cast<std::size_t>(GetWindowTextW(window, buffer.data(), 1024)));
    return buffer;
}

class Win32Monitor : public ::testing::Test {
protected:
    const SettingForTheTest debugDisplay_{"Enable on-screen debug display", "1"};
    const SettingForTheTest antispam_{"Enable antispam", "1"};
    const SettingForTheTest items_{"Statistics Flags", "192"};  // the Spam and NonSpam items
    const SettingForTheTest noReset_{"Statistics reset", "88"};
    const SettingForTheTest noSplash_{"splashmode", "0"};
    const HostHome home_{"monitor-"};
};

TEST_F(Win32Monitor, TrainingShowsItUntilFiveSecondsAfterTheLastMessage) {
    qbxhost::Host host(kModule);
    host.initialize();
    qbxhost::pumpMessagesFor(100);
    const HWND monitor = FindWindowW(kMonitorClass, nullptr);
    ASSERT_NE(monitor, nullptr);
    EXPECT_FALSE(IsWindowVisible(monitor));
    EXPECT_EQ(text(monitor), L"ZVX on-screen debug display");
    EXPECT_EQ(GetWindow(monitor, GW_OWNER), qbxhost::findSetupDialog());
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(monitor, GWL_EXSTYLE));
    for (const DWORD bit : {DWORD{WS_EX_LAYERED}, DWORD{WS_EX_TOOLWINDOW}, DWORD{WS_EX_TOPMOST},
                            DWORD{WS_EX_NOACTIVATE}})
        EXPECT_EQ(exStyle & bit, bit) << std::hex << bit;
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(monitor, GWL_STYLE)) & WS_CAPTION, 0u);
    BYTE alpha = 0;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(monitor, nullptr, &alpha, &flags)) {
        EXPECT_EQ(flags & LWA_ALPHA, DWORD{LWA_ALPHA});
        EXPECT_EQ(alpha, 200);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT client{};
    GetClientRect(monitor, &client);
    EXPECT_EQ(client.right, MulDiv(292, dpi, 96));
    EXPECT_EQ(client.bottom, MulDiv(211, dpi, 96));
    const HWND lines = GetDlgItem(monitor, ui::win32::kMonitorTextId);
    ASSERT_NE(lines, nullptr);
    EXPECT_EQ(text(lines), L"j");

    const qbxhost::UserWindow user;
    qbxhost::pumpMessagesFor(200);
    const HWND inFront = GetForegroundWindow();
    const std::string raw =
        "From: Seller <seller@example.org>\r\nSubject: cheap offer\r\n\r\nBuy cheap watches "
        "now\r\n";
    qbxhost::MessageItems items = qbxhost::parseMessage(raw);
    for (int message = 0; message < 3; ++message) {
        host.exports().feedSpam(reinterpret_cast<std::intptr_t>(&items), 1,
                                &qbxhost::messageItemCallback);
        EXPECT_TRUE(IsWindowVisible(monitor)) << message;
        EXPECT_EQ(GetForegroundWindow(), inFront) << message;
        EXPECT_NE(GetActiveWindow(), monitor) << message;
        qbxhost::pumpMessagesFor(message < 2 ? 2000 : 700);
    }
    const std::wstring bytes = std::to_wstring(3 * raw.size());
    EXPECT_EQ(text(lines),
              L"Total letters processed: 3\r\nSpam letters: 3\r\nNon-spam letters: "
              L"0\r\nIncoming letters: 0\r\nDetected as spam: 0\r\nDetected as "
              L"non-spam: 0\r\nBytes processed: " +
                  bytes);
    // The file-copy clip plays where the system has it; where not, the lines are all there is.
    const HWND animation = FindWindowExW(monitor, nullptr, ANIMATE_CLASSW, nullptr);
    if (animation != nullptr) {
        EXPECT_TRUE(IsWindowVisible(animation));
        std::printf("the monitor plays the file-copy clip\n");
    }
    CreateDirectoryA("..\\screenshots", nullptr);
    EXPECT_TRUE(qbxhost::captureWindow(monitor, "..\\screenshots\\monitor.png"));

    qbxhost::pumpMessagesFor(3800);  // 4.5 s after the third message
    EXPECT_TRUE(IsWindowVisible(monitor));
    qbxhost::pumpMessagesFor(1000);
    EXPECT_FALSE(IsWindowVisible(monitor));
    host.finalize();
    EXPECT_FALSE(IsWindow(monitor));
}

TEST_F(Win32Monitor, WithTheSettingOffTrainingShowsNothing) {
    const SettingForTheTest off{"Enable on-screen debug display", "0"};
    qbxhost::Host host(kModule);
    host.initialize();
    const std::string raw = "Subject: hello\r\n\r\nLunch tomorrow\r\n";
    qbxhost::MessageItems items = qbxhost::parseMessage(raw);
    host.exports().feedSpam(reinterpret_cast<std::intptr_t>(&items), 0,
                            &qbxhost::messageItemCallback);
    qbxhost::pumpMessagesFor(600);
    EXPECT_EQ(FindWindowW(kMonitorClass, nullptr), nullptr);
    host.finalize();
}

}  // namespace
}  // namespace qbx::test
