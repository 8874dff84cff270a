// A program runner that starts nothing: it records what it was asked to start, and can be made
// to fail to start, or to report a program that outlived the wait.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/program_runner.h"

namespace qbx::test {

class FakeProgramRunner : public ProgramRunner {
public:
    struct Run {
        std::string program;
        std::string parameters;
        std::uint32_t maxWaitMilliseconds;
    };
    std::vector<Run> runs;
    // Set: the program is not started, with this reason.
    std::string failWith;
    bool outlivesTheWait = false;
    // Called as each run begins (a test looks at the files then).
    std::function<void(const Run&)> onRun;

    ProgramRun runAndWait(const std::string& program, const std::string& parameters,
                          std::uint32_t maxWaitMilliseconds) override {
        runs.push_back({program, parameters, maxWaitMilliseconds});
        if (onRun) onRun(runs.back());
        if (!failWith.empty()) return {false, failWith, false};
        return {true, "", !outlivesTheWait};
    }
};

}  // namespace qbx::test
