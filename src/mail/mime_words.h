// Encoded words of mail headers ("=?charset?B?...?=" and "=?charset?Q?...?=") turned into code
// page 1251 text, as display names are shown and counted. Header text is untrusted: decoding is
// one linear pass, and the result is never longer than the input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qbx::mail {

// A text longer than this comes back as it is: no header value a mailer sends comes near it.
inline constexpr std::size_t kMaxMimeWordsInput = 256 * 1024;

// Every well-formed encoded word decoded into 1251 from windows-1251, koi8-r, utf-8,
// iso-8859-1 (and us-ascii), iso-8859-5 or cp866; a character 1251 lacks becomes "?". The bytes
// of a word in any other charset are kept as they decode. Encoded words separated only by
// white space join without it; a malformed word stays as written.
std::string decodeMimeWords(std::string_view text);

}  // namespace qbx::mail
