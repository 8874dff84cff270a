// The module's own exception logger: while it is installed, an exception that escapes a handler
// of our windows, menus or timers is written to the log as the "@@" block and swallowed, so the
// host never sees it. The views' one guard asks it; nothing else catches for it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "core/guard.h"
#include "ui/tray/tray_view.h"

namespace qbx {
class Log;
}

namespace qbx::ui {

// The demangled type of a std::exception; "unknown" for anything else.
std::string exceptionClassName(std::exception_ptr error);

class ExceptionReporter {
public:
    explicit ExceptionReporter(Log& log) : log_(log) {}

    void install() noexcept { installed_ = true; }
    void remove() noexcept { installed_ = false; }
    bool installed() const noexcept { return installed_; }

    // The "@@" lines of the exception; sender null when no component raised it.
    void report(std::exception_ptr error, const ExceptionSender* sender);

private:
    Log& log_;
    bool installed_ = false;
};

// The guard of every callback of our views: core's guard around the body, and within it, while
// the reporter is installed, what escapes the body is reported and swallowed. Without the
// reporter the core guard logs it as any other escaped exception.
template <class Body>
void guardedCallback(Log* log, ExceptionReporter* reporter, std::string_view where,
                     const ExceptionSender* sender, Body&& body) noexcept {
    guardedVoid(log, where, [&] {
        try {
            body();
        } catch (...) {
            if (reporter == nullptr || !reporter->installed()) throw;
            reporter->report(std::current_exception(), sender);
        }
    });
}

}  // namespace qbx::ui
