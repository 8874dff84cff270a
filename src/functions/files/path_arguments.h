// The arguments that name a file, folder, INI section or key, registry key or drive. The
// message is a stranger's: text derived from it never chooses what such a macro reads or
// writes. The same text written in the template, or held by the user's own variables, works.
#pragma once

#include <optional>
#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::files {

// The macro's failure answer, after the line "***** ERROR!!! Macro NAME: <what> (argument N)
// produced from the message is refused", when one of its path or key arguments holds text
// derived from the message; nothing for any other call.
std::optional<std::string> refusedPathFromMessage(macros::MacroCall& call);

// A branch that runs only when refusedPathFromMessage lets the call through.
template <macros::Branch branch>
std::string pathsFromTemplate(macros::MacroCall& call) {
    if (std::optional<std::string> refused = refusedPathFromMessage(call)) return *refused;
    return branch(call);
}

}  // namespace qbx::functions::files
