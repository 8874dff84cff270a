// The tray module's Win32 view: a hidden window of our own class owning the notification-area
// icon, its popup menu, balloon hints and the module's window timers.
#pragma once

#include <memory>

#include "ui/tray/tray_view.h"

namespace qbx {
class Log;
struct Plugin;
}  // namespace qbx

namespace qbx::ui::win32 {

// The window class, as tests and tools find the window by it.
inline constexpr const char* kTrayWindowClass = "QbxTrayWindow";
// Sent to the window: 1 while the icon is in the notification area, else 0.
inline constexpr unsigned kQueryIconAdded = 0x8000 + 0x51;  // WM_APP + 0x51
// Sent to the window: pops the menu at the cursor as a click on the icon does.
inline constexpr unsigned kPopMenuNow = 0x8000 + 0x52;

// Throws std::runtime_error when the window cannot be made.
std::unique_ptr<TrayView> makeTrayView(TrayEvents& events, Log& log);

// Registers the tray module, shown through this view, with the start-up.
void installTrayModule(Plugin& plugin);

}  // namespace qbx::ui::win32
