// The text transformation macros: wrapping, counting, line filters and decorations, framing,
// regular-expression replace and grep, links, reversal, character replacement, encoded words,
// random separators and a keyed line of a file. None keeps state between calls. A result that
// would pass its bound is cut and the cut logged; a failure (a file that cannot be read, an
// expression that does not compile or runs too long) answers the macro's placeholder and is
// logged as "@@ NAME: <what failed>".
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::text {

// Arguments: text, width, separator (empty means "\").
std::string zvxWrap(macros::MacroCall& call);
// Argument: text. Characters of code 32 and above.
std::string zvxSymCnt(macros::MacroCall& call);
// Argument: text.
std::string zvxLinCnt(macros::MacroCall& call);
// Argument: text; its words cut at blank, "," and ";", one a line.
std::string zvxExtractStr(macros::MacroCall& call);
// Argument: text; each line logged before and after its encoded words are decoded.
std::string zvxDecodeStr(macros::MacroCall& call);
// Arguments: characters, count.
std::string zvxSeparator(macros::MacroCall& call);
// Argument: text.
std::string zvxKillEmptyStr(macros::MacroCall& call);
// Arguments: file name (a relative one is in the module's folder), key. The empty text when
// the file cannot be read.
std::string zvxGetStr(macros::MacroCall& call);
// Argument: text.
std::string zvxStrTrim(macros::MacroCall& call);
// Argument: text.
std::string zvxMkPlain(macros::MacroCall& call);
// Arguments: text, fill letter, width, prefix, suffix, lines above, lines below, alignment,
// stop marker.
std::string zvxFill(macros::MacroCall& call);
// Arguments: text, expression, replacement. The text unchanged when the expression fails.
std::string zvxReplaceRegExp(macros::MacroCall& call);
// Arguments: text, expression, separator letter, groups, joiner letter, "N" for no repeats.
// The empty text when the expression fails.
std::string zvxGrep(macros::MacroCall& call);
// Arguments: text (empty: the message text), marker line, line count.
std::string zvxCite(macros::MacroCall& call);
// Arguments: text, prefix, suffix.
std::string zvxPs(macros::MacroCall& call);
// Arguments: text, depth.
std::string zvxKillCite(macros::MacroCall& call);
// Argument: text (empty: the message text).
std::string zvxGetLinks(macros::MacroCall& call);
// Arguments: text, "L" for the lines in reverse order too.
std::string zvxReverse(macros::MacroCall& call);
// Arguments: text, "A" for only the bytes 0x80..0xFF.
std::string zvxMkLink(macros::MacroCall& call);
// Arguments: text, the character, its replacement.
std::string zvxReplaceChar(macros::MacroCall& call);
// Arguments: text, "P" punctuation, "S" blanks, any other letters.
std::string zvxCnt(macros::MacroCall& call);

}  // namespace qbx::functions::text
