// Any text and frame through the line-list work: both line readers agree, reversing all equals
// reversing each line in the opposite order, framing ends and keeps to its width rules, and
// every result stays within its bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "functions/text/lines.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::text;
    if (size < 8) return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto number = [&](int span) {
        const int value = static_cast<signed char>(input[0]) % span;
        input.remove_prefix(1);
        return value;
    };
    FillRequest request;
    request.fill = input[0];
    input.remove_prefix(1);
    request.width = number(40);
    request.above = number(4);
    request.below = number(4);
    request.alignment = number(4);
    const std::size_t affixes = static_cast<unsigned char>(input[0]) % 8;
    input.remove_prefix(1);
    const std::string_view prefix = input.substr(0, affixes / 2);
    const std::string_view suffix = input.substr(prefix.size(), affixes - affixes / 2);
    input.remove_prefix(prefix.size() + suffix.size());
    const std::string_view text = input;
    request.text = text;
    request.prefix = prefix;
    request.suffix = suffix;

    std::vector<std::string_view> forward;
    LineReader reader(text);
    for (std::string_view line; reader.next(line);) forward.push_back(line);
    std::vector<std::string_view> backward;
    BackwardLineReader back(text);
    for (std::string_view line; back.next(line);) backward.push_back(line);
    check(backward.size() == forward.size());
    for (std::size_t i = 0; i < forward.size(); ++i)
        check(forward[i] == backward[backward.size() - 1 - i]);

    constexpr std::size_t kBound = 1 << 16;
    std::string expected;
    for (auto it = backward.begin(); it != backward.end(); ++it)
        expected.append(it->rbegin(), it->rend()).append("\r\n");
    check(reverseAll(text, kBound).text == expected.substr(0, kBound));

    const qbx::BoundedText filled = fillLines(request, kBound);
    check(filled.text.size() <= kBound);
    // A line as long as the width, or longer, comes out whole or cut; a shorter one is padded.
    if (!filled.cut && request.fill != '\r' && request.fill != '\n' && request.width > 0 &&
        prefix.find_first_of("\r\n") == std::string_view::npos &&
        suffix.find_first_of("\r\n") == std::string_view::npos) {
        LineReader out(filled.text);
        std::size_t count = 0;
        for (std::string_view line; out.next(line); ++count)
            check(line.size() >= static_cast<std::size_t>(request.width));
        check(count == forward.size() + static_cast<std::size_t>(std::max(request.above, 0)) +
                           static_cast<std::size_t>(std::max(request.below, 0)));
    }
    check(citeText(text, "~", request.width, kBound).text.size() <= kBound);
    check(wrapText(text, request.width, suffix, kBound).text.size() <= kBound);
    return 0;
}
