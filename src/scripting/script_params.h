// The parameters of the current script run: texts 1..100 and how many of them are valid. The
// macros FN and S fill them from their arguments; scripts read them back.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/host_api.h"

namespace qbx::scripting {

inline constexpr std::int32_t kMaxScriptParams = 100;

struct ScriptParams {
    std::array<std::string, kMaxScriptParams + 1> values{};  // entry 0 unused
    std::int32_t count = 0;                                  // 0..100
};

// Reads argument i (0-based) of the current macro call.
using ArgumentReader = std::function<std::string(std::int32_t index)>;

void clearScriptParams(ScriptParams& params);

// Parameter index, or the empty text for an index outside 1..100.
const std::string& scriptParam(const ScriptParams& params, std::int64_t index);

// FN + name: every argument is a parameter (argument i is parameter i + 1), up to 100.
// Parameters above the new count keep their earlier values.
void takeFnArguments(ScriptParams& params, std::int32_t argumentCount,
                     const ArgumentReader& argument);
void takeFnArguments(ScriptParams& params, ITBPDataProvider* arguments);

// S: argument 0 is the script's name; the others become parameters 1.., up to 100, after all
// parameters have been cleared.
void takeSArguments(ScriptParams& params, std::int32_t argumentCount,
                    const ArgumentReader& argument);
void takeSArguments(ScriptParams& params, ITBPDataProvider* arguments);

}  // namespace qbx::scripting
