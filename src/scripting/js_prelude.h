// The text put before a stored JScript script so that it can read its parameters: a count,
// an array, and a function GetParams() that fills the array.
#pragma once

#include <string>
#include <string_view>

#include "scripting/script_params.h"

namespace qbx::scripting {

// The value as the body of a JScript string literal: backslash, double quote and control
// characters escaped, so that message data never becomes code.
std::string jscriptStringBody(std::string_view value);

std::string buildJScriptPrelude(const ScriptParams& params);

}  // namespace qbx::scripting
