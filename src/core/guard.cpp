#include "core/guard.h"

namespace qbx {

std::string describeException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

void logEscapedException(Log* log, std::string_view where, std::exception_ptr error) noexcept {
    if (log == nullptr) return;
    try {
        std::string line = "***** ERROR!!! Exception in ";
        line.append(where);
        line.append(": ");
        line.append(describeException(error));
        log->write(line);
    } catch (...) {
        // Out of memory while reporting: nothing more can be done safely.
    }
}

}  // namespace qbx
