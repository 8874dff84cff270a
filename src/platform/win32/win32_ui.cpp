#include <windows.h>

#include "platform/win32/win32_services.h"

namespace qbx::win32 {

void Win32Ui::pumpMessages() {
    MSG msg{};
    for (int i = 0; i < kMaxMessagesPerPump && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            // The host's own loop must still see it, or the host never quits.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Win32Ui::messageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
    UINT flags = MB_OK;
    switch (icon) {
        case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
        case MessageIcon::Warning: flags |= MB_ICONWARNING; break;
        case MessageIcon::Error: flags |= MB_ICONERROR; break;
    }
    try {
        const std::string body(text);
        const std::string title(caption);
        MessageBoxA(nullptr, body.c_str(), title.c_str(), flags);
    } catch (...) {  // no memory for the copies: nothing to show
    }
}

}  // namespace qbx::win32
