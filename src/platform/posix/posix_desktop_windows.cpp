#include "platform/desktop_windows.h"

namespace qbx {
namespace {

// The players whose windows are looked for run on Windows only: natively the desktop is empty.
class PosixDesktopWindows final : public DesktopWindows {
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

}  // namespace

DesktopWindows& systemDesktopWindows() {
    static PosixDesktopWindows windows;
    return windows;
}

}  // namespace qbx
