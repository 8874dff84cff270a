// What the tray module needs of the screen: its icon with a popup menu and balloon hints, two
// window timers, the cursor, the screen's size and the shell. The Win32 view draws all of it;
// natively the model runs over a fake, so every rule of the module is tested without windows.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qbx::ui {

// The icon images: a set per tray mode, each with an on-line and an off-line look.
enum class TrayIconSet : std::uint8_t { Offline1, Online1, Offline2, Online2 };

enum class TrayTimer : std::uint8_t { MouseTracking, Connection };

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct ScreenSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// One row of the popup menu as the view shows it.
struct TrayMenuEntry {
    std::string caption;  // "-" draws a separator
    bool isDefault = false;
    bool visible = true;
};

// Who raised what escaped a callback, as the exception log names it: the component's kind
// and name, and the address of the handler that ran.
struct ExceptionSender {
    std::string_view className;
    std::string_view name;
    const void* handler = nullptr;
};

// What the user and the timers do to the view, as the view reports it to the module.
struct TrayEvent {
    enum class Kind : std::uint8_t { MenuItem, IconClick, IconDoubleClick, Timer } kind;
    int index = 0;  // the menu row, or the TrayTimer
};

class ExceptionReporter;

class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    // Runs the event's handler; what it throws reaches the view's guard.
    virtual void handle(const TrayEvent& event) = 0;
    virtual ExceptionSender senderOf(const TrayEvent& event) const = 0;
    virtual ExceptionReporter& exceptionReporter() = 0;
};

class TrayView {
public:
    static constexpr std::uint32_t kIconCycleMs = 2000;

    virtual ~TrayView() = default;
    virtual void setIconVisible(bool visible) = 0;
    virtual bool iconVisible() const = 0;
    // The icon cycles through the set's images, one every kIconCycleMs.
    virtual void setIconSet(TrayIconSet set) = 0;
    virtual void showBalloon(const std::string& title, const std::string& text, int seconds) = 0;
    // The menu's rows, once; captions and visibility change later by row.
    virtual void setMenu(std::span<const TrayMenuEntry> entries) = 0;
    virtual void setMenuCaption(int row, std::string_view caption) = 0;
    virtual void setMenuVisible(int row, bool visible) = 0;
    virtual void popMenu(ScreenPoint at) = 0;
    virtual void startTimer(TrayTimer timer, std::uint32_t intervalMs) = 0;
    virtual void stopTimer(TrayTimer timer) = 0;
    virtual std::optional<ScreenPoint> cursorPosition() = 0;
    virtual ScreenSize screenSize() = 0;
    // Opens the file with its associated program, normal window, no error dialog; a failure is
    // not reported.
    virtual void shellOpen(const std::string& path) = 0;
};

}  // namespace qbx::ui
