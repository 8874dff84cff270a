// Arithmetic routines of System and Math. Results that would be infinite or undefined become
// the script exceptions Delphi raises for them; none reaches a value.
#include <cmath>
#include <random>

#include "base/random_source.h"
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

constexpr Row kRows[] = {
    {"Random", 0, 1, 0, random},   {"Randomize", 0, 0, 0, randomize},
    {"Int", 1, 1, 0, intPart},     {"Frac", 1, 1, 0, fracPart},
    {"Power", 2, 2, 0, power},     {"Sqr", 1, 1, 0, sqr},
    {"Exp", 1, 1, 0, exponential}, {"Ln", 1, 1, 0, ln},
    {"Max", 2, 2, 0, maxOf},       {"Min", 2, 2, 0, minOf},
    {"Odd", 1, 1, 0, odd},
};

}  // namespace

void addMathFunctions(Environment& environment, const RuntimeServices& services) {
    addRows(environment, kRows, services);
}

}  // namespace qbx::scripting::pascal::library
