// The Pascal interpreter on its two typical loads: 10^6 integer additions and a string built by
// 10^5 appends; compile time of a small program. bench/pascal_ref.lua runs the same loops in Lua.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "scripting/pascal/pascal.h"

namespace {

using namespace qbx::scripting::pascal;

const char* const kIntegerLoop =
    "var i, s: Int64;\n"
    "begin\n"
    "  s := 0;\n"
    "  for i := 1 to 1000000 do s := s + i;\n"
    "  Result := s\n"
    "end.";

const char* const kStringLoop =
    "var i: Integer; s: String;\n"
    "begin\n"
    "  for i := 1 to 100000 do s := s + 'x';\n"
    "  Result := Length(s)\n"
    "end.";

void runScript(benchmark::State& state, const char* source, const char* expected) {
    Environment env;
    addCoreLibrary(env);
    const CompileResult compiled = compile(source, env);
    if (compiled.error) throw std::runtime_error(compiled.error->text());
    for (auto _ : state) {
        RunResult result = run(*compiled.program, env);
        if (result.error || toText(result.value) != expected) state.SkipWithError("wrong result");
        benchmark::DoNotOptimize(result);
    }
}

void IntegerAdditions1e6(benchmark::State& state) {
    runScript(state, kIntegerLoop, "500000500000");
}
BENCHMARK(IntegerAdditions1e6)->Unit(benchmark::kMillisecond);

void StringAppends1e5(benchmark::State& state) { runScript(state, kStringLoop, "100000"); }
BENCHMARK(StringAppends1e5)->Unit(benchmark::kMillisecond);

void CompileSmallProgram(benchmark::State& state) {
    const char* source =
        "function Fib(n: Integer): Integer;\n"
        "begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2) end;\n"
        "var i: Integer; s: String;\n"
        "begin for i := 1 to 10 do s := s + IntToStr(Fib(i)) + ','; Result := s end.";
    Environment env;
    addCoreLibrary(env);
    for (auto _ : state) benchmark::DoNotOptimize(compile(source, env));
}
BENCHMARK(CompileSmallProgram)->Unit(benchmark::kMicrosecond);

void Fib25(benchmark::State& state) {
    runScript(state,
              "function Fib(n: Integer): Integer;\n"
              "begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2) end;\n"
              "begin Result := Fib(25) end.",
              "75025");
}
BENCHMARK(Fib25)->Unit(benchmark::kMillisecond);

// A bubble sort of 2,000 integers in a static array, filled by a linear congruential sequence;
// bench/pascal_ref.lua sorts the same numbers. Arrays are new to the interpreter: until a build
// compiles the program, the benchmark says so instead of failing the whole run.
const char* const kBubbleSort =
    "var\n"
    "  a: array[0..1999] of Integer;\n"
    "  i, j, t: Integer;\n"
    "  seed: Int64;\n"
    "begin\n"
    "  seed := 12345;\n"
    "  for i := 0 to 1999 do\n"
    "  begin\n"
    "    seed := (seed * 1103515245 + 12345) mod 2147483648;\n"
    "    a[i] := seed mod 100000\n"
    "  end;\n"
    "  for i := 1999 downto 1 do\n"
    "    for j := 0 to i - 1 do\n"
    "      if a[j] > a[j + 1] then\n"
    "      begin\n"
    "        t := a[j]; a[j] := a[j + 1]; a[j + 1] := t\n"
    "      end;\n"
    "  Result := IntToStr(a[0]) + ',' + IntToStr(a[1000]) + ',' + IntToStr(a[1999])\n"
    "end.";

void BubbleSort2000(benchmark::State& state) {
    Environment env;
    addCoreLibrary(env);
    const CompileResult sorting = compile(kBubbleSort, env);
    if (sorting.error) {
        state.SkipWithError("not supported yet");
        return;
    }
    for (auto _ : state) {
        RunResult result = run(*sorting.program, env);
        if (result.error || toText(result.value) != "16,50459,99992") {
            state.SkipWithError(result.error ? "script error" : "wrong result");
            break;
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BubbleSort2000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
