// The argument container that a nested macro call receives. It holds the call's own arguments
// and answers their count, so a nested call never sees the outer call's arguments, and the outer
// call's container is never written to.
#pragma once

#include <string>
#include <vector>

#include "core/host_api.h"

namespace qbx::macros {

// Reference-counted and heap-held: the dispatcher keeps the latest containers after a call
// returns, so the container goes away with its last Release, whoever holds it then. Items at
// or past the count read as empty; nothing is forwarded to the host.
HostRef<ITBPDataProvider> makeNestedArguments(std::vector<std::string> arguments);

}  // namespace qbx::macros
