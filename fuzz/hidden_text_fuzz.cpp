// Arbitrary bytes read for a hidden message, and the message hidden again in them: a read
// message is at most one character for every seven bytes begun and never ends in a blank,
// and hiding it in the text it came from gives that text back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/letters/hidden_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qbx::functions::letters::extractHiddenText;
    using qbx::functions::letters::hideTextInText;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string message = extractHiddenText(bytes);
    if (message.size() > (size + 6) / 7) std::abort();
    if (!message.empty() && message.back() == ' ') std::abort();
    // Every character read is in the alphabet and none is mapped again, so each carrier gets
    // its own bit back; carriers past the message were Cyrillic already.
    if (hideTextInText(bytes, message) != bytes) std::abort();
    return 0;
}
