// Starting another program and waiting for it to end, on the host's user-interface thread: the
// thread's window messages go on being dispatched meanwhile, so the host's windows stay alive.
#pragma once

#include <cstdint>
#include <string>

namespace qbx {

struct ProgramRun {
    bool started = false;
    std::string reason;        // the system's reason when the program was not started
    bool endedInTime = false;  // it ended before the wait's bound
};

class ProgramRunner {
public:
    // No wait is longer than this, whatever the caller asks.
    static constexpr std::uint32_t kMaxWaitMilliseconds = 60000;

    virtual ~ProgramRunner() = default;
    // Starts the program (a full path, never searched for) with the parameter text, shown
    // normally, and waits until it is ready for input and then until it ends, at most
    // maxWaitMilliseconds in all. A program still running then is left running.
    virtual ProgramRun runAndWait(const std::string& program, const std::string& parameters,
                                  std::uint32_t maxWaitMilliseconds) = 0;
};

// The command line the program receives: its path in quotes, a blank and the parameters.
inline std::string programCommandLine(const std::string& program, const std::string& parameters) {
    return "\"" + program + "\" " + parameters;
}

// The runner of this build (Win32 in the DLL; natively nothing is started).
ProgramRunner& systemProgramRunner();

}  // namespace qbx
