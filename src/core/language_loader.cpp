#include "core/language_loader.h"

#include "core/language.h"
#include "core/plugin.h"

namespace qbx {

LanguageContext languageContext(Plugin& plugin) {
    LanguageContext context{plugin.strings,
                            plugin.log,
                            *plugin.platform.files,
                            plugin.settings.installDir,
                            plugin.settings.viewerFilename,
                            plugin.settings.viewerVersion};
    context.dialog = plugin.settingsDialog ? plugin.settingsDialog->components() : nullptr;
    context.tray = plugin.trayModule ? plugin.trayModule->trayMenu() : nullptr;
    return context;
}

void applyLanguageFile(Plugin& plugin, const std::string& path) {
    const LanguageContext context = languageContext(plugin);
    readLangData(context, path);
    try {
        readStrings(context, path);
    } catch (...) {
        plugin.log.write("Exception while trying to read strings");
    }
}

}  // namespace qbx
