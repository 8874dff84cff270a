// The regular-expression macros over a 1 MB message body, called through the loaded module as
// the host calls them: a plain-text reply (Russian and English, quotes, addresses, links)
// repeated to 1 MB; an address pattern and a Cyrillic word pattern, replaced and grepped; and a
// recursive pattern over hostile runs of "(".
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench_home.h"
#include "host.h"
#include "loaded_module.h"

namespace {

constexpr std::size_t kBodyBytes = std::size_t{1} << 20;
const std::string kAddress = "\\b[\\w.-]+@[\\w.-]+\\b";
// A Russian word of either case, ё included: (?i)\b[а-я]+\b
const std::string kCyrillicWord = "(?i)\\b[\xE0-\xFF]+\\b";

std::string messageBody() {
    std::ifstream file(std::filesystem::path(QBX_SAMPLES_DIR) / "mail" / "reply-body.txt",
                       std::ios::binary);
    const std::string reply{std::istreambuf_iterator<char>(file), {}};
    std::string body;
    if (reply.empty()) return body;
    while (body.size() + reply.size() <= kBodyBytes) body += reply;
    return body;
}

void runMacro(benchmark::State& state, const char* name, std::vector<std::string> arguments) {
    const std::string body = messageBody();
    if (body.empty()) {
        state.SkipWithError("the sample body is missing");
        return;
    }
    arguments.insert(arguments.begin(), body);
    LoadedModule module("text");
    std::size_t resultBytes = 0;
    for (auto _ : state) {
        const std::string result = module.host->callMacro(module.host->data(), name, arguments);
        resultBytes = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    if (resultBytes == 0) state.SkipWithError("the macro answered nothing");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * body.size()));
    state.counters["result_bytes"] = static_cast<double>(resultBytes);
}

void ReplaceRegExpAddresses(benchmark::State& state) {
    runMacro(state, "ZVXREPLACEREGEXP", {kAddress, "<$0>"});
}
BENCHMARK(ReplaceRegExpAddresses)->Unit(benchmark::kMillisecond);

void GrepAddresses(benchmark::State& state) { runMacro(state, "ZVXGREP", {kAddress, "L"}); }
BENCHMARK(GrepAddresses)->Unit(benchmark::kMillisecond);

void GrepAddressesUnique(benchmark::State& state) {
    runMacro(state, "ZVXGREP", {kAddress, "L", "0", "", "N"});
}
BENCHMARK(GrepAddressesUnique)->Unit(benchmark::kMillisecond);

void ReplaceRegExpCyrillicWords(benchmark::State& state) {
    runMacro(state, "ZVXREPLACEREGEXP", {kCyrillicWord, "[$0]"});
}
BENCHMARK(ReplaceRegExpCyrillicWords)->Unit(benchmark::kMillisecond);

void GrepCyrillicWords(benchmark::State& state) {
    runMacro(state, "ZVXGREP", {kCyrillicWord, "S"});
}
BENCHMARK(GrepCyrillicWords)->Unit(benchmark::kMillisecond);

void GrepCyrillicWordsUnique(benchmark::State& state) {
    runMacro(state, "ZVXGREP", {kCyrillicWord, "S", "0", "", "N"});
}
BENCHMARK(GrepCyrillicWordsUnique)->Unit(benchmark::kMillisecond);

// Hostile mail: a recursive pattern over a run of unbalanced "(", which the search gives up on
// its bounds (the recursion's depth, the call's time) instead of running for minutes.
void GrepRecursionOverParentheses(benchmark::State& state) {
    const std::string run(static_cast<std::size_t>(state.range(0)), '(');
    LoadedModule module("text");
    for (auto _ : state) {
        const std::string result =
            module.host->callMacro(module.host->data(), "ZVXGREP", {run, "\\((?R)*\\)", "C"});
        benchmark::DoNotOptimize(result.data());
    }
}
BENCHMARK(GrepRecursionOverParentheses)->Arg(4000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
