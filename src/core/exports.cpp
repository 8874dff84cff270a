#include "core/exports.h"

#include "core/host_texts.h"
#include "core/lifecycle.h"
#include "core/plugin.h"
#include "core/version.h"

namespace qbx {

void tbpInitialize(Plugin& plugin) {
    plugin.log.write("");
    plugin.log.write("TBP_Initialize");
    plugin.log.write("");
    if (plugin.started) {
        // A second start would build every object twice and lose the first ones' data.
        plugin.log.write("@@ TBP_Initialize while the plugin is running: ignored");
        return;
    }
    plugin.hostMode = HostMode::TheBat;
    startPlugin(plugin);
}

void tbpFinalize(Plugin& plugin) {
    plugin.log.write("");
    plugin.log.write("TBP_Finalize");
    plugin.log.write("");
    if (!plugin.started) {
        // Without a start there are no settings in memory: storing them would overwrite the
        // user's registry values with defaults.
        plugin.log.write("@@ TBP_Finalize without TBP_Initialize: ignored");
        return;
    }
    stopPlugin(plugin);
}

std::int32_t tbpSetup(Plugin& plugin) {
    if (plugin.settingsDialog) plugin.settingsDialog->showNonBlocking();
    return 0;
}

std::int32_t tbpGetName(char* buffer, std::int32_t size) {
    return copyToHostBuffer(kProductName, buffer, size);
}

std::int32_t tbpGetVersion(char* buffer, std::int32_t size) {
    return copyToHostBuffer(kVersionText, buffer, size);
}

std::int32_t tbpGetInfo(char* buffer, std::int32_t size) {
    return copyToHostBuffer(buildAboutPage(), buffer, size);
}

std::int32_t tbpGetMacroList(Plugin& plugin, char* buffer, std::int32_t size) {
    const std::string scripts = plugin.scripting ? plugin.scripting->scriptNameList() : "";
    return copyToHostBuffer(buildMacroList(scripts), buffer, size);
}

std::int32_t tbpGetStatus() { return 0; }

std::int32_t tbpNeedConfig(const Plugin& plugin) { return plugin.settings.needsRestart ? 0 : 1; }

std::int32_t tbpNeedCOM() { return 1; }

}  // namespace qbx
