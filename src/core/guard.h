// The one guard of every export and callback: no exception and no FPU trap crosses it.
// It masks floating-point traps while our code runs and gives the host its own FPU state back,
// catches everything, logs it in the module's style and returns the neutral value.
#pragma once

#include <exception>
#include <string>
#include <string_view>

#include "base/fp_env.h"
#include "core/log.h"

namespace qbx {

// The exception's message ("unknown exception" for what is no std::exception).
std::string describeException(std::exception_ptr error);
void logEscapedException(Log* log, std::string_view where, std::exception_ptr error) noexcept;

// Runs body(); on any exception logs "***** ERROR!!! Exception in <where>: <what>" and returns
// neutral. `log` may be null (before the context exists).
template <class R, class Body>
R guarded(Log* log, std::string_view where, R neutral, Body&& body) noexcept {
    FpuShield shield;
    try {
        return body();
    } catch (...) {
        logEscapedException(log, where, std::current_exception());
    }
    return neutral;
}

template <class Body>
void guardedVoid(Log* log, std::string_view where, Body&& body) noexcept {
    FpuShield shield;
    try {
        body();
    } catch (...) {
        logEscapedException(log, where, std::current_exception());
    }
}

}  // namespace qbx
