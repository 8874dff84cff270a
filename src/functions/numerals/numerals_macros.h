// The numeral macros: numbers, byte counts and durations in Russian words, and the numbers of
// a text replaced by words. A failure answers the "n/a" text and is logged.
#pragma once

#include <string>

#include "core/formatting.h"
#include "macros/macro_call.h"

namespace qbx::functions::numerals {

// Arguments: integer, case letter, gender letter (F/Ж feminine, any other masculine).
std::string zvxNumToStr(macros::MacroCall& call);
// The ordinal, answered twice under one result: first with the two-value gender letter ...
std::string zvxNumToStrOrdinalTwoGenders(macros::MacroCall& call);
// ... then with the four-value one (M/М, F/Ж, N/С, P/Н), which is stored last.
std::string zvxNumToStrOrdinal(macros::MacroCall& call);
// Arguments: case letter, unit letter (K, M, G, T; capitals only), integer count.
std::string zvxBytesToStrRus(macros::MacroCall& call);
// Arguments: duration unit letter, integer seconds, "U" for the unit's name.
std::string zvxSecsToStrRus(macros::MacroCall& call);
// Arguments: text, case letters, gender letters (one per number, in order).
std::string zvxReplaceNum(macros::MacroCall& call);

// The words of formatDuration's units 8 (short units) and 9 (words).
RussianDurationWords russianDurationWords(const StringTable& strings);

}  // namespace qbx::functions::numerals
