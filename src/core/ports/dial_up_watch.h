// The dial-up connection as the tray module's connection watch keeps it: the shut-down counts
// the session on line, the scoring counts the bytes received. A plain record until the tray
// module owns the watch; the context makes it meanwhile.
#pragma once

#include <cstdint>
#include <string>

namespace qbx {

struct DialUpWatch {
    bool isOnline = false;
    double connectTime = 0;
    std::string name;
    std::int64_t receivedBytes = 0;
};

}  // namespace qbx
