// Texts between the module's code page 1251 and the wide strings of the windows: the dialog
// shows Cyrillic captions rightly whatever the system's ANSI code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qbx::ui::win32 {

inline constexpr UINT kTextCodePage = 1251;

inline std::wstring wideText(std::string_view text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(kTextCodePage, 0, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(kTextCodePage, 0, text.data(), static_cast<int>(text.size()),
                            wide.data(), length);
    return wide;
}

inline std::string codePageText(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(
        kTextCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(kTextCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                            text.data(), length, nullptr, nullptr);
    return text;
}

inline std::string windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, wide.data(), length + 1);
    wide.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return codePageText(wide);
}

inline void setWindowText(HWND window, std::string_view text) {
    SetWindowTextW(window, wideText(text).c_str());
}

}  // namespace qbx::ui::win32
