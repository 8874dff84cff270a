#include "platform/program_runner.h"

namespace qbx {
namespace {

// The program the module starts is the Windows mail client's own: there is none to start here.
class PosixProgramRunner final : public ProgramRunner {
public:
    ProgramRun runAndWait(const std::string&, const std::string&, std::uint32_t) override {
        return {false, "starting programs is not available here", false};
    }
};

}  // namespace

ProgramRunner& systemProgramRunner() {
    static PosixProgramRunner runner;
    return runner;
}

}  // namespace qbx
