// The read-out of the statistics items: the entries of an enabled item whose keys match an
// expression, each through a template, joined by a separator.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "macros/macro_call.h"

namespace qbx {
struct Plugin;
}

namespace qbx::functions::counters {

// Interface texts of the read-out (indexes of the string table).
inline constexpr int kStatNotFound = 182;     // "not found"
inline constexpr int kStatItemMissing = 184;  // "statistics file is disabled or not present"
inline constexpr int kStatBadPattern = 185;   // "bad pattern specified"

// The entries of item `index` (0 .. 15) whose key the expression matches anywhere, each
// expanded through the template ($$entry, $$cdate, $$mdate, $$size, $$val, $$cnt, $$nl), joined
// by the expanded separator ("$$nl" in it is CR LF). An item switched off, a bad expression and
// an empty result answer with their interface texts. Failures of the expansion pass on.
std::string queryStatistics(Plugin& plugin, std::int32_t index, std::string_view expression,
                            std::string_view templ, std::string_view separator);

// STAT: index, expression, template, separator.
std::string stat(macros::MacroCall& call);

}  // namespace qbx::functions::counters
