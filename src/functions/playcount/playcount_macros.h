// The most played titles as a text: the macro NPTOP and the last lines of the ZVXBRIEF report.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/bounded_text.h"
#include "macros/macro_call.h"
#include "macros/marked_text.h"

namespace qbx {
struct Plugin;
}

namespace qbx::functions::playcount {

// Stays below the dispatcher's bound for a result; 50 lines of a sane template never reach it.
inline constexpr std::size_t kMaxTopListText = std::size_t{1} << 20;

// Sets the saved variable "nl" to CR LF; Strings[40] without the list. Otherwise up to `count`
// titles (10 below 1, at most 50), most played first: for each the temporary variables
// "entry", "val" and "cnt" are set and the template's variables expanded, the items joined by
// the separator (its "$$nl" a line break, its variables expanded). A title is data: what it
// holds is never read for variables again.
BoundedText buildNpTopList(Plugin& plugin, const macros::MarkedText& templ,
                           std::string_view separator, std::int32_t count);

// Arguments: the number of titles (integer), the template ("$$entry"), the separator ("$$nl").
std::string npTop(macros::MacroCall& call);

}  // namespace qbx::functions::playcount
