// The Plugin context: owns every long-lived object of one loaded module. It is created when the
// module is loaded and destroyed when it is unloaded; tests create a fresh one each.
// "Exists" means "is not null": teardown checks each object, never a mode flag.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/factories.h"
#include "core/host_api.h"
#include "core/log.h"
// The objects the context holds; a caller of one reaches its port through the context.
#include "core/ports/dial_up_watch.h"
#include "core/ports/play_count_list.h"
#include "core/ports/recipient_filter.h"
#include "core/ports/scripting_host.h"
#include "core/ports/settings_dialog.h"
#include "core/ports/spam_filter.h"
#include "core/ports/splash_window.h"
#include "core/ports/split_file_list.h"
#include "core/ports/statistics_item.h"
#include "core/ports/tray_module.h"
#include "core/recipient_list.h"
#include "core/second_host.h"
#include "core/settings.h"
#include "core/strings.h"
#include "core/variables.h"
#include "platform/platform.h"

namespace qbx {

enum class HostMode : std::uint8_t { Unknown = 0, TheBat = 1 };

struct Plugin {
    explicit Plugin(const Platform& platform);
    ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    Platform platform;
    Log log;
    StringTable strings;
    Settings settings;
    VarTable variables;
    Factories factories;

    HostMode hostMode = HostMode::Unknown;
    bool started = false;  // between StartPlugin and StopPlugin
    double startTime = 0;
    // Made with the context; the tray module's connection watch keeps it current.
    std::unique_ptr<DialUpWatch> dialUp;

    // The containers of the latest macro call, kept until the next call and released at unload.
    HostRef<ITBPDataProvider> curData;
    HostRef<ITBPDataProvider> curParams;
    int macroDepth = 0;  // nested macro calls now running (ours and the host's)
    // The work done for the running outermost macro call (see macros/work_budget.h).
    struct MacroWork {
        std::uint32_t startTick = 0;
        std::int64_t units = 0;
        bool exhausted = false;
    } macroWork;
    // The FOR loops now running (nested through their templates) and the turns they have
    // taken together (see macros/templates.cpp).
    struct LoopTurns {
        int running = 0;
        std::int64_t used = 0;
    } loopTurns;
    // Raised each time a macro call reads text derived from the message (its headers, its
    // body, the host's own macros, a variable set from them): a call during which it rose
    // answers text derived from the message (see macros/message_text.h).
    std::uint64_t messageReads = 0;
    // The SMS prompt's process-wide state: the text typed last, the tick of the latest request
    // (the module's load before the first) and whether the prompt is shown now.
    struct SmsPromptState {
        std::string cachedText;
        std::uint32_t lastRequestTick = 0;
        bool open = false;
    } smsPrompt;

    // Objects of the upper layers, known by their ports (core/ports/); null while they do not
    // exist.
    std::unique_ptr<SpamFilter> spamFilter;  // from the module's load to its unload
    std::unique_ptr<RecipientFilter> recipientFilter;
    // Read when the dialog is created, written when it is hidden and on its force save; the
    // traffic rules read it up to the shut-down.
    RecipientList recipientList;
    std::unique_ptr<SplashWindow> splash;
    std::unique_ptr<SplitFileList> splitFiles;
    std::unique_ptr<ScriptingHost> scripting;
    std::unique_ptr<TrayModule> trayModule;
    std::array<std::unique_ptr<StatisticsItem>, kStatItemCount> statItems{};
    // The heap each item took while it was created, in kilobytes (0 for an item switched off).
    std::array<double, kStatItemCount> statItemMemoryKb{};
    std::unique_ptr<SettingsDialog> settingsDialog;
    std::unique_ptr<PlayCountList> top10List;
    // The second host's table of services, from its start to its end; never under the first.
    std::unique_ptr<BeckyApi> beckyApi;
    // Which of the second host's starts and ends may touch the table and the log now.
    SecondHostTurn secondHostTurn;
};

}  // namespace qbx
