#include "statistics/monitor_model.h"

#include "base/text.h"
#include "core/plugin.h"
#include "core/strings.h"

namespace qbx::statistics {
namespace {

// The monitors alive, linked through themselves: nothing to destroy at unload, when the run
// time's static objects may already be gone.
constinit MonitorWindow* firstMonitor = nullptr;

std::string lineOf(const StringTable& strings, int label, std::int32_t count) {
    std::string line = strings[label];
    if (!line.empty() && line.back() == ':') line.pop_back();
    line += ": ";
    line += decimal(count);
    return line;
}

}  // namespace

std::vector<std::string> monitorLines(const StringTable& strings, const MonitorCounters& counters) {
    namespace t = monitor_text;
    return {
        lineOf(strings, t::kLettersProcessed, counters.messagesProcessed),
        lineOf(strings, t::kSpamFed, counters.spamFed),
        lineOf(strings, t::kNonSpamFed, counters.nonSpamFed),
        lineOf(strings, t::kIncomingScored, counters.incomingScored),
        lineOf(strings, t::kDetectedSpam, counters.detectedSpam),
        lineOf(strings, t::kDetectedNonSpam, counters.detectedNonSpam),
        lineOf(strings, t::kBytesProcessed, counters.bytesProcessed),
    };
}

MonitorWindow::MonitorWindow(Plugin& plugin, MonitorView& view) noexcept
    : plugin_(plugin), view_(view), next_(firstMonitor) {
    firstMonitor = this;
}

MonitorWindow::~MonitorWindow() {
    for (MonitorWindow** at = &firstMonitor; *at != nullptr; at = &(*at)->next_) {
        if (*at == this) {
            *at = next_;
            break;
        }
    }
}

void MonitorWindow::tTimer() {
    if (!view_.visible()) return;
    const SpamFilterState* filter = spamFilter(plugin_);
    view_.setLines(monitorLines(plugin_.strings, filter ? filter->monitor : MonitorCounters{}));
}

void MonitorWindow::ttTimer() {
    view_.setHideTimer(false);
    view_.hide();
}

void MonitorWindow::show() {
    view_.show();
    view_.setHideTimer(false);
    view_.setHideTimer(true);
}

MonitorWindow* monitorWindow(Plugin& plugin) noexcept {
    for (MonitorWindow* monitor = firstMonitor; monitor != nullptr; monitor = monitor->next_)
        if (&monitor->plugin_ == &plugin) return monitor;
    return nullptr;
}

void showMonitorWindow(Plugin& plugin) {
    if (MonitorWindow* monitor = monitorWindow(plugin)) monitor->show();
}

}  // namespace qbx::statistics
