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

double PosixClock::now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    if (::localtime_r(&ts.tv_sec, &local) == nullptr) return 0.0;
    DateTimeFields fields;
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    fields.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
    fields.millisecond = static_cast<int>(ts.tv_nsec / 1000000);
    return encodeDateTime(fields);
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
