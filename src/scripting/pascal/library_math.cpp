// Arithmetic routines of System and Math. Results that would be infinite or undefined become
// the script exceptions Delphi raises for them; none reaches a value.
#include <algorithm>
#include <cmath>
#include <random>

#include "base/random_source.h"
#include "base/text.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

// Draws come from the process's one generator, so scripts and macros share one sequence.
Value random(Args a, CallContext&, const RuntimeServices&) {
    if (a.empty()) return Value(std::uniform_real_distribution<double>(0.0, 1.0)(processRandom()));
    const std::int64_t range = a[0].toInteger();
    if (range <= 1) return Value(std::int64_t{0});
    return Value(std::uniform_int_distribution<std::int64_t>(0, range - 1)(processRandom()));
}

// The generator is seeded from the system once per process; seeding it again from the clock
// would only make draws of scripts started in the same tick repeat each other.
Value randomize(Args, CallContext&, const RuntimeServices&) { return Value(); }

Value intPart(Args a, CallContext&, const RuntimeServices&) {
    return Value(std::trunc(a[0].toDouble()));
}

Value fracPart(Args a, CallContext&, const RuntimeServices&) {
    const double x = a[0].toDouble();
    return Value(x - std::trunc(x));
}

Value power(Args a, CallContext&, const RuntimeServices&) {
    const double base = a[0].toDouble();
    const double exponent = a[1].toDouble();
    if (exponent == 0.0) return Value(1.0);
    if (base == 0.0 && exponent < 0.0) throw RuntimeError("Division by zero", "EZeroDivide");
    return realResult(std::pow(base, exponent));
}

Value sqr(Args a, CallContext&, const RuntimeServices&) {
    if (a[0].isInteger()) {
        const auto u = static_cast<std::uint64_t>(a[0].integer());
        return Value(static_cast<std::int64_t>(u * u));
    }
    const double x = a[0].toDouble();
    return realResult(x * x);
}

Value exponential(Args a, CallContext&, const RuntimeServices&) {
    return realResult(std::exp(a[0].toDouble()));
}

Value ln(Args a, CallContext&, const RuntimeServices&) {
    const double x = a[0].toDouble();
    if (!(x > 0.0)) throw RuntimeError("Invalid floating point operation", "EInvalidOp");
    return Value(std::log(x));
}

Value extreme(Args a, bool wantMax) {
    if (a[0].isInteger() && a[1].isInteger()) {
        const std::int64_t x = a[0].integer(), y = a[1].integer();
        return Value(wantMax ? (x > y ? x : y) : (x < y ? x : y));
    }
    const double x = a[0].toDouble(), y = a[1].toDouble();
    return Value(wantMax ? (x > y ? x : y) : (x < y ? x : y));
}

Value maxOf(Args a, CallContext&, const RuntimeServices&) { return extreme(a, true); }
Value minOf(Args a, CallContext&, const RuntimeServices&) { return extreme(a, false); }

Value odd(Args a, CallContext&, const RuntimeServices&) {
    return Value((a[0].toInteger() & 1) != 0);
}

Value invalidOp() { throw RuntimeError("Invalid floating point operation", "EInvalidOp"); }

// Floor and Ceil give integers, as Delphi's do; beyond 64 bits that is an error.
Value wholeResult(double d) {
    if (!(d > -9.2233720368547758e18 && d < 9.2233720368547758e18)) invalidOp();
    return Value(static_cast<std::int64_t>(d));
}

Value floorOf(Args a, CallContext&, const RuntimeServices&) {
    if (a[0].isInteger()) return a[0];
    return wholeResult(std::floor(a[0].toDouble()));
}

Value ceilOf(Args a, CallContext&, const RuntimeServices&) {
    if (a[0].isInteger()) return a[0];
    return wholeResult(std::ceil(a[0].toDouble()));
}

Value intPower(Args a, CallContext&, const RuntimeServices&) {
    const double base = a[0].toDouble();
    const std::int64_t exponent = a[1].toInteger();
    if (base == 0.0 && exponent < 0) throw RuntimeError("Division by zero", "EZeroDivide");
    return realResult(std::pow(base, static_cast<double>(exponent)));
}

Value pi(Args, CallContext&, const RuntimeServices&) { return Value(3.14159265358979323846); }

// The logarithms and inverse functions outside their domains raise as Delphi's do.
template <double (*F)(double)>
Value positiveLog(Args a, CallContext&, const RuntimeServices&) {
    const double x = a[0].toDouble();
    if (!(x > 0.0)) invalidOp();
    return realResult(F(x));
}

