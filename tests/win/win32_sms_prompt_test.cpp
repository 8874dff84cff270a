// The SMS prompt as the user meets it: the real window, shown by the built module for ZVXGETSMS,
// typed into and closed by a helper thread of the test while the module's own loop runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "screenshot.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

HWND waitForPrompt(std::chrono::milliseconds patience, const std::atomic<bool>& stop) {
    const auto end = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < end && !stop) {
        HWND window = FindWindowW(L"Tsmsform", nullptr);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(20);
    }
    return nullptr;
}

bool waitUntilGone(HWND window, std::chrono::milliseconds patience) {
    const auto end = std::chrono::steady_clock::now() + patience;
    while (std::chrono::steady_clock::now() < end) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(20);
    }
    return false;
}

std::wstring textOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

struct Controls {
    HWND memo = nullptr;
    HWND counter = nullptr;
    HWND done = nullptr;
};

BOOL CALLBACK noteControl(HWND child, LPARAM found) {
    auto& c = *reinterpret_cast<Controls*>(found);
    wchar_t name[32] = {};
    GetClassNameW(child, name, 32);
    const std::wstring text = textOf(child);
    if (lstrcmpiW(name, L"Edit") == 0) c.memo = child;
    if (lstrcmpiW(name, L"Static") == 0 && text.rfind(L"[", 0) == 0) c.counter = child;
    if (lstrcmpiW(name, L"Static") == 0 && text == L"Done") c.done = child;
    return TRUE;
}

Controls controlsOf(HWND form) {
    Controls controls;
    EnumChildWindows(form, noteControl, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// A helper thread that waits for the prompt and works on it; whatever happens it closes the
// prompt it found, so the module's call always returns, and it is joined before the test goes on.
class PromptDriver {
public:
    explicit PromptDriver(std::function<void(HWND)> work)
        : thread_([this, work = std::move(work)] {
              const HWND form = waitForPrompt(std::chrono::seconds(10), stop_);
              found = form != nullptr;
              if (!found) return;
              work(form);
              PostMessageW(form, WM_CLOSE, 0, 0);
          }) {}
    ~PromptDriver() {
        stop_ = true;
        thread_.join();
    }
    PromptDriver(const PromptDriver&) = delete;
    PromptDriver& operator=(const PromptDriver&) = delete;

    std::atomic<bool> found{false};

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// A visible window of the host's thread, which the modal prompt must disable while shown.
class HostWindow {
public:
    HostWindow()
        : window_(CreateWindowExW(0, L"STATIC", L"host window", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr)) {}
    ~HostWindow() {
        if (window_ != nullptr) DestroyWindow(window_);
    }
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    HWND get() const { return window_; }

private:
    HWND window_;
};

void pressCtrlEnter() {
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, VK_RETURN, VK_RETURN, VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
    }
    SendInput(4, keys, sizeof(INPUT));
}

TEST(Win32SmsPrompt, TypedCountedShotAndClosedThroughTheModule) {
    const qbx::test::HostHome home("win-sms-");
    const HostWindow hostWindow;
    ASSERT_NE(hostWindow.get(), nullptr);
    Host host(kModule);
    host.initialize();
    auto call = [&] { return host.callMacro(host.data(), "ZVXGETSMS", {"10"}); };
    // Past the repeat time of the module's load.
    Sleep(1000);

    std::wstring counterAtTen, counterAfterEleventh, caption;
    int lengthAfterEleventh = -1;
    bool hostDisabled = false, shot = false, closedByCtrlEnter = false, inFront = false;
    RECT client{};
    std::string answer;
    {
        PromptDriver driver([&](HWND form) {
            caption = textOf(form);
            GetClientRect(form, &client);
            hostDisabled = !IsWindowEnabled(hostWindow.get());
            const Controls controls = controlsOf(form);
            if (controls.memo == nullptr || controls.counter == nullptr) return;
            for (const wchar_t c : std::wstring(L"\u041f\u0440\u0438\u0432\u0435\u0442"
                                                L"1234"))
                SendMessageW(controls.memo, WM_CHAR, c, 1);
            counterAtTen = textOf(controls.counter);
            SendMessageW(controls.memo, WM_CHAR, L'k', 1);
            lengthAfterEleventh = GetWindowTextLengthW(controls.memo);
            counterAfterEleventh = textOf(controls.counter);
            Sleep(300);  // let the prompt's loop paint
            CreateDirectoryA("..\\screenshots", nullptr);
            shot = qbxhost::captureWindow(form, "..\\screenshots\\sms_prompt.png");
            inFront = GetForegroundWindow() == form;
            pressCtrlEnter();
            closedByCtrlEnter = waitUntilGone(form, std::chrono::seconds(3));
        });
        answer = call();
        ASSERT_TRUE(driver.found);
    }
    EXPECT_EQ(caption, L"Quilbex 2.4.1202 Summer edition");
    EXPECT_EQ(client.right, 307);
    EXPECT_EQ(client.bottom, 156);
    EXPECT_TRUE(hostDisabled);
    EXPECT_TRUE(IsWindowEnabled(hostWindow.get()));
    EXPECT_EQ(counterAtTen, L"[10/10]");
    EXPECT_EQ(lengthAfterEleventh, 10);
    EXPECT_EQ(counterAfterEleventh, L"[10/10]");
    EXPECT_TRUE(shot);
    EXPECT_TRUE(inFront);
    EXPECT_TRUE(closedByCtrlEnter);
    EXPECT_EQ(answer,
              "\xCF\xF0\xE8\xE2\xE5\xF2"
              "1234");  // no line break from Ctrl+Enter

    // Within the repeat time: the cache, no window.
    {
        PromptDriver driver([](HWND) {});
        EXPECT_EQ(call(), answer);
        EXPECT_FALSE(driver.found);
    }
    const std::string logPath = qbx::toModulePath(home.string()) + "\\tmp\\-QBX.log";
    const auto log = qbx::systemPlatform().files->readFile(logPath, 1u << 24);
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("Cache value returned\r\n"), std::string::npos);

    // A second later the prompt comes again, emptied; "Done" closes it.
    Sleep(1000);
    std::wstring memoText = L"unread", counterText;
    {
        PromptDriver driver([&](HWND form) {
            const Controls controls = controlsOf(form);
            if (controls.memo == nullptr || controls.done == nullptr) return;
            memoText = textOf(controls.memo);
            counterText = textOf(controls.counter);
            SendMessageW(controls.memo, WM_CHAR, L'x', 1);
            PostMessageW(controls.done, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            PostMessageW(controls.done, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            waitUntilGone(form, std::chrono::seconds(3));
        });
        EXPECT_EQ(call(), "x");
        EXPECT_TRUE(driver.found);
    }
    EXPECT_EQ(memoText, L"");
    EXPECT_EQ(counterText, L"[0/10]");
    host.finalize();
}

}  // namespace
