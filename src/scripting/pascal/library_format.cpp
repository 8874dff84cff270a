// Delphi's Format with its bracketed list (Format('%d of %s', [n, s])) or, as older scripts of
// ours have it, with the arguments one by one (Format('%d of %s', n, s)). The format text is
// parsed here, byte by byte; no part of it ever reaches a C formatting function.
//
// A directive is "%" [index ":"] ["-"] [width] ["." precision] type, with the types d x s f and
// "%%"; width and precision may be "*", taken from the arguments. A missing argument or one of
// the wrong kind is EConvertError, as in Delphi.
#include <charconv>
#include <cmath>

#include "base/float_text.h"
#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

constexpr int kMaxField = 4096;      // width and precision beyond this are a format error
constexpr int kMaxFloatDigits = 18;  // Delphi's own ceiling for floating precision

struct Directive {
    bool left = false;
    int width = -1;
    int precision = -1;
    char type = 0;
};

[[noreturn]] void invalid(std::string_view directive) {
    throw RuntimeError("Format '" + std::string(directive.substr(0, 100)) +
                           "' invalid or incompatible with argument",
                       "EConvertError");
}

[[noreturn]] void missing(std::string_view directive) {
    throw RuntimeError("No argument for format '" + std::string(directive.substr(0, 100)) + "'",
                       "EConvertError");
}

// Digits after the point of an exactly rounded decimal text, rounding halves away from zero
// as Delphi does (std::to_chars alone would round a tie such as 0.125 to even).
std::string fixedText(double value, int precision) {
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    char buffer[400];
    const int extra = 25;
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::fixed, precision + extra);
    if (result.ec != std::errc()) return floatToText(value);
    std::string digits(buffer, result.ptr);
    const std::size_t point = digits.find('.');
    std::string whole = digits.substr(0, point);
    std::string fraction = digits.substr(point + 1, static_cast<std::size_t>(precision));
    const bool roundUp = digits[point + 1 + static_cast<std::size_t>(precision)] >= '5';
    if (roundUp) {
        std::string all = whole + fraction;
        std::size_t i = all.size();
        while (i > 0) {
            --i;
            if (all[i] == '9') {
                all[i] = '0';
            } else {
                ++all[i];
                break;
            }
            if (i == 0) all.insert(all.begin(), '1');
        }
        whole = all.substr(0, all.size() - fraction.size());
        fraction = all.substr(all.size() - fraction.size());
    }
    bool zero = true;
    for (const char ch : whole + fraction) zero = zero && ch == '0';
    std::string out = negative && !zero ? "-" : "";
    out += whole;
    if (precision > 0) out += "." + fraction;
    return out;
}

std::string withSeparator(std::string text, char separator) {
    for (char& ch : text)
        if (ch == '.') ch = separator;
    return text;
}

std::string integerText(const Value& v, char type, int precision, std::string_view directive) {
    if (!v.isIntegral()) invalid(directive);
    const std::int64_t n = v.integer();
    std::string digits;
    bool negative = false;
    if (v.kind() == Kind::UInt64) {
        digits = type == 'x' ? hexUpper(v.unsignedBits()) : std::to_string(v.unsignedBits());
    } else if (type == 'x') {
        // A negative value that fits an Integer shows its 32 bits, as Delphi's Integer does.
        const std::uint64_t bits = n < 0 && n >= INT32_MIN
                                       ? static_cast<std::uint32_t>(static_cast<std::int32_t>(n))
                                       : static_cast<std::uint64_t>(n);
        digits = hexUpper(bits);
    } else {
        digits = decimal(n);
        if (digits[0] == '-') {
            negative = true;
            digits.erase(0, 1);
        }
    }
    if (precision > 0 && digits.size() < static_cast<std::size_t>(precision))
        digits.insert(0, static_cast<std::size_t>(precision) - digits.size(), '0');
    return negative ? "-" + digits : digits;
}

std::string floatText(const Value& v, int precision, char separator, std::string_view directive) {
    if (!v.isNumber()) invalid(directive);
    const double d = v.toDouble();
    const int digits =
        precision < 0 ? 2 : (precision > kMaxFloatDigits ? kMaxFloatDigits : precision);
    // Past 18 integral digits Delphi leaves fixed notation too.
    if (std::fabs(d) >= 1e18) return withSeparator(floatToText(d), separator);
    return withSeparator(fixedText(d, digits), separator);
}

class Formatter {
public:
    Formatter(std::string_view format, Args args, CallContext& context, char separator)
        : format_(format), args_(args), context_(context), separator_(separator) {}

