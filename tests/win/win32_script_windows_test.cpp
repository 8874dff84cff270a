// Pascal scripts through the DLL reach the windows of a program as the Windows unit's routines
// do: here a window of the test's own, with an edit box inside it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

constexpr const char* kClass = "QbxScriptProbeWindow";
constexpr const char* kTitle = "Quilbex script probe";
constexpr UINT kAsk = WM_USER + 7;

LRESULT CALLBACK probeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAsk) return 4242;
    return DefWindowProcA(window, message, wParam, lParam);
}

class ProbeWindow {
public:
    ProbeWindow() {
        WNDCLASSA type{};
        type.lpfnWndProc = probeProcedure;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = kClass;
        RegisterClassA(&type);
        window_ = CreateWindowA(kClass, kTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        edit_ = CreateWindowA("EDIT", "typed text", WS_CHILD, 0, 0, 100, 20, window_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    }
    ~ProbeWindow() {
        DestroyWindow(window_);
        UnregisterClassA(kClass, GetModuleHandleA(nullptr));
    }
    HWND window() const { return window_; }
    HWND edit() const { return edit_; }

private:
    HWND window_ = nullptr;
    HWND edit_ = nullptr;
};

std::string caption(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST(ScriptWindows, APascalScriptFindsReadsAndRenamesAWindow) {
    const ProbeWindow probe;
    ASSERT_NE(probe.window(), nullptr);
    const qbx::test::HostHome home("script-windows-");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(probe.window()));
    EXPECT_EQ(host.callMacro(data, "EPS", {"FindWindow('QbxScriptProbeWindow', nil)"}), handle);
    EXPECT_EQ(host.callMacro(data, "EPS", {"FindWindow(nil, 'Quilbex script probe')"}), handle);
    EXPECT_EQ(
        host.callMacro(data, "EPS", {"GetWindowText(FindWindow(nil, 'Quilbex script probe'))"}),
        kTitle);
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"var s: string; n: Integer; begin n := GetWindowText("
                              "FindWindow('QbxScriptProbeWindow', nil), s, 8);"
                              " Result := IntToStr(n) + ':' + s end."}),
              "7:Quilbex");
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"GetWindowText(FindWindowEx(FindWindow('QbxScriptProbeWindow', nil),"
                              " 0, 'Edit', nil))"}),
              "typed text");
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"SetWindowText(FindWindow(nil, 'Quilbex script probe'), 'Renamed')"}),
              "True");
    EXPECT_EQ(caption(probe.window()), "Renamed");
    EXPECT_EQ(
        host.callMacro(data, "EPS",
                       {"SendMessage(FindWindow('QbxScriptProbeWindow', nil), WM_SETTEXT, 0, "
                        "'Again') + SendMessage(FindWindow(nil, 'Again'), WM_USER + 7, 0, 0)"}),
        "4243");
    EXPECT_EQ(caption(probe.window()), "Again");
    // Numbers that a window of this process could take for an address never reach it.
    EXPECT_EQ(
        host.callMacro(data, "EPS",
                       {"SendMessage(FindWindow('QbxScriptProbeWindow', nil), WM_USER + 7, 0, "
                        "12345) + SendMessage(FindWindow('QbxScriptProbeWindow', nil), "
                        "$0189, 0, 12345)"}),
        "0");
    EXPECT_EQ(host.callMacro(data, "EPS", {"FindWindow('QbxNoSuchWindowClass', nil)"}), "0");
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"begin Sleep(1); Result := GetSystemMetrics(SM_CXSCREEN) > 0 end."}),
              "True");
    host.finalize();
}

TEST(ScriptWindows, APascalScriptKeepsFilesInAFolderOfItsOwn) {
    const qbx::test::HostHome home("script-files-");
    const std::string folder = (home.path() / "work").string();
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"var d: string; h: Integer; begin d := '" + folder +
                              "\\'; Result := BoolToStr(CreateDir(d), True);"
                              " h := FileCreate(d + 'x.txt'); FileWrite(h, 'abcdef', 4);"
                              " FileClose(h); Result := Result + IntToStr(FileGetAttr(d) and "
                              "faDirectory) + ' ' + ExtractFileDrive(d) end."}),
              "True16 " + folder.substr(0, 2));
    EXPECT_EQ(qbx::test::slurp(home.path() / "work" / "x.txt"), "abcd");
    EXPECT_EQ(host.callMacro(data, "EPS", {"RemoveDir('" + folder + "')"}), "False");
    EXPECT_EQ(
        host.callMacro(data, "EPS",
                       {"DeleteFile('" + folder + "\\x.txt') and RemoveDir('" + folder + "')"}),
        "True");
    host.finalize();
}

}  // namespace
