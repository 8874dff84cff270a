// The macros that need no handler of their own: the module's identity, the statistics
// counters, two message macros, small text operations, hashes and a random text. Each is a
// branch of the dispatcher's chain.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::macros::own {

// Text operations.
std::string zvxCutHere(MacroCall& call);
std::string zvxStrCmp(MacroCall& call);
std::string zvxStrIn(MacroCall& call);
std::string zvxSelect(MacroCall& call);
std::string zvxStrings(MacroCall& call);
std::string zvxReplace(MacroCall& call);
std::string zvxCutFromTo(MacroCall& call);
std::string zvxCutOn(MacroCall& call);

// Hashes and random text.
std::string zvxMd5(MacroCall& call);
std::string zvxCrc32(MacroCall& call);
std::string zvxCrc16(MacroCall& call);
std::string zvxXor(MacroCall& call);
std::string zvxRnd(MacroCall& call);

// Longest text ZVXRND gives.
inline constexpr int kMaxRandomLength = 64 * 1024;

}  // namespace qbx::macros::own