Value logN(Args a, CallContext&, const RuntimeServices&) {
    const double base = a[0].toDouble(), x = a[1].toDouble();
    if (!(x > 0.0) || !(base > 0.0) || base == 1.0) invalidOp();
    return realResult(std::log(x) / std::log(base));
}

template <double (*F)(double)>
Value real1(Args a, CallContext&, const RuntimeServices&) {
    return realResult(F(a[0].toDouble()));
}

template <double (*F)(double)>
Value unitDomain(Args a, CallContext&, const RuntimeServices&) {
    const double x = a[0].toDouble();
    if (!(x >= -1.0 && x <= 1.0)) invalidOp();
    return realResult(F(x));
}

double sinOf(double x) { return std::sin(x); }
double cosOf(double x) { return std::cos(x); }
double tanOf(double x) { return std::tan(x); }
double arcTanOf(double x) { return std::atan(x); }
double arcSinOf(double x) { return std::asin(x); }
double arcCosOf(double x) { return std::acos(x); }
double log10Of(double x) { return std::log10(x); }
double log2Of(double x) { return std::log2(x); }

Value arcTan2(Args a, CallContext&, const RuntimeServices&) {
    return realResult(std::atan2(a[0].toDouble(), a[1].toDouble()));
}

Value hypot(Args a, CallContext&, const RuntimeServices&) {
    return realResult(std::hypot(a[0].toDouble(), a[1].toDouble()));
}

Value sign(Args a, CallContext&, const RuntimeServices&) {
    if (a[0].isInteger()) {
        const std::int64_t v = a[0].integer();
        return Value(std::int64_t{(v > 0) - (v < 0)});
    }
    const double d = a[0].toDouble();
    return Value(std::int64_t{(d > 0) - (d < 0)});
}

bool allIntegers(Args a) {
    for (const Value& v : a)
        if (!v.isInteger()) return false;
    return true;
}

Value inRange(Args a, CallContext&, const RuntimeServices&) {
    if (allIntegers(a))
        return Value(a[0].integer() >= a[1].integer() && a[0].integer() <= a[2].integer());
    const double v = a[0].toDouble();
    return Value(v >= a[1].toDouble() && v <= a[2].toDouble());
}

// EnsureRange(Value, Min, Max): Delphi checks the minimum first.
Value ensureRange(Args a, CallContext&, const RuntimeServices&) {
    if (allIntegers(a)) {
        const std::int64_t v = a[0].integer();
        if (v < a[1].integer()) return a[1];
        if (v > a[2].integer()) return a[2];
        return a[0];
    }
    const double v = a[0].toDouble();
    if (v < a[1].toDouble()) return Value(a[1].toDouble());
    if (v > a[2].toDouble()) return Value(a[2].toDouble());
    return Value(v);
}

// Delphi's default tolerance: a thousand times the resolution of a Double, relative to the
// smaller magnitude.
constexpr double kDoubleResolution = 1e-15 * 1000;

double tolerance(Args a, std::size_t at, double x, double y) {
    const double given = a.size() > at ? std::fabs(a[at].toDouble()) : 0.0;
    if (given != 0.0) return given;
    return std::max(std::min(std::fabs(x), std::fabs(y)) * kDoubleResolution, kDoubleResolution);
}

Value sameValue(Args a, CallContext&, const RuntimeServices&) {
    const double x = a[0].toDouble(), y = a[1].toDouble();
    return Value(std::fabs(x - y) <= tolerance(a, 2, x, y));
}

Value compareValue(Args a, CallContext&, const RuntimeServices&) {
    if (a.size() == 2 && allIntegers(a)) {
        const std::int64_t x = a[0].integer(), y = a[1].integer();
        return Value(std::int64_t{(x > y) - (x < y)});
    }
    const double x = a[0].toDouble(), y = a[1].toDouble();
    if (std::fabs(x - y) <= (a.size() > 2 ? std::fabs(a[2].toDouble()) : 0.0))
        return Value(std::int64_t{0});
    return Value(std::int64_t{(x > y) - (x < y)});
}

Value isZero(Args a, CallContext&, const RuntimeServices&) {
    const double given = a.size() > 1 ? std::fabs(a[1].toDouble()) : 0.0;
    return Value(std::fabs(a[0].toDouble()) <= (given != 0.0 ? given : kDoubleResolution));
}

