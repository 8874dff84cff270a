// A zlib stream made by zlib in one call, for tests that hand a module a file it did not write.
#pragma once

#include <zlib.h>

#include <string>
#include <string_view>

namespace qbx::test {

inline std::string zlibOnce(std::string_view plain, int level) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    std::string out(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(plain.data()), static_cast<uLong>(plain.size()),
                  level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

}  // namespace qbx::test
