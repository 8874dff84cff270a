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
// The offered name that does nothing: it answers the empty text, so that the host never shows
// the previous macro's answer in its place.
std::string zvxTest(macros::MacroCall& call);

}  // namespace qbx::functions::identity
