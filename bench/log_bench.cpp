// Log lines per second: every line is formatted, written and flushed at once.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench_home.h"
#include "core/log.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

void LogLines(benchmark::State& state) {
    const std::string home = benchHome("log");
    qbx::setProcessVariable("TMPDIR", home);
    qbx::Log log(qbx::systemPlatform());
    log.open();
    const std::string text(static_cast<std::size_t>(state.range(0)), 'x');
    for (auto _ : state) log.write(text);
    log.close();
    state.SetItemsProcessed(state.iterations());
    std::filesystem::remove_all(home);
}
BENCHMARK(LogLines)->Arg(40)->Arg(400);

}  // namespace

BENCHMARK_MAIN();
