// The module's identity: its name and version, and the list of every macro it answers.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::identity {

// The name and version, then every macro name the host is offered and "FN" + every stored
// script, one a line.
std::string zvx(macros::MacroCall& call);
std::string zvxSver(macros::MacroCall& call);
std::string zvxVer(macros::MacroCall& call);

}  // namespace qbx::functions::identity
