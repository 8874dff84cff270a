// Arbitrary text, case letters and gender letters through the number replacement: no crash,
// the result within its bound, and a text without digits comes back trimmed and unchanged.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/numerals/numerals.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first two bytes, when present, split the input into its three arguments.
    const std::size_t caseLength = size > 0 ? data[0] % 8 : 0;
    const std::size_t genderLength = size > 1 ? data[1] % 8 : 0;
    const std::string_view rest = bytes.substr(std::min<std::size_t>(size, 2));
    const std::string_view cases = rest.substr(0, std::min(caseLength, rest.size()));
    const std::string_view genders =
        rest.substr(cases.size(), std::min(genderLength, rest.size() - cases.size()));
    const std::string_view text = rest.substr(cases.size() + genders.size());
    constexpr std::size_t kMax = 4096;
    const auto result = qbx::functions::numerals::replaceNumbersByWords(text, cases, genders, kMax);
    if (result.text.size() > kMax) std::abort();
    if (text.find_first_of("0123456789") == std::string_view::npos && !result.cut &&
        text.find(result.text) == std::string_view::npos)
        std::abort();
    return 0;
}
