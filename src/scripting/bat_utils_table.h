// What Pascal scripts see of the host through the unit "BatUtils": six functions and the
// host's item identifiers as integer constants. The interpreter registers these in the order
// given here; the functions' bodies that need no interpreter live here too.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "scripting/script_params.h"

namespace qbx {
struct Plugin;
}

namespace qbx::scripting {

inline constexpr std::string_view kBatUtilsUnit = "BatUtils";

enum class ScriptValueType : std::uint8_t { Integer, String, Variant };

enum class BatUtilsFunction : std::uint8_t {
    GetParams,
    GetTemplate,
    Nl,
    ParamCount,
    ParamStr,
    Test
};

struct ScriptFunctionInfo {
    std::string_view name;
    BatUtilsFunction function;
    int paramCount;             // 0 or 1
    ScriptValueType paramType;  // meaningful when paramCount is 1
    ScriptValueType resultType;
};

inline constexpr std::array<ScriptFunctionInfo, 6> kBatUtilsFunctions{{
    {"GetParams", BatUtilsFunction::GetParams, 1, ScriptValueType::Integer,
     ScriptValueType::String},
    {"GetTemplate", BatUtilsFunction::GetTemplate, 1, ScriptValueType::Integer,
     ScriptValueType::String},
    {"nl", BatUtilsFunction::Nl, 0, ScriptValueType::Integer, ScriptValueType::String},
    {"ParamCount", BatUtilsFunction::ParamCount, 0, ScriptValueType::Integer,
     ScriptValueType::Variant},
    {"ParamStr", BatUtilsFunction::ParamStr, 1, ScriptValueType::Integer, ScriptValueType::String},
    {"Test", BatUtilsFunction::Test, 1, ScriptValueType::Variant, ScriptValueType::Variant},
}};

struct ScriptConstant {
    std::string_view name;
    std::int32_t value;
};

inline constexpr std::size_t kBatUtilsConstantCount = 137;
extern const std::array<ScriptConstant, kBatUtilsConstantCount> kBatUtilsConstants;

// nl: a line break.
inline constexpr std::string_view kScriptLineBreak = "\r\n";

// ParamStr and Test: parameter i, the empty text outside 1..100.
std::string batParamStr(const ScriptParams& params, std::int64_t index);
// ParamCount.
std::int32_t batParamCount(const ScriptParams& params);

// GetParams: argument i (0-based) of the latest macro call; GetTemplate: data item i of it.
// Strings[402] when there is no such call or reading it fails.
std::string batGetParams(Plugin& plugin, std::int32_t index);
std::string batGetTemplate(Plugin& plugin, std::int32_t index);

}  // namespace qbx::scripting
