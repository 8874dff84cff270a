// Any pattern over any text: compiling either succeeds or says why it failed, a pattern that
// compiles still does with its Russian ranges widened, and a search always returns (the match
// limits turn runaway backtracking into "no match").
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/regex_1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The first byte chooses where the pattern ends and the text begins, and the options.
    const std::size_t split = (data[0] % 64) < bytes.size() ? data[0] % 64 : bytes.size();
    qbx::RegexOptions options;
    options.ignoreCase = (data[0] & 0x80) != 0;
    options.russianRanges = (data[0] & 0x40) != 0;
    std::string error;
    const auto re = qbx::Regex1251::compile(bytes.substr(0, split), &error, options);
    // A refusal without its reason would leave the user's log line empty.
    if (!re && error.empty()) std::abort();
    // The dialog's tester shows the short message and the position: a refusal has both, the
    // position within the pattern or just past its end (of the pattern as widened, when its
    // Russian ranges are).
    qbx::RegexCompileError detail;
    if (qbx::Regex1251::compile(bytes.substr(0, split), detail, options).has_value() !=
        re.has_value())
        std::abort();
    if (!re && detail.message.empty()) std::abort();
    if (!re && !options.russianRanges && detail.position > split + 1) std::abort();
    // A second at most, where a macro's search may take the call's five: the fuzzer moves on.
    if (re) re->search(bytes.substr(split), qbx::Regex1251::forMilliseconds(1000));
    // Widening the Russian ranges adds letters to sets; it never breaks a pattern that compiles.
    if (!options.russianRanges && re) {
        options.russianRanges = true;
        if (!qbx::Regex1251::compile(bytes.substr(0, split), &error, options)) std::abort();
    }
    return 0;
}
