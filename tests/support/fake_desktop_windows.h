// A desktop that tests furnish by hand: windows with a class, a caption and a table of replies
// to WM_USER; a window can play hung (every message to it times out).
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/desktop_windows.h"

namespace qbx::test {

class FakeDesktopWindows : public DesktopWindows {
public:
    struct Window {
        WindowHandle handle = 0;
        std::string className;
        std::string caption;
        // Reply by (lParam code, wParam data); a message not in the table answers 0.
        std::map<std::pair<std::intptr_t, std::uintptr_t>, std::int32_t> replies;
        bool hung = false;
    };

    // Top-level windows in the system's order (the first of a class is the one found).
    std::vector<Window> windows;
    int messagesSent = 0;
    int captionsRead = 0;

    Window& add(std::string className, std::string caption) {
        Window& window = windows.emplace_back();
        window.handle = 0x100 + windows.size() * 4;
        window.className = std::move(className);
        window.caption = std::move(caption);
        return window;
    }

    WindowHandle findWindowByClass(std::string_view className) override {
        for (const Window& window : windows)
            if (window.className == className) return window.handle;
        return 0;
    }

    std::string windowCaption(WindowHandle handle, std::size_t maxChars) override {
        ++captionsRead;
        const Window* window = find(handle);
        if (window == nullptr) return {};
        return window->caption.substr(0, std::min(maxChars, kMaxCaptionChars));
    }

    void forEachTopLevelWindow(
        const std::function<bool(WindowHandle, std::string_view)>& visit) override {
        std::size_t seen = 0;
        for (const Window& window : windows) {
            if (seen++ >= kMaxEnumeratedWindows) return;
            if (!visit(window.handle, window.caption.substr(0, kMaxCaptionChars))) return;
        }
    }

    std::optional<std::int32_t> sendUserMessage(WindowHandle handle, std::uintptr_t wParam,
                                                std::intptr_t lParam) override {
        ++messagesSent;
        const Window* window = find(handle);
        if (window == nullptr || window->hung) return std::nullopt;
        const auto it = window->replies.find({lParam, wParam});
        return it == window->replies.end() ? 0 : it->second;
    }

private:
    const Window* find(WindowHandle handle) const {
        for (const Window& window : windows)
            if (window.handle == handle) return &window;
        return nullptr;
    }
};

}  // namespace qbx::test
