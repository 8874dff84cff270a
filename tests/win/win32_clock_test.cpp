// The clock's local time beside the system's own: the zone's bias, asked for once a second,
// must give what GetLocalTime gives, across the turn of seconds.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/datetime.h"
#include "platform/win32/win32_services.h"

namespace {

double encoded(const SYSTEMTIME& st) {
    qbx::DateTimeFields fields;
    fields.year = st.wYear;
    fields.month = st.wMonth;
    fields.day = st.wDay;
    fields.hour = st.wHour;
    fields.minute = st.wMinute;
    fields.second = st.wSecond;
    fields.millisecond = st.wMilliseconds;
    return qbx::encodeDateTime(fields);
}

TEST(Win32Clock, LocalTimeLiesBetweenTheSystemsReadingsAroundIt) {
    qbx::win32::Win32Clock clock;
    for (int i = 0; i < 150; ++i) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const double now = clock.now();
        SYSTEMTIME after{};
        GetLocalTime(&after);
        // Within a tenth of a millisecond: the 32-bit build may keep one side in the x87's
        // wider registers, and the readings themselves are whole milliseconds.
        constexpr double kSlack = 0.1 / 86'400'000;
        ASSERT_LE(encoded(before) - kSlack, now) << i;
        ASSERT_LE(now, encoded(after) + kSlack) << i;
        Sleep(10);  // 1.5 s in all: the bias is asked for again at least once
    }
}

}  // namespace
