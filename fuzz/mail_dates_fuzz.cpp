// Arbitrary bytes as a Date or Received value, as the mail client's receive-time text and as a
// header block: no crash, no hang, and a date read only when it is a moment of the calendar.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "base/datetime.h"
#include "core/strings.h"
#include "functions/dates/mail_dates.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Year 1 to year 9999, widened by the largest zone (99 h 59 min) at either end.
void checkMoment(double dateTime) {
    check(std::isfinite(dateTime));
    check(dateTime > -693598.0 && dateTime < 2958471.0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    using namespace qbx::functions::dates;

    constexpr double kUntouched = -1.5e9;
    double dateTime = kUntouched;
    if (parseMailDate(input, dateTime))
        checkMoment(dateTime);
    else
        check(dateTime == kUntouched);

    if (const std::optional<double> local = parseHostDateTime(input)) {
        checkMoment(*local);
        const qbx::DateTimeFields f = qbx::decodeDateTime(*local);
        check(f.millisecond == 0 && f.year >= 1 && f.year <= 9999);
    }

    static const qbx::StringTable strings = [] {
        qbx::StringTable table;
        table.reset();
        return table;
    }();
    const DateLog log = [](std::string_view) {};
    if (const std::optional<std::string> text = deliveryTime(input, strings, log))
        check(!text->empty() && text->size() < 64);
    if (const std::optional<std::string> text = deliveryTimeBox(input, strings))
        check(!text->empty() && text->size() < 64);
    return 0;
}
