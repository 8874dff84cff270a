// The interpreter's own small runtime library, one table row per function. Behaviour follows
// Delphi's System and SysUtils routines of the same names, with every out-of-range case an
// error instead of undefined memory access.
#include <cmath>
#include <string>
#include <vector>

#include "base/float_text.h"
#include "base/text.h"
#include "scripting/pascal/pascal.h"

namespace qbx::scripting::pascal {

namespace {

using Args = std::span<Value>;

std::string_view stringArg(const Value& v, std::string& holder) {
    if (v.isString()) return v.string();
    holder = v.toStringArg();  // Empty gives ''; anything else throws
    return holder;
}

// Delphi's Val for integers, within the 32-bit Integer range as StrToInt is.
bool parseDelphiInteger(std::string_view text, std::int64_t& out) {
    const std::optional<std::int32_t> value = qbx::parseDelphiInteger(text);
    if (value) out = *value;
    return value.has_value();
}

std::int64_t checkedToInt64(double d) {
    if (!(d > -9.2233720368547758e18 && d < 9.2233720368547758e18))
        throw RuntimeError("Invalid floating point operation", "EInvalidOp");
    return static_cast<std::int64_t>(d);
}

// Halves go to the even neighbour, independent of the FPU's rounding mode.
double roundHalfEven(double x) {
    const double floor = std::floor(x);
    const double diff = x - floor;
    if (diff > 0.5) return floor + 1;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

std::string asciiCase(std::string_view text, bool upper) {
    std::string out(text);
    for (char& c : out) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

Value length(Args a, CallContext&) {
    std::string h;
    return Value(static_cast<std::int64_t>(stringArg(a[0], h).size()));
}

// Copy of a dynamic array: the elements from a 0-based index, as a new array.
Value copyArray(Args a, CallContext& c) {
    const ArrayBox& from = *a[0].arrayBox();
    const auto size = static_cast<std::int64_t>(from.items.size());
    std::int64_t index = a.size() > 1 ? a[1].toInteger() : 0;
    std::int64_t count = a.size() > 2 ? a[2].toInteger() : size;
    if (index < 0) index = 0;
    if (index > size) index = size;
    if (count < 0) count = 0;
    if (count > size - index) count = size - index;
    c.checkLength(static_cast<std::size_t>(count) * sizeof(Value));
    ArrayBox* box = newArrayBox(static_cast<std::size_t>(count), 0, true, false, from.depth);
    for (std::int64_t i = 0; i < count; ++i) {
        Value& item = box->items[static_cast<std::size_t>(i)];
        item.setDeclared(from.items[static_cast<std::size_t>(index + i)].declared());
        item = from.items[static_cast<std::size_t>(index + i)];
    }
    return Value::array(box);
}

Value copy(Args a, CallContext& c) {
    if (a[0].isArray()) return copyArray(a, c);
    if (a.size() < 2) c.fail("Not enough actual parameters for 'Copy'");
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    std::int64_t index = a[1].toInteger();
    std::int64_t count = a.size() > 2 ? a[2].toInteger() : static_cast<std::int64_t>(s.size());
    if (index < 1) index = 1;
    const auto size = static_cast<std::int64_t>(s.size());
    if (index > size || count <= 0) return Value(std::string());
    if (count > size - index + 1) count = size - index + 1;
    return Value(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

Value pos(Args a, CallContext&) {
    std::string h1, h2;
    const std::string_view sub = stringArg(a[0], h1);
    const std::string_view s = stringArg(a[1], h2);
    if (sub.empty()) return Value(std::int64_t{0});
    const std::size_t at = s.find(sub);
    return Value(at == std::string_view::npos ? std::int64_t{0}
                                              : static_cast<std::int64_t>(at + 1));
}

Value intToStr(Args a, CallContext&) {
    if (a[0].kind() == Kind::UInt64) return Value(std::to_string(a[0].unsignedBits()));
    return Value(decimal(a[0].toInteger()));
}
// Integers are 64-bit: a negative one is read as the unsigned value of the same bits, as a
// UInt64 holding it would print.
Value uintToStr(Args a, CallContext&) {
    return Value(std::to_string(static_cast<std::uint64_t>(a[0].toInteger())));
}

Value strToInt(Args a, CallContext& c) {
    std::string h;
    const std::string_view s = stringArg(a[0], h);
    std::int64_t v = 0;
    if (!parseDelphiInteger(s, v))
        c.fail("'" + std::string(s.substr(0, 200)) + "' is not a valid integer value",
               "EConvertError");
    return Value(v);
}

Value strToIntDef(Args a, CallContext&) {
    std::string h;
    std::int64_t v = 0;
    if (!a[0].isString() && !a[0].isEmpty()) return Value(a[1].toInteger());
    if (!parseDelphiInteger(stringArg(a[0], h), v)) return Value(a[1].toInteger());
    return Value(v);
}

Value floatToStr(Args a, CallContext&) { return Value(floatToText(a[0].toDouble())); }

Value chr(Args a, CallContext&) {
    return Value(std::string(1, static_cast<char>(static_cast<std::uint8_t>(a[0].toInteger()))));
}

Value ord(Args a, CallContext& c) {
    const Value& v = a[0];
    if (v.isString() && v.string().size() == 1)
        return Value(std::int64_t{static_cast<unsigned char>(v.string()[0])});
    if (v.kind() == Kind::Boolean) return Value(std::int64_t{v.boolean() ? 1 : 0});
    if (v.isIntegral()) return v;
    c.fail("Ordinal type required, not '" + std::string(v.typeName()) + "'");
}

Value upCase(Args a, CallContext& c) {
    const Value& v = a[0];
    if (!v.isString() || v.string().size() != 1)
        c.fail("Incompatible types: 'Char' and '" + std::string(v.typeName()) + "'");
    return Value(asciiCase(v.string(), true));
}

Value upperCase(Args a, CallContext&) {
    std::string h;
    return Value(asciiCase(stringArg(a[0], h), true));
}
Value lowerCase(Args a, CallContext&) {
    std::string h;
    return Value(asciiCase(stringArg(a[0], h), false));
}
Value ansiUpperCase(Args a, CallContext&) {
    std::string h;
    return Value(toUpper1251(stringArg(a[0], h)));
}
Value ansiLowerCase(Args a, CallContext&) {
    std::string h;
    return Value(toLower1251(stringArg(a[0], h)));
}
Value trim(Args a, CallContext&) {
    std::string h;
    return Value(trimBlankOrControl(stringArg(a[0], h)));
}

Value step(Args a, std::int64_t sign) {
    const std::int64_t by = a.size() > 1 ? a[1].toInteger() : 1;
    const std::int64_t v = a[0].toInteger();
    a[0] = Value(static_cast<std::int64_t>(static_cast<std::uint64_t>(v) +
                                           static_cast<std::uint64_t>(sign) *
                                               static_cast<std::uint64_t>(by)));
    return Value();
}
Value inc(Args a, CallContext&) { return step(a, 1); }
Value dec(Args a, CallContext&) { return step(a, -1); }

Value abs(Args a, CallContext&) {
    if (a[0].kind() == Kind::Integer) {
        const std::int64_t v = a[0].integer();
        return Value(v < 0 ? static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(v)) : v);
    }
    return Value(std::fabs(a[0].toDouble()));
}

Value round(Args a, CallContext&) {
    if (a[0].kind() == Kind::Integer) return a[0];
    return Value(checkedToInt64(roundHalfEven(a[0].toDouble())));
}

Value trunc(Args a, CallContext&) {
    if (a[0].kind() == Kind::Integer) return a[0];
    return Value(checkedToInt64(std::trunc(a[0].toDouble())));
}

Value sqrt(Args a, CallContext& c) {
    const double x = a[0].toDouble();
    if (x < 0) c.fail("Invalid floating point operation", "EInvalidOp");
    return Value(std::sqrt(x));
}

// Math's routines over an open array: Sum([1, 2.5]), MaxIntValue(A).
const std::vector<Value>& listArg(const Value& v, CallContext& c) {
    if (!v.isArray()) c.fail("Incompatible types: 'Array' and '" + std::string(v.typeName()) + "'");
    return v.arrayBox()->items;
}

Value checkedFloat(double d) {
    if (!std::isfinite(d)) throw RuntimeError("Floating point overflow", "EOverflow");
    return Value(d);
}

Value extremeInt(Args a, CallContext& c, bool wantMax) {
    const auto& items = listArg(a[0], c);
    if (items.empty()) c.fail("Range check error", "ERangeError");
    std::int64_t best = items[0].toInteger();
    for (const Value& v : items) {
        const std::int64_t x = v.toInteger();
        if (wantMax ? x > best : x < best) best = x;
    }
    return Value(best);
}
Value maxIntValue(Args a, CallContext& c) { return extremeInt(a, c, true); }
Value minIntValue(Args a, CallContext& c) { return extremeInt(a, c, false); }

Value extremeFloat(Args a, CallContext& c, bool wantMax) {
    const auto& items = listArg(a[0], c);
    if (items.empty()) c.fail("Range check error", "ERangeError");
    double best = items[0].toDouble();
    for (const Value& v : items) {
        const double x = v.toDouble();
        if (wantMax ? x > best : x < best) best = x;
    }
    return Value(best);
}
Value maxValue(Args a, CallContext& c) { return extremeFloat(a, c, true); }
Value minValue(Args a, CallContext& c) { return extremeFloat(a, c, false); }

Value sumFloat(Args a, CallContext& c) {
    double total = 0;
    for (const Value& v : listArg(a[0], c)) total += v.toDouble();
    return checkedFloat(total);
}

Value sumInt(Args a, CallContext& c) {
    std::uint64_t total = 0;
    for (const Value& v : listArg(a[0], c)) total += static_cast<std::uint64_t>(v.toInteger());
    return Value(static_cast<std::int64_t>(total));
}

Value mean(Args a, CallContext& c) {
    const auto& items = listArg(a[0], c);
    if (items.empty()) c.fail("Invalid floating point operation", "EInvalidOp");
    double total = 0;
    for (const Value& v : items) total += v.toDouble();
    return checkedFloat(total / static_cast<double>(items.size()));
}

struct Builtin {
    std::string_view name;
    int minArgs;
    int maxArgs;
    std::uint32_t varParams;
    Value (*function)(Args, CallContext&);
};

constexpr Builtin kBuiltins[] = {
    {"Length", 1, 1, 0, length},
    {"Copy", 1, 3, 0, copy},
    {"Pos", 2, 2, 0, pos},
    {"IntToStr", 1, 1, 0, intToStr},
    {"UIntToStr", 1, 1, 0, uintToStr},
    {"StrToInt", 1, 1, 0, strToInt},
    {"StrToIntDef", 2, 2, 0, strToIntDef},
    {"FloatToStr", 1, 1, 0, floatToStr},
    {"Chr", 1, 1, 0, chr},
    {"Ord", 1, 1, 0, ord},
    {"UpperCase", 1, 1, 0, upperCase},
    {"UpCase", 1, 1, 0, upCase},
    {"LowerCase", 1, 1, 0, lowerCase},
    {"AnsiUpperCase", 1, 1, 0, ansiUpperCase},
    {"AnsiLowerCase", 1, 1, 0, ansiLowerCase},
    {"Trim", 1, 1, 0, trim},
    {"Inc", 1, 2, 1, inc},
    {"Dec", 1, 2, 1, dec},
    {"Abs", 1, 1, 0, abs},
    {"Round", 1, 1, 0, round},
    {"Trunc", 1, 1, 0, trunc},
    {"Sqrt", 1, 1, 0, sqrt},
    {"MaxIntValue", 1, 1, 0, maxIntValue},
    {"MinIntValue", 1, 1, 0, minIntValue},
    {"MaxValue", 1, 1, 0, maxValue},
    {"MinValue", 1, 1, 0, minValue},
    {"Sum", 1, 1, 0, sumFloat},
    {"SumInt", 1, 1, 0, sumInt},
    {"Mean", 1, 1, 0, mean},
};

}  // namespace

void addCalendarNames(Environment& environment, const DateTimeNames& names) {
    auto add = [&](std::string_view name, std::span<const std::string> texts) {
        std::vector<Value> values(texts.begin(), texts.end());
        environment.addConstantArray(name, 1, values);
    };
    add("ShortDayNames", names.shortDayNames);
    add("LongDayNames", names.longDayNames);
    add("ShortMonthNames", names.shortMonthNames);
    add("LongMonthNames", names.longMonthNames);
}

void addCoreLibrary(Environment& environment) {
    for (const auto& b : kBuiltins)
        environment.addFunction(b.name, b.minArgs, b.maxArgs, b.function, b.varParams);
    addCalendarNames(environment, englishDateTimeNames());
    // Integer's bounds under Delphi's names (High(Integer) is compiled in place).
    environment.addConstant("MaxInt", Value(std::int64_t{2147483647}));
    environment.addConstant("MaxLongint", Value(std::int64_t{2147483647}));
}

}  // namespace qbx::scripting::pascal
