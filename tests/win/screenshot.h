// A window as the screen shows it, saved as a PNG for people to look at after a test run.
#pragma once

#include <windows.h>

namespace qbx::test {

// The window's screen rectangle written as a PNG of 24-bit pixels; false when nothing was saved.
bool saveWindowPng(HWND window, const char* path);

}  // namespace qbx::test
