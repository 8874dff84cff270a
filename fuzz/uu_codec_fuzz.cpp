// Arbitrary text read for UU data lines (mail bodies reach the decoder), and arbitrary bytes
// encoded and read back: decoding stays within its bound and a block gives its bytes back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/uu_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using qbx::uuDecode;
    using qbx::uuEncodeFile;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (uuDecode(bytes, 1000).size() > 1000) std::abort();
    if (uuDecode(uuEncodeFile("f", bytes), size + 1) != bytes) std::abort();
    return 0;
}
