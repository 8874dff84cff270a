#include "ui/tray/tray_data_module.h"

#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <stdexcept>

#include "base/datetime.h"
#include "base/text.h"
#include "core/counters.h"
#include "core/formatting.h"
#include "core/help_file.h"
#include "core/host_texts.h"
#include "core/plugin.h"
#include "core/version.h"
#include "functions/files/files_macros.h"
#include "functions/network/connection_state.h"
#include "functions/system/system_macros.h"
#include "macros/macro_call.h"
#include "platform/desktop_windows.h"
#include "platform/network.h"
#include "platform/program_runner.h"
#include "statistics/stat_item.h"
#include "ui/tray/builtin_variables.h"

namespace qbx::ui {
namespace {

using Handler = void (*)(TrayDataModule&);

const void* addressOf(Handler handler) { return std::bit_cast<const void*>(handler); }

struct MenuRow {
    std::string_view name;
    std::string_view caption;
    bool isDefault;
    // The help and viewer items stay hidden until the language loader finds their files.
    bool visible;
    Handler handler;  // null for a separator
};

// Top to bottom. The maker's own pages and addresses carried no behaviour of the module and
// have no rows here.
const std::array kMenuRows = {
    MenuRow{"smenu", "Setup", true, true, [](TrayDataModule& m) { m.smenuClick(); }},
    MenuRow{"RunZVXview", "Run ZVX viewer", false, false,
            [](TrayDataModule& m) { m.runZvxViewClick(); }},
    MenuRow{"HelpMenu", "Help", false, false, [](TrayDataModule& m) { m.helpMenuClick(); }},
    MenuRow{"N1", "-", false, true, nullptr},
    MenuRow{"N3", "Send a bug report", false, true, [](TrayDataModule& m) { m.n3Click(); }},
};
constexpr TrayMenuItems::Roles kMenuRoles{.setup = 0, .viewer = 1, .help = 2};

struct TimerRow {
    std::string_view name;
    Handler handler;
};
const std::array kTimerRows = {
    TimerRow{"MouseTrackingTimer", [](TrayDataModule& m) { m.mouseTrackingTimerTimer(); }},
    TimerRow{"RAStimer", [](TrayDataModule& m) { m.rasTimerTimer(); }},
};
static_assert(kTimerRows.size() == 2 && static_cast<int>(TrayTimer::Connection) == 1);

const Handler kIconClick = [](TrayDataModule& m) { m.trayClick(); };
const Handler kIconDoubleClick = [](TrayDataModule& m) { m.trayDblClick(); };

std::vector<TrayMenuItemSpec> menuSpecs() {
    std::vector<TrayMenuItemSpec> specs;
    for (const MenuRow& row : kMenuRows)
        specs.push_back({row.name, row.caption, row.isDefault, row.visible});
    return specs;
}

DesktopWindows& desktopOf(Plugin& plugin) {
    static EmptyDesktopWindows none;
    return plugin.platform.desktopWindows != nullptr ? *plugin.platform.desktopWindows : none;
}

bool isOnline(functions::network::ConnectionState state) {
    return state != functions::network::ConnectionState::Offline;
}

functions::network::ConnectionState connectionStateOf(Plugin& plugin) {
    if (plugin.platform.network == nullptr) return functions::network::ConnectionState::Offline;
    return functions::network::connectionState(*plugin.platform.network);
}

// The entry name of the first active remote-access connection; empty for none, and when the
// system cannot tell.
std::string firstDialUpName(Plugin& plugin) {
    if (plugin.platform.network == nullptr) return {};
    try {
        const auto connections = plugin.platform.network->activeRemoteConnections();
        if (connections && !connections->empty()) return connections->front().entryName;
    } catch (...) {
    }
    return {};
}

std::int32_t clampedTo32(std::int64_t value) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < 0 ? 0 : value > kMax ? kMax : value);
}

// A handler's text outside a macro call: no arguments, no message.
std::string macroText(Plugin& plugin, const char* name,
                      std::string (*handler)(macros::MacroCall&)) {
    macros::MacroCall call{plugin, nullptr, nullptr, name};
    return handler(call);
}

}  // namespace

