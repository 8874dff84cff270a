// One-letter mode arguments that several macros share: the first character of an argument
// picks a unit, a grammatical case or gender, or a separator. A letter without a row
// (including the blank of an empty argument) gives the default the macro passes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/host_api.h"

namespace qbx::macros {

// The unit code of formatDuration: S 0, M 1, H 2, D 3, 1/O/m 4, Y 5, T 6, L 7, 2/s 8, 3/l 9.
int durationUnit(char letter, int fallback);

// Whether the unit-name letter asks for the unit's name ("U"). Only ZVXONLINETIME upper-cases
// the letter first (ASCII only), so it alone also takes "u".
enum class UnitNameCase : std::uint8_t { Exact, AsciiUpperCased };
bool unitNameRequested(char letter, UnitNameCase mode = UnitNameCase::Exact);

// The unit code of formatByteSize: B 0, K 1, M 2, G 3, T 4, any other 0 (capitals only).
int byteUnit(char letter);
// ZVXBYTESTOSTRRUS's own scale: K 2, M 3, G 4, T 5, any other 1 (bytes).
int russianByteScale(char letter);

// Grammatical case 1..5 (nominative, genitive, dative, instrumental, prepositional) from a
// Latin I/R/D/T/P or the Cyrillic capital И/Р/Д/Т/П; any other letter 1.
int russianCase(char letter);

// The numeral macros' two letters: "XX" with its first character replaced by the first
// character of argument 1 and its second by that of argument 2 (an empty argument leaves its
// "X"), upper-cased under the 1251 tables. Always two characters.
std::string numeralModeLetters(ITBPDataProvider* params);

// Gender 1 or 2: "F" or "Ж" 2, any other 1 (not upper-cased).
int genderTwoValue(char letter);
// Gender 1..4: "M"/"М" 1, "F"/"Ж" 2, "N"/"С" 3, "P"/"Н" 4, any other 1.
int genderFourValue(char letter);

// The macros that read a separator letter, each with its own rows and fallback.
enum class SeparatorUser : std::uint8_t {
    ForLoop,      // C L S N; other letters: nothing
    Grep,         // C L S N; other letters: nothing (argument 4 passes argument 2's choice)
    LocalIpList,  // C L S; other letters, "N" included: a line break
    ServerList,   // C L S M; other letters: a blank
};
// Either case matches. The fallback is the user's own.
std::string separatorFromLetter(char letter, SeparatorUser user);
// The same with the fallback given by the caller.
std::string separatorFromLetter(char letter, SeparatorUser user, std::string_view fallback);

}  // namespace qbx::macros
