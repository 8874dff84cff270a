// The statistics counters kept in the settings: messages, traffic and its rates over the
// statistics period, the period's length, starts and ends of the module and session times.
// Amount letters (T, H, B, A), unit letters (A, B, K, M, G) and time letters (S, M, H, D, W,
// Y) are those of counter_texts.h.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::counters {

std::string statCount(macros::MacroCall& call);
// The period's length in seconds, and as "01 h 02 min 05 sec".
std::string statTimes(macros::MacroCall& call);
std::string statTime(macros::MacroCall& call);
// Arguments: amount letter, unit letter, time letter. "n/a" in the period's first second.
std::string statTraffic(macros::MacroCall& call);
// Arguments: amount letter, unit letter; STATMS per message, "n/a" without messages.
std::string statS(macros::MacroCall& call);
std::string statMs(macros::MacroCall& call);
std::string statSessionTotalTime(macros::MacroCall& call);
std::string statSessionTime(macros::MacroCall& call);
std::string statStartCount(macros::MacroCall& call);
std::string statEndCount(macros::MacroCall& call);
std::string statSessionMeanTime(macros::MacroCall& call);

}  // namespace qbx::functions::counters
