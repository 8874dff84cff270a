// One macro call as the dispatcher runs it: the module's context, the host's two containers,
// the upper-cased name and the id under which the result is stored.
#pragma once

#include <cstdint>
#include <string>

#include "core/host_api.h"

namespace qbx {

struct Plugin;

namespace macros {

// Item ids of the data container that the macro engine reads or writes.
inline constexpr std::int32_t kScratchItem = 0;
inline constexpr std::int32_t kToItem = 218;        // tpxTo
inline constexpr std::int32_t kMsgIdItem = 234;     // tpxMsgID
inline constexpr std::int32_t kTextItem = 241;      // tpxText
inline constexpr std::int32_t kHeadersItem = 243;   // tpxHeaders
inline constexpr std::int32_t kFullTextItem = 254;  // tpxFullText

struct MacroCall {
    Plugin& plugin;
    ITBPDataProvider* data;    // the message or template
    ITBPDataProvider* params;  // the call's arguments
    std::string name;          // upper-cased
    std::int32_t resultId = kMacroResultId;
};

// A branch computes the text that the dispatcher stores under call.resultId (a branch may
// change that id, or store further items itself). It may throw: the dispatcher reports the
// failure and stores an empty text.
using Branch = std::string (*)(MacroCall& call);

}  // namespace macros
}  // namespace qbx
