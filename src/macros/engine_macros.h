// The macros of the macro engine itself: variables (ZVXVAR, ZVXSET, ZVXINC), expressions and
// conditions (ZVXEVAL, ZVXEV, ZVXCASE, ZVXIF) and the FOR loop (ZVXFOR). Each is a branch of
// the dispatcher's chain; a branch that throws is reported by the dispatcher.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::macros::engine {

// Variables.
std::string zvxVar(MacroCall& call);
std::string zvxSet(MacroCall& call);
// Throws std::invalid_argument for a delta that is not a 32-bit integer.
std::string zvxInc(MacroCall& call);

// Expressions and conditions. ZVXCASE and ZVXIF throw ExpressionError for a selector or
// condition that does not evaluate to a finite number.
std::string zvxEval(MacroCall& call);
std::string zvxEv(MacroCall& call);
std::string zvxCase(MacroCall& call);
std::string zvxIf(MacroCall& call);

// The FOR loop.
std::string zvxFor(MacroCall& call);

}  // namespace qbx::macros::engine
