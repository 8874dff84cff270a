// The date and time macros. Each reads the clock once and hands that moment to the calendar
// routines, so no answer mixes two moments. A date that does not exist answers the macro's
// placeholder (the *FROM macros their own error text) and is logged.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::dates {

// Beat time of the universal clock, "@541.67".
std::string zvxInetTime(macros::MacroCall& call);
// The default date-time text and ".milliseconds".
std::string zvxTime(macros::MacroCall& call);
// Today's ISO week, day of the year, and hours since the month, the week (Monday) and the year
// began.
std::string zvxWoy(macros::MacroCall& call);
std::string zvxDoy(macros::MacroCall& call);
std::string zvxHom(macros::MacroCall& call);
std::string zvxHow(macros::MacroCall& call);
std::string zvxHoy(macros::MacroCall& call);
// Arguments: format pattern, days, months, years.
std::string zvxDateShift(macros::MacroCall& call);
// Arguments: day, month.
std::string zvxDaysTo(macros::MacroCall& call);
// Arguments: year, month, day, hour, minute, second.
std::string zvxSe(macros::MacroCall& call);
// Arguments: day, month, year, duration unit letter, "U" for the unit's name.
std::string zvxDaysFrom(macros::MacroCall& call);
// Arguments: day, month, year, hour, duration unit letter, "U".
std::string zvxHoursFrom(macros::MacroCall& call);
// Arguments: day, month, year, hour, minute, duration unit letter, "U".
std::string zvxMinsFrom(macros::MacroCall& call);
// Arguments: start hour, end hour, width, empty-cell letter, filled-cell letter, text before,
// text after.
std::string zvxDayProgress(macros::MacroCall& call);
// Arguments: start hour, start minute, end hour, end minute, duration unit letter, "U".
std::string zvxTimeLeft(macros::MacroCall& call);
// Arguments: pay day, pay hour, advance day (0: none), advance hour.
std::string zvxDaysLeft(macros::MacroCall& call);

}  // namespace qbx::functions::dates
