// JScript and VBScript through the system's script engines: the Script Control object where it
// is installed (32-bit Windows), else the same engines hosted directly through the Active
// Scripting interfaces (64-bit Windows has no Script Control). Both ways give the same results
// and the same error texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/active_script.h"

namespace qbx::win32 {

enum class ScriptEngineWay : std::uint8_t {
    Auto,           // the Script Control, or the engines directly when it cannot be created
    ScriptControl,  // only the Script Control
    Direct,         // only the engines directly
};

// How long one script may run before it is stopped, so that an endless loop cannot hold the
// host's user-interface thread.
inline constexpr std::uint32_t kScriptDeadlineMs = 5000;

// Result texts are cut at this length.
inline constexpr std::size_t kMaxScriptResultBytes = std::size_t{16} << 20;

struct ActiveScriptOptions {
    ScriptEngineWay way = ScriptEngineWay::Auto;
    std::uint32_t deadlineMs = kScriptDeadlineMs;
};

// One engine per run; each run creates its objects and releases them before it returns.
std::unique_ptr<ActiveScriptEngine> makeActiveScriptEngine(const ActiveScriptOptions& options);

}  // namespace qbx::win32
