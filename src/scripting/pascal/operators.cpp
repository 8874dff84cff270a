#include "scripting/pascal/operators.h"

#include <charconv>
#include <cmath>
#include <string>

#include "base/text.h"

namespace qbx::scripting::pascal {

namespace {

[[noreturn]] void incompatible(const Value& a, const Value& b) {
    throw RuntimeError("Incompatible types: '" + std::string(a.typeName()) + "' and '" +
                       std::string(b.typeName()) + "'");
}

Value checkedReal(double d) {
    if (!std::isfinite(d)) throw RuntimeError("Floating point overflow", "EOverflow");
    return Value(d);
}

std::int64_t wrapAdd(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}
std::int64_t wrapSub(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
std::int64_t wrapMul(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

[[noreturn]] void divisionByZero() { throw RuntimeError("Division by zero", "EDivByZero"); }

// A comparison of two integers of which either may be a UInt64: by their mathematical values.
int compareIntegral(const Value& a, const Value& b) {
    const bool ua = a.kind() == Kind::UInt64;
    const bool ub = b.kind() == Kind::UInt64;
    if (ua != ub) {
        const Value& signedOne = ua ? b : a;
        if (signedOne.integer() < 0) return ua ? 1 : -1;
    } else if (!ua) {
        return a.integer() < b.integer() ? -1 : (a.integer() > b.integer() ? 1 : 0);
    }
    return a.unsignedBits() < b.unsignedBits() ? -1 : (a.unsignedBits() > b.unsignedBits() ? 1 : 0);
}

// Arithmetic with a UInt64 operand is done on the unsigned bits and gives a UInt64, wrapping as
// Delphi's does without overflow checks.
Value unsignedOp(Op op, const Value& a, const Value& b) {
    const std::uint64_t x = a.unsignedBits();
    const std::uint64_t y = b.unsignedBits();
    switch (op) {
        case ADD: return Value::unsignedInteger(x + y);
        case SUB: return Value::unsignedInteger(x - y);
        case MUL: return Value::unsignedInteger(x * y);
        case FDIV:
            if (y == 0) divisionByZero();
            return checkedReal(a.toDouble() / b.toDouble());
        case IDIV:
            if (y == 0) divisionByZero();
            return Value::unsignedInteger(x / y);
        case MOD:
            if (y == 0) divisionByZero();
            return Value::unsignedInteger(x % y);
        case AND: return Value::unsignedInteger(x & y);
        case OR: return Value::unsignedInteger(x | y);
        case XOR: return Value::unsignedInteger(x ^ y);
        case SHL: return Value::unsignedInteger(x << (y & 63));
        case SHR: return Value::unsignedInteger(x >> (y & 63));
        default: break;
    }
    incompatible(a, b);
}

// A variant's string read as a number; longer texts than any number are refused unread.
double variantNumber(const Value& v, const char* target = "Double") {
    constexpr std::size_t kLongestNumber = 512;
    std::string_view text = v.string();
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    double d = 0.0;
    if (!text.empty() && text.size() <= kLongestNumber) {
        if (text.front() == '+' && text.size() > 1 && text[1] != '-') text.remove_prefix(1);
        const auto r = std::from_chars(text.data(), text.data() + text.size(), d);
        if (r.ec == std::errc() && r.ptr == text.data() + text.size() && std::isfinite(d)) return d;
    }
    throw RuntimeError(
        std::string("Could not convert variant of type (String) into type (") + target + ")",
        "EVariantTypeCastError");
}

// A Double where an integer is needed: rounded half to even, as Delphi's variant conversion does.
Value variantInteger(double d) {
    if (!(d >= -9223372036854775808.0 && d < 9223372036854775808.0))
        throw RuntimeError("Invalid variant operation", "EVariantOverflowError");
    return Value(static_cast<std::int64_t>(std::nearbyint(d)));
}

// Empty beside a number reads as 0, beside a string as ''.
Value fillEmpty(const Value& v, const Value& other) {
    if (!v.isEmpty()) return v;
    if (other.isString()) return Value(std::string());
    return Value(std::int64_t{0});
}

Value setOp(Op op, const Value& a, const Value& b) {
    SetBox* r = newSetBox();
    const Value held = Value::set(r);
    r->chars = a.setBox()->chars || b.setBox()->chars;
    for (int i = 0; i < 4; ++i) {
        const std::uint64_t x = a.setBox()->bits[i];
        const std::uint64_t y = b.setBox()->bits[i];
        switch (op) {
            case ADD: r->bits[i] = x | y; break;
            case SUB: r->bits[i] = x & ~y; break;
            case MUL: r->bits[i] = x & y; break;
            default: incompatible(a, b);
        }
    }
    return held;
}

}  // namespace

void prepareVariantOperands(Op op, Value& a, Value& b) {
    const bool comparison = op >= EQ && op <= GE;
    const Kind ka = a.kind();
    const Kind kb = b.kind();
    if (ka == kb && (ka == Kind::String || ka == Kind::Boolean)) {
        if (ka == Kind::Boolean || comparison || op == ADD) return;
    }
    // Unassigned reads as 0 beside a number and as '' beside text, as the operator itself does.
    if (ka == Kind::Null || kb == Kind::Null || ka == Kind::Empty || kb == Kind::Empty ||
        ka >= Kind::Array || kb >= Kind::Array)
        return;
    // Text beside a Boolean reads as a Boolean: 'True', 'False' or a number.
    if ((ka == Kind::Boolean && kb == Kind::String) ||
        (ka == Kind::String && kb == Kind::Boolean)) {
        Value& text = ka == Kind::String ? a : b;
        text = variantAs(DeclaredType::Boolean, text);
        return;
    }
    auto numeric = [](Value& v) {
        if (v.isString())
            v = Value(variantNumber(v));
        else if (v.kind() == Kind::Boolean)
            v = Value(std::int64_t{v.boolean() ? -1 : 0});
    };
    if (ka == Kind::Boolean && kb == Kind::Boolean) return;
    numeric(a);
    numeric(b);
    const bool integral =
        op == IDIV || op == MOD || op == AND || op == OR || op == XOR || op == SHL || op == SHR;
    if (integral) {
        if (a.kind() == Kind::Double || a.kind() == Kind::Date) a = variantInteger(a.real());
        if (b.kind() == Kind::Double || b.kind() == Kind::Date) b = variantInteger(b.real());
    }
}

Value variantAs(DeclaredType target, const Value& v) {
    const auto cannot = [&](const char* to) -> Value {
        throw RuntimeError("Could not convert variant of type (" + std::string(v.typeName()) +
                               ") into type (" + to + ")",
                           "EVariantTypeCastError");
    };
    switch (target) {
        case DeclaredType::Integer:
        case DeclaredType::Cardinal:
        case DeclaredType::Int64:
        case DeclaredType::Byte:
        case DeclaredType::Word:
        case DeclaredType::UInt64:
            if (v.isNull()) return cannot("Integer");
            if (v.isString()) return variantInteger(variantNumber(v, "Integer"));
            if (v.kind() == Kind::Double || v.kind() == Kind::Date) return variantInteger(v.real());
            if (v.kind() == Kind::Boolean) return Value(std::int64_t{v.boolean() ? -1 : 0});
            return v;
        case DeclaredType::Double:
            if (v.isNull()) return cannot("Double");
            if (v.isString()) return Value(variantNumber(v));
            if (v.kind() == Kind::Date) return Value(v.real());
            if (v.kind() == Kind::Boolean) return Value(v.boolean() ? -1.0 : 0.0);
            return v;
        case DeclaredType::String:
            if (v.isNull()) return cannot("String");
            if (v.isNumber() || v.kind() == Kind::Boolean) return Value(toText(v));
            return v;
        case DeclaredType::Boolean:
            if (v.isNull()) return cannot("Boolean");
            if (v.isNumber()) return Value(v.toDouble() != 0.0);
            if (v.isString()) {
                if (equalsIgnoreCase1251(v.string(), "true")) return Value(true);
                if (equalsIgnoreCase1251(v.string(), "false")) return Value(false);
                return Value(variantNumber(v) != 0.0);
            }
            return v;
        default: return v;
    }
}

bool setRelation(Op op, const Value& a, const Value& b) {
    if (!a.isSet() || !b.isSet()) incompatible(a, b);
    const SetBox& x = *a.setBox();
    const SetBox& y = *b.setBox();
    bool subset = true;    // a <= b
    bool superset = true;  // a >= b
    for (int i = 0; i < 4; ++i) {
        if (x.bits[i] & ~y.bits[i]) subset = false;
        if (y.bits[i] & ~x.bits[i]) superset = false;
    }
    switch (op) {
        case LE: return subset;
        case GE: return superset;
        default: incompatible(a, b);
    }
}

void StringBudget::check(std::size_t newLength) const {
    if (newLength > limits->maxStringLength)
        throw RuntimeError("Script stopped: string length limit", "Exception", true);
    if (liveStringBytes() + static_cast<std::int64_t>(newLength) - baseline >
        static_cast<std::int64_t>(limits->maxStringMemory))
        throw RuntimeError("Script stopped: memory limit", "Exception", true);
}

void StringBudget::checkMemory(std::size_t bytes) const {
    if (liveStringBytes() + static_cast<std::int64_t>(bytes) - baseline >
        static_cast<std::int64_t>(limits->maxStringMemory))
        throw RuntimeError("Script stopped: memory limit", "Exception", true);
}

Value binaryOp(Op op, const Value& a0, const Value& b0, const StringBudget& budget) {
    if (a0.isSet() && b0.isSet()) return setOp(op, a0, b0);
    if (a0.kind() >= Kind::Array || b0.kind() >= Kind::Array) incompatible(a0, b0);
    if (a0.isNull() || b0.isNull()) {
        if (a0.kind() == Kind::Boolean || b0.kind() == Kind::Boolean) incompatible(a0, b0);
        return Value::null();
    }
    const Value a = fillEmpty(a0, b0);
    const Value b = fillEmpty(b0, a);
    const Kind ka = a.kind();
    const Kind kb = b.kind();
    if (ka == Kind::Integer && kb == Kind::Integer) {
        const std::int64_t x = a.integer();
        const std::int64_t y = b.integer();
        switch (op) {
            case ADD: return Value(wrapAdd(x, y));
            case SUB: return Value(wrapSub(x, y));
            case MUL: return Value(wrapMul(x, y));
            case FDIV:
                if (y == 0) divisionByZero();
                return checkedReal(static_cast<double>(x) / static_cast<double>(y));
            case IDIV:
                if (y == 0) divisionByZero();
                if (y == -1) return Value(wrapSub(0, x));
                return Value(x / y);
            case MOD:
                if (y == 0) divisionByZero();
                if (y == -1) return Value(std::int64_t{0});
                return Value(x % y);
            case AND: return Value(x & y);
            case OR: return Value(x | y);
            case XOR: return Value(x ^ y);
            case SHL:
                return Value(static_cast<std::int64_t>(static_cast<std::uint64_t>(x) << (y & 63)));
            case SHR:
                return Value(static_cast<std::int64_t>(static_cast<std::uint64_t>(x) >> (y & 63)));
            default: break;
        }
        incompatible(a, b);
    }
    if (a.isIntegral() && b.isIntegral()) return unsignedOp(op, a, b);
    if (a.isNumber() && b.isNumber()) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        // A date moved by a number stays a date; two dates apart are a number of days.
        const bool date = (ka == Kind::Date) != (kb == Kind::Date);
        switch (op) {
            case ADD: return date ? Value::date(checkedReal(x + y).real()) : checkedReal(x + y);
            case SUB: return date ? Value::date(checkedReal(x - y).real()) : checkedReal(x - y);
            case MUL: return checkedReal(x * y);
            case FDIV:
                if (y == 0.0) divisionByZero();
                return checkedReal(x / y);
            default: break;
        }
        incompatible(a, b);
    }
    if (ka == Kind::String && kb == Kind::String && op == ADD) {
        const std::size_t length = a.string().size() + b.string().size();
        budget.check(length);
        std::string joined;
        joined.reserve(length);
        joined.append(a.string());
        joined.append(b.string());
        return Value(std::move(joined));
    }
    if (ka == Kind::Boolean && kb == Kind::Boolean) {
        switch (op) {
            case AND: return Value(a.boolean() && b.boolean());
            case OR: return Value(a.boolean() || b.boolean());
            case XOR: return Value(a.boolean() != b.boolean());
            default: break;
        }
    }
    incompatible(a, b);
}

bool valuesEqual(const Value& a0, const Value& b0) {
    if (a0.kind() >= Kind::Array || b0.kind() >= Kind::Array) {
        if (a0.kind() != b0.kind()) incompatible(a0, b0);
        return sameComposite(a0, b0);
    }
    if (a0.isNull() || b0.isNull()) return a0.isNull() && b0.isNull();
    if (a0.isEmpty() && b0.isEmpty()) return true;
    const Value a = fillEmpty(a0, b0);
    const Value b = fillEmpty(b0, a);
    if (a.kind() == Kind::Integer && b.kind() == Kind::Integer) return a.integer() == b.integer();
    if (a.isIntegral() && b.isIntegral()) return compareIntegral(a, b) == 0;
    if (a.isNumber() && b.isNumber()) return a.toDouble() == b.toDouble();
    if (a.isString() && b.isString()) return a.string() == b.string();
    if (a.kind() == Kind::Boolean && b.kind() == Kind::Boolean) return a.boolean() == b.boolean();
    incompatible(a, b);
}

int compareValues(const Value& a0, const Value& b0) {
    if (a0.kind() >= Kind::Array || b0.kind() >= Kind::Array) incompatible(a0, b0);
    if (a0.isNull() || b0.isNull())
        throw RuntimeError("Invalid variant operation", "EVariantError");
    if (a0.isEmpty() && b0.isEmpty()) return 0;
    const Value a = fillEmpty(a0, b0);
    const Value b = fillEmpty(b0, a);
    if (a.kind() == Kind::Integer && b.kind() == Kind::Integer)
        return a.integer() < b.integer() ? -1 : (a.integer() > b.integer() ? 1 : 0);
    if (a.isIntegral() && b.isIntegral()) return compareIntegral(a, b);
    if (a.isNumber() && b.isNumber()) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (a.isString() && b.isString()) {
        const int c = a.string().compare(b.string());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (a.kind() == Kind::Boolean && b.kind() == Kind::Boolean)
        return static_cast<int>(a.boolean()) - static_cast<int>(b.boolean());
    incompatible(a, b);
}

Value negateValue(const Value& v) {
    switch (v.kind()) {
        case Kind::Integer: return Value(wrapSub(0, v.integer()));
        case Kind::Double:
        case Kind::Date: return Value(-v.real());
        case Kind::UInt64: return Value::unsignedInteger(0 - v.unsignedBits());
        case Kind::Empty: return Value(std::int64_t{0});
        case Kind::Null: return v;
        default: break;
    }
    throw RuntimeError("Incompatible types: '" + std::string(v.typeName()) + "' cannot be negated");
}

Value notValue(const Value& v) {
    switch (v.kind()) {
        case Kind::Boolean: return Value(!v.boolean());
        case Kind::Integer: return Value(~v.integer());
        case Kind::UInt64: return Value::unsignedInteger(~v.unsignedBits());
        case Kind::Null: return v;
        default: break;
    }
    throw RuntimeError("Incompatible types: 'not' applied to '" + std::string(v.typeName()) + "'");
}

bool conditionValue(const Value& v) {
    if (v.kind() == Kind::Boolean) return v.boolean();
    throw RuntimeError("Incompatible types: 'Boolean' and '" + std::string(v.typeName()) + "'");
}

}  // namespace qbx::scripting::pascal
