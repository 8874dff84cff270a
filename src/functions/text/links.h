// Links in a text of mail: the addresses that begin with "http:" or "ftp:" (either case), in
// the order they stand.
#pragma once

#include <cstddef>
#include <string_view>

#include "base/bounded_text.h"

namespace qbx::functions::text {

// Whether c may stand inside a link: after lower-casing, codes 33 to 58 (from the exclamation
// mark to the colon), "@", "_", "a".."z" and "~". Every other code, among them ";", "<", "=",
// ">", "?", the blank and every code of 127 and above, ends a link.
bool isLinkChar(char c);

// Every link from the earliest "http:" or "ftp:" (case aside) up to the first character that is
// no link character; the search goes on after each link. Links joined by CR LF (none after the
// last).
BoundedText extractLinks(std::string_view text, std::size_t maxSize);

}  // namespace qbx::functions::text