    std::string run() {
        std::size_t i = 0;
        while (i < format_.size()) {
            const std::size_t percent = format_.find('%', i);
            const std::size_t literalEnd =
                percent == std::string_view::npos ? format_.size() : percent;
            append(format_.substr(i, literalEnd - i));
            if (percent == std::string_view::npos) break;
            i = directive(percent);
        }
        return std::move(out_);
    }

private:
    void append(std::string_view text) {
        context_.checkLength(out_.size() + text.size());
        out_.append(text);
    }

    const Value& nextArg(std::string_view directive) {
        if (next_ >= args_.size()) missing(directive);
        return args_[next_++];
    }

    // A run of digits; -1 when there is none.
    int number(std::size_t& i, std::size_t start) {
        if (i >= format_.size() || format_[i] < '0' || format_[i] > '9') return -1;
        int n = 0;
        while (i < format_.size() && format_[i] >= '0' && format_[i] <= '9') {
            n = n * 10 + (format_[i++] - '0');
            if (n > kMaxField) invalid(format_.substr(start, i - start));
        }
        return n;
    }

    // A width or precision: digits, or "*" for the next argument.
    int starOrNumber(std::size_t& i, std::size_t start) {
        if (i < format_.size() && format_[i] == '*') {
            ++i;
            const std::string_view text = format_.substr(start, i - start);
            const Value& v = nextArg(text);
            if (!v.isInteger() || v.integer() < 0 || v.integer() > kMaxField) invalid(text);
            return static_cast<int>(v.integer());
        }
        return number(i, start);
    }

    std::size_t directive(std::size_t start) {
        std::size_t i = start + 1;
        if (i < format_.size() && format_[i] == '%') {
            append("%");
            return i + 1;
        }
        Directive d;
        // "%1:s" takes argument 1 and goes on from there.
        std::size_t afterIndex = i;
        const int index = number(afterIndex, start);
        if (index >= 0 && afterIndex < format_.size() && format_[afterIndex] == ':') {
            next_ = static_cast<std::size_t>(index);
            i = afterIndex + 1;
        }
        if (i < format_.size() && format_[i] == '-') {
            d.left = true;
            ++i;
        }
        d.width = starOrNumber(i, start);
        if (i < format_.size() && format_[i] == '.') {
            ++i;
            d.precision = starOrNumber(i, start);
            if (d.precision < 0) d.precision = 0;
        }
        if (i >= format_.size()) invalid(format_.substr(start));
        d.type = static_cast<char>(format_[i] >= 'A' && format_[i] <= 'Z' ? format_[i] + 32
                                                                          : format_[i]);
        const std::string_view text = format_.substr(start, i - start + 1);
        ++i;
        std::string field;
        switch (d.type) {
            case 'd':
            case 'x': field = integerText(nextArg(text), d.type, d.precision, text); break;
            case 'f': field = floatText(nextArg(text), d.precision, separator_, text); break;
            case 's': {
                const Value& v = nextArg(text);
                if (!v.isString() && !v.isEmpty()) invalid(text);
                const std::string_view s = v.isString() ? v.string() : std::string_view();
                field =
                    std::string(d.precision >= 0 && static_cast<std::size_t>(d.precision) < s.size()
                                    ? s.substr(0, static_cast<std::size_t>(d.precision))
                                    : s);
                break;
            }
            default: invalid(text);
        }
        if (d.width > 0 && field.size() < static_cast<std::size_t>(d.width)) {
            const std::string pad(static_cast<std::size_t>(d.width) - field.size(), ' ');
            field = d.left ? field + pad : pad + field;
        }
        append(field);
        return i;
    }

    std::string_view format_;
    Args args_;
    CallContext& context_;
    char separator_;
    std::size_t next_ = 0;
    std::string out_;
};

Value format(Args a, CallContext& c, const RuntimeServices& services) {
    std::string h;
    const std::string_view pattern = stringArg(a[0], h);
    const char separator = services.locale != nullptr ? services.locale->decimalSeparator() : '.';
    if (a.size() == 2 && a[1].isArray()) {
        // The list's cells are read, never written: a span over them is safe for the call.
        std::vector<Value>& items = a[1].arrayBox()->items;
        return Value(Formatter(pattern, Args(items.data(), items.size()), c, separator).run());
    }
    return Value(Formatter(pattern, a.subspan(1), c, separator).run());
}

constexpr Row kRows[] = {
    {"Format", 1, 32, 0, format},
};

}  // namespace

void addFormatFunction(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
}

}  // namespace qbx::scripting::pascal::library
