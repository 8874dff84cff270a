#include "win/compose.h"

#include "core/host_texts.h"
#include "core/plugin.h"
#include "functions/chain.h"
#include "functions/splitting/split_files.h"
#include "macros/dispatcher.h"
#include "scripting/script_runner.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"

#ifdef _WIN32
#include "platform/win32/win32_active_script.h"
#include "ui/tray/tray_data_module.h"
#include "ui/win32/tray_view.h"
#endif

namespace qbx {

void installSubsystems(Plugin& plugin) {
    macros::installMacroTable(functions::macroTable());
    installOfferedMacroNames(functions::offeredMacroNames());
    // Each layer registers its objects here as it is built; a step whose factory is still empty
    // finds no object.
    statistics::installStatistics(plugin);
    statistics::installSpamFilter(plugin);
    functions::splitting::installSplitFiles(plugin);
#ifdef _WIN32
    scripting::installScripting(plugin, [](Plugin&) {
        return win32::makeActiveScriptEngine(win32::ActiveScriptOptions{});
    });
    // Natively there is no notification area: no tray module is made.
    plugin.factories.trayModule = [](Plugin& context) -> std::unique_ptr<TrayModule> {
        return std::make_unique<ui::TrayDataModule>(context, [&context](ui::TrayEvents& events) {
            return ui::win32::makeTrayView(events, context.log);
        });
    };
#else
    scripting::installScripting(plugin);
#endif
}

}  // namespace qbx
