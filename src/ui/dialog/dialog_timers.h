// The settings dialog's timers and its global hot key. The timers belong to the dialog and run
// from its creation until the shut-down stops them, shown or hidden: they watch the keyboard
// for the chord that brings the dialog up, keep the player and variables read-outs current,
// count what the media players play, and one of them is the force save. The window starts and
// stops them and reports their ticks; the model here decides what each tick does.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/settings.h"

namespace qbx {
struct Plugin;
class DesktopWindows;
class StringTable;
}  // namespace qbx

namespace qbx::ui {

class DialogView;
class SetupForm;
class DialogTimers;

// What the timers and the hot key ask of the dialog's window, beside its controls.
class TimerView {
public:
    virtual ~TimerView() = default;
    // Starts the timer or restarts it at a new interval; stopping a stopped timer is harmless.
    virtual void startTimer(int id, unsigned intervalMs) = 0;
    virtual void stopTimer(int id) = 0;
    // The state of the 256 virtual keys of the thread's keyboard (high bit: down); all zero
    // where there is no keyboard to read.
    virtual std::array<std::uint8_t, 256> keyboardState() = 0;
    virtual bool dialogVisible() = 0;
    virtual void showDialog() = 0;
    // As the window's close box does it: hidden, and the form told so.
    virtual void closeDialog() = 0;
    // Registers the system-wide hot key for the dialog's window; false when the system refuses.
    virtual bool registerHotKey(unsigned modifiers, int keyCode) = 0;
};

using TimerHandler = void (DialogTimers::*)();

struct TimerRow {
    const char* name;  // the component name
    unsigned intervalMs;
    bool startsEnabled;
    TimerHandler handler;
};

// Every timer of the dialog; a timer's id is its row's index.
std::span<const TimerRow> timerRows();
int timerId(const char* name);  // -1 for a name without a row

inline constexpr unsigned kVariablesFastMs = 70;    // while Winamp runs
inline constexpr unsigned kVariablesSlowMs = 2500;  // otherwise
// The entries of the play-count list the roll-out shows.
inline constexpr std::int32_t kTopListEntries = 40;

// The Windows modifier bits of the hot key: MOD_ALT 1, MOD_CONTROL 2, MOD_SHIFT 4, MOD_WIN 8.
unsigned hotKeyModifiers(const Settings& settings);
// A stored key code as a key: codes outside 0..255 are no key (0).
int storedKeyCode(std::int32_t code);
// Whether the keyboard holds the chord of keysf1..3: at least one of them is a key, and every
// one that is a key is down.
bool chordHeld(const Settings& settings, const std::array<std::uint8_t, 256>& keys);
// The lines of the "Misc" page's player read-out.
std::vector<std::string> playerReadout(DesktopWindows& desktop, const StringTable& strings);

class DialogTimers {
public:
    DialogTimers(Plugin& plugin, SetupForm& form, DialogView& view, TimerView& timers);
    DialogTimers(const DialogTimers&) = delete;
    DialogTimers& operator=(const DialogTimers&) = delete;

    // At the dialog's creation: every timer that starts enabled runs.
    void start();
    // A tick of the timer with this id. Never throws: a failure is logged.
    void tick(int id);
    void killTimers();
    void stopPlayerTimer();

    // The creation's hot-key step: the key list, the check boxes, then the registration.
    void setUpHotKey();

    bool enabled(int id) const;
    unsigned interval(int id) const;
    const std::string& lastTop10Title() const noexcept { return lastTop10Title_; }

    // The handlers of the rows.
    void timerWinampUpdaterTimer();
    void timerVarTimer();
    void top10timerTimer();
    void backupTimerTimer();

private:
    void setTimer(int id, bool enabled, unsigned intervalMs);

    Plugin& plugin_;
    SetupForm& form_;
    DialogView& view_;
    TimerView& timers_;
    std::vector<bool> enabled_;
    std::vector<unsigned> interval_;
    // The title counted last, as the player showed it; empty at each creation.
    std::string lastTop10Title_;
};

}  // namespace qbx::ui
