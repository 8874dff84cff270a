// Numbers and booleans to text and back: FloatToStrF, FormatFloat, the StrTo*Def and TryStrTo*
// routines, BoolToStr, Val and Str, and IfThen. Floating values are read as 15 significant
// decimal digits, so 2.675 rounds to 2.68 as a user reading the number expects.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

// Seventeen digits hold a Double exactly enough; rounding them to fewer on the decimal digits
// takes halves away from zero, where rounding the binary value would go to even.
DecimalDigits decimalDigits(double value, int significant) {
    DecimalDigits out;
    if (value == 0.0 || !std::isfinite(value)) return out;
    out.negative = value < 0;
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                 std::chars_format::scientific, 16);
    const std::string_view text(buffer, static_cast<std::size_t>(r.ptr - buffer));
    const std::size_t e = text.find('e');
    for (const char ch : text.substr(0, e))
        if (ch != '.') out.digits += ch;
    int exponent = 0;
    const char* first = text.data() + e + 1;
    if (*first == '+') ++first;
    std::from_chars(first, text.data() + text.size(), exponent);
    out.exponent = exponent + 1;
    while (!out.digits.empty() && out.digits.back() == '0') out.digits.pop_back();
    const bool negative = out.negative;
    out = roundedDigits(out, std::clamp(significant, 1, 17) - out.exponent);
    out.negative = negative && !out.digits.empty();
    return out;
}

DecimalDigits roundedDigits(DecimalDigits number, int decimals, bool bankers) {
    const std::int64_t keep = static_cast<std::int64_t>(number.exponent) + decimals;
    if (keep >= static_cast<std::int64_t>(number.digits.size())) return number;
    if (keep < 0) return {};
    const auto k = static_cast<std::size_t>(keep);
    const char next = number.digits[k];
    const bool exactHalf = next == '5' && number.digits.size() == k + 1;
    bool up = next >= '5';
    if (exactHalf && bankers) up = k > 0 && (number.digits[k - 1] - '0') % 2 == 1;
    number.digits.resize(k);
    if (up) {
        std::size_t i = k;
        for (; i > 0; --i) {
            if (number.digits[i - 1] != '9') {
                ++number.digits[i - 1];
                break;
            }
            number.digits[i - 1] = '0';
        }
        if (i == 0) {
            number.digits.insert(number.digits.begin(), '1');
            ++number.exponent;
        }
    }
    while (!number.digits.empty() && number.digits.back() == '0') number.digits.pop_back();
    if (number.digits.empty()) return {};
    return number;
}

double toDouble(const DecimalDigits& number) {
    if (number.digits.empty()) return 0.0;
    const std::string text = "0." + number.digits + "e" + std::to_string(number.exponent);
    double d = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), d);
    (void)end;
    // Rounding the largest values up can pass the range: infinite, for the caller to refuse.
    if (error == std::errc::result_out_of_range)
        d = number.exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return number.negative ? -d : d;
}

namespace {

constexpr int kGeneral = 0, kExponent = 1, kFixed = 2, kNumber = 3;

// The digits of the whole part ("" when below 1) and of the fraction, of a rounded number.
std::string wholeDigits(const DecimalDigits& d) {
    if (d.exponent <= 0) return {};
    std::string whole = d.digits.substr(0, static_cast<std::size_t>(d.exponent));
    whole.resize(static_cast<std::size_t>(d.exponent), '0');
    return whole;
}

std::string fractionDigits(const DecimalDigits& d) {
    if (d.exponent >= static_cast<int>(d.digits.size())) return {};
    if (d.exponent >= 0) return d.digits.substr(static_cast<std::size_t>(d.exponent));
    return std::string(static_cast<std::size_t>(-d.exponent), '0') + d.digits;
}

std::string grouped(const std::string& whole, char separator) {
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += separator;
        out += whole[i];
    }
    return out;
}

std::string exponentText(int exponent, int minDigits, bool plus) {
    std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < static_cast<std::size_t>(minDigits))
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    return (exponent < 0 ? "-" : (plus ? "+" : "")) + digits;
}

