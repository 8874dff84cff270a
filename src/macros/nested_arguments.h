// The argument container that a nested macro call receives. It holds the call's own arguments
// and answers their count, so a nested call never sees the outer call's arguments, and the outer
// call's container is never written to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/host_api.h"
#include "macros/marked_text.h"

namespace qbx::macros {

// Reference-counted and heap-held: the dispatcher keeps the latest containers after a call
// returns, so the container goes away with its last Release, whoever holds it then. Items at
// or past the count read as empty; nothing is forwarded to the host.
// Each argument keeps its marks: a handler that evaluates an argument as a template (ZVXEVAL,
// ZVXFOR, the script macros) learns which of its text the calling template produced.
HostRef<ITBPDataProvider> makeNestedArguments(std::vector<MarkedText> arguments);

// The marked text of argument `index` when `params` is a nested call's container of ours
// (a pointer compare: the host's containers are never asked); nullopt for any other.
std::optional<MarkedText> nestedArgument(ITBPDataProvider* params, std::int32_t index);

}  // namespace qbx::macros
