// Arbitrary bytes as script source through the editor's colouring, and split into a pattern
// and a text through the expression tester: no crash, no hang, ranges inside the coloured part
// and in order, never more tester lines than the bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "ui/dialog/debug_pages.h"
#include "ui/dialog/pascal_highlight.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t end = 0;
    for (const qbx::ui::HighlightRange& range : qbx::ui::highlightPascal(input)) {
        check(range.length > 0);
        check(range.start >= end);
        end = range.start + range.length;
        check(end <= input.size() && end <= qbx::ui::kMaxHighlightedBytes);
    }

    // The first byte tells how much of the rest is the pattern.
    if (input.empty()) return 0;
    const std::size_t patternLength =
        std::min<std::size_t>(static_cast<unsigned char>(input[0]) % 32u, input.size() - 1);
    const std::string_view pattern = input.substr(1, patternLength);
    const std::string_view text = input.substr(1 + patternLength);
    const auto result = qbx::ui::searchPattern(pattern, text, 64);
    check(!result.lines.empty() && result.lines.size() <= 65);
    return 0;
}
