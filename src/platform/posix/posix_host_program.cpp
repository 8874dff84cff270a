#include "platform/host_program.h"

namespace qbx {

// The second host runs on Windows only: natively there is none to bind.
HostProgram& systemHostProgram() {
    static NoHostProgram program;
    return program;
}

}  // namespace qbx
