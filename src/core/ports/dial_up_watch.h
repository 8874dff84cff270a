// The dial-up connection as the tray module's connection watch keeps it: the shut-down counts
// the session on line, the scoring counts the bytes received, the network macros read it. The
// context makes the record, so it is there whether or not a tray module runs; the module's
// 456 ms tick keeps it current.
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
