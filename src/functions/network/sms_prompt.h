// The SMS text prompt: asks the user for a short text of limited length. The host may expand
// one template several times in quick succession, so a request within 780 ms of the previous
// one (or while the prompt is still open) answers the text typed last instead of asking again.
#pragma once

#include <cstdint>
#include <string>

#include "macros/macro_call.h"

namespace qbx {
struct Plugin;
}

namespace qbx::functions::network {

inline constexpr std::uint32_t kSmsRepeatMs = 780;

// The text typed, or the text typed last when the request repeats an earlier one.
std::string getSmsText(Plugin& plugin, std::int32_t limit);

// Argument: the length limit (an integer; 0 or less is none).
std::string zvxGetSms(macros::MacroCall& call);

}  // namespace qbx::functions::network
