// Arbitrary bytes as a text, a recipient and a part size through the split: no crash, the parts
// put together give the text back, and the host reads in a part file of a text that is not
// refused no macro but its own two.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "functions/splitting/splitting.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool isLetter(char c) { return qbx::toUpper1251(c) != qbx::toLower1251(c); }

// The macros the host finds reading the file from its start: "%%" is a percent sign, "%" and a
// letter open a macro named by the letters that follow.
std::vector<std::string> hostMacros(std::string_view text) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k + 1 < text.size(); ++k) {
        if (text[k] != '%') continue;
        if (text[k + 1] == '%') {
            ++k;
        } else if (isLetter(text[k + 1])) {
            std::size_t end = k + 1;
            while (end < text.size() && isLetter(text[end])) ++end;
            names.emplace_back(text.substr(k + 1, end - k - 1));
            k = end - 1;
        }
    }
    return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::splitting;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.size() < 3) return 0;
    // Two bytes of signed part size, one of recipient length, the recipient, then the text.
    const auto requested = static_cast<std::int16_t>(static_cast<std::uint8_t>(input[0]) |
                                                     (static_cast<std::uint8_t>(input[1]) << 8));
    const std::size_t recipientLength =
        std::min<std::size_t>(static_cast<std::uint8_t>(input[2]) % 32u, input.size() - 3);
    const std::string_view recipient = input.substr(3, recipientLength);
    const std::string_view text = input.substr(3 + recipientLength);

    const std::size_t partSizeUsed = partSize(requested);
    check(partSizeUsed > 0);
    const std::size_t count = partCount(text.size(), partSizeUsed);
    check(count >= 1 && count <= text.size() + 1);
    const bool refused = refusalOf(text, recipient, partSizeUsed).has_value();
    const std::vector<std::string> ourOwn = {"TO", "SUBJECT"};
    std::string whole;
    for (std::size_t k = 0; k < count; ++k) {
        const std::string_view part = partOf(text, partSizeUsed, k);
        check(part.size() <= partSizeUsed);
        whole.append(part);
        if (k == 0 || refused) continue;
        check(hostMacros(partFileText(part, recipient, k + 1, count)) == ourOwn);
    }
    check(whole == text);
    return 0;
}
