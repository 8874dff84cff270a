// The module's macro table and the names it offers to the host, for the composition root to
// install into the dispatcher and the host exports.
#pragma once

#include <span>
#include <string_view>

#include "macros/dispatcher.h"

namespace qbx::functions {

// Every row in table order.
std::span<const macros::ChainEntry> macroTable();
// The names offered to the host, in the host's order (derived from the table).
std::span<const std::string_view> offeredMacroNames();

}  // namespace qbx::functions
