#include "platform/desktop_windows.h"

namespace qbx {

// The players whose windows are looked for run on Windows only: natively the desktop is empty.
DesktopWindows& systemDesktopWindows() {
    static EmptyDesktopWindows windows;
    return windows;
}

}  // namespace qbx
