#include "ui/dialog/dialog_timers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "base/text.h"
#include "core/guard.h"
#include "core/log.h"
#include "core/plugin.h"
#include "functions/playcount/play_count_list.h"
#include "functions/playcount/playcount_macros.h"
#include "functions/players/players.h"
#include "macros/expressions.h"
#include "macros/marked_text.h"
#include "platform/desktop_windows.h"
#include "ui/dialog/dialog_view.h"
#include "ui/dialog/key_names.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

namespace players = functions::players;
namespace playcount = functions::playcount;

using T = DialogTimers;

constexpr auto kTimers = std::to_array<TimerRow>({
    {"Timer_Winamp_Updater", 300, true, &T::timerWinampUpdaterTimer},
    {"TimerVar", 1000, true, &T::timerVarTimer},
    {"Top10timer", 5678, true, &T::top10timerTimer},
    // Run by the force save only.
    {"BackupTimer", 3000000, false, &T::backupTimerTimer},
});

constexpr int kEscapeKey = 27;
constexpr std::uint8_t kKeyDown = 0x80;

constexpr unsigned kModAlt = 1;
constexpr unsigned kModControl = 2;
constexpr unsigned kModShift = 4;
constexpr unsigned kModWin = 8;

// Interface texts of the player read-out.
constexpr int kNoActivePlayers = 311;
constexpr int kNowPlayingLabel = 312;
constexpr int kPlayerNameLabel = 313;
constexpr int kWinampVersionLabel = 314;
constexpr int kWinampStateLabel = 315;
constexpr int kWinampPlaylistLabel = 316;
constexpr int kWinampTrackLabel = 317;
constexpr int kWinampBitrateLabel = 318;
constexpr int kOneByOneTimeLabel = 319;
constexpr int kQuintessentialTimeLabel = 320;
constexpr int kQuintessentialTrackLabel = 321;

// How the roll-out lists the most played titles.
constexpr const char* kTopListTemplate = "$$cnt. $$entry ($$val)";

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        if (!joined.empty()) joined += "\r\n";
        joined += line;
    }
    return joined;
}

}  // namespace

std::span<const TimerRow> timerRows() { return kTimers; }

