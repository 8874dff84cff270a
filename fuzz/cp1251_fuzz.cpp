// Arbitrary bytes through both conversions: bounded output, and code page text survives a
// round trip through UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/cp1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string cp1251 = qbx::utf8ToCp1251(bytes);
    if (cp1251.size() > bytes.size()) std::abort();
    const std::string utf8 = qbx::cp1251ToUtf8(bytes);
    if (utf8.size() > 3 * bytes.size()) std::abort();
    if (qbx::utf8ToCp1251(utf8) != bytes) std::abort();
    return 0;
}
