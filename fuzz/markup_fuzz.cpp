// Arbitrary bytes as a message body through the markup blanker: no crash, no hang, and what
// comes back is the body with some bytes blanked and none moved or changed otherwise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "mail/markup.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string body(reinterpret_cast<const char*>(data), size);
    std::string text = body;
    const std::size_t blanked = qbx::mail::blankMarkup(text);
    check(text.size() == body.size());
    std::size_t changed = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (text[i] == body[i]) continue;
        check(text[i] == ' ');
        ++changed;
    }
    check(changed <= blanked && blanked <= body.size());
    return 0;
}
