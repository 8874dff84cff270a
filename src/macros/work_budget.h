// The work one outermost macro call may cause: nested calls (ours, and the host's calling
// back into us while it expands its own macros), host expansions and loop turns, and the time
// they take. Depth alone does not bound a template: two calls per level of 32 levels are
// four billion calls. Once the budget is spent the rest of the outermost call is skipped: no
// further call runs, no argument is evaluated, and one line says so.
#pragma once

#include <cstdint>
#include <string_view>

namespace qbx {

struct Plugin;

namespace macros {

inline constexpr std::int64_t kMaxWorkUnits = 100000;
inline constexpr std::uint32_t kMaxWorkMilliseconds = 5000;

// A call that arrives while no other macro call runs starts a new budget.
void beginOutermostCall(Plugin& plugin) noexcept;

// Takes one unit for `what` (a macro name, "host expansion", "FOR turn"); false once the
// budget of the running outermost call is used up (logged at the first refusal, past the
// call's share of the log too).
bool spendMacroWork(Plugin& plugin, std::string_view what) noexcept;

// Time the call spent waiting for the user (a prompt it showed) is not its work: it is left out
// of the call's time.
void leaveOutOfMacroWork(Plugin& plugin, std::uint32_t milliseconds) noexcept;

// Whether the running outermost call's budget is used up: then what is left of it is skipped.
bool macroWorkSpent(const Plugin& plugin) noexcept;

// Milliseconds since the running outermost call began, by the platform's clock (0 without one):
// work that runs on inside a single call (a regular-expression search) measures itself by it.
std::uint32_t macroWorkElapsed(const Plugin& plugin) noexcept;

}  // namespace macros
}  // namespace qbx