// d.ddddE+xx with `precision` digits in all.
std::string scientific(const DecimalDigits& d, int precision, int expDigits, bool plus, bool pad,
                       char separator) {
    std::string digits = d.digits.empty() ? "0" : d.digits;
    if (pad) digits.resize(static_cast<std::size_t>(precision), '0');
    std::string out = d.negative ? "-" : "";
    out += digits[0];
    if (digits.size() > 1) out += separator + digits.substr(1);
    return out + "E" + exponentText(d.digits.empty() ? 0 : d.exponent - 1, expDigits, plus);
}

}  // namespace

std::string floatToStrF(double value, int format, int precision, int digits,
                        NumberSeparators separators) {
    const char separator = separators.decimal;
    precision = std::clamp(precision, 1, 15);
    const DecimalDigits d = decimalDigits(value, precision);
    if (format == kExponent)
        return scientific(d, precision, std::clamp(digits, 0, 4), true, true, separator);
    if (format == kGeneral) {
        if (d.digits.empty()) return "0";
        if (d.exponent > precision || d.exponent < -3)
            return scientific(d, precision, std::clamp(digits, 0, 4), false, false, separator);
        std::string out = d.negative ? "-" : "";
        const std::string whole = wholeDigits(d);
        out += whole.empty() ? "0" : whole;
        if (const std::string fraction = fractionDigits(d); !fraction.empty())
            out += separator + fraction;
        return out;
    }
    // Fixed and Number: scientific once the whole part has more digits than the precision.
    if (d.exponent > precision) return scientific(d, precision, 0, true, true, separator);
    digits = std::clamp(digits, 0, 18);
    const DecimalDigits r = roundedDigits(d, digits);
    std::string whole = wholeDigits(r);
    if (whole.empty()) whole = "0";
    std::string out = r.negative ? "-" : "";
    out += format == kNumber ? grouped(whole, separators.thousands) : whole;
    if (digits > 0) {
        std::string fraction = fractionDigits(r);
        fraction.resize(static_cast<std::size_t>(digits), '0');
        out += separator + fraction;
    }
    return out;
}

