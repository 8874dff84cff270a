#include "platform/win32/win32_services.h"

namespace qbx {

Platform systemPlatform() {
    static win32::Win32Registry registry;
    static win32::Win32FileSystem files;
    static win32::Win32Environment environment;
    static win32::Win32Clock clock;
    static win32::Win32Locale locale;
    static win32::Win32Ui ui;
    return Platform{&registry, &files, &environment, &clock, &locale, &ui};
}

}  // namespace qbx
