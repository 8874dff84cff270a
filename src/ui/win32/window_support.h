// Small owners shared by the module's own windows: a window class registered for as long as a
// window of it may exist, a GDI object deleted with its holder, and the screen's DPI.
#pragma once

#include <windows.h>

#include "platform/win32/system_texts.h"

namespace qbx::ui::win32 {

// Registered on the module the code lies in, and unregistered with its holder: the module may
// be unloaded and loaded again, and a class left behind would outlive the module's code.
class WindowClass {
public:
    WindowClass(const wchar_t* name, WNDPROC proc, LPCSTR cursor = IDC_ARROW,
                HBRUSH background = GetSysColorBrush(COLOR_BTNFACE))
        : name_(name) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = proc;
        wc.hInstance = qbx::win32::ownModule();
        wc.hCursor = LoadCursorA(nullptr, cursor);  // a system cursor: no text involved
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        registered_ = RegisterClassExW(&wc) != 0;
    }
    ~WindowClass() {
        if (registered_) UnregisterClassW(name_, qbx::win32::ownModule());
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

private:
    const wchar_t* name_;
    bool registered_ = false;
};

template <class Handle>
class GdiObject {
public:
    explicit GdiObject(Handle handle = nullptr) : handle_(handle) {}
    ~GdiObject() {
        if (handle_) DeleteObject(handle_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    Handle get() const noexcept { return handle_; }

private:
    Handle handle_;
};

// The view a window of ours was made for: CreateWindowEx's parameter, kept in the window's user
// data from WM_NCCREATE on. Null for that message and any before it: the system handles those.
template <class View>
View* viewOfWindow(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return nullptr;
    }
    return reinterpret_cast<View*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The screen's vertical DPI, never below 96: the windows are laid out at 96 and scaled up.
inline int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi < 96 ? 96 : dpi;
}

}  // namespace qbx::ui::win32
