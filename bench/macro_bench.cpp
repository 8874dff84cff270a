// The macro engine: one TBP_ExecMacro call through the loaded module (a built-in macro and a
// stored script), a 1,000-turn FOR loop whose template makes a nested call, a loop turn past the
// work budget of one call, the token evaluator as the expression grows, and the numbers of a
// 100 KB text in words.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "bench_home.h"
#include "loaded_module.h"
#include "budget_template.h"
#include "core/log.h"
#include "core/strings.h"
#include "core/variables.h"
#include "host.h"
#include "macros/expressions.h"

namespace {

// A stored Pascal script of the samples, run as the host runs it: FN + its name.
void ExecMacroStoredPascalScript(benchmark::State& state) {
    const std::string home = benchHome("scripts");
    const std::filesystem::path scripts = std::filesystem::path(home) / "Plugins" / "Scripts";
    std::filesystem::create_directories(scripts);
    std::filesystem::copy_file(std::filesystem::path(QBX_SAMPLES_DIR) / "scripts" / "greeting.s",
                               scripts / "greeting.s");
    qbxhost::prepareHome(home);
    {
        qbxhost::Host host(kBenchModule);
        host.initialize();
        if (host.callMacro(host.data(), "FNGREETING", {"World"}).find("Hello, World!") != 0)
            state.SkipWithError("the stored script did not run");
        for (auto _ : state)
            benchmark::DoNotOptimize(host.callMacro(host.data(), "FNGREETING", {"World"}));
        host.finalize();
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(ExecMacroStoredPascalScript)->Unit(benchmark::kMicrosecond);

void ExecMacroZvxVer(benchmark::State& state) {
    LoadedModule module("macros");
    for (auto _ : state)
        benchmark::DoNotOptimize(module.host->callMacro(module.host->data(), "ZVXVER", {}));
}
BENCHMARK(ExecMacroZvxVer)->Unit(benchmark::kMicrosecond);

void ForLoop1000WithNestedCall(benchmark::State& state) {
    LoadedModule module("macros");
    const std::vector<std::string> arguments = {"i", "1", "1000", "$ZVXSTRCMP(a,a) + $$i", "C"};
    for (auto _ : state)
        benchmark::DoNotOptimize(module.host->callMacro(module.host->data(), "ZVXFOR", arguments));
}
BENCHMARK(ForLoop1000WithNestedCall)->Unit(benchmark::kMillisecond);

// One loop turn of 150,000 cheap calls: the call ends at its work budget; the counter is what
// one call adds to the log.
void ForTurnPastTheWorkBudget(benchmark::State& state) {
    LoadedModule module("macros");
    const std::vector<std::string> arguments = bench::pastTheBudgetLoop();
    std::uintmax_t grown = 0;
    for (auto _ : state) {
        const std::uintmax_t before = bench::moduleLogBytes(module.home);
        benchmark::DoNotOptimize(module.host->callMacro(module.host->data(), "ZVXFOR", arguments));
        grown = bench::moduleLogBytes(module.home) - before;
    }
    state.counters["log_bytes_per_call"] = static_cast<double>(grown);
}
BENCHMARK(ForTurnPastTheWorkBudget)->Unit(benchmark::kMillisecond)->Iterations(5);

// "1 + 2 + 3 ..." with n tokens, evaluated strictly left to right.
void EvaluateTokens(benchmark::State& state) {
    qbx::Log log{qbx::Platform{}};  // no log file: the evaluator's own cost
    qbx::StringTable strings;
    strings.reset();
    qbx::VarTable vars;
    const qbx::macros::ExpressionContext ctx{vars, strings, log};
    std::string text = "1";
    for (int i = 1; 2 * i < state.range(0); ++i) text += " + " + std::to_string(i);
    for (auto _ : state) benchmark::DoNotOptimize(qbx::macros::evaluateTokens(ctx, text));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(EvaluateTokens)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity();

// ZVXREPLACENUM on a 100 KB text of prose with a number every few words, through the module.
void ReplaceNumbersIn100KbText(benchmark::State& state) {
    LoadedModule module("macros");
    std::string text;
    for (int i = 0; text.size() < 100 * 1024; ++i)
        text += "on day " + std::to_string(i % 31 + 1) + " we sent " + std::to_string(i * 37) +
                " letters and " + std::to_string(i % 7) + " parcels; ";
    const std::vector<std::string> arguments = {text, "IRDTP", "mfMFNP"};
    std::size_t words = 0;
    for (auto _ : state)
        words = module.host->callMacro(module.host->data(), "ZVXREPLACENUM", arguments).size();
    state.counters["result_bytes"] = static_cast<double>(words);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ReplaceNumbersIn100KbText)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
