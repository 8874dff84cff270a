#include <malloc.h>
#include <time.h>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// From the sanitizer's runtime (g++ ships no header for its allocator interface).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "base/datetime.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {

double localDateTimeOf(const tm& t, long nanoseconds) {
    DateTimeFields fields;
    fields.year = t.tm_year + 1900;
    fields.month = t.tm_mon + 1;
    fields.day = t.tm_mday;
    fields.hour = t.tm_hour;
    fields.minute = t.tm_min;
    fields.second = t.tm_sec > 59 ? 59 : t.tm_sec;  // a leap second
    fields.millisecond = static_cast<int>(nanoseconds / 1000000);
    return encodeDateTime(fields);
}

double PosixClock::now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    // The zone's rules are looked up once a second: a message's statistics ask for the time
    // a dozen times, and each lookup costs more than the rest of the call. Per thread, as the
    // clock is shared.
    thread_local tm cachedLocal{};
    thread_local time_t cachedSecond = 0;
    thread_local bool cached = false;
    // The value itself changes once a millisecond, and a message asks several times in one.
    thread_local long cachedMillisecond = -1;
    thread_local double cachedValue = 0.0;
    const long millisecond = ts.tv_nsec / 1000000;
    if (!cached || ts.tv_sec != cachedSecond) {
        tm local{};
        if (::localtime_r(&ts.tv_sec, &local) == nullptr) return 0.0;
        cachedLocal = local;
        cachedSecond = ts.tv_sec;
        cached = true;
    } else if (millisecond == cachedMillisecond) {
        return cachedValue;
    }
    cachedValue = localDateTimeOf(cachedLocal, ts.tv_nsec);
    cachedMillisecond = millisecond;
    return cachedValue;
}

double PosixClock::universalNow() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    tm universal{};
    if (::gmtime_r(&ts.tv_sec, &universal) == nullptr) return 0.0;
    return localDateTimeOf(universal, ts.tv_nsec);
}

double PosixClock::localToUniversal(double localDateTime) {
    const DateTimeFields f = decodeDateTime(localDateTime);
    tm local{};
    local.tm_year = f.year - 1900;
    local.tm_mon = f.month - 1;
    local.tm_mday = f.day;
    local.tm_hour = f.hour;
    local.tm_min = f.minute;
    local.tm_sec = f.second;
    local.tm_isdst = -1;  // the zone's rules for that date decide
    const time_t seconds = ::mktime(&local);
    tm universal{};
    if (seconds == static_cast<time_t>(-1) || ::gmtime_r(&seconds, &universal) == nullptr)
        return localDateTime;
    return localDateTimeOf(universal, static_cast<long>(f.millisecond) * 1000000);
}

std::uint32_t PosixClock::tickCount() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);  // wraps at 2^32 as the system's tick count does
}

std::uint64_t PosixClock::heapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
    // The sanitizer's allocator replaces malloc's, whose statistics then stay at zero.
    return __sanitizer_get_current_allocated_bytes();
#else
    // Small blocks come from the arenas, large ones are mapped one by one: both are in use.
    const struct mallinfo2 info = ::mallinfo2();
    return static_cast<std::uint64_t>(info.uordblks) + static_cast<std::uint64_t>(info.hblkhd);
#endif
}

}  // namespace qbx::posix
