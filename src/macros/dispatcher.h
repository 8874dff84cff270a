// TBP_ExecMacro: the name goes along the macro table that the composition root installs; every
// entry that matches runs its branch and stores its text under the call's result id. The
// engine knows no handler: the table (functions/chain.cpp) names them.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/host_api.h"
#include "macros/macro_call.h"

namespace qbx {

struct Plugin;

namespace macros {

inline constexpr int kMaxNestingDepth = 32;

struct ChainEntry {
    std::string_view name;  // exact upper-case name; the one prefix entry is "FN"
    bool prefix;            // matches every name that begins with `name`
    Branch branch;          // null while the feature behind it is not built
    bool offered;           // listed to the host by TBP_GetMacroList
};

// The table every call goes along, in order; empty until one is installed. Installed once by
// the composition root when the module loads (tests install their own); host thread only.
void installMacroTable(std::span<const ChainEntry> table) noexcept;
std::span<const ChainEntry> macroTable() noexcept;

// Whether the entry answers the upper-cased name.
bool entryMatches(const ChainEntry& entry, std::string_view upperName);

// One branch of a call: stores its text under call.resultId. A branch that throws is logged
// ("***** ERROR!!! Exception in macro NAME: ...") and leaves an empty text; false then.
bool runBranch(MacroCall& call, Branch branch) noexcept;

// The whole call: keeps the containers in the Plugin (CurData/CurParams), upper-cases and logs
// the name, runs every matching entry in order. Never throws: a failing branch is logged with
// the macro's name and stores an empty text. Nesting deeper than kMaxNestingDepth stores an
// empty text. Returns the result id.
std::int32_t execMacro(Plugin& plugin, const char* name, std::int32_t nameLength,
                       ITBPDataProvider* data, ITBPDataProvider* params) noexcept;

// What a call did: the id of its result and whether it stored anything under it. A name that
// matches no entry with a branch stores nothing (nor does an empty or overlong one); a branch
// that fails, a refused call and one nested too deeply store the empty text.
struct MacroOutcome {
    std::int32_t resultId = kMacroResultId;
    bool stored = false;
    // The call read text derived from the message on its way (macros/message_text.h).
    bool fromMessage = false;
};
// execMacro for the nested calls of a template, which must tell "no result" from a result.
MacroOutcome runMacro(Plugin& plugin, const char* name, std::int32_t nameLength,
                      ITBPDataProvider* data, ITBPDataProvider* params) noexcept;

}  // namespace macros
}  // namespace qbx
