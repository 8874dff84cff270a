// The runtime library's text parsers and formatters (Format, FormatDateTime, FormatFloat,
// FloatToStrF, WrapText, StringReplace, the StrTo* readers, Val) with arbitrary texts and
// numbers: script errors are expected, anything else is a fault.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "scripting/pascal/library.h"

namespace {

using namespace qbx::scripting::pascal;

// A locale with every text at hand, so that c, ddddd, t and the date readers run their whole
// course; the day and month names are long, to reach the bound of a result.
class FixedLocale final : public qbx::LocaleFormat {
public:
    std::string longTime(double) override { return "07:05:09"; }
    std::string shortDate(double) override { return "22.11.2003"; }
    std::string shortTime(double) override { return "07:05"; }
    std::string longDate(double) override { return "22 November 2003"; }
    char decimalSeparator() override { return ','; }
    char thousandSeparator() override { return '\xA0'; }
    qbx::DateTimeNames dateTimeNames() override {
        qbx::DateTimeNames names = qbx::englishDateTimeNames();
        for (std::string& name : names.longMonthNames) name.append(60, 'x');
        names.timeAm = "";
        return names;
    }
};

class FixedClock final : public qbx::Clock {
public:
    double now() override { return 45000.5; }
    double universalNow() override { return 45000.5; }
    double localToUniversal(double local) override { return local; }
    std::uint32_t tickCount() override { return 0; }
    std::uint64_t heapBytesInUse() override { return 0; }
};

void call(const Environment& env, std::string_view name, std::vector<Value> args) {
    const Environment::Entry* entry = env.find(name);
    if (entry == nullptr) std::abort();
    CallContext context(env.limits, liveStringBytes());
    try {
        const Value result = entry->native.function(std::span<Value>(args), context);
        (void)toText(result);
    } catch (const RuntimeError&) {
        // a script error: the outcome the library promises for bad input
    }
}

Environment* makeEnvironment(const RuntimeServices& services) {
    auto* e = new Environment;
    addRuntimeLibrary(*e, services);
    e->limits.maxStringLength = 1 << 16;
    e->limits.maxStringMemory = 1 << 22;
    return e;
}

// The input's first bytes as a number of every size, finite or not.
double numberOf(std::string_view bytes) {
    double d = 0;
    if (bytes.size() >= sizeof d) std::memcpy(&d, bytes.data(), sizeof d);
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Environment* bare = makeEnvironment(RuntimeServices{});
    static FixedLocale locale;
    static FixedClock clock;
    static Environment* local = [] {
        RuntimeServices services;
        services.locale = &locale;
        services.clock = &clock;
        return makeEnvironment(services);
    }();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t cut1 = input.find('\0');
    const std::string_view first = input.substr(0, cut1);
    const std::string_view rest =
        cut1 == std::string_view::npos ? std::string_view() : input.substr(cut1 + 1);
    const std::size_t cut2 = rest.find('\0');
    const std::string_view second = rest.substr(0, cut2);
    const std::string_view third =
        cut2 == std::string_view::npos ? std::string_view() : rest.substr(cut2 + 1);
    const double number = numberOf(third);
    const double finite = std::isfinite(number) ? number : 1234.5678;
    const auto small = static_cast<std::int64_t>(size % 97) - 20;

    call(*bare, "FORMAT",
         {Value(first), Value(std::int64_t{-42}), Value(second), Value(2.675), Value()});
    call(*bare, "FORMAT", {Value(first), Value(-1e300), Value(1e-300)});
    call(*bare, "STRINGREPLACE",
         {Value(first), Value(second), Value(third), Value(static_cast<std::int64_t>(size % 4))});
    call(*bare, "STRTOFLOAT", {Value(first)});
    for (Environment* env : {bare, local}) {
        call(*env, "FORMATDATETIME", {Value(first), Value(45000.123456)});
        call(*env, "FORMATDATETIME", {Value(first), Value(finite)});
        call(*env, "FORMATFLOAT", {Value(first), Value(finite)});
        call(*env, "FORMATFLOAT", {Value(first), Value(-0.0005)});
        call(*env, "STRTODATE", {Value(first)});
        call(*env, "STRTOTIME", {Value(first)});
        call(*env, "STRTODATETIME", {Value(first)});
    }
    call(*bare, "FLOATTOSTRF",
         {Value(finite), Value(small % 5), Value(small), Value(static_cast<std::int64_t>(size))});
    call(*bare, "WRAPTEXT", {Value(first), Value(small)});
    call(*bare, "WRAPTEXT", {Value(first), Value(second), Value(third), Value(small)});
    call(*bare, "STRTOBOOL", {Value(first)});
    call(*bare, "STRTOFLOATDEF", {Value(first), Value(1.0)});
    call(*bare, "TRYSTRTOFLOAT", {Value(first), Value()});
    call(*bare, "TRYSTRTOINT", {Value(first), Value()});
    call(*bare, "VAL", {Value(first), Value(), Value()});
    call(*bare, "VAL", {Value(first), Value(0.0), Value()});
    call(*bare, "VAL", {Value(first), Value(std::int64_t{0}), Value()});
    call(*bare, "ADJUSTLINEBREAKS", {Value(first)});
    call(*bare, "STUFFSTRING", {Value(first), Value(small), Value(small * 3), Value(second)});
    call(*bare, "DUPESTRING", {Value(first), Value(small * 1000)});
    call(*bare, "ROUNDTO", {Value(finite), Value(small)});
    call(*bare, "SIMPLEROUNDTO", {Value(number), Value(small)});
    call(*bare, "INCMONTH", {Value(finite), Value(small * 1000)});
    call(*bare, "STR", {Value(finite), Value()});
    return 0;
}
