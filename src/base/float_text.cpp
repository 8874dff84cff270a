#include "base/float_text.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "base/text.h"

namespace qbx {

std::string floatToText(double d) {
    if (d == 0.0 || !std::isfinite(d)) return "0";
    char buffer[48];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, d, std::chars_format::scientific, 14);
    const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
    const bool negative = text.front() == '-';
    const std::size_t ePos = text.find('e');
    std::string digits;
    for (char c : text.substr(0, ePos))
        if (c >= '0' && c <= '9') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    std::from_chars(text.data() + ePos + (text[ePos + 1] == '+' ? 2 : 1), text.data() + text.size(),
                    exponent);
    std::string out = negative ? "-" : "";
    const int point = exponent + 1;  // digits before the decimal point
    if (point > 15 || point < -3) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += 'E';
        out += decimal(exponent);
    } else if (point <= 0) {
        out += "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (digits.size() <= static_cast<std::size_t>(point)) {
        out += digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
    } else {
        out += digits.substr(0, static_cast<std::size_t>(point)) + "." +
               digits.substr(static_cast<std::size_t>(point));
    }
    return out;
}

}  // namespace qbx
