// Any text of mail through the link extraction: every link found begins with a searched scheme,
// holds only link characters, stands in the text, and the result stays within its bound.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "functions/text/lines.h"
#include "functions/text/links.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

bool startsWithScheme(std::string_view link) {
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (const std::string_view scheme : {std::string_view("http:"), std::string_view("ftp:")}) {
        if (link.size() < scheme.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < scheme.size(); ++i) same = same && lower(link[i]) == scheme[i];
        if (same) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::functions::text;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const qbx::BoundedText links = extractLinks(text, 1 << 20);
    check(!links.cut);
    LineReader lines(links.text);
    for (std::string_view link; lines.next(link);) {
        check(startsWithScheme(link));
        for (const char c : link) check(isLinkChar(c));
        check(text.find(link) != std::string_view::npos);
    }
    check(extractLinks(text, 7).text.size() <= 7);
    return 0;
}
