#include "platform/charset_converter.h"

namespace qbx {

bool isCharsetName(std::string_view name) {
    if (name.empty() || name.size() > kMaxCharsetNameLength) return false;
    for (const char c : name) {
        const bool letterOrDigit =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit && c != '-' && c != '_' && c != '.' && c != ':' && c != '+')
            return false;
    }
    return true;
}

}  // namespace qbx
