// The windows, keys and programs that the scripts' Windows routines reach. Windows belong to
// other programs that may hang or close at any moment: a sent message gives up after a short
// wait, and a text read back from another program's window is bounded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/desktop_windows.h"

namespace qbx {

class ScriptWindows {
public:
    // How long a sent message waits for its window's answer.
    static constexpr unsigned kMessageTimeoutMs = 2000;
    // Texts read back from a window are cut to this many characters.
    static constexpr std::size_t kMaxWindowText = 65535;

    virtual ~ScriptWindows() = default;
    // Nothing stands for nil: any class, any caption.
    virtual WindowHandle findWindow(const std::optional<std::string>& className,
                                    const std::optional<std::string>& caption) = 0;
    // The next child of parent after child (0: the first); parent 0 looks among top-level
    // windows.
    virtual WindowHandle findChildWindow(WindowHandle parent, WindowHandle after,
                                         const std::optional<std::string>& className,
                                         const std::optional<std::string>& caption) = 0;
    // The window's answer; 0 when it is gone, hung or does not answer in time. Only messages
    // whose parameters are numbers: the text messages go through windowText and setWindowText.
    virtual std::intptr_t sendMessage(WindowHandle window, std::uint32_t message,
                                      std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // Whether the window belongs to this process, where a message's numbers reach our own
    // window procedures as they are.
    virtual bool ownWindow(WindowHandle window) = 0;
    virtual bool postMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) = 0;
    // At most maxChars characters (and kMaxWindowText); empty when the window is gone.
    virtual std::string windowText(WindowHandle window, std::size_t maxChars) = 0;
    virtual bool setWindowText(WindowHandle window, const std::string& text) = 0;
    virtual WindowHandle activeWindow() = 0;
    virtual WindowHandle foregroundWindow() = 0;
    // Whether the window was visible before.
    virtual bool showWindow(WindowHandle window, int command) = 0;
    // The system's answer: above 31 when the program started.
    virtual std::uint32_t winExec(const std::string& commandLine, int show) = 0;
    // The system's answer: above 32 when the operation started.
    virtual std::intptr_t shellExecute(WindowHandle owner, const std::optional<std::string>& verb,
                                       const std::string& file,
                                       const std::optional<std::string>& parameters,
                                       const std::optional<std::string>& folder, int show) = 0;
    virtual bool messageBeep(std::uint32_t type) = 0;
    virtual int systemMetrics(int index) = 0;
    virtual std::int16_t keyState(int virtualKey) = 0;
    // Waits on the calling thread.
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

// The windows of this build (Win32 in the DLL; natively there are none, and every routine
// answers 0, empty or false, though sleep still waits).
ScriptWindows& systemScriptWindows();

}  // namespace qbx
