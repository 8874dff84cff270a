// Arbitrary bytes as a message body through the encoded-line finder: no crash, no hang, and
// what comes back is the body with whole lines left out, in order, counted as they went.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "mail/encoded_blocks.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// The lines with their line ends; the last may have none.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        const std::size_t length = lf == std::string_view::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    const qbx::mail::EncodedBlocksLeftOut result = qbx::mail::leaveOutEncodedBlocks(body);
    const std::string_view kept = result.textOf(body);
    if (result.lines == 0) {
        check(result.bytes == 0 && result.kept.empty() && kept.data() == body.data());
        return 0;
    }
    check(result.bytes == body.size() - kept.size());

    // A subsequence of the body's lines: each kept line matched to the earliest line left.
    const std::vector<std::string_view> all = linesOf(body);
    const std::vector<std::string_view> left = linesOf(kept);
    std::size_t next = 0;
    for (const std::string_view line : all)
        if (next < left.size() && left[next] == line) ++next;
    check(next == left.size());
    check(result.lines == all.size() - left.size());
    return 0;
}
