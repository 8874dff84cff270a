// The host's view of the module's windows: finding them, walking them with a lambda (the
// system calls back through a stdcall function, which a lambda is not in the 32-bit build; the
// thunk carries it through the LPARAM) and letting them run as a host's loop does.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/dialog_window.h"

namespace qbxhost {

template <class Visit>
BOOL CALLBACK visitWindow(HWND window, LPARAM visit) {
    return (*reinterpret_cast<Visit*>(visit))(window) ? TRUE : FALSE;
}

// visit(window) answers whether to go on.
template <class Visit>
void forEachTopLevelWindow(Visit visit) {
    EnumWindows(&visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

template <class Visit>
void forEachChildWindow(HWND parent, Visit visit) {
    EnumChildWindows(parent, &visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

// Runs the thread's messages, as a host's loop does, for about that long.
inline void pumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// A window of the user's own, in front: what the module's windows must not take the focus from.
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

// The settings dialog of this process (other processes may show windows of the same class).
inline HWND findSetupDialog() {
    HWND found = nullptr;
    forEachTopLevelWindow([&](HWND window) {
        wchar_t name[64] = {};
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && GetClassNameW(window, name, 64) &&
            std::wstring(name) == qbx::ui::win32::kFormClass) {
            found = window;
            return false;
        }
        return true;
    });
    return found;
}

// The component name a control of the dialog carries.
inline std::string componentName(HWND window) {
    const auto atom = static_cast<ATOM>(
        reinterpret_cast<ULONG_PTR>(GetPropW(window, qbx::ui::win32::kComponentProperty)));
    char name[256] = {};
    return atom && GlobalGetAtomNameA(atom, name, sizeof name) ? name : "";
}

}  // namespace qbxhost
