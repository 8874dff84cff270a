#include "win/compose.h"

#include "core/host_texts.h"
#include "core/plugin.h"
#include "functions/chain.h"
#include "functions/playcount/play_count_list.h"
#include "functions/splitting/split_files.h"
#include "macros/dispatcher.h"
#include "scripting/script_runner.h"
#include "statistics/attachment_completer.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "ui/dialog/recipient_filter.h"

#ifdef _WIN32
#include "platform/win32/win32_active_script.h"
#include "ui/win32/dialog_window.h"
#endif

namespace qbx {

void installSubsystems(Plugin& plugin) {
    macros::installMacroTable(functions::macroTable());
    installOfferedMacroNames(functions::offeredMacroNames());
    // Each layer registers its objects here as it is built; a step whose factory is still empty
    // finds no object.
    statistics::installStatistics(plugin);
    statistics::installSpamFilter(plugin);
    statistics::installAttachmentCompleter(plugin);  // fills the filter's hooks
    ui::installRecipientFilter(plugin);
#ifdef _WIN32
    // Natively there is no window: TBP_Setup then shows nothing.
    ui::win32::installSettingsDialog(plugin);
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
