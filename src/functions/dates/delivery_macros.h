// The macros of a message's dates and delivery times, read from its header block (the host's
// data item tpxHeaders) and the mail client's receive time. A date that cannot be read answers
// the "unknown" text (Strings[37]) and says why in the log.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::dates {

// Arguments: date source A, date source B (integers, see DateSource), duration unit letter
// (minutes when none), "U" as the first character adds the unit's name.
std::string zvxDelivTime(macros::MacroCall& call);
// From the message's Date header to now, in short Russian units.
std::string zvxReplyTime(macros::MacroCall& call);
// The date-times of the bottom-most and the top-most Received hop (universal time), as the
// system's short date and long time.
std::string zvxDeliveryFromDate(macros::MacroCall& call);
std::string zvxDeliveryToDate(macros::MacroCall& call);
// Between the top-most and the bottom-most Received hop: "1 h 2 min 5 sec".
std::string zvxDeliveryTime(macros::MacroCall& call);
// Between the top-most Received hop and the last line that contains "Date:".
std::string zvxDeliveryTimeBox(macros::MacroCall& call);

}  // namespace qbx::functions::dates
