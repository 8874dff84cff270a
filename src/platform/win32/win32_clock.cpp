#include <windows.h>

#include <psapi.h>

#include "base/datetime.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {

namespace {

double fromSystemTime(const SYSTEMTIME& st) {
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

}  // namespace

double Win32Clock::now() {
    // The system time plus the zone's bias, which is asked for once a second: Wine works the
    // bias out from the zone's rules at every GetLocalTime, and a message's statistics ask for
    // the time a dozen times. The value itself changes once a millisecond (the system time's
    // finer ticks are dropped). Per thread, as the clock is shared.
    struct Cache {
        std::uint64_t bias = 0;  // local minus system time in 100 ns units, modulo 2^64
        std::uint64_t biasSecond = 0;
        bool biasRead = false;
        std::uint64_t millisecond = 0;  // of the local time, in 10^4 units of 100 ns
        double value = 0.0;
        bool valueRead = false;
    };
    thread_local Cache cache;
    FILETIME system{};
    GetSystemTimeAsFileTime(&system);
    const std::uint64_t ticks =
        (std::uint64_t{system.dwHighDateTime} << 32) | std::uint64_t{system.dwLowDateTime};
    const std::uint64_t second = ticks / 10'000'000u;
    if (!cache.biasRead || second != cache.biasSecond) {
        FILETIME local{};
        if (!FileTimeToLocalFileTime(&system, &local)) {
            SYSTEMTIME st{};
            GetLocalTime(&st);
            return fromSystemTime(st);
        }
        const std::uint64_t localTicks =
            (std::uint64_t{local.dwHighDateTime} << 32) | std::uint64_t{local.dwLowDateTime};
        cache.bias = localTicks - ticks;  // modulo 2^64: a zone west of Greenwich wraps
        cache.biasSecond = second;
        cache.biasRead = true;
        cache.valueRead = false;  // the bias may have moved with the zone's rules
    }
    const std::uint64_t localTicks = ticks + cache.bias;
    const std::uint64_t millisecond = localTicks / 10'000u;
    if (cache.valueRead && millisecond == cache.millisecond) return cache.value;
    FILETIME local{};
    local.dwLowDateTime = static_cast<DWORD>(localTicks & 0xFFFFFFFFu);
    local.dwHighDateTime = static_cast<DWORD>(localTicks >> 32);
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&local, &st)) {
        GetLocalTime(&st);
        return fromSystemTime(st);
    }
    cache.value = fromSystemTime(st);
    cache.millisecond = millisecond;
    cache.valueRead = true;
    return cache.value;
}

double Win32Clock::universalNow() {
    SYSTEMTIME st{};
    GetSystemTime(&st);
    return fromSystemTime(st);
}

double Win32Clock::localToUniversal(double localDateTime) {
    const DateTimeFields f = decodeDateTime(localDateTime);
    if (f.year < 1601 || f.year > 30827) return localDateTime;  // outside what SYSTEMTIME holds
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(f.year);
    local.wMonth = static_cast<WORD>(f.month);
    local.wDay = static_cast<WORD>(f.day);
    local.wHour = static_cast<WORD>(f.hour);
    local.wMinute = static_cast<WORD>(f.minute);
    local.wSecond = static_cast<WORD>(f.second);
    local.wMilliseconds = static_cast<WORD>(f.millisecond);
    SYSTEMTIME universal{};
    // The zone's rules for that date, not today's: a summer date keeps its summer bias.
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal)) return localDateTime;
    return fromSystemTime(universal);
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
