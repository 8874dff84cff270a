// Small text helpers shared by the macros, the log, the statistics and the dialog: durations and
// byte counts in a chosen unit, percent-encodings, the KOI8-R letter fold applied before words
// are counted, and the temporary and system folders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx {

struct DateTimeNames;
class Environment;
class LocaleFormat;
class StringTable;

// Durations in Russian words belong to the numerals feature; it hands its routine in here.
// Form is 1 or 2 (the two word styles of units 8 and 9).
using RussianDurationWords = std::function<std::string(std::int64_t seconds, int form)>;

// Unit: 0 seconds, 1 minutes, 2 hours, 3 days, 4 months (365/12 days), 5 years (365.2425 days),
// 6 "h:mm:ss" with unwrapped hours, 7 "dd/mm/yy hh:mm:ss" with 30-day months and 360-day years
// (just "hh:mm:ss" under a day), 8 and 9 Russian words (empty without the routine).
// Any other unit gives the empty text. With addName, units 0..5 get " " + their name from
// the string table. A negative duration is the positive one with a leading minus.
std::string formatDuration(int unit, bool addName, std::int64_t seconds, const StringTable& strings,
                           const RussianDurationWords& russianWords = {});

// Unit: 0 bytes, 1 Kb, 2 Mb, 3 Gb, 4 Tb; the count is shifted right by 10 bits a unit without
// rounding, as an unsigned 64-bit value (so a negative count, which only a damaged counter
// gives, reads as itself in bytes and as a large number in the larger units). Any other unit
// gives the empty text. With addName, units 0..4 get " " + their name from the string table.
std::string formatByteSize(int unit, bool addName, std::int64_t bytes, const StringTable& strings);

// Every byte other than 0-9, A-Z, a-z becomes "%XX" (capital hex).
std::string percentEncodeAll(std::string_view text);
// Only bytes 0x80..0xFF become "%XX"; spaces and the rest of ASCII are kept.
std::string percentEncode8Bit(std::string_view text);

// Every KOI8-R Cyrillic letter, either case, becomes the same letter in lower case in code page
// 1251; all other bytes are kept.
std::string koi8ToLowerWin1251(std::string_view text);

// The default text of a date-time: the user's short date and long time; a date at midnight
// exactly sheds its time. A value that is no number (from a damaged file) reads as the epoch
// rather than reaching the system's formatter.
std::string defaultDateTimeText(LocaleFormat& locale, double dateTime);

// A date-time in Delphi's FormatDateTime language (base/datetime.h) with the user's names and
// texts; the locale is asked for the date and time texts only when the format has a letter
// that may need them. A result that would pass maxSize is cut there.
BoundedText formatLocalDateTime(LocaleFormat& locale, const DateTimeNames& names,
                                std::string_view format, double dateTime, std::size_t maxSize);

// The system's temporary folder, ending in exactly one backslash.
std::string tempDir(Environment& environment);
// The system folder, ending in exactly one backslash.
std::string systemDir(Environment& environment);
// (Both give the empty text should the system report no folder at all.)

}  // namespace qbx
