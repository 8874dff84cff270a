#include "core/lifecycle.h"

#include <cstdint>
#include <exception>
#include <string_view>

#include "base/datetime.h"
#include "base/text.h"
#include "core/counters.h"
#include "core/formatting.h"
#include "core/guard.h"
#include "core/language.h"
#include "core/language_loader.h"
#include "core/plugin.h"
#include "core/version.h"

namespace qbx {
namespace {

bool enabled(const Plugin& plugin) { return !plugin.settings.needsRestart; }

void pump(Plugin& plugin) {
    if (plugin.platform.ui) plugin.platform.ui->pumpMessages();
}

// One step of the start-up or shut-down: a fault is logged and the sequence goes on, so a
// failing step never skips storing data nor stopping scripting.
template <class Body>
void step(Plugin& plugin, std::string_view failureLine, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        try {
            plugin.log.write(std::string(failureLine) + " (" +
                             describeException(std::current_exception()) + ")");
        } catch (...) {
        }
    }
}

constexpr std::string_view kStartFailure = "***** ERROR!!! Exception in StartPlugin";
constexpr std::string_view kStopFailure = "Exception in TBP_Finalize!";

// ---- StartPlugin, step by step ---------------------------------------------------------------

void createStatisticsItems(Plugin& plugin) {
    for (int i = 0; i < kStatItemCount; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const std::string name = kStatItemNames[slot];
        plugin.statItems[slot].reset();
        plugin.statItemMemoryKb[slot] = 0;
        if ((plugin.settings.enabledItems & (1 << i)) == 0) continue;
        plugin.log.write(name + " is ON");
        Clock* clock = plugin.platform.clock;
        const std::uint64_t heapBefore = clock ? clock->heapBytesInUse() : 0;
        try {
            plugin.log.write("Creating object for statistics item....");
            if (plugin.factories.statisticsItem)
                plugin.statItems[slot] = plugin.factories.statisticsItem(
                    plugin, plugin.settings.statisticsDir + name, i);
            plugin.log.write("Creating OK");
            // The growth as an unsigned 32-bit difference: a heap that shrank meanwhile reads as
            // a large figure, never as a negative one.
            if (clock)
                plugin.statItemMemoryKb[slot] =
                    static_cast<std::uint32_t>(clock->heapBytesInUse() - heapBefore) / 1024.0;
            plugin.log.write("Pointer to mad " + decimal(i) + " is " +
                             pointerText(plugin.statItems[slot].get()));
        } catch (...) {
            plugin.statItems[slot].reset();
            plugin.log.write("Error creating " + name);
        }
    }
}

// The items whose checks are off from the start, and those sorted by count as the user chose;
// in this order (the items' dump files show it).
constexpr StatSlot kCheckOffFirst[] = {StatSlot::DialUp,      StatSlot::Spam,
                                       StatSlot::NonSpam,     StatSlot::Charsets,
                                       StatSlot::SenderNames, StatSlot::RecipientName};
constexpr StatSlot kSortedByCount[] = {StatSlot::Mailers, StatSlot::Senders, StatSlot::Recipients,
                                       StatSlot::SenderNames, StatSlot::RecipientName};
constexpr StatSlot kCheckOffLast[] = {StatSlot::SenderIp, StatSlot::SenderServer, StatSlot::Servers,
                                      StatSlot::Traffic};

void prepareStatisticsItems(Plugin& plugin) {
    const auto itemIn = [&](StatSlot slot) { return plugin.statItems[slotIndex(slot)].get(); };
    for (StatSlot slot : kCheckOffFirst)
        if (StatisticsItem* item = itemIn(slot)) item->switchCheckOff();
    for (StatSlot slot : kSortedByCount)
        if (StatisticsItem* item = itemIn(slot))
            item->setSortByCount(plugin.settings.sortItemsByCount);
    for (StatSlot slot : kCheckOffLast)
        if (StatisticsItem* item = itemIn(slot)) item->switchCheckOff();
}

void loadPlayCountList(Plugin& plugin) {
    showSplashStatus(plugin, "Loading misc statistics");
    if (plugin.factories.playCountList) plugin.top10List = plugin.factories.playCountList(plugin);
    pump(plugin);
    if (plugin.top10List)
        plugin.top10List->loadFromFile(plugin.settings.statisticsDir + "Top10.Statz");
    pump(plugin);
    showSplashStatus(plugin, "Misc statistics loaded");
    if (plugin.top10List)
        plugin.log.write("Top10 loaded: br:" + decimal(plugin.top10List->countNodes()) +
                         ", lf:" + decimal(plugin.top10List->countEntries()));
}

}  // namespace

