// The script macros: FN + name and S run a stored script with the call's arguments as its
// parameters; EPS, EJS and EVS run the source given in their first argument.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::scripting {

std::string macroFn(qbx::macros::MacroCall& call);   // every name that begins with "FN"
std::string macroS(qbx::macros::MacroCall& call);
std::string macroEps(qbx::macros::MacroCall& call);
std::string macroEjs(qbx::macros::MacroCall& call);
std::string macroEvs(qbx::macros::MacroCall& call);

}  // namespace qbx::scripting
