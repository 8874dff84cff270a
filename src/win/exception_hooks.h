// The two last-resort hooks installed when the module is loaded: the process-wide
// unhandled-exception filter and the C++ run time's terminate handler. Both write what they
// know into the log and then hand over to whatever was installed before them.
#pragma once

namespace qbx {

class Log;

// Installs both hooks and makes them write to `log` (null: they only chain). Calling it again
// while installed only changes the log.
void installExceptionHooks(Log* log) noexcept;
// Stops logging and restores the previous filter and terminate handler where ours are still the
// installed ones; a hook that someone installed after ours is left in place.
void removeExceptionHooks() noexcept;

}  // namespace qbx
