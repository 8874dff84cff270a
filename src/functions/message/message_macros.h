// The macros that read facts out of the current message. Most read its header block (the
// host's data item tpxHeaders): a header's value, the mailer, the charset, the servers of the
// Received chain, and the address and receiving server of the message's first hop; each of
// those returns "" (or "unknown" for the mailer and the charset) when the block holds nothing
// to report.
#pragma once

#include <string>

#include "macros/macro_call.h"

namespace qbx::functions::message {

// Argument 0: the header name as typed (case-sensitive, usually without the colon). The value
// after the name and the one character that follows it.
std::string zvxGetHeader(macros::MacroCall& call);
std::string zvxCharset(macros::MacroCall& call);
std::string zvxMailer(macros::MacroCall& call);
// Argument 0: separator letter (C ",", L line break, M "-", S and any other a blank);
// argument 1: "ALL" keeps the hops named only by an address.
std::string zvxServList(macros::MacroCall& call);
// Argument 0: the header to search, "Received:" when empty. The first IPv4 address of its
// bottom-most line.
std::string zvxDeliveryFromIp(macros::MacroCall& call);
// The server that received the message first.
std::string zvxDeliveryFromServer(macros::MacroCall& call);

// The number of attachments, from the list the host gives for its own %OATTACHMENTS.
std::string zvxAttCount(macros::MacroCall& call);
// The message's id (the host's data item tpxMsgID).
std::string zvxRawSource(macros::MacroCall& call);

}  // namespace qbx::functions::message