int timerId(const char* name) {
    for (std::size_t i = 0; i < kTimers.size(); ++i)
        if (std::strcmp(kTimers[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

unsigned hotKeyModifiers(const Settings& settings) {
    return (settings.hotKeyWin ? kModWin : 0u) | (settings.hotKeyAlt ? kModAlt : 0u) |
           (settings.hotKeyShift ? kModShift : 0u) | (settings.hotKeyCtrl ? kModControl : 0u);
}

int storedKeyCode(std::int32_t code) {
    return code >= 0 && code < kKeyCodeCount ? static_cast<int>(code) : 0;
}

bool chordHeld(const Settings& settings, const std::array<std::uint8_t, 256>& keys) {
    const int chord[] = {storedKeyCode(settings.dialogChordKey1),
                         storedKeyCode(settings.dialogChordKey2),
                         storedKeyCode(settings.dialogChordKey3)};
    bool anyKey = false;
    for (const int key : chord) {
        if (key == 0) continue;
        anyKey = true;
        if ((keys[static_cast<std::size_t>(key)] & kKeyDown) == 0) return false;
    }
    return anyKey;
}

std::vector<std::string> playerReadout(DesktopWindows& desktop, const StringTable& strings) {
    const std::string title = players::nowPlaying(desktop, strings, {});
    if (title.empty()) return {strings[kNoActivePlayers]};
    const auto line = [&](int label, const std::string& value) {
        return strings[label] + " " + value;
    };
    std::vector<std::string> lines = {
        line(kPlayerNameLabel, players::activePlayerName(desktop)),
        line(kNowPlayingLabel, title),
    };
    if (desktop.findWindowByClass(players::kWinampClass) != 0) {
        lines.push_back(line(kWinampVersionLabel, players::winampVersion(desktop)));
        lines.push_back(
            line(kWinampStateLabel, players::winampStatus(desktop, strings, {}, {}, {})));
        lines.push_back(line(kWinampTrackLabel, players::winampPosition(desktop, 0) + "/" +
                                                    players::winampPosition(desktop, 1)));
        lines.push_back(line(kWinampPlaylistLabel, players::winampPlaylistPos(desktop) + "/" +
                                                       players::winampPlaylistLength(desktop)));
        lines.push_back(
            line(kWinampBitrateLabel, players::winampSampleRate(desktop) + "/" +
                                          players::winampBitRate(desktop) + "/" +
                                          players::winampChannelsText(desktop, strings)));
    }
    if (players::findPlayer(desktop, players::Player::OneByOne))
        lines.push_back(line(kOneByOneTimeLabel, players::oneByOneTime(desktop)));
    if (players::findPlayer(desktop, players::Player::Quintessential)) {
        lines.push_back(line(kQuintessentialTimeLabel, players::quintessentialTime(desktop)));
        lines.push_back(
            line(kQuintessentialTrackLabel, players::quintessentialPlaylistPos(desktop)));
    }
    return lines;
}

DialogTimers::DialogTimers(Plugin& plugin, SetupForm& form, DialogView& view, TimerView& timers)
    : plugin_(plugin),
      form_(form),
      view_(view),
      timers_(timers),
      enabled_(kTimers.size(), false),
      interval_(kTimers.size(), 0) {
    for (std::size_t i = 0; i < kTimers.size(); ++i) interval_[i] = kTimers[i].intervalMs;
}

void DialogTimers::setTimer(int id, bool enabled, unsigned intervalMs) {
    const auto index = static_cast<std::size_t>(id);
    const bool restart = enabled && (!enabled_[index] || interval_[index] != intervalMs);
    const bool stop = !enabled && enabled_[index];
    enabled_[index] = enabled;
    interval_[index] = intervalMs;
    if (restart) timers_.startTimer(id, intervalMs);
    if (stop) timers_.stopTimer(id);
}

void DialogTimers::start() {
    for (std::size_t i = 0; i < kTimers.size(); ++i)
        if (kTimers[i].startsEnabled) setTimer(static_cast<int>(i), true, kTimers[i].intervalMs);
}

bool DialogTimers::enabled(int id) const {
    return id >= 0 && id < static_cast<int>(enabled_.size()) &&
           enabled_[static_cast<std::size_t>(id)];
}

unsigned DialogTimers::interval(int id) const {
    return id >= 0 && id < static_cast<int>(interval_.size())
               ? interval_[static_cast<std::size_t>(id)]
               : 0;
}

void DialogTimers::tick(int id) {
    // A tick that was queued before its timer stopped has nothing left to do.
    if (!enabled(id)) return;
    const TimerRow& row = kTimers[static_cast<std::size_t>(id)];
    guardedVoid(&plugin_.log, row.name, [&] { (this->*row.handler)(); });
}

void DialogTimers::killTimers() {
    for (std::size_t i = 0; i < kTimers.size(); ++i)
        setTimer(static_cast<int>(i), false, interval_[i]);
}

void DialogTimers::stopPlayerTimer() {
    const int id = timerId("Timer_Winamp_Updater");
    setTimer(id, false, interval(id));
}

void DialogTimers::timerWinampUpdaterTimer() {
    const auto keys = timers_.keyboardState();
    if (chordHeld(plugin_.settings, keys) && !timers_.dialogVisible()) timers_.showDialog();
    if ((keys[kEscapeKey] & kKeyDown) != 0 && timers_.dialogVisible()) timers_.closeDialog();
    // The read-out asks the players through their windows: only worth it while it is seen.
    if (timers_.dialogVisible() && plugin_.platform.desktopWindows != nullptr)
        view_.setText("NpInfo",
                      joinLines(playerReadout(*plugin_.platform.desktopWindows, plugin_.strings)));
}

void DialogTimers::timerVarTimer() {
    if (!timers_.dialogVisible()) return;
    DesktopWindows* desktop = plugin_.platform.desktopWindows;
    const bool winamp =
        desktop != nullptr && desktop->findWindowByClass(players::kWinampClass) != 0;
    const int id = timerId("TimerVar");
    setTimer(id, true, winamp ? kVariablesFastMs : kVariablesSlowMs);
    form_.showVariables();
    const macros::ExpressionContext context{plugin_.variables, plugin_.strings, plugin_.log};
    view_.setText("ParaExample", macros::expandVariables(context, view_.text("ParaFilename")));
}

void DialogTimers::top10timerTimer() {
    Settings& settings = plugin_.settings;
    Log& log = plugin_.log;
    view_.setCaption("Label15",
                     plugin_.strings[settings.antispamActive ? dialog_text::kAntispamOn
                                                             : dialog_text::kAntispamOff]);
    playcount::PlayCountStore* list = playcount::playCountList(plugin_);
    if (settings.playCountListOn && list != nullptr && plugin_.platform.desktopWindows != nullptr) {
        std::string title =
            players::nowPlaying(*plugin_.platform.desktopWindows, plugin_.strings, {});
        if (!title.empty() && title != lastTop10Title_) {
            lastTop10Title_ = title;
            std::replace(title.begin(), title.end(), '_', ' ');
            title = playcount::normalizeTrackName(title, settings);
            list->add(title);
            log.write("Added [" + title + "] to top10");
            log.write("br:" + decimal(list->countNodes()) +
                      ", lf:" + decimal(list->countEntries()) +
                      ", tg:" + decimal(static_cast<std::int64_t>(list->totalCount())));
        }
    }
    const int id = timerId("Top10timer");
    setTimer(id, settings.playCountListOn, interval(id));
    const BoundedText top = playcount::buildNpTopList(
        plugin_, macros::templateText(kTopListTemplate), "$$nl", kTopListEntries);
    view_.setItems("lb", top.text.empty() ? std::vector<std::string>{} : splitLines(top.text));
    form_.updatemu();
}

void DialogTimers::backupTimerTimer() { form_.backup(); }

void DialogTimers::setUpHotKey() {
    Settings& settings = plugin_.settings;
    const int key = storedKeyCode(settings.hotKeyCode);
    view_.setItems("gk_ks", keyNames());
    view_.setSelection("gk_ks", key);
    view_.setChecked("UseGlobalHotKey", settings.hotKeyCode != 0);
    try {
        form_.useGlobalHotKeyClick();
    } catch (...) {
        // The boxes only show or hide; the key itself is decided below.
    }
    for (const char* box : {"WINMOD", "ALTMOD", "SHMOD", "CTRLMOD"})
        if (const ControlRow* row = findControl(box)) form_.fillControl(*row);

    const unsigned modifiers = hotKeyModifiers(settings);
    if (settings.hotKeyCode != 0) plugin_.log.write("Stage 4");
    // Without a key there is nothing to press: registering one would take the bare modifiers.
    if (key != 0) timers_.registerHotKey(modifiers, key);
}

}  // namespace qbx::ui
