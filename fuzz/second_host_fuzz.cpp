// Arbitrary bytes as the second host's version text and as the module's path: the version rule
// and the settings path never crash, and a version longer than seven characters always needs
// BKA_SetStatus.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/second_host.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const bool withoutSetStatus = qbx::hostWorksWithoutSetStatus(input);
    if (input.size() > 7) check(!withoutSetStatus);
    const std::string path = qbx::settingsPathOf(input);
    check(path.size() >= 4 && path.size() <= input.size() + 4);
    check(std::string_view(path).substr(path.size() - 4) == ".ini");
    return 0;
}
