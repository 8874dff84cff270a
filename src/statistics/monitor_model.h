// The anti-spam monitor: a small window that shows the filter's counters while the user trains
// it. Training shows it, it hides itself kHideMs after the latest message, and while visible it
// rewrites its seven lines every kRefreshMs, so that scores counted meanwhile catch up too.
// Everything runs on the host's thread; the window itself is the view's (ui/win32).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "statistics/spam_filter.h"

namespace qbx {
struct Plugin;
class StringTable;
}  // namespace qbx

namespace qbx::statistics {

inline constexpr std::uint32_t kMonitorRefreshMs = 500;
inline constexpr std::uint32_t kMonitorHideMs = 5000;

// The labels of the seven lines (indexes of the string table), in the order they are shown.
namespace monitor_text {
inline constexpr int kLettersProcessed = 186;
inline constexpr int kSpamFed = 187;
inline constexpr int kNonSpamFed = 188;
inline constexpr int kIncomingScored = 306;
inline constexpr int kDetectedSpam = 307;
inline constexpr int kDetectedNonSpam = 308;
inline constexpr int kBytesProcessed = 300;
}  // namespace monitor_text

// "<label>: <count>" for each counter. The labels come with a colon of their own; it is taken
// off so that a line reads "Spam letters: 3", not "Spam letters:: 3".
std::vector<std::string> monitorLines(const StringTable& strings, const MonitorCounters& counters);

// What the model asks of its window.
class MonitorView {
public:
    virtual ~MonitorView() = default;
    virtual bool visible() const = 0;
    // Shown without taking the focus from the window the user works in.
    virtual void show() = 0;
    virtual void hide() = 0;
    // Replaces the text, all lines in one update.
    virtual void setLines(const std::vector<std::string>& lines) = 0;
    // The one-shot hide timer (kHideMs): enabling it starts it afresh.
    virtual void setHideTimer(bool enabled) = 0;
};

class MonitorWindow {
public:
    // The monitor of this context for as long as it lives (monitorWindow()). The view outlives it.
    MonitorWindow(Plugin& plugin, MonitorView& view) noexcept;
    ~MonitorWindow();
    MonitorWindow(const MonitorWindow&) = delete;
    MonitorWindow& operator=(const MonitorWindow&) = delete;

    // The refresh timer: the seven current lines, only while visible.
    void tTimer();
    // The hide timer: stops itself and hides the window.
    void ttTimer();
    // A message was fed: visible, and hidden again kHideMs from now.
    void show();

private:
    friend MonitorWindow* monitorWindow(Plugin& plugin) noexcept;

    Plugin& plugin_;
    MonitorView& view_;
    MonitorWindow* next_ = nullptr;
};

// The context's monitor; null while the setting left it out or no dialog exists.
MonitorWindow* monitorWindow(Plugin& plugin) noexcept;

// The spam entry's hook (SpamEntryHooks::showMonitor): shows the monitor when there is one.
void showMonitorWindow(Plugin& plugin);

}  // namespace qbx::statistics
