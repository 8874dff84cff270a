#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "platform/script_windows.h"

namespace qbx {

namespace {

HWND asWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle asHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The text, or null for nil; a text holding #0 ends there, as the system would read it.
const char* textOrNull(const std::optional<std::string>& text) {
    return text ? text->c_str() : nullptr;
}

// A hung window makes the call give up instead of holding the host's thread.
constexpr UINT kWaitFlags = SMTO_ABORTIFHUNG | SMTO_NORMAL;

class Win32ScriptWindows final : public ScriptWindows {
public:
    WindowHandle findWindow(const std::optional<std::string>& className,
                            const std::optional<std::string>& caption) override {
        return asHandle(FindWindowA(textOrNull(className), textOrNull(caption)));
    }
    WindowHandle findChildWindow(WindowHandle parent, WindowHandle after,
                                 const std::optional<std::string>& className,
                                 const std::optional<std::string>& caption) override {
        return asHandle(FindWindowExA(asWindow(parent), asWindow(after), textOrNull(className),
                                      textOrNull(caption)));
    }
    std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
        if (!IsWindow(asWindow(window))) return 0;
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutA(asWindow(window), message, wParam, lParam, kWaitFlags,
                                 kMessageTimeoutMs, &answer))
            return 0;
        return static_cast<std::intptr_t>(answer);
    }
    bool ownWindow(WindowHandle window) override {
        DWORD processId = 0;
        if (GetWindowThreadProcessId(asWindow(window), &processId) == 0) return false;
        return processId == GetCurrentProcessId();
    }
    bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                     std::intptr_t lParam) override {
        return PostMessageA(asWindow(window), message, wParam, lParam) != FALSE;
    }
    std::string windowText(WindowHandle window, std::size_t maxChars) override {
        const std::size_t limit = std::min(maxChars, kMaxWindowText);
        if (limit == 0 || !IsWindow(asWindow(window))) return {};
        // WM_GETTEXT with a wait bound: GetWindowText would wait on a hung window of ours. The
        // buffer is ours and as long as we say; the system copies at most that much into it.
        std::string buffer(limit + 1, '\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(asWindow(window), WM_GETTEXT, limit + 1,
                                 reinterpret_cast<LPARAM>(buffer.data()), kWaitFlags,
                                 kMessageTimeoutMs, &copied))
            return {};
        buffer.resize(std::min<std::size_t>(copied, limit));
        buffer.resize(std::min(buffer.size(), buffer.find('\0')));
        return buffer;
    }
    bool setWindowText(WindowHandle window, const std::string& text) override {
        if (!IsWindow(asWindow(window))) return false;
        DWORD_PTR answer = 0;
        return SendMessageTimeoutA(asWindow(window), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(text.c_str()), kWaitFlags,
                                   kMessageTimeoutMs, &answer) != 0 &&
               answer != 0;
    }
    WindowHandle activeWindow() override { return asHandle(GetActiveWindow()); }
    WindowHandle foregroundWindow() override { return asHandle(GetForegroundWindow()); }
    bool showWindow(WindowHandle window, int command) override {
        if (!IsWindow(asWindow(window))) return false;
        return ShowWindow(asWindow(window), command) != FALSE;
    }
    std::uint32_t winExec(const std::string& commandLine, int show) override {
        // WinExec itself, without its 16-bit past: CreateProcess with the same answers.
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = static_cast<WORD>(show);
        PROCESS_INFORMATION process{};
        std::string line = commandLine;
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_NOT_FOUND ? 2 : error == ERROR_PATH_NOT_FOUND ? 3 : 0;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 33;
    }
    std::intptr_t shellExecute(WindowHandle owner, const std::optional<std::string>& verb,
                               const std::string& file,
                               const std::optional<std::string>& parameters,
                               const std::optional<std::string>& folder, int show) override {
        return reinterpret_cast<std::intptr_t>(ShellExecuteA(asWindow(owner), textOrNull(verb),
                                                             file.c_str(), textOrNull(parameters),
                                                             textOrNull(folder), show));
    }
    bool messageBeep(std::uint32_t type) override { return MessageBeep(type) != FALSE; }
    int systemMetrics(int index) override { return GetSystemMetrics(index); }
    std::int16_t keyState(int virtualKey) override { return GetKeyState(virtualKey); }
    void sleep(std::uint32_t milliseconds) override { Sleep(milliseconds); }
};

}  // namespace

ScriptWindows& systemScriptWindows() {
    static Win32ScriptWindows windows;
    return windows;
}

}  // namespace qbx
