#include "platform/posix/posix_services.h"

namespace qbx {

Platform systemPlatform() {
    static posix::IniRegistry registry;
    static posix::PosixFileSystem files;
    static posix::PosixEnvironment environment;
    static posix::PosixClock clock;
    static posix::PosixLocale locale;
    static posix::ConsoleUi ui;
    return Platform{&registry, &files, &environment, &clock, &locale, &ui};
}

}  // namespace qbx