std::string bugReportText(std::string_view brief, std::string_view previousLog) {
    // The file is a message template: the log holds subjects and addresses from mail, and a
    // logged "%TO=" would send the report, system data and all, where the mail wanted.
    std::string text = withHostMacrosBroken(brief);
    text += "\r\n";
    text += withHostMacrosBroken(previousLog);
    if (!text.ends_with('\n')) text += "\r\n";
    text += "%TO=\"";
    text += kBugReportRecipient;
    text += "\"\r\n%SUBJECT=\"Bugreport QBX ";
    text += kVersionText;
    text += "\"\r\n";
    return text;
}

std::string bugReportParameters(std::string_view messageFile) {
    return "/MAILT=\"" + std::string(messageFile) + "\";QUEUE";
}

std::optional<TrayIconSet> iconSetFor(std::int32_t trayMode, bool online) {
    if (trayMode == 1) return online ? TrayIconSet::Online1 : TrayIconSet::Offline1;
    if (trayMode == 2) return online ? TrayIconSet::Online2 : TrayIconSet::Offline2;
    return std::nullopt;
}

// ---- life ---------------------------------------------------------------------------------------

TrayDataModule::TrayDataModule(Plugin& plugin, const TrayViewFactory& makeView)
    : plugin_(plugin), reporter_(plugin.log) {
    if (makeView) view_ = makeView(*this);
    if (!view_) throw std::runtime_error("no tray view");
    menu_ = std::make_unique<TrayMenuItems>(*view_, menuSpecs(), kMenuRoles);
    view_->setIconSet(
        iconSetFor(plugin_.settings.trayIconMode, false).value_or(TrayIconSet::Offline2));
    dataModuleCreate();
    view_->startTimer(TrayTimer::Connection, kConnectionIntervalMs);
}

TrayDataModule::~TrayDataModule() {
    // The view goes first: no timer or message reaches a module half taken down.
    try {
        view_->stopTimer(TrayTimer::Connection);
        view_->stopTimer(TrayTimer::MouseTracking);
    } catch (...) {
    }
    menu_.reset();
    view_.reset();
    dataModuleDestroy();
}

void TrayDataModule::dataModuleCreate() {
    plugin_.log.write("Datamodule created");
    lastCursor_ = view_->cursorPosition().value_or(ScreenPoint{});
    travel_ = {};
}

void TrayDataModule::dataModuleDestroy() { plugin_.log.write("Datamodule destroyed"); }

// ---- the port -----------------------------------------------------------------------------------

void TrayDataModule::setSetupItemCaption(const std::string& caption) {
    menu_->setSetupItemCaption(caption);
}

void TrayDataModule::showBalloon(const std::string& title, const std::string& text, int seconds) {
    view_->showBalloon(title, text, seconds);
}

void TrayDataModule::setMouseTracking(bool enabled) {
    if (enabled)
        view_->startTimer(TrayTimer::MouseTracking, kMouseTrackingIntervalMs);
    else
        view_->stopTimer(TrayTimer::MouseTracking);
}

void TrayDataModule::setIconMode(std::int32_t trayMode) {
    const bool online = plugin_.dialUp != nullptr && plugin_.dialUp->isOnline;
    const std::optional<TrayIconSet> set = iconSetFor(trayMode, online);
    if (set) view_->setIconSet(*set);
    view_->setIconVisible(set.has_value());
}

// ---- events -------------------------------------------------------------------------------------

void TrayDataModule::handle(const TrayEvent& event) {
    switch (event.kind) {
        case TrayEvent::Kind::MenuItem:
            if (event.index >= 0 && event.index < static_cast<int>(kMenuRows.size())) {
                const Handler handler = kMenuRows[static_cast<std::size_t>(event.index)].handler;
                if (handler != nullptr) handler(*this);
            }
            break;
        case TrayEvent::Kind::IconClick: kIconClick(*this); break;
        case TrayEvent::Kind::IconDoubleClick: kIconDoubleClick(*this); break;
        case TrayEvent::Kind::Timer:
            if (event.index >= 0 && event.index < static_cast<int>(kTimerRows.size()))
                kTimerRows[static_cast<std::size_t>(event.index)].handler(*this);
            break;
    }
}

