// Which text a macro call derives from the message. The message is a stranger's: its headers,
// its body and the host's own macros about it, and whatever is computed from them. A call
// that reads any of it, directly or through a call or variable inside it, answers text derived
// from the message; so does a nested call given such text as an argument.
#pragma once

#include <cstdint>
#include <string>

#include "macros/macro_call.h"

namespace qbx::macros {

// Data item `id` of the message (its headers, text or id), counted as read from the message.
std::string readMessageItem(const MacroCall& call, std::int32_t id);

// Counts a read of text derived from the message during the running call.
void noteMessageRead(Plugin& plugin);

// Whether argument `index` of the call holds text derived from the message. Only the
// arguments a calling template gave are marked; the host's own arguments are what the user
// wrote in the template.
bool argumentFromMessage(const MacroCall& call, std::int32_t index);

}  // namespace qbx::macros
