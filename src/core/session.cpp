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
    const std::int64_t stored = plugin.settings.stSessionsLength;
    if (stored < 0) return kFaultSeconds;  // only a damaged counter is negative
    std::int32_t total = sessionSeconds(plugin);
    addToCounter(total, stored);
    return total;
}

void resetStatistics(Plugin& plugin) {
    plugin.log.write("Statistics reset");
    Settings& s = plugin.settings;
    s.onlineTime = 0;
    s.osc = 0;
    s.stTotalSize = 0;
    s.stHeaderSize = 0;
    s.stTextSize = 0;
    // Divisors of the per-run means: one, as their registry defaults, never zero.
    s.stLetterCount = 1;
    s.stSessionsLength = 1;
    s.stStartCount = 1;
    s.stEndCount = 1;

    const double now =
        plugin.platform.clock != nullptr ? plugin.platform.clock->now() : plugin.startTime;
    plugin.startTime = now;
    const DateTimeFields f = decodeDateTime(now);
    s.stYear = static_cast<std::uint16_t>(f.year);
    s.stMonth = static_cast<std::uint16_t>(f.month);
    s.stDay = static_cast<std::uint16_t>(f.day);
    s.stHour = static_cast<std::uint16_t>(f.hour);
    s.stMin = static_cast<std::uint16_t>(f.minute);
    s.stSec = static_cast<std::uint16_t>(f.second);
    s.stMsec = static_cast<std::uint16_t>(f.millisecond);
}

}  // namespace qbx
