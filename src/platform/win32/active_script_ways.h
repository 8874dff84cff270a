// The two ways to the script engines. Each creates its objects, runs the source and releases
// everything before it returns, also when an allocation fails and throws; every other failure
// comes back as an outcome.
#pragma once

#include <span>
#include <string>

#include "platform/win32/active_script_parts.h"
#include "platform/win32/loop_guard_object.h"

namespace qbx::win32::active {

struct WayResult {
    bool created = false;  // false: the way's object could not be made at all
    ActiveOutcome outcome;
};

// With a guard, the source is loop-guarded and the guard is offered to it under its item name.

// Through the Script Control object, late-bound by name.
WayResult runThroughControl(BSTR source, ActiveLanguage language,
                            std::span<const std::string> params, const ActiveScriptOptions& options,
                            LoopGuardObject* guard);

// Through the engine's own Active Scripting interfaces, with a site of ours.
WayResult runDirect(BSTR source, ActiveLanguage language, std::span<const std::string> params,
                    const ActiveScriptOptions& options, LoopGuardObject* guard);

}  // namespace qbx::win32::active
