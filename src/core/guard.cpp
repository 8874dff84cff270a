#include "core/guard.h"

namespace qbx {

void logEscapedException(Log* log, std::string_view where, std::exception_ptr error) noexcept {
    if (log == nullptr) return;
    try {
        std::string what = "unknown exception";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {
        }
        std::string line = "***** ERROR!!! Exception in ";
        line.append(where);
        line.append(": ");
        line.append(what);
        log->write(line);
    } catch (...) {
        // Out of memory while reporting: nothing more can be done safely.
    }
}

}  // namespace qbx
