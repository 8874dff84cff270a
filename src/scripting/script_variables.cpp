#include "scripting/script_variables.h"

#include "core/variables.h"

namespace qbx::scripting {

std::vector<std::pair<std::string, std::string>> scriptVariableConstants(const VarTable& table) {
    std::vector<std::pair<std::string, std::string>> constants;
    for (int i = 1; i <= VarTable::kCapacity; ++i) {
        const VarRec& entry = table.entry(i);
        if (entry.used) constants.emplace_back("zvx_" + entry.name, varValueText(entry));
    }
    return constants;
}

}  // namespace qbx::scripting