void showSplashStatus(Plugin& plugin, const std::string& text) {
    plugin.log.write(text);
    try {
        pump(plugin);
        if (plugin.settings.showSplash && plugin.splash) plugin.splash->setStage(text);
    } catch (...) {
        plugin.log.write("Cant't show splash string");
    }
}

void autoexec(Plugin& plugin) {
    Log& log = plugin.log;
    log.startupLogOpen();
    log.startupLog("ZVX autoexec start");
    try {
        for (auto& item : plugin.statItems) item.reset();
        log.write("Beginning autoexec");
        log.startupLog("Resetting language resources");
        plugin.strings.reset();
        log.startupLog("Resetting other resources");
        plugin.variables.reset();
        log.startupLog("Getting data from reg");
        log.startupLog("Setting up variables");
        if (plugin.dialUp) plugin.dialUp->connectTime = plugin.platform.clock->now();
        log.startupLog("Starting scripting subsystem");
        log.write("Autoexec ended");
    } catch (...) {
        // The sequence has no handler of its own; what it did not reach stays at its default.
    }
    log.startupLog("ZVX autoexec done, all OK");
    log.startupLogClose();
}

void moduleLoaded(Plugin& plugin) {
    // A template the host expands while loading us must not open a prompt yet.
    plugin.smsPrompt.lastRequestTick = plugin.platform.clock->tickCount();
    autoexec(plugin);
    plugin.log.open();
}

void moduleUnloading(Plugin& plugin) {
    plugin.log.close();
    plugin.curData.reset();
    plugin.curParams.reset();
}

void startPlugin(Plugin& plugin) {
    Log& log = plugin.log;
    Settings& settings = plugin.settings;
    log.write("Initializing plugin.....");
    log.write(plugin.hostMode == HostMode::TheBat ? "Mode: The Bat!" : "Mode: unknown");

    step(plugin, kStartFailure, [&] { loadSettings(settings, SettingsIo{plugin.platform, log}); });
    step(plugin, kStartFailure, [&] {
        if (plugin.factories.recipientFilter)
            plugin.recipientFilter = plugin.factories.recipientFilter(plugin);
    });
    step(plugin, kStartFailure, [&] {
        if (settings.showSplash && plugin.factories.splash)
            plugin.splash = plugin.factories.splash(plugin);
    });
    // These three run in disabled mode too.
    step(plugin, kStartFailure, [&] {
        if (plugin.factories.splitFiles) plugin.splitFiles = plugin.factories.splitFiles(plugin);
    });
    step(plugin, kStartFailure, [&] {
        if (plugin.factories.scripting) plugin.scripting = plugin.factories.scripting(plugin);
    });
    step(plugin, kStartFailure, [&] {
        if (settings.attachmentCompleterOn && plugin.factories.initAttachmentCompleter)
            plugin.factories.initAttachmentCompleter(plugin);
    });

    plugin.startTime = plugin.platform.clock->now();
    addToCounter(settings.startCount, 1);
    pump(plugin);

    showSplashStatus(plugin, "Creating aux modules");
    step(plugin, kStartFailure, [&] {
        if (enabled(plugin) && plugin.factories.trayModule)
            plugin.trayModule = plugin.factories.trayModule(plugin);
    });

    showSplashStatus(plugin, "Setting up...");
    step(plugin, kStartFailure, [&] {
        if (!enabled(plugin) || !plugin.trayModule) return;
        plugin.trayModule->installExceptionHandler();
        plugin.trayModule->setTrayVisible(settings.trayIconMode != 0);
        plugin.trayModule->setSetupItemCaption(setupItemCaption(plugin.strings));
    });

    step(plugin, kStartFailure, [&] {
        const RegValue stored = plugin.platform.registry->readString(kSettingsKey, "Version");
        const std::string storedVersion = stored.status == RegStatus::Ok ? stored.text : "";
        if (enabled(plugin) && storedVersion != kVersionText && plugin.trayModule &&
            plugin.trayModule->trayVisible())
            plugin.trayModule->showBalloon("Quilbex " + std::string(kVersionText),
                                           plugin.strings[str::kNewVersion], 25);
    });

    step(plugin, kStartFailure, [&] {
        if (!enabled(plugin)) return;
        if (plugin.trayModule) plugin.trayModule->setMouseTracking(settings.mouseTracking);
        plugin.variables.load(plugin.platform, settings.installDir + "var.dat", log);
    });

    showSplashStatus(plugin, "Setting up statistics...");
    step(plugin, kStartFailure, [&] {
        if (enabled(plugin)) createStatisticsItems(plugin);
    });
    step(plugin, kStartFailure, [&] {
        if (enabled(plugin)) prepareStatisticsItems(plugin);
    });

    pump(plugin);
    showSplashStatus(plugin, "Creating mainform");
    step(plugin, kStartFailure, [&] {
        if (enabled(plugin) && plugin.factories.settingsDialog)
            plugin.settingsDialog = plugin.factories.settingsDialog(plugin);
    });
    showSplashStatus(plugin, "Mainform created");

    if (enabled(plugin) && !settings.languageFile.empty()) {
        showSplashStatus(plugin, "Loading language resources");
        step(plugin, kStartFailure,
             [&] { applyLanguageFile(plugin, settings.installDir + settings.languageFile); });
    }

    pump(plugin);
    if (enabled(plugin) && settings.playCountListOn)
        step(plugin, kStartFailure, [&] { loadPlayCountList(plugin); });

    step(plugin, kStartFailure, [&] {
        if (enabled(plugin) && plugin.spamFilter) plugin.spamFilter->updateThresholds();
    });

    pump(plugin);
    log.write("Init done");
    log.write("");
    log.write(kVersionText);
    log.write(kBuildLine);

    step(plugin, kStartFailure, [&] {
        if (plugin.splash) {
            plugin.splash->close();
            plugin.splash.reset();
        }
    });
    pump(plugin);
    plugin.started = true;
}

