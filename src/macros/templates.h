// Nested macro calls, templates and the FOR loop. They run inside one dispatcher call and work
// on that call's containers, so a nested call reaches the same message as the call around it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "macros/macro_call.h"
#include "macros/marked_text.h"

namespace qbx::macros {

// The host expands its own %-macros in a text of the template's own (through data item 0).
std::string expandHostMacros(MacroCall& call, std::string_view text);
// ZVXEVAL: variables, then every $NAME(arguments) call of the template run through the
// dispatcher and replaced by its result (numbers bare, texts quoted). Data pieces are never
// read for calls.
std::string evaluateCalls(MacroCall& call, const MarkedText& text);
// The whole pipeline: variables, spacing, nested calls, arithmetic, unquoting, host macros.
// The host's expander sees only the template's own text; what macros produced reaches it
// never.
std::string evaluateTemplate(MacroCall& call, const MarkedText& text);
// The template once per value of the loop variable, joined by the separator; Strings[98] when
// the variable table is full. Bounds from the message make the loop variable's values so.
std::string runForLoop(MacroCall& call, std::string_view name, std::int32_t from, std::int32_t to,
                       const MarkedText& templ, std::string_view separator,
                       bool boundsFromMessage = false);
// A condition of ZVXIF and ZVXCASE: host macros of the template, variables, then the numeric
// evaluator (ExpressionError when it cannot read the text).
double evaluateCondition(MacroCall& call, const MarkedText& expression);

}  // namespace qbx::macros
