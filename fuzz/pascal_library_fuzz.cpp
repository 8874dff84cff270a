// The runtime library's text parsers (Format, FormatDateTime, StringReplace, StrToFloat) with
// arbitrary texts: script errors are expected, anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "scripting/pascal/library.h"

namespace {

using namespace qbx::scripting::pascal;

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Environment* env = [] {
        auto* e = new Environment;
        addRuntimeLibrary(*e, RuntimeServices{});
        e->limits.maxStringLength = 1 << 16;
        e->limits.maxStringMemory = 1 << 22;
        return e;
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

    call(*env, "FORMAT",
         {Value(first), Value(std::int64_t{-42}), Value(second), Value(2.675), Value()});
    call(*env, "FORMAT", {Value(first), Value(-1e300), Value(1e-300)});
    call(*env, "FORMATDATETIME", {Value(first), Value(45000.123456)});
    call(*env, "STRINGREPLACE",
         {Value(first), Value(second), Value(third), Value(static_cast<std::int64_t>(size % 4))});
    call(*env, "STRTOFLOAT", {Value(first)});
    return 0;
}
