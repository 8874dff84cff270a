#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "platform/program_runner.h"
#include "platform/win32/system_texts.h"

namespace qbx::win32 {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<void, HandleCloser>;

// The longest command line CreateProcess takes, its terminating zero included.
constexpr std::size_t kMaxCommandLine = 32767;
// How long one wait for readiness lasts before the thread's messages are dispatched again.
constexpr DWORD kIdleSliceMilliseconds = 10;
// A thread flooded with messages still gets back to its wait (and its bound) between floods.
constexpr int kMaxMessagesPerTurn = 1000;

// False when the host is quitting: its WM_QUIT goes back into the queue for its own loop, and
// the wait ends.
bool dispatchWaitingMessages() {
    MSG message;
    for (int k = 0; k < kMaxMessagesPerTurn && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
         ++k) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return true;
}

class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : start_(GetTickCount64()), length_(milliseconds) {}
    DWORD remaining() const {
        const ULONGLONG elapsed = GetTickCount64() - start_;
        return elapsed >= length_ ? 0 : static_cast<DWORD>(length_ - elapsed);
    }

private:
    ULONGLONG start_;
    ULONGLONG length_;
};

bool hasEnded(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

// The started program may be sending to the host's windows before it is ready for input: a
// plain WaitForInputIdle would hold both until the bound.
bool waitUntilReady(HANDLE process, const Deadline& deadline) {
    for (;;) {
        const DWORD slice = std::min(kIdleSliceMilliseconds, deadline.remaining());
        // Ready, or a program without windows (the call fails at once for those).
        if (WaitForInputIdle(process, slice) != WAIT_TIMEOUT) return true;
        if (hasEnded(process)) return true;
        if (!dispatchWaitingMessages()) return false;
        if (deadline.remaining() == 0) return false;
    }
}

bool waitUntilEnded(HANDLE process, const Deadline& deadline) {
    for (;;) {
        const DWORD left = deadline.remaining();
        const DWORD result =
            MsgWaitForMultipleObjectsEx(1, &process, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (result == WAIT_OBJECT_0) return true;
        if (result != WAIT_OBJECT_0 + 1) return false;  // time is up, or the wait failed
        if (!dispatchWaitingMessages()) return hasEnded(process);
        if (left == 0) return hasEnded(process);
    }
}

class Win32ProgramRunner final : public ProgramRunner {
public:
    ProgramRun runAndWait(const std::string& program, const std::string& parameters,
                          std::uint32_t maxWaitMilliseconds) override {
        ProgramRun run;
        // A zero byte would cut the texts short unseen; a quote would end the program's name.
        if (program.empty() || program.find('\0') != std::string::npos ||
            program.find('"') != std::string::npos || parameters.find('\0') != std::string::npos) {
            run.reason = "the program's name or parameters cannot be handed to the system";
            return run;
        }
        const std::string commandLine = programCommandLine(program, parameters);
        if (commandLine.size() >= kMaxCommandLine) {
            run.reason = "the command line is longer than the system takes";
            return run;
        }
        std::vector<char> writable(commandLine.begin(), commandLine.end());
        writable.push_back('\0');  // CreateProcessA may write into its command line

        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION started{};
        // The name goes as the application too: the system then starts that file and no other
        // found along its search path.
        if (!CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &started)) {
            run.reason = systemErrorText(GetLastError());
            return run;
        }
        const OwnedHandle process(started.hProcess);
        const OwnedHandle thread(started.hThread);
        run.started = true;

        const Deadline deadline(std::min(maxWaitMilliseconds, kMaxWaitMilliseconds));
        if (waitUntilReady(process.get(), deadline))
            run.endedInTime = waitUntilEnded(process.get(), deadline);
        return run;
    }
};

}  // namespace
}  // namespace qbx::win32

namespace qbx {

ProgramRunner& systemProgramRunner() {
    static auto* runner = new win32::Win32ProgramRunner;  // never destroyed, as the other services
    return *runner;
}

}  // namespace qbx
