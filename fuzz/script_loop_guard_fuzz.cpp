// Arbitrary bytes as JScript and as VBScript through the loop guard: it ends in time, only adds
// (the source is a subsequence of what it gives) and adds a bounded amount.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/script_loop_guard.h"

namespace {

bool isSubsequence(std::string_view part, std::string_view whole) {
    std::size_t at = 0;
    for (const char c : whole)
        if (at < part.size() && part[at] == c) ++at;
    return at == part.size();
}

void check(std::string_view source, qbx::ActiveLanguage language) {
    const std::optional<std::string> guarded = qbx::guardLoops(source, language);
    if (!guarded) return;
    if (guarded->size() > 6 * source.size() + 64) std::abort();
    if (!isSubsequence(source, *guarded)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view source(reinterpret_cast<const char*>(data), size);
    check(source, qbx::ActiveLanguage::JScript);
    check(source, qbx::ActiveLanguage::VBScript);
    return 0;
}
