// Placeholder: the variable table is being written.
#include "core/variables.h"

namespace qbx {
int VarTable::find(std::string_view) const { return -1; }
bool VarTable::storeStr(std::string_view, std::string_view) { return false; }
bool VarTable::storeInt(std::string_view, std::int32_t) { return false; }
bool VarTable::storeTempStr(std::string_view, std::string_view) { return false; }
bool VarTable::storeTempInt(std::string_view, std::int32_t) { return false; }
bool VarTable::incInt(std::string_view, std::int32_t) { return false; }
int VarTable::type(std::string_view) const { return 2; }
std::string VarTable::text(std::string_view) const { return {}; }
int VarTable::count() const { return 0; }
void VarTable::reset() {}
const VarRec& VarTable::entry(int) const { static const VarRec none; return none; }
void VarTable::load(const Platform&, const std::string&, Log&) {}
bool VarTable::save(const Platform&, const std::string&, Log&) const { return false; }
}  // namespace qbx
