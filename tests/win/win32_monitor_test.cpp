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

// The user's own window, in front while the messages are fed.
class UserWindow {
public:
    UserWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"user", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                  200, 100, nullptr, nullptr, nullptr, nullptr)) {
        if (window_) SetForegroundWindow(window_);
    }
    ~UserWindow() {
        if (window_) DestroyWindow(window_);
    }
    UserWindow(const UserWindow&) = delete;
    UserWindow& operator=(const UserWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

class Win32Monitor : public ::testing::Test {
protected:
    // The registry outlives the test: what it sets is put back afterwards.
    void SetUp() override {
        for (const auto& [name, value] : kSettings) {
            saved_.push_back(registry().readString("Software\\ZVX", name));
            registry().writeString("Software\\ZVX", name, value);
        }
    }
    void TearDown() override {
        for (std::size_t i = 0; i < saved_.size(); ++i)
            registry().writeString(
                "Software\\ZVX", kSettings[i].first,
                saved_[i].status == RegStatus::Ok ? saved_[i].text : std::string("0"));
    }
    static Registry& registry() { return *systemPlatform().registry; }

    static constexpr std::pair<const char*, const char*> kSettings[] = {
        {"Enable on-screen debug display", "1"},
        {"Enable antispam", "1"},
        {"Statistics Flags", "192"},  // the Spam and NonSpam items
        {"Statistics reset", "88"},
        {"splashmode", "0"},
    };
    const HostHome home_{"monitor-"};
    std::vector<RegValue> saved_;
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

    UserWindow user;
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
    registry().writeString("Software\\ZVX", "Enable on-screen debug display", "0");
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
