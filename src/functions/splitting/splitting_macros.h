// The message-splitting macro.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::splitting {

std::string zvxSplit(macros::MacroCall& call);

}  // namespace qbx::functions::splitting
