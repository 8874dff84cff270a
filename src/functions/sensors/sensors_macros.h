// The hardware monitor's sensors: each call reads the monitor's shared-memory block afresh, so
// the answers follow the monitor and nothing is kept between calls. "---" when the monitor is
// not running or the type letter is none of T, V, F, C.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::sensors {

// Arguments: sensor number (1 .. 10, any other 1), type letter.
std::string mbmSensorName(macros::MacroCall& call);
// Arguments: sensor number, type letter, value letter (H highest, L lowest, else current).
std::string mbmSensorVal(macros::MacroCall& call);

}  // namespace qbx::functions::sensors