namespace {

// One section of a FormatFloat format, as its placeholders describe it.
struct Pattern {
    std::string_view text;
    int wholePlaces = 0;  // '0' and '#' before the point
    int wholeMin = 0;     // places from the first '0' before the point
    int fractionMin = 0;  // places after the point up to the last '0'
    int fractionMax = 0;
    bool thousands = false;
    bool scientific = false;
    int exponentDigits = 0;
};

std::vector<std::string_view> sections(std::string_view format) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char ch = format[i];
        if (quote != 0) {
            if (ch == quote) quote = 0;
        } else if (ch == '"' || ch == '\'') {
            quote = ch;
        } else if (ch == ';' && out.size() < 2) {
            out.push_back(format.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(format.substr(start));
    return out;
}

Pattern pattern(std::string_view text) {
    Pattern p;
    p.text = text;
    bool afterPoint = false;
    char quote = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        if (quote != 0) {
            if (ch == quote) quote = 0;
            continue;
        }
        if (p.scientific) break;
        switch (ch) {
            case '"':
            case '\'': quote = ch; break;
            case '0':
            case '#':
                if (afterPoint) {
                    ++p.fractionMax;
                    if (ch == '0') p.fractionMin = p.fractionMax;
                } else {
                    ++p.wholePlaces;
                    if (ch == '0' && p.wholeMin == 0)
                        p.wholeMin = 1;
                    else if (p.wholeMin > 0)
                        ++p.wholeMin;
                }
                break;
            case '.': afterPoint = true; break;
            case ',': p.thousands = true; break;
            case 'E':
            case 'e':
                if (i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
                    p.scientific = true;
                    for (std::size_t j = i + 2; j < text.size() && text[j] == '0'; ++j)
                        p.exponentDigits = std::min(p.exponentDigits + 1, 4);
                }
                break;
            default: break;
        }
    }
    return p;
}

// Writes the section with the number's parts put in at the placeholders.
std::string fill(const Pattern& p, const std::string& whole, const std::string& fraction,
                 const std::string& exponent, bool minus, char separator) {
    std::string out = minus ? "-" : "";
    bool wholeDone = false, pointDone = false;
    const std::string_view t = p.text;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char ch = t[i];
        if (ch == '"' || ch == '\'') {
            std::size_t end = t.find(ch, i + 1);
            if (end == std::string_view::npos) end = t.size();
            out.append(t.substr(i + 1, end - i - 1));
            i = end;
        } else if (ch == '0' || ch == '#' || ch == ',') {
            if (!pointDone && !wholeDone && ch != ',') {
                out += whole;
                wholeDone = true;
            }
        } else if (ch == '.') {
            if (pointDone) continue;
            if (!wholeDone) out += whole;
            wholeDone = pointDone = true;
            if (!fraction.empty()) out += separator + fraction;
        } else if ((ch == 'E' || ch == 'e') && p.scientific && i + 1 < t.size() &&
                   (t[i + 1] == '+' || t[i + 1] == '-')) {
            if (!wholeDone) out += whole;
            wholeDone = pointDone = true;
            out += ch;
            out += t[i + 1] == '+' || exponent[0] == '-' ? exponent : exponent.substr(1);
            i += 1;
            while (i + 1 < t.size() && t[i + 1] == '0') ++i;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string padWhole(std::string whole, int places) {
    if (whole.size() < static_cast<std::size_t>(places))
        whole.insert(0, static_cast<std::size_t>(places) - whole.size(), '0');
    return whole;
}

std::string trimmedFraction(std::string fraction, const Pattern& p) {
    fraction.resize(std::min(fraction.size(), static_cast<std::size_t>(p.fractionMax)));
    while (fraction.size() > static_cast<std::size_t>(p.fractionMin) && fraction.back() == '0')
        fraction.pop_back();
    if (fraction.size() < static_cast<std::size_t>(p.fractionMin))
        fraction.resize(static_cast<std::size_t>(p.fractionMin), '0');
    return fraction;
}

std::string formatFloat(std::string_view format, double value, NumberSeparators separators) {
    const char separator = separators.decimal;
    const std::vector<std::string_view> parts = sections(format);
    std::string_view section = parts[0];
    bool minus = value < 0;
    if (minus && parts.size() > 1 && !parts[1].empty()) {
        section = parts[1];
        minus = false;
    }
    Pattern p = pattern(section);
    const DecimalDigits d = decimalDigits(value);
    DecimalDigits r = p.scientific ? d : roundedDigits(d, p.fractionMax);
    if (r.digits.empty() && parts.size() > 2 && !parts[2].empty()) {
        p = pattern(parts[2]);
        minus = false;
    }
    if (r.digits.empty()) minus = false;
    if (p.text.empty() || (!p.scientific && std::fabs(value) >= 1e18))
        return floatToStrF(value, kGeneral, 15, 0, separators);
    if (p.scientific) {
        const int wholePlaces = std::max(p.wholePlaces, 1);
        r = roundedDigits(d, wholePlaces + p.fractionMax - d.exponent);
        const int exponent = r.digits.empty() ? 0 : r.exponent - wholePlaces;
        r.exponent = r.digits.empty() ? 0 : wholePlaces;
        const std::string exponentPart = exponentText(exponent, p.exponentDigits, true);
        return fill(p, padWhole(wholeDigits(r), p.wholeMin), trimmedFraction(fractionDigits(r), p),
                    exponentPart, minus, separator);
    }
    std::string whole = padWhole(wholeDigits(r), p.wholeMin);
    if (p.thousands) whole = grouped(whole, separators.thousands);
    return fill(p, whole, trimmedFraction(fractionDigits(r), p), "", minus, separator);
}

Value floatToStrFValue(Args a, CallContext&, const RuntimeServices& s) {
    const std::int64_t format = a[1].toInteger();
    if (format < kGeneral || format > kNumber)
        throw RuntimeError("FloatToStrF: currency format is not offered", "EConvertError");
    return Value(floatToStrF(a[0].toDouble(), static_cast<int>(format),
                             static_cast<int>(std::clamp<std::int64_t>(a[2].toInteger(), 0, 99)),
                             static_cast<int>(std::clamp<std::int64_t>(a[3].toInteger(), 0, 99)),
                             numberSeparators(s)));
}

Value formatFloatValue(Args a, CallContext& c, const RuntimeServices& s) {
    std::string h;
    const std::string_view format = stringArg(a[0], h);
    std::string text = formatFloat(format, a[1].toDouble(), numberSeparators(s));
    c.checkLength(text.size());
    return Value(std::move(text));
}

Value strToFloatDef(Args a, CallContext&, const RuntimeServices& s) {
    if (!a[0].isString() && !a[0].isEmpty()) return a[1];
    std::string h;
    const std::optional<double> d = parseFloat(stringArg(a[0], h), decimalSeparator(s));
    return d ? Value(*d) : Value(a[1].toDouble());
}

Value tryStrToInt(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    if (!a[0].isString() && !a[0].isEmpty()) return Value(false);
    const std::optional<std::int32_t> v = parseDelphiInteger(stringArg(a[0], h));
    if (v) a[1] = Value(std::int64_t{*v});
    return Value(v.has_value());
}

Value tryStrToFloat(Args a, CallContext&, const RuntimeServices& s) {
    std::string h;
    if (!a[0].isString() && !a[0].isEmpty()) return Value(false);
    const std::optional<double> d = parseFloat(stringArg(a[0], h), decimalSeparator(s));
    if (d) a[1] = Value(*d);
    return Value(d.has_value());
}

bool truth(const Value& v) {
    if (v.kind() == Kind::Boolean) return v.boolean();
    return v.toInteger() != 0;
}

Value boolToStr(Args a, CallContext&, const RuntimeServices&) {
    const bool b = truth(a[0]);
    if (a.size() > 1 && truth(a[1])) return Value(b ? "True" : "False");
    return Value(b ? "-1" : "0");
}

std::optional<bool> parseBool(std::string_view text, char separator) {
    if (equalsIgnoreCase1251(text, "True")) return true;
    if (equalsIgnoreCase1251(text, "False")) return false;
    if (const std::optional<double> d = parseFloat(text, separator)) return *d != 0.0;
    return std::nullopt;
}

Value strToBool(Args a, CallContext& c, const RuntimeServices& s) {
    std::string h;
    const std::string_view text = stringArg(a[0], h);
    const std::optional<bool> b = parseBool(text, decimalSeparator(s));
    if (!b)
        c.fail("'" + std::string(text.substr(0, 200)) + "' is not a valid boolean value",
               "EConvertError");
    return Value(*b);
}

Value strToBoolDef(Args a, CallContext&, const RuntimeServices& s) {
    std::string h;
    if (!a[0].isString() && !a[0].isEmpty()) return Value(truth(a[1]));
    const std::optional<bool> b = parseBool(stringArg(a[0], h), decimalSeparator(s));
    return Value(b ? *b : truth(a[1]));
}

// A sign, then decimal digits or "$" and hexadecimal digits, within 64 bits.
std::optional<std::int64_t> wholeNumber(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    int base = 10;
    if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    std::uint64_t magnitude = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    if (base == 16 && !negative) return static_cast<std::int64_t>(magnitude);
    if (magnitude > (negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1))
        return std::nullopt;
    return negative ? static_cast<std::int64_t>(0 - magnitude)
                    : static_cast<std::int64_t>(magnitude);
}

// Val(S, V, Code): leading blanks, a sign, decimal digits (or $ and hex digits), and for a
// floating variable a fraction and an exponent. Code is 0, or the place of the first
// character that does not belong.
Value val(Args a, CallContext&, const RuntimeServices&) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    const bool wantsFloat = a[1].kind() == Kind::Double;
    const bool mayFloat = wantsFloat || a[1].isEmpty();
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    const std::size_t start = i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const auto digitsFrom = [&](std::size_t at, bool hex) {
        while (at < s.size() && (std::isdigit(static_cast<unsigned char>(s[at])) ||
                                 (hex && std::isxdigit(static_cast<unsigned char>(s[at])))))
            ++at;
        return at;
    };
    bool isFloat = false;
    std::size_t end;
    if (i < s.size() && s[i] == '$' && !wantsFloat) {
        end = digitsFrom(i + 1, true);
        if (end == i + 1) end = i;
    } else {
        end = digitsFrom(i, false);
        const bool whole = end > i;
        if (mayFloat && end < s.size() && s[end] == '.') {
            const std::size_t after = digitsFrom(end + 1, false);
            if (whole || after > end + 1) {
                end = after;
                isFloat = true;
            }
        }
        if (mayFloat && (whole || isFloat) && end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
            std::size_t e = end + 1;
            if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
            const std::size_t after = digitsFrom(e, false);
            if (after > e) {
                end = after;
                isFloat = true;
            }
        }
        if (!whole && !isFloat) end = i;
    }
    const std::string_view number = s.substr(start, end - start);
    std::int64_t code = end == s.size() && !number.empty() ? 0 : static_cast<std::int64_t>(end + 1);
    Value result(std::int64_t{0});
    if (code == 0) {
        if (isFloat || wantsFloat) {
            const std::optional<double> d = parseFloat(number, '.');
            if (d)
                result = Value(*d);
            else
                code = static_cast<std::int64_t>(start + 1);
        } else if (const std::optional<std::int64_t> n = wholeNumber(number)) {
            result = Value(*n);
        } else {
            code = static_cast<std::int64_t>(s.size());  // out of range: the last digit
        }
    }
    a[1] = code == 0 ? result : (wantsFloat ? Value(0.0) : Value(std::int64_t{0}));
    a[2] = Value(code);
    return Value();
}

// Str(X, S): an integer in decimal; a floating value as Delphi's Str writes a Double without
// a width, in 23 characters of scientific notation.
Value str(Args a, CallContext&, const RuntimeServices&) {
    if (a[0].isInteger()) {
        a[1] = Value(decimal(a[0].integer()));
        return Value();
    }
    std::string text = floatToStrF(a[0].toDouble(), kExponent, 15, 4, {});
    if (text.size() < 23) text.insert(0, 23 - text.size(), ' ');
    a[1] = Value(std::move(text));
    return Value();
}

// Both IfThen of Delphi: StrUtils' over texts and Math's over numbers; the value for True
// decides which, and a missing value for False is '' or 0 after it.
Value ifThen(Args a, CallContext&, const RuntimeServices&) {
    const bool condition = truth(a[0]);
    if (a.size() > 2) return condition ? a[1] : a[2];
    if (condition) return a[1];
    if (a[1].isString()) return Value(std::string());
    if (a[1].kind() == Kind::Double) return Value(0.0);
    return Value(std::int64_t{0});
}

constexpr Row kRows[] = {
    {"FloatToStrF", 4, 4, 0, floatToStrFValue},
    {"FormatFloat", 2, 2, 0, formatFloatValue},
    {"StrToFloatDef", 2, 2, 0, strToFloatDef},
    {"TryStrToInt", 2, 2, 1u << 1, tryStrToInt},
    {"TryStrToFloat", 2, 2, 1u << 1, tryStrToFloat},
    {"BoolToStr", 1, 2, 0, boolToStr},
    {"StrToBool", 1, 1, 0, strToBool},
    {"StrToBoolDef", 2, 2, 0, strToBoolDef},
    {"Val", 3, 3, (1u << 1) | (1u << 2), val},
    {"Str", 2, 2, 1u << 1, str},
    {"IfThen", 2, 3, 0, ifThen},
};

}  // namespace

void addConvertFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
    environment.addConstant("ffGeneral", Value(std::int64_t{kGeneral}));
    environment.addConstant("ffExponent", Value(std::int64_t{kExponent}));
    environment.addConstant("ffFixed", Value(std::int64_t{kFixed}));
    environment.addConstant("ffNumber", Value(std::int64_t{kNumber}));
    environment.addConstant("ffCurrency", Value(std::int64_t{kNumber + 1}));
}

}  // namespace qbx::scripting::pascal::library
