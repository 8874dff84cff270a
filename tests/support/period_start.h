// Test helper: the statistics period's start in the settings, from date-time fields.
#pragma once

#include <cstdint>

#include "base/datetime.h"
#include "core/settings.h"

namespace qbx::test {

inline void setPeriodStart(Settings& s, const DateTimeFields& f) {
    const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
    s.periodStartYear = u16(f.year);
    s.periodStartMonth = u16(f.month);
    s.periodStartDay = u16(f.day);
    s.periodStartHour = u16(f.hour);
    s.periodStartMinute = u16(f.minute);
    s.periodStartSecond = u16(f.second);
    s.periodStartMillisecond = u16(f.millisecond);
}

}  // namespace qbx::test
