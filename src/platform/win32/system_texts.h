// Small answers of the system that several services give back: the text of an error code and
// the module our code is in.
#pragma once

#include <windows.h>

#include <string>

namespace qbx::win32 {

// The system's text for an error code ("Access is denied."), without its line break;
// "error N" when the system has none.
std::string systemErrorText(DWORD error);

// The module (this DLL, or the program a test links us into) that holds our code: window
// classes are registered on it.
HINSTANCE ownModule();

}  // namespace qbx::win32