ExceptionSender TrayDataModule::senderOf(const TrayEvent& event) const {
    switch (event.kind) {
        case TrayEvent::Kind::MenuItem:
            if (event.index >= 0 && event.index < static_cast<int>(kMenuRows.size())) {
                const MenuRow& row = kMenuRows[static_cast<std::size_t>(event.index)];
                return {"TMenuItem", row.name, row.handler ? addressOf(row.handler) : nullptr};
            }
            break;
        case TrayEvent::Kind::IconClick: return {"TTrayIcon", "Tray", addressOf(kIconClick)};
        case TrayEvent::Kind::IconDoubleClick:
            return {"TTrayIcon", "Tray", addressOf(kIconDoubleClick)};
        case TrayEvent::Kind::Timer:
            if (event.index >= 0 && event.index < static_cast<int>(kTimerRows.size())) {
                const TimerRow& row = kTimerRows[static_cast<std::size_t>(event.index)];
                return {"TTimer", row.name, addressOf(row.handler)};
            }
            break;
    }
    return {};
}

// ---- the menu and the icon ----------------------------------------------------------------------

void TrayDataModule::smenuClick() {
    if (plugin_.settingsDialog) plugin_.settingsDialog->showNonBlocking();
}

void TrayDataModule::trayDblClick() { smenuClick(); }

void TrayDataModule::trayClick() {
    if (const std::optional<ScreenPoint> at = view_->cursorPosition()) view_->popMenu(*at);
}

void TrayDataModule::helpMenuClick() {
    // The item is shown only for a help file that may be opened; a language file applied since
    // may have named another.
    const HelpFile help = helpFileOf(plugin_.settings.installDir, plugin_.strings[kHelpFileText]);
    if (!help.path.empty() && plugin_.platform.files->fileExists(help.path))
        view_->shellOpen(help.path);
    else if (!help.refusal.empty())
        plugin_.log.write("Help file not opened: " + help.refusal);
}

void TrayDataModule::runZvxViewClick() {
    if (!plugin_.settings.viewerFilename.empty()) view_->shellOpen(plugin_.settings.viewerFilename);
}

void TrayDataModule::n3Click() {
    // The host program runs while messages are dispatched: a second click meanwhile would
    // delete the file the first report is being queued from.
    if (reportRunning_) return;
    reportRunning_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{reportRunning_};
    Log& log = plugin_.log;
    FileSystem& files = *plugin_.platform.files;
    const std::string path =
        tempDir(*plugin_.platform.environment) + std::string(kBugReportFileName);
    files.deleteFile(path);

    // ZVXLASTLOG answers the empty text on a first run, when there is no previous log.
    const std::string text =
        bugReportText(macroText(plugin_, "ZVXBRIEF", &functions::system::zvxBrief),
                      macroText(plugin_, "ZVXLASTLOG", &functions::files::zvxLastLog));
    if (!files.writeFileAtomic(path, text)) {
        log.write("Bug report not written to " + path + ": " + files.lastError());
        return;
    }

    std::string folder = plugin_.settings.programDir;
    if (folder.empty()) {
        log.write("Bug report not queued: the mail client's program folder is unknown");
        return;
    }
    if (!folder.ends_with('\\')) folder += '\\';
    const std::string program = folder + std::string(kHostProgramName);
    if (plugin_.platform.programRunner == nullptr) {
        log.write("Bug report not queued: programs cannot be started here");
        return;
    }
    const ProgramRun run = plugin_.platform.programRunner->runAndWait(
        program, bugReportParameters(path), ProgramRunner::kMaxWaitMilliseconds);
    if (!run.started) {
        log.write("Bug report not queued: cannot start " + program + ": " + run.reason);
        return;
    }
    view_->showBalloon("QBX " + std::string(kVersionText), plugin_.strings[kBugReportSentText], 20);
}

// ---- mouse travel -------------------------------------------------------------------------------

