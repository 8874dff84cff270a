#include "platform/win32/win32_services.h"

namespace qbx::win32 {

std::optional<std::string> zeroTerminated(std::string_view text) {
    if (text.find('\0') != std::string_view::npos) return std::nullopt;
    return std::string(text);
}

}  // namespace qbx::win32
