#include <windows.h>

#include <algorithm>
#include <exception>
#include <string>

#include "platform/desktop_windows.h"

namespace qbx::win32 {
namespace {

constexpr UINT kWaitFlags = SMTO_ABORTIFHUNG | SMTO_BLOCK;

HWND asWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }

// No handle is owned here: a window belongs to its program, and a handle that went stale
// between two calls only makes the system calls fail.
std::string captionOf(HWND window, std::size_t maxChars) {
    const std::size_t limit = std::min(maxChars, DesktopWindows::kMaxCaptionChars);
    if (limit == 0 || window == nullptr || !IsWindow(window)) return {};
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != GetCurrentProcessId()) {
        // Another program's caption comes from the system's own copy: no message reaches the
        // window, so a hung program cannot hold us up.
        char buffer[DesktopWindows::kCaptionBufferChars] = {};
        const int length = GetWindowTextA(window, buffer, static_cast<int>(limit + 1));
        if (length <= 0) return {};
        return std::string(buffer, std::min(static_cast<std::size_t>(length), limit));
    }
    // For a window of this process GetWindowTextA would send WM_GETTEXT to its thread, which
    // may be the one that hangs; the system's copy is read instead, as for other programs.
    wchar_t wide[DesktopWindows::kCaptionBufferChars] = {};
    const int wideLength = InternalGetWindowText(window, wide, static_cast<int>(limit + 1));
    if (wideLength <= 0) return {};
    char buffer[DesktopWindows::kCaptionBufferChars * 2] = {};
    const int length = WideCharToMultiByte(CP_ACP, 0, wide, wideLength, buffer,
                                           static_cast<int>(sizeof buffer), nullptr, nullptr);
    if (length <= 0) return {};
    return std::string(buffer, std::min(static_cast<std::size_t>(length), limit));
}

struct Enumeration {
    const std::function<bool(WindowHandle, std::string_view)>* visit = nullptr;
    std::size_t seen = 0;
    std::exception_ptr failure;
};

// No exception may cross the system's frames of EnumWindows: it is kept and thrown afterwards.
BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
    auto& enumeration = *reinterpret_cast<Enumeration*>(context);
    if (enumeration.seen >= DesktopWindows::kMaxEnumeratedWindows) return FALSE;
    ++enumeration.seen;
    try {
        const std::string caption = captionOf(window, DesktopWindows::kMaxCaptionChars);
        return (*enumeration.visit)(reinterpret_cast<WindowHandle>(window), caption) ? TRUE : FALSE;
    } catch (...) {
        enumeration.failure = std::current_exception();
        return FALSE;
    }
}

class Win32DesktopWindows final : public DesktopWindows {
public:
    WindowHandle findWindowByClass(std::string_view className) override {
        if (className.empty() || className.find('\0') != std::string_view::npos) return 0;
        const std::string zeroTerminated(className);
        return reinterpret_cast<WindowHandle>(FindWindowA(zeroTerminated.c_str(), nullptr));
    }

    std::string windowCaption(WindowHandle window, std::size_t maxChars) override {
        return captionOf(asWindow(window), maxChars);
    }

    void forEachTopLevelWindow(
        const std::function<bool(WindowHandle, std::string_view)>& visit) override {
        Enumeration enumeration;
        enumeration.visit = &visit;
        EnumWindows(visitWindow, reinterpret_cast<LPARAM>(&enumeration));
        if (enumeration.failure) std::rethrow_exception(enumeration.failure);
    }

    std::optional<std::int32_t> sendUserMessage(WindowHandle window, std::uintptr_t wParam,
                                                std::intptr_t lParam) override {
        if (window == 0) return std::nullopt;
        DWORD_PTR reply = 0;
        if (SendMessageTimeoutA(asWindow(window), WM_USER, static_cast<WPARAM>(wParam),
                                static_cast<LPARAM>(lParam), kWaitFlags, kMessageTimeoutMs,
                                &reply) == 0)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(reply));
    }
};

}  // namespace
}  // namespace qbx::win32

namespace qbx {

DesktopWindows& systemDesktopWindows() {
    static auto* windows =
        new win32::Win32DesktopWindows;  // never destroyed, as the other services
    return *windows;
}

}  // namespace qbx