void TrayDataModule::mouseTrackingTimerTimer() {
    if (!plugin_.settings.mouseTracking) return;
    Log& log = plugin_.log;
    try {
        const std::optional<ScreenPoint> at = view_->cursorPosition();
        if (!at) return;
        // 64-bit differences; the distance in floating point, so no square overflows however
        // far the cursor jumps.
        const double dx = static_cast<double>(static_cast<std::int64_t>(at->x) - lastCursor_.x);
        const double dy = static_cast<double>(static_cast<std::int64_t>(at->y) - lastCursor_.y);
        try {
            addToCounter(travel_.pixels, std::llround(std::hypot(dx, dy)));
        } catch (...) {
            log.write("Exception in mousetrackingtimer while inc");
        }
        try {
            const ScreenSize screen = view_->screenSize();
            if (screen.width > 0 && screen.height > 0) {
                const double mmX = dx / screen.width * plugin_.settings.monitorWidthMm;
                const double mmY = dy / screen.height * plugin_.settings.monitorHeightMm;
                const double step = std::sqrt(mmX * mmX + mmY * mmY);
                if (std::isfinite(step)) travel_.millimetres += step;
            }
        } catch (...) {
            log.write("Exception in mousetrackingtimer while +");
        }
        lastCursor_ = *at;
    } catch (...) {
        log.write("Exception in mousetrackingtimer");
    }
}

// ---- the 456 ms tick ----------------------------------------------------------------------------

void TrayDataModule::rasTimerTimer() {
    Log& log = plugin_.log;
    try {
        const double now = plugin_.platform.clock->now();
        const TickFacts facts{plugin_, desktopOf(plugin_), now, decodeDateTime(now)};
        storeVariables(plugin_.variables, clockVariables(), facts);
    } catch (...) {
        log.write("@@@@ exception block 1");
    }
    try {
        if (plugin_.settings.playerTracking) {
            const double now = plugin_.platform.clock->now();
            const TickFacts facts{plugin_, desktopOf(plugin_), now, decodeDateTime(now)};
            storeVariables(plugin_.variables, playerVariables(), facts);
        }
    } catch (...) {
        log.write("@@@@ exception block 2");
    }
    try {
        if (plugin_.dialUp && !plugin_.dialUp->isOnline && isOnline(connectionStateOf(plugin_)))
            connectionStarted();
    } catch (...) {
        log.write("@@@@ exception block 3-1");
    }
    try {
        if (plugin_.dialUp && plugin_.dialUp->isOnline && !isOnline(connectionStateOf(plugin_)))
            connectionEnded();
    } catch (...) {
        log.write("@@@@ exception block 3-2");
    }
}

void TrayDataModule::showIconsFor(bool online) {
    if (const std::optional<TrayIconSet> set = iconSetFor(plugin_.settings.trayIconMode, online))
        view_->setIconSet(*set);
}

void TrayDataModule::connectionStarted() {
    DialUpWatch& watch = *plugin_.dialUp;
    watch.isOnline = true;
    watch.connectTime = plugin_.platform.clock->now();
    showIconsFor(true);
    watch.receivedBytes = 0;
    watch.name = firstDialUpName(plugin_);
    plugin_.log.write("CONNECTION ESTABLISHED [" + watch.name + "]");
}

void TrayDataModule::connectionEnded() {
    DialUpWatch& watch = *plugin_.dialUp;
    Settings& settings = plugin_.settings;
    showIconsFor(false);
    watch.isOnline = false;
    addToCounter(settings.onlineSeconds,
                 secondsBetween(watch.connectTime, plugin_.platform.clock->now()));
    plugin_.log.write("CONNECTION ENDED [" + watch.name + "]");
    if (statistics::StatItem* item = statistics::statItem(plugin_, StatSlot::DialUp))
        item->store().addToTree(watch.name, clampedTo32(watch.receivedBytes));
    if (settings.updateStatisticsAfterReceive) autosave();
    plugin_.log.write(decimal(watch.receivedBytes) + " bytes received");
    addToCounter(settings.dialUpConnectionsFinished, 1);
}

void TrayDataModule::autosave() {
    plugin_.log.write("AUTOSAVING STATISTICS");
    if (plugin_.factories.updateTrafficInfo) plugin_.factories.updateTrafficInfo(plugin_);
    if (plugin_.top10List)
        plugin_.top10List->saveToFile(plugin_.settings.statisticsDir + "Top10.Statz");
    if (plugin_.spamFilter) plugin_.spamFilter->updateThresholds();
    plugin_.log.write("DONE AUTOSAVING");
}

}  // namespace qbx::ui
