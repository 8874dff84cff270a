// Arbitrary bytes as an INI value, a folder and mask, a previous log and a name against a
// search mask: no crash, no hang, results within their bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/files/files.h"
#include "platform/posix/posix_file_info.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::files;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t half = input.size() / 2;
    const std::string_view first = input.substr(0, half);
    const std::string_view second = input.substr(half);

    if (const auto value = iniInteger(input)) check(!input.empty());
    check(withoutQuotes(input).size() <= input.size());
    check(searchPattern(first, second).size() <= input.size() + 4);

    const std::size_t limit = size % 97;
    const qbx::BoundedText lines = logLines(qbx::FileHead{std::string(input), false}, limit);
    check(lines.text.size() <= limit);

    // Masks of many stars against long names stay linear enough to finish.
    qbx::posix::matchesSearchMask(first, second);
    return 0;
}
