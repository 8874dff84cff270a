// The macros that rewrite a text letter by letter through the Russian letter tables:
// transliteration, the look-alike drawing, random case, the garbler and the message hidden in
// look-alike letters. Branches of the dispatcher's chain; the random ones draw from the
// process's one generator.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::letters {

// Argument 0: the text.
std::string zvxTranslit(macros::MacroCall& call);
std::string zvxTranslit2(macros::MacroCall& call);
std::string zvxRCase(macros::MacroCall& call);
// Argument 0: the text; argument 1: the percentage of letters to garble (integer). Without
// both arguments the user is asked for them (Strings[38]).
std::string zvxIzvrat(macros::MacroCall& call);
// Argument 0: the cover text; argument 1: the message to hide in it.
std::string zvxEncrypt(macros::MacroCall& call);
// Argument 0: a text with a hidden message.
std::string zvxDecrypt(macros::MacroCall& call);

}  // namespace qbx::functions::letters
