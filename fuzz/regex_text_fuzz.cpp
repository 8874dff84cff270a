// Any expression, replacement and grep request over any text, as ZVXREPLACEREGEXP and ZVXGREP
// run them: the walk ends (past empty matches, or by the library's limits), and the results
// stay within their bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>

#include "functions/text/regex_text.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The next piece of the input: its length is the byte in front of it.
std::string_view take(std::string_view& input) {
    if (input.empty()) return {};
    const std::size_t length =
        std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 48, input.size() - 1);
    const std::string_view piece = input.substr(1, length);
    input.remove_prefix(1 + length);
    return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::text;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view expression = take(input);
    const std::string_view replacement = take(input);
    const std::string_view groups = take(input);
    const bool unique = !input.empty() && (input[0] & 1) != 0;
    const std::string_view text = input;
    std::string error;
    const auto regex = compileTextRegex(expression, &error);
    check(regex.has_value() || !error.empty());
    if (!regex) return 0;

    constexpr std::size_t kBound = 4096;
    // Every match advances at least a character or follows an empty one.
    const std::size_t maxMatches = 2 * text.size() + 2;
    std::size_t matches = 0;
    // A second a walk at most, where a macro's walk may take the call's five.
    const MatchLimits counted{[&] { check(++matches <= maxMatches); },
                              qbx::Regex1251::forMilliseconds(1000)};
    try {
        const qbx::BoundedText replaced =
            replaceRegExpr(*regex, text, replacement, kBound, counted);
        check(replaced.text.size() <= kBound);
        check(!replaced.cut || replaced.text.size() == kBound);
        if (replacement.empty()) check(replaced.text.size() <= text.size());
    } catch (const std::runtime_error&) {
        // The library gave up on a runaway pattern: the macro answers its placeholder.
    }
    matches = 0;
    try {
        const qbx::BoundedText grep =
            grepText(*regex, text, GrepRequest{groups, ",", "-", unique}, kBound, counted);
        check(grep.text.size() <= kBound);
        check(!grep.cut || grep.text.size() == kBound);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
