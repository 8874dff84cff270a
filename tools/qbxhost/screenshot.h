// Pictures of windows for the settings command and the Windows tests (Windows only).
#pragma once

#if defined(_WIN32)
#include <windows.h>

#include <string>

namespace qbxhost {

// The window as the screen shows it, its frame included, saved as a PNG of 24-bit pixels;
// false when the window has no area or the file cannot be written.
bool captureWindow(HWND window, const std::string& path);

}  // namespace qbxhost
#endif
