// Other programs' top-level windows on this desktop: found by class, their captions read, and a
// private message sent to them. The windows belong to programs that may hang or close at any
// moment, so every message gives up after a short wait and every caption is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

// A window as the system names it; 0 is none.
using WindowHandle = std::uintptr_t;

class DesktopWindows {
public:
    // Captions are read into a buffer of this many characters, the terminating zero included.
    static constexpr std::size_t kCaptionBufferChars = 2048;
    static constexpr std::size_t kMaxCaptionChars = kCaptionBufferChars - 1;
    // A desktop with more windows than this is not looked through any further.
    static constexpr std::size_t kMaxEnumeratedWindows = 4096;
    // How long a message waits for its window's answer.
    static constexpr unsigned kMessageTimeoutMs = 500;

    virtual ~DesktopWindows() = default;
    // The first top-level window of the class, whatever its caption; 0 when there is none.
    virtual WindowHandle findWindowByClass(std::string_view className) = 0;
    // The window's caption, at most maxChars (and kMaxCaptionChars) characters; empty when the
    // window is gone. Never waits on a hung window.
    virtual std::string windowCaption(WindowHandle window, std::size_t maxChars) = 0;
    // Calls visit with each top-level window and its caption (as windowCaption gives it) until
    // visit returns false, for at most kMaxEnumeratedWindows windows.
    virtual void forEachTopLevelWindow(
        const std::function<bool(WindowHandle, std::string_view caption)>& visit) = 0;
    // The window's reply to WM_USER with these parameters, as a 32-bit value; nothing when the
    // window is gone, hung or does not answer within kMessageTimeoutMs.
    virtual std::optional<std::int32_t> sendUserMessage(WindowHandle window, std::uintptr_t wParam,
                                                        std::intptr_t lParam) = 0;
};

// A desktop without windows: what a build without them (natively) or a context without the
// service sees.
class EmptyDesktopWindows final : public DesktopWindows {
public:
    WindowHandle findWindowByClass(std::string_view) override { return 0; }
    std::string windowCaption(WindowHandle, std::size_t) override { return {}; }
    void forEachTopLevelWindow(
        const std::function<bool(WindowHandle, std::string_view)>&) override {}
    std::optional<std::int32_t> sendUserMessage(WindowHandle, std::uintptr_t,
                                                std::intptr_t) override {
        return std::nullopt;
    }
};

// The desktop of this build (Win32 in the DLL; natively there are no windows to find).
DesktopWindows& systemDesktopWindows();

}  // namespace qbx
