// A JScript or VBScript source rewritten so that every turn of a loop calls back into the host,
// for engines that never ask the host whether a running script may go on: the host's object
// answers each call with an error once the run's time is up, and the script ends there.
//
// Only tokens are added; nothing of the script is moved or removed, the added code has no value
// of its own and every line stays where it was. JScript: each while and for condition is
// evaluated after a call, each function body, catch and finally block starts with one (so that
// no catch or finally can swallow the stop). VBScript: a call stands before each Loop, Wend and
// Next statement.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/active_script.h"

namespace qbx {

// The named item the rewritten source calls, and its one method.
inline constexpr std::string_view kLoopGuardObject = "QbxRunGuard";
inline constexpr std::string_view kLoopGuardMethod = "Tick";

// Sources longer than this are run as they are.
inline constexpr std::size_t kMaxGuardedSourceBytes = std::size_t{4} << 20;

// The rewritten source (code page 1251 in and out), or nothing when the source cannot be read
// with certainty (an unterminated string, comment or literal, conditional compilation, a
// slash whose meaning depends on more than the tokens before it, nesting beyond a bound, a
// source beyond kMaxGuardedSourceBytes): such a source runs as it is.
std::optional<std::string> guardLoops(std::string_view source, ActiveLanguage language);

}  // namespace qbx
