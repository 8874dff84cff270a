// Encoded words of mail headers ("=?charset?B?...?=" and "=?charset?Q?...?=") turned into the
// module's text, as display names are shown and counted. Header text is untrusted: decoding is
// one linear pass, and the result is never longer than the input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/charset_converter.h"

namespace qbx::mail {

// A text longer than this comes back as it is: no header value a mailer sends comes near it.
inline constexpr std::size_t kMaxMimeWordsInput = 256 * 1024;

// Every well-formed encoded word decoded and converted from its charset by the converter; a
// character the module's code page lacks becomes "?". The bytes of a word in a charset the
// converter does not know are kept as they decode. Encoded words separated only by white space
// join without it; a malformed word stays as written.
std::string decodeMimeWords(std::string_view text, const CharsetConverter& converter);

// The same through the system's converter.
std::string decodeMimeWords(std::string_view text);

}  // namespace qbx::mail
