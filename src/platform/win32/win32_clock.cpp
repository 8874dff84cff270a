#include <windows.h>

#include <psapi.h>

#include "base/datetime.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {

double Win32Clock::now() {
    SYSTEMTIME st{};
    GetLocalTime(&st);
    DateTimeFields fields;
    fields.year = st.wYear;
    fields.month = st.wMonth;
    fields.day = st.wDay;
    fields.hour = st.wHour;
    fields.minute = st.wMinute;
    fields.second = st.wSecond;
    fields.millisecond = st.wMilliseconds;
    return encodeDateTime(fields);
}

std::uint32_t Win32Clock::tickCount() { return GetTickCount(); }

std::uint64_t Win32Clock::heapBytesInUse() {
    // PagefileUsage is the process's commit charge, the same figure as PrivateUsage of the
    // extended counters; unlike PrivateUsage it is filled in by every system we run on.
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return 0;
    return counters.PagefileUsage;
}

}  // namespace qbx::win32
