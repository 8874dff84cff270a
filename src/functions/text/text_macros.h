// The text macros: comparing, choosing, joining, replacing and cutting the texts of their
// arguments, the signature separator and random digits. Texts they build from their
// arguments are cut at the longest argument text (the cut is logged).
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::text {

// CR LF and "-- " (its blank included): where a signature begins.
std::string zvxCutHere(macros::MacroCall& call);
// "1" when arguments 0 and 1 are equal, byte for byte.
std::string zvxStrCmp(macros::MacroCall& call);
// "1" when any later argument equals argument 0.
std::string zvxStrIn(macros::MacroCall& call);
// Arguments: key, then pairs of value and result; the result of the last pair whose value is
// the key, else "".
std::string zvxSelect(macros::MacroCall& call);
// Every argument, one a line.
std::string zvxStrings(macros::MacroCall& call);
// Arguments: text, search, replacement.
std::string zvxReplace(macros::MacroCall& call);
// Arguments: text, from, to.
std::string zvxCutFromTo(macros::MacroCall& call);
// Arguments: text, marker.
std::string zvxCutOn(macros::MacroCall& call);
// Arguments: length, radix; drawn from the process's one generator.
std::string zvxRnd(macros::MacroCall& call);

}  // namespace qbx::functions::text
