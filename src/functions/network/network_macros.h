// The network macros: this computer's addresses, a host name's address, and the dial-up
// connection as the tray's connection watch keeps it. Nothing the system answers reaches the
// host as a failure: each macro falls back to its own text and logs why.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::network {

// Interface texts of these macros.
inline constexpr int kLocalhostText = 52;      // "localhost"
inline constexpr int kNoConnectionText = 143;  // "No internet connection"

// Arguments: the text when on line, the text when not.
std::string zvxIfOnline(macros::MacroCall& call);
// Arguments: duration unit letter (default minutes), "U" or "u" for the unit's name.
std::string zvxOnlineTime(macros::MacroCall& call);
// The first address of this computer; "localhost" when there is none.
std::string zvxIp(macros::MacroCall& call);
// Argument: the address number from 0; "n/a" when there is no such number.
std::string zvxLocalIp(macros::MacroCall& call);
// Argument: separator letter (C comma, S blank, L or any other a line break).
std::string zvxLocalIpList(macros::MacroCall& call);
// Argument: a host name, empty for this computer; the empty text when it cannot be resolved.
std::string zvxGetIp(macros::MacroCall& call);
// The connection's entry name while on line ("n/a" when it has none); "No internet
// connection" when not on line.
std::string zvxDialUpName(macros::MacroCall& call);

}  // namespace qbx::functions::network
