#include <cstdio>
#include <string>

#include "platform/posix/posix_services.h"

namespace qbx::posix {

void ConsoleUi::messageBox(std::string_view text, std::string_view caption, MessageIcon) {
    try {
        std::string line;
        line.reserve(caption.size() + text.size() + 3);
        line.append(caption).append(": ").append(text).append("\n");
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    } catch (...) {  // nowhere to report it
    }
}

}  // namespace qbx::posix
