#include "win/exception_hooks.h"

#ifdef _WIN32

#include <windows.h>

#include <cxxabi.h>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <typeinfo>

#include "core/log.h"

namespace qbx {
namespace {

// The filter may run on whichever thread faulted, hence atomics.
std::atomic<Log*> g_log{nullptr};
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_previousFilter{nullptr};
std::atomic<std::terminate_handler> g_previousTerminate{nullptr};
std::atomic<bool> g_installed{false};

// A faulting process may have a flooded queue; the log must still get written.
constexpr int kMaxPumpedMessages = 1000;

void pumpWaitingMessages() {
    MSG msg;
    for (int i = 0; i < kMaxPumpedMessages && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string systemMessageFor(DWORD code) {
    char buffer[512];
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleA("ntdll.dll"), code, 0, buffer, sizeof buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) return {};
    return std::string(buffer, length);
}

LONG WINAPI unhandledExceptionLogger(EXCEPTION_POINTERS* info) {
    Log* log = g_log.load();
    if (log != nullptr && info != nullptr && info->ExceptionRecord != nullptr) {
        try {
            pumpWaitingMessages();
        } catch (...) {
        }
        try {
            const EXCEPTION_RECORD& record = *info->ExceptionRecord;
            log->logUnhandledFault(static_cast<std::uint32_t>(record.ExceptionCode),
                                   record.ExceptionAddress,
                                   static_cast<std::uint32_t>(record.ExceptionFlags),
                                   systemMessageFor(record.ExceptionCode));
        } catch (...) {
        }
    }
    // The host or the system decides what happens to the process, as it would without us.
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = g_previousFilter.load();
    if (previous != nullptr && previous != &unhandledExceptionLogger) return previous(info);
    return EXCEPTION_CONTINUE_SEARCH;
}

std::string demangled(const char* name) {
    if (name == nullptr) return {};
    int status = 0;
    char* readable = abi::__cxa_demangle(name, nullptr, nullptr, &status);
    if (readable == nullptr) return name;
    std::string out(readable);
    std::free(readable);
    return out;
}

void logUncaughtException() noexcept {
    Log* log = g_log.load();
    if (log == nullptr) return;
    try {
        const std::exception_ptr current = std::current_exception();
        if (!current) {
            log->logLowLevelException(nullptr, nullptr, {}, nullptr);
            return;
        }
        const std::type_info* type = abi::__cxa_current_exception_type();
        const std::string className = demangled(type != nullptr ? type->name() : nullptr);
        try {
            std::rethrow_exception(current);
        } catch (const std::exception& e) {
            const std::string message = e.what();
            // The run time does not know where the exception was thrown.
            log->logLowLevelException(&e, nullptr, className, &message);
        } catch (...) {
            log->logLowLevelException(nullptr, nullptr, className, nullptr);
        }
    } catch (...) {
    }
}

void terminateLogger() {
    logUncaughtException();
    const std::terminate_handler previous = g_previousTerminate.load();
    if (previous != nullptr && previous != &terminateLogger) previous();
    // Should the previous handler return, the run time aborts the process itself.
}

}  // namespace

void installExceptionHooks(Log* log) noexcept {
    g_log.store(log);
    if (g_installed.exchange(true)) return;
    g_previousFilter.store(SetUnhandledExceptionFilter(&unhandledExceptionLogger));
    g_previousTerminate.store(std::set_terminate(&terminateLogger));
}

void removeExceptionHooks() noexcept {
    g_log.store(nullptr);
    if (!g_installed.exchange(false)) return;

    // When someone installed a hook after ours, theirs stays and may chain to ours: ours then
    // keeps passing on to what came before it.
    const LPTOP_LEVEL_EXCEPTION_FILTER current =
        SetUnhandledExceptionFilter(g_previousFilter.load());
    if (current != &unhandledExceptionLogger)
        SetUnhandledExceptionFilter(current);
    else
        g_previousFilter.store(nullptr);

    const std::terminate_handler currentTerminate = std::set_terminate(g_previousTerminate.load());
    if (currentTerminate != &terminateLogger)
        std::set_terminate(currentTerminate);
    else
        g_previousTerminate.store(nullptr);
}

}  // namespace qbx

#else  // The native build has no such hooks; the module's guards log what they catch.

namespace qbx {

void installExceptionHooks(Log*) noexcept {}
void removeExceptionHooks() noexcept {}

}  // namespace qbx

#endif
