// One message as the host hands it to the spam entry points: the item texts of its data
// callback, taken from the raw bytes of a message file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/host_api.h"

namespace qbxhost {

using qbx::kItemBody;
using qbx::kItemDecodedFrom;
using qbx::kItemDecodedTo;
using qbx::kItemHeader;
using qbx::kItemRawMessage;
using qbx::kItemReplyAddress;

// A header value longer than this is cut: the callback's texts stay small whatever the file.
inline constexpr std::size_t kMaxHeaderValueBytes = 64 * 1024;

// The views point into the raw bytes, which must outlive the items.
struct MessageItems {
    std::string_view raw;
    std::string_view header;  // up to the first empty line, without its line break
    std::string_view body;    // after the first empty line
    std::string replyTo;
    std::string from;
    std::string to;

    // The item's text; empty for an item the host does not offer.
    std::string_view item(std::int32_t id) const;
};

// Splits at the first empty line (CR LF or LF) and takes the values of the Reply-To, From and
// To headers (first occurrence, name in any letter case, continuation lines joined by a blank).
MessageItems parseMessage(std::string_view raw);

// The host's data callback over a MessageItems passed as the context. A null buffer with size
// -1 asks for the length; otherwise at most size bytes are copied and their count returned.
std::int32_t QBX_STDCALL messageItemCallback(std::intptr_t context, std::int32_t itemId,
                                             char* buffer, std::int32_t size);

}  // namespace qbxhost
