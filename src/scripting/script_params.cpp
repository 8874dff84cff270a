#include "scripting/script_params.h"

#include <algorithm>

#include "macros/arguments.h"

namespace qbx::scripting {
namespace {

ArgumentReader readerOf(ITBPDataProvider* arguments) {
    return [arguments](std::int32_t index) { return macros::getParamText(arguments, index); };
}

}  // namespace

void clearScriptParams(ScriptParams& params) {
    for (std::string& value : params.values) value.clear();
    params.count = 0;
}

const std::string& scriptParam(const ScriptParams& params, std::int64_t index) {
    static const std::string kNone;
    if (index < 1 || index > kMaxScriptParams) return kNone;
    return params.values[static_cast<std::size_t>(index)];
}

void takeFnArguments(ScriptParams& params, std::int32_t argumentCount,
                     const ArgumentReader& argument) {
    params.count = std::clamp(argumentCount, std::int32_t{0}, kMaxScriptParams);
    for (std::int32_t i = 0; i < params.count; ++i)
        params.values[static_cast<std::size_t>(i) + 1] = argument(i);
}

void takeFnArguments(ScriptParams& params, ITBPDataProvider* arguments) {
    takeFnArguments(params, macros::getParamCount(arguments), readerOf(arguments));
}

void takeSArguments(ScriptParams& params, std::int32_t argumentCount,
                    const ArgumentReader& argument) {
    clearScriptParams(params);
    params.count = std::clamp(argumentCount - 1, std::int32_t{0}, kMaxScriptParams);
    for (std::int32_t i = 1; i <= params.count; ++i)
        params.values[static_cast<std::size_t>(i)] = argument(i);
}

void takeSArguments(ScriptParams& params, ITBPDataProvider* arguments) {
    takeSArguments(params, macros::getParamCount(arguments), readerOf(arguments));
}

}  // namespace qbx::scripting
