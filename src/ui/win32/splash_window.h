// The splash's Win32 view: a borderless, always-on-top window of the product's own picture,
// drawn at run time, that never takes the focus from the user's window.
#pragma once

#include <functional>
#include <memory>

#include "ui/splash/splash_screen.h"

namespace qbx {
class Log;
struct Plugin;
}  // namespace qbx

namespace qbx::ui::win32 {

// The window class, as tests find the window by it.
inline constexpr const wchar_t* kSplashClass = L"QbxSplash";
// The client area at 96 DPI; scaled with the screen's DPI.
inline constexpr int kSplashWidth = 199;
inline constexpr int kSplashHeight = 251;
// Sent to the window: copies the stage label's text (wide characters) into the buffer of
// wParam characters at lParam and answers its length; tests read the label through it.
inline constexpr unsigned kQuerySplashStage = 0x8000 + 0x61;  // WM_APP + 0x61
inline constexpr unsigned kQuerySplashVersion = 0x8000 + 0x62;

// Throws std::runtime_error when the window cannot be made.
std::unique_ptr<SplashView> makeSplashView(Log& log, std::function<void()> check);

// Registers the splash, shown through this view, with the start-up.
void installSplashWindow(Plugin& plugin);

}  // namespace qbx::ui::win32
