#include <string>

#include "base/datetime.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

// Fields of a decoded date-time are small, but a damaged value must still give a bounded text.
void appendNumber(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (value >= 0 && digits.size() < static_cast<std::size_t>(width))
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    out += digits;
}

}  // namespace

std::string PosixLocale::longTime(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    std::string out;
    appendNumber(out, f.hour, 2);
    out += ':';
    appendNumber(out, f.minute, 2);
    out += ':';
    appendNumber(out, f.second, 2);
    return out;
}

std::string PosixLocale::shortDate(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    std::string out;
    appendNumber(out, f.day, 2);
    out += '.';
    appendNumber(out, f.month, 2);
    out += '.';
    appendNumber(out, f.year, 4);
    return out;
}

std::string PosixLocale::shortTime(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    std::string out;
    appendNumber(out, f.hour, 2);
    out += ':';
    appendNumber(out, f.minute, 2);
    return out;
}

std::string PosixLocale::longDate(double dateTime) {
    return formatDateTime("dddd, mmmm d, yyyy", dateTime);
}

}  // namespace qbx::posix