// RoundTo rounds halves to even, SimpleRoundTo away from zero; both on the decimal digits, so
// that 1.235 rounds as written rather than as its binary neighbour 1.23499999....
Value roundTo(Args a, bool bankers) {
    const std::int64_t digit = a.size() > 1 ? a[1].toInteger() : -2;
    if (digit < -37 || digit > 37)
        throw RuntimeError("Digit " + decimal(digit) + " is outside -37..37", "EInvalidArgument");
    const double x = a[0].toDouble();
    const double rounded =
        toDouble(roundedDigits(decimalDigits(x), static_cast<int>(-digit), bankers));
    // Fifteen digits of the largest values round past the range; those have no digits to
    // round off at the places a digit within -37..37 names.
    return Value(std::isinf(rounded) ? x : rounded);
}

Value roundToValue(Args a, CallContext&, const RuntimeServices&) { return roundTo(a, true); }
Value simpleRoundTo(Args a, CallContext&, const RuntimeServices&) { return roundTo(a, false); }

Value divMod(Args a, CallContext&, const RuntimeServices&) {
    const std::int64_t dividend = a[0].toInteger(), divisor = a[1].toInteger();
    if (divisor == 0) throw RuntimeError("Division by zero", "EDivByZero");
    if (divisor == -1) {  // the lowest Int64 by -1 wraps, as div does
        a[2] = Value(static_cast<std::int64_t>(0 - static_cast<std::uint64_t>(dividend)));
        a[3] = Value(std::int64_t{0});
        return Value();
    }
    a[2] = Value(dividend / divisor);
    a[3] = Value(dividend % divisor);
    return Value();
}

// RandomRange(From, To): From <= result < To, whichever of the two is lower.
Value randomRange(Args a, CallContext&, const RuntimeServices&) {
    std::int64_t low = a[0].toInteger(), high = a[1].toInteger();
    if (low > high) std::swap(low, high);
    // The width unsigned: Low(Int64) to High(Int64) would overflow it.
    const std::uint64_t width = static_cast<std::uint64_t>(high) - static_cast<std::uint64_t>(low);
    if (width <= 1 || low < -(std::int64_t{1} << 62) || high > (std::int64_t{1} << 62))
        return Value(low);
    return Value(std::uniform_int_distribution<std::int64_t>(low, high - 1)(processRandom()));
}

constexpr Row kRows[] = {
    {"Random", 0, 1, 0, random},
    {"Randomize", 0, 0, 0, randomize},
    {"RandomRange", 2, 2, 0, randomRange},
    {"Int", 1, 1, 0, intPart},
    {"Frac", 1, 1, 0, fracPart},
    {"Power", 2, 2, 0, power},
    {"IntPower", 2, 2, 0, intPower},
    {"Sqr", 1, 1, 0, sqr},
    {"Exp", 1, 1, 0, exponential},
    {"Ln", 1, 1, 0, ln},
    {"Log10", 1, 1, 0, positiveLog<log10Of>},
    {"Log2", 1, 1, 0, positiveLog<log2Of>},
    {"LogN", 2, 2, 0, logN},
    {"Max", 2, 2, 0, maxOf},
    {"Min", 2, 2, 0, minOf},
    {"Odd", 1, 1, 0, odd},
    {"Floor", 1, 1, 0, floorOf},
    {"Ceil", 1, 1, 0, ceilOf},
    {"Pi", 0, 0, 0, pi},
    {"Sin", 1, 1, 0, real1<sinOf>},
    {"Cos", 1, 1, 0, real1<cosOf>},
    {"Tan", 1, 1, 0, real1<tanOf>},
    {"ArcTan", 1, 1, 0, real1<arcTanOf>},
    {"ArcSin", 1, 1, 0, unitDomain<arcSinOf>},
    {"ArcCos", 1, 1, 0, unitDomain<arcCosOf>},
    {"ArcTan2", 2, 2, 0, arcTan2},
    {"Hypot", 2, 2, 0, hypot},
    {"Sign", 1, 1, 0, sign},
    {"InRange", 3, 3, 0, inRange},
    {"EnsureRange", 3, 3, 0, ensureRange},
    {"SameValue", 2, 3, 0, sameValue},
    {"CompareValue", 2, 3, 0, compareValue},
    {"IsZero", 1, 2, 0, isZero},
    {"RoundTo", 2, 2, 0, roundToValue},
    {"SimpleRoundTo", 1, 2, 0, simpleRoundTo},
    {"DivMod", 4, 4, (1u << 2) | (1u << 3), divMod},
};

}  // namespace

void addMathFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
}

}  // namespace qbx::scripting::pascal::library
