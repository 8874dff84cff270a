// Any pattern over any text: compiling either succeeds or reports an error, and a search
// always returns (the match limits turn runaway backtracking into "no match").
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/regex_1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The first byte chooses where the pattern ends and the text begins, and the case mode.
    const std::size_t split = (data[0] % 64) < bytes.size() ? data[0] % 64 : bytes.size();
    std::string error;
    const auto re = qbx::Regex1251::compile(bytes.substr(0, split), &error,
                                            qbx::RegexOptions{(data[0] & 0x80) != 0});
    if (re) re->search(bytes.substr(split));
    return 0;
}
