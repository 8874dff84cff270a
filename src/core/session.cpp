#include "core/session.h"

#include <cmath>
#include <limits>

#include "base/datetime.h"
#include "core/counters.h"
#include "core/plugin.h"

namespace qbx {
namespace {

constexpr std::int32_t kFaultSeconds = 1;
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

bool fitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() && value <= kInt32Max;
}

}  // namespace

std::int32_t sessionSeconds(const Plugin& plugin) {
    if (plugin.platform.clock == nullptr) return kFaultSeconds;
    const double now = plugin.platform.clock->now();
    const double start = plugin.startTime;
    if (!std::isfinite(now) || !std::isfinite(start)) return kFaultSeconds;
    // Checked before secondsBetween, which folds spans it cannot hold into 0.
    if (std::fabs(now - start) * 86400.0 > static_cast<double>(kInt32Max) + 1.0) {
        return kFaultSeconds;
    }
    const std::int64_t seconds = secondsBetween(now, start);
    return fitsInt32(seconds) ? static_cast<std::int32_t>(seconds) : kFaultSeconds;
}

std::int32_t totalSessionSeconds(const Plugin& plugin) {
    // The whole stored length counts: its low half alone would make a long total small again.
    const std::int64_t stored = plugin.settings.totalSessionSeconds;
    if (stored < 0) return kFaultSeconds;  // only a damaged counter is negative
    std::int32_t total = sessionSeconds(plugin);
    addToCounter(total, stored);
    return total;
}

void resetStatistics(Plugin& plugin) {
    plugin.log.write("Statistics reset");
    Settings& s = plugin.settings;
    s.onlineSeconds = 0;
    s.dialUpConnectionsFinished = 0;
    s.totalBytes = 0;
    s.headerBytes = 0;
    s.bodyBytes = 0;
    // Divisors of the per-run means: one, as their registry defaults, never zero.
    s.messagesCounted = 1;
    s.totalSessionSeconds = 1;
    s.startCount = 1;
    s.endCount = 1;

    const double now =
        plugin.platform.clock != nullptr ? plugin.platform.clock->now() : plugin.startTime;
    plugin.startTime = now;
    const DateTimeFields f = decodeDateTime(now);
    s.periodStartYear = static_cast<std::uint16_t>(f.year);
    s.periodStartMonth = static_cast<std::uint16_t>(f.month);
    s.periodStartDay = static_cast<std::uint16_t>(f.day);
    s.periodStartHour = static_cast<std::uint16_t>(f.hour);
    s.periodStartMinute = static_cast<std::uint16_t>(f.minute);
    s.periodStartSecond = static_cast<std::uint16_t>(f.second);
    s.periodStartMillisecond = static_cast<std::uint16_t>(f.millisecond);
}

}  // namespace qbx