void stopPlugin(Plugin& plugin) {
    Log& log = plugin.log;
    Settings& settings = plugin.settings;
    Clock& clock = *plugin.platform.clock;

    log.write("TBP_Finalize");
    log.write("1");
    step(plugin, kStopFailure, [&] { plugin.recipientFilter.reset(); });
    step(plugin, kStopFailure, [&] {
        if (plugin.settingsDialog) plugin.settingsDialog->killTimers();
    });

    step(plugin, kStopFailure, [&] {
        addToCounter(settings.totalSessionSeconds, secondsBetween(clock.now(), plugin.startTime));
        addToCounter(settings.endCount, 1);
        // The session on line so far counts before the settings are stored.
        if (plugin.dialUp && plugin.dialUp->isOnline)
            addToCounter(settings.onlineSeconds,
                         secondsBetween(clock.now(), plugin.dialUp->connectTime));
    });

    step(plugin, kStopFailure, [&] { saveSettings(settings, SettingsIo{plugin.platform, log}); });
    log.write("2");
    step(plugin, kStopFailure, [&] {
        if (plugin.factories.updateTrafficInfo) plugin.factories.updateTrafficInfo(plugin);
    });
    log.write("3");

    step(plugin, kStopFailure, [&] {
        if (!plugin.top10List) return;
        log.write("Storing Top10: br:" + decimal(plugin.top10List->countNodes()) +
                  ", lf:" + decimal(plugin.top10List->countEntries()));
        plugin.top10List->saveToFile(settings.statisticsDir + "Top10.Statz");
        plugin.top10List.reset();
    });

    log.write("4");
    for (auto& item : plugin.statItems)
        if (item) step(plugin, kStopFailure, [&] { item->storeIfChanged(); });

    log.write("");
    step(plugin, kStopFailure, [&] {
        if (plugin.trayModule) plugin.trayModule->clearMessageHandler();
        if (plugin.settingsDialog) plugin.settingsDialog->stopPlayerTimer();
    });
    log.write("Preparing to destroy");
    step(plugin, kStopFailure, [&] {
        if (enabled(plugin))
            plugin.variables.save(plugin.platform, settings.installDir + "var.dat", log);
    });
    log.write("5");
    step(plugin, kStopFailure, [&] {
        if (!plugin.trayModule) return;
        plugin.trayModule->setMouseTracking(false);
        plugin.trayModule->setTrayVisible(false);
    });
    log.write("6");
    step(plugin, kStopFailure, [&] {
        if (plugin.dialUp && plugin.dialUp->isOnline && plugin.factories.updateTrafficInfo)
            plugin.factories.updateTrafficInfo(plugin);
    });
    log.write("Destroying Mainform");
    step(plugin, kStopFailure, [&] { plugin.settingsDialog.reset(); });
    log.write("7");
    step(plugin, kStopFailure, [&] {
        if (plugin.splitFiles) plugin.splitFiles->deleteTempFiles();
    });
    log.write("Storing statistics");
    for (auto& item : plugin.statItems)
        if (item) step(plugin, kStopFailure, [&] { item->sortIfChanged(); });
    log.write("Final done");
    step(plugin, kStopFailure, [&] {
        if (plugin.trayModule) plugin.trayModule->removeExceptionHandler();
    });
    log.write("Destroying datamodule");
    step(plugin, kStopFailure, [&] { plugin.trayModule.reset(); });

    step(plugin, kStopFailure, [&] {
        if (plugin.scripting) {
            plugin.scripting->stop();
            plugin.scripting.reset();
        }
    });
    log.write("Destroying done");
    plugin.started = false;
}

}  // namespace qbx
