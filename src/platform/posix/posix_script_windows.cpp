#include <chrono>
#include <thread>

#include "platform/script_windows.h"

namespace qbx {

namespace {

// The native build has no windows to find, no keys to read and no shell to start programs.
class NoScriptWindows final : public ScriptWindows {
public:
    WindowHandle findWindow(const std::optional<std::string>&,
                            const std::optional<std::string>&) override {
        return 0;
    }
    WindowHandle findChildWindow(WindowHandle, WindowHandle, const std::optional<std::string>&,
                                 const std::optional<std::string>&) override {
        return 0;
    }
    std::intptr_t sendMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
        return 0;
    }
    bool ownWindow(WindowHandle) override { return false; }
    bool postMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
        return false;
    }
    std::string windowText(WindowHandle, std::size_t) override { return {}; }
    bool setWindowText(WindowHandle, const std::string&) override { return false; }
    WindowHandle activeWindow() override { return 0; }
    WindowHandle foregroundWindow() override { return 0; }
    bool showWindow(WindowHandle, int) override { return false; }
    std::uint32_t winExec(const std::string&, int) override { return 0; }
    std::intptr_t shellExecute(WindowHandle, const std::optional<std::string>&, const std::string&,
                               const std::optional<std::string>&, const std::optional<std::string>&,
                               int) override {
        return 0;
    }
    bool messageBeep(std::uint32_t) override { return false; }
    int systemMetrics(int) override { return 0; }
    std::int16_t keyState(int) override { return 0; }
    void sleep(std::uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

}  // namespace

ScriptWindows& systemScriptWindows() {
    static NoScriptWindows windows;
    return windows;
}

}  // namespace qbx
