// Nested macro calls, templates and the FOR loop. They run inside one dispatcher call and work
// on that call's containers, so a nested call reaches the same message as the call around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "macros/macro_call.h"

namespace qbx::macros {

// The host expands its own %-macros in text (through data item 0).
std::string expandHostMacros(MacroCall& call, std::string_view text);
// Runs every $NAME(arguments) call of the text through the dispatcher and puts its result in
// its place (numbers bare, texts quoted).
std::string expandMacroCalls(MacroCall& call, std::string_view text);
// The whole pipeline: variables, spacing, nested calls, arithmetic, unquoting, host macros.
std::string evaluateTemplate(MacroCall& call, std::string_view text);
// The template once per value of the loop variable, joined by the separator; Strings[98] when
// the variable table is full.
std::string runForLoop(MacroCall& call, std::string_view name, std::int32_t from, std::int32_t to,
                       std::string_view templ, std::string_view separator);

}  // namespace qbx::macros
