// The script macros: FN + name and S run a stored script with the call's arguments as its
// parameters; EPS, EJS and EVS run the source given in their first argument. They hand the
// work to the scripting layer's runner and answer with a text of their own when there is none.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::scripts {

std::string macroFn(macros::MacroCall& call);  // every name that begins with "FN"
std::string macroS(macros::MacroCall& call);
std::string macroEps(macros::MacroCall& call);
std::string macroEjs(macros::MacroCall& call);
std::string macroEvs(macros::MacroCall& call);

}  // namespace qbx::functions::scripts
