// An arbitrary moment (any double, not a number included), three counts and a format pattern
// through the date shifting, the format engine and the calendar numbers: no crash, no hang,
// results within their bounds and ranges.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "core/strings.h"
#include "functions/dates/calendar.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

template <typename T>
T take(std::string_view& bytes) {
    T value{};
    const std::size_t n = bytes.size() < sizeof(T) ? bytes.size() : sizeof(T);
    std::memcpy(&value, bytes.data(), n);
    bytes.remove_prefix(n);
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace dates = qbx::functions::dates;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto moment = take<double>(bytes);
    const auto days = take<std::int32_t>(bytes);
    const auto months = take<std::int32_t>(bytes);
    const auto years = take<std::int32_t>(bytes);
    const std::string_view pattern = bytes;

    check(qbx::formatDateTime(pattern, moment).size() <= 8 * pattern.size());
    constexpr std::size_t kMax = 4096;
    const qbx::LocaleDateTimeTexts locale{"31.12.9999", "23:59:59", "", "", nullptr};
    check(qbx::formatDateTime(pattern, moment, &locale, kMax).text.size() <= kMax);

    try {
        const double shifted = dates::shiftDate(moment, days, months, years);
        const qbx::DateTimeFields f = qbx::decodeDateTime(shifted);
        check(dates::isValidDate(f.year, f.month, f.day));
        check(qbx::formatDateTime(pattern, shifted, &locale, kMax).text.size() <= kMax);
    } catch (const dates::InvalidDate&) {
    }
    try {
        check(dates::daysTo(moment, days, months) >= 0);
    } catch (const dates::InvalidDate&) {
    }
    try {
        check(dates::secondsSince(moment, {years, months, days, days >> 8, months >> 8, 0}) >= 0);
    } catch (const dates::InvalidDate&) {
    }

    const int week = dates::isoWeek(moment);
    check(week >= 1 && week <= 53);
    const int day = dates::dayOfYear(moment);
    check(day >= 1 && day <= 366);
    check(dates::hourOfWeek(moment) >= 0 && dates::hourOfWeek(moment) < 168);
    check(dates::hourOfYear(moment) >= 0 && dates::hourOfYear(moment) < 366 * 24);

    const auto bar = dates::dayProgressBar(moment, days, months, years, '-', '#');
    check(!bar || bar->size() <= static_cast<std::size_t>(dates::kMaxProgressWidth));
    const dates::WorkdayLeft left = dates::workdayLeft(moment, {days, months, years, days});
    check(left.phase != dates::WorkdayPhase::Running || left.seconds > 0);
    static const qbx::StringTable strings = [] {
        qbx::StringTable table;
        table.reset();
        return table;
    }();
    check(dates::paydayCountdown(moment, {days, months, years, days}, strings).size() < 256);
    return 0;
}
