#include "core/var_file.h"

namespace qbx {

std::size_t firstForeignByte(std::string_view bytes) {
    while (!bytes.empty() && bytes.back() == '\x1A') bytes.remove_suffix(1);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (isForeignToVarFile(bytes[i])) return i;
    return std::string_view::npos;
}

}  // namespace qbx
