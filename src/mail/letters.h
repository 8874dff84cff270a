// Letter-by-letter rewrites of Russian text (code page 1251 bytes) driven by fixed tables:
// transliteration to Latin, the look-alike drawing, the garbler, random case, and the text
// normaliser of the spam filter. All are pure: the random ones draw from a source the caller
// passes in, so that the macros share the process's generator and tests can script the draws.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace qbx::mail {

// Returns a whole number drawn uniformly from 0 .. bound - 1 (bound >= 1). A value outside
// that range is reduced into it rather than trusted as an index; an empty source draws 0.
using RandomBelow = std::function<int(int bound)>;

// Russian to Latin: "Щука" -> "Schuka", "красный" -> "krasny" (a "y" is never doubled).
// Other bytes are copied. The result is at most three times as long as the text.
std::string translit(std::string_view text);

// Cyrillic drawn with Latin letters, digits and symbols: "ЖУК" -> ">|<YK". Other bytes are
// copied. The result is at most three times as long as the text.
std::string leetTranslit(std::string_view text);

// A Cyrillic vowel or consonant swapped for a random one of its class and case, drawn by the
// classes' weights; every other byte (ь, ъ, Latin letters, digits ...) comes back unchanged.
char garbleChar(char c, const RandomBelow& random);

// Garbles each byte whose draw from 0 .. 99 falls below the percentage (one draw per byte,
// before the garbling's own). Keeps the length: 0 changes nothing, 100 garbles every letter.
std::string garbleText(std::string_view text, int percentage, const RandomBelow& random);

// Each byte upper-cased on a draw of 1, lower-cased on 0 (one draw of 0 .. 1 per byte).
std::string randomCase(std::string_view text, const RandomBelow& random);

// The spam filter's form of a text: Cyrillic letters as Latin look-alikes, punctuation and
// control bytes as one blank (never two from a run of them; blanks of the text are kept as
// they are), everything else as it is, behind one leading blank. With `lower` the text is
// lower-cased first. Stored word statistics are keyed by this form: its mapping must not change.
// The result is one byte longer than the text at most.
std::string normalizeSpamText(std::string_view text, bool lower);
// normalizeSpamText(text, true) byte by byte, every separator a blank: a text mapped so holds
// the same words in the same order, only without the blank in front and with runs of
// separators left as runs.
const std::array<char, 256>& spamWordsByteMap();

}  // namespace qbx::mail
