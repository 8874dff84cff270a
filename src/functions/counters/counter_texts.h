// The texts of the statistics counters kept in the settings: the length of the statistics
// period, byte amounts in a unit chosen by letter, and whole numbers rounded as the counters
// have always been. No module context: the caller hands in the string table for the unit
// labels and the user's decimal separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qbx {
struct Settings;
class StringTable;
}  // namespace qbx

namespace qbx::functions::counters {

// The stored start of the period as a date-time value; nothing when its fields make no date.
std::optional<double> periodStart(const Settings& settings);

// "01 h 02 min 05 sec": the parts that are 0 are left out ("0 sec" for no time at all).
std::string periodText(std::int64_t seconds, const StringTable& strings);

// The byte amount an amount letter names: T whole messages, H header blocks, B bodies, A the
// rest; any other letter (lower case too) 0.
double trafficAmount(const Settings& settings, char which);

// Seconds in the time unit of the letter (S, M, H, D, W, and Y as 365.25 weeks); 1 for any
// other letter.
double timeUnitSeconds(char which);

// A byte amount in the unit of the letter (B, K, M, G): "A" scales by itself with one decimal,
// "B" and "b" give the bare number, every other letter appends its label (bytes for a letter
// that names no unit).
std::string sizeText(double bytes, char unitLetter, const StringTable& strings,
                     char decimalSeparator);

// The value rounded to a whole number, halves to the even neighbour whatever rounding mode the
// host left in the FPU; "0" for infinities and NaN.
std::string wholeText(double value);

}  // namespace qbx::functions::counters
