#include "win/compose.h"

#include "core/host_texts.h"
#include "core/plugin.h"
#include "functions/chain.h"
#include "functions/playcount/play_count_list.h"
#include "functions/splitting/split_files.h"
#include "macros/dispatcher.h"
#include "scripting/script_runner.h"
#include "statistics/attachment_completer.h"
#include "statistics/monitor_model.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "statistics/traffic_rules.h"
#include "ui/dialog/recipient_filter.h"

#ifdef _WIN32
#include "platform/win32/win32_active_script.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/splash_window.h"
#include "ui/win32/tray_view.h"
#endif

namespace qbx {

void installSubsystems(Plugin& plugin) {
    macros::installMacroTable(functions::macroTable());
    installOfferedMacroNames(functions::offeredMacroNames());
    // Each layer registers its objects here as it is built; a step whose factory is still empty
    // finds no object.
    statistics::installStatistics(plugin);
    statistics::SpamEntryHooks spamHooks;
    spamHooks.showMonitor = &statistics::showMonitorWindow;
    statistics::installSpamFilter(plugin, spamHooks);
    statistics::installTrafficRules(plugin);
    statistics::installAttachmentCompleter(plugin);  // fills the filter's hooks
    ui::installRecipientFilter(plugin);
#ifdef _WIN32
    // Natively there are no windows: TBP_Setup then shows nothing and no tray module is made.
    ui::win32::installSettingsDialog(plugin);
    ui::win32::installTrayModule(plugin);
    ui::win32::installSplashWindow(plugin);
#endif
    functions::splitting::installSplitFiles(plugin);
    functions::playcount::installPlayCountList(plugin);
#ifdef _WIN32
    scripting::installScripting(plugin, [](Plugin&) {
        return win32::makeActiveScriptEngine(win32::ActiveScriptOptions{});
    });
#else
    scripting::installScripting(plugin);
#endif
}

}  // namespace qbx
