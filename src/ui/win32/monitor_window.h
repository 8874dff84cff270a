// The anti-spam monitor's window: borderless, semi-transparent, topmost, never active, centred
// on the screen, owned by the settings dialog. It shows the shell's file-copy animation above
// the counters' lines; the model (statistics/monitor_model.h) decides what it shows and when.
#pragma once

#include <windows.h>

#include <memory>

namespace qbx {
struct Plugin;
}
namespace qbx::statistics {
class MonitorView;
}

namespace qbx::ui::win32 {

inline constexpr const wchar_t* kMonitorClass = L"QBXMonitor";
inline constexpr const wchar_t* kMonitorCaption = L"ZVX on-screen debug display";
inline constexpr const wchar_t* kMonitorGroupCaption = L"Zarvox Antispam Activity Monitor";
// The client area at 96 DPI; scaled with the screen's DPI.
inline constexpr int kMonitorWidth = 292;
inline constexpr int kMonitorHeight = 211;
inline constexpr BYTE kMonitorAlpha = 200;
// The read-only text that holds the lines; tests find it by this control id.
inline constexpr int kMonitorTextId = 101;

// The window, hidden, with its model registered for the context (statistics::monitorWindow).
// Throws std::runtime_error when the window cannot be made.
std::unique_ptr<statistics::MonitorView> makeMonitorWindow(Plugin& plugin, HWND owner);

}  // namespace qbx::ui::win32
