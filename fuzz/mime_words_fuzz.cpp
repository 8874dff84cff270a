// Arbitrary header text through the encoded-word decoder: never longer than its input, text
// without an encoded word comes back as it is, and decoding twice settles.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail/mime_words.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string decoded = qbx::mail::decodeMimeWords(text);
    if (decoded.size() > size) std::abort();
    if (text.find("=?") == std::string_view::npos && decoded != text) std::abort();
    if (qbx::mail::decodeMimeWords(decoded).size() > decoded.size()) std::abort();
    return 0;
}
