// The macro variables as Pascal scripts see them: one string constant "zvx_" + name per used
// variable, with the variable's value as text.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qbx {
class VarTable;
}

namespace qbx::scripting {

inline constexpr std::string_view kVariablesUnit = "ZVX";

// Name and value of every used variable, in table order.
std::vector<std::pair<std::string, std::string>> scriptVariableConstants(const VarTable& table);

}  // namespace qbx::scripting
