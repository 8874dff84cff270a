#include "core/plugin.h"

namespace qbx {

Plugin::Plugin(const Platform& services)
    : platform(services), log(services), dialUp(std::make_unique<DialUpWatch>()) {
    // While the settings dialog exists every log line also goes to its debug list.
    log.setMirror([this](const std::string& line) {
        if (settingsDialog) settingsDialog->appendDebugLine(line);
    });
}

Plugin::~Plugin() { log.setMirror(nullptr); }

}  // namespace qbx
