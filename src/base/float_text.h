// Floating values as text the way scripts give them back.
#pragma once

#include <string>

namespace qbx {

// A floating value as scripts give it back (Delphi's FloatToStr): the shortest of up to 15
// significant digits, fixed notation while the decimal exponent lies in -4 .. 14, else
// "1.5E-7" / "1E20" (no plus sign, no leading zeros); 0 for zero, infinities and NaN.
std::string floatToText(double d);

}  // namespace qbx
