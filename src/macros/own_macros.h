// The macros that need no handler of their own: the module's identity, the statistics
// counters, two message macros, small text operations, hashes and a random text. Each is a
// branch of the dispatcher's chain.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::macros::own {

// Hashes and random text.
std::string zvxMd5(MacroCall& call);
std::string zvxCrc32(MacroCall& call);
std::string zvxCrc16(MacroCall& call);
std::string zvxXor(MacroCall& call);

}  // namespace qbx::macros::own
