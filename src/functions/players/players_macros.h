// The media-player macros: what a player on this desktop plays, and Winamp's state. Each call
// looks at the desktop afresh; a player that is not found answers its not-active text (the
// title macros) or the empty text (the Winamp queries and the player's extras).
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::players {

// Arguments: text when found, text when not.
std::string waIf(macros::MacroCall& call);
std::string fbIf(macros::MacroCall& call);
std::string stpIf(macros::MacroCall& call);
std::string qcdIf(macros::MacroCall& call);
std::string oneByOneIf(macros::MacroCall& call);
std::string apIf(macros::MacroCall& call);
// Any player but Media Player Classic.
std::string npIf(macros::MacroCall& call);

std::string npp(macros::MacroCall& call);
// Argument: the text when nothing plays (Strings[149] when empty too).
std::string np(macros::MacroCall& call);

std::string waNp(macros::MacroCall& call);
std::string fbNp(macros::MacroCall& call);
std::string stpNp(macros::MacroCall& call);
std::string apNp(macros::MacroCall& call);
std::string qcdNp(macros::MacroCall& call);
std::string oneByOneNp(macros::MacroCall& call);

std::string qcdTime(macros::MacroCall& call);
std::string qcdPlPos(macros::MacroCall& call);
std::string oneByOneTime(macros::MacroCall& call);

std::string waVer(macros::MacroCall& call);
std::string waStatus(macros::MacroCall& call);
std::string waPos(macros::MacroCall& call);
std::string waPlLen(macros::MacroCall& call);
std::string waPlPos(macros::MacroCall& call);
std::string waRate(macros::MacroCall& call);
std::string waBitRate(macros::MacroCall& call);
std::string waCh(macros::MacroCall& call);
// Argument: the number of rows (an integer item).
std::string waEq(macros::MacroCall& call);

}  // namespace qbx::functions::players
