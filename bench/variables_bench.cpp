// "var.dat" at start-up and shut-down: loading a 15 MB file and saving a full table of long
// values, through the build's real file services.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_home.h"
#include "core/log.h"
#include "core/variables.h"
#include "platform/platform.h"
#include "var_dat_sample.h"

namespace {

struct Home {
    Home() : folder(benchHome("vardat")), path(folder + "/var.dat") {}
    ~Home() { std::filesystem::remove_all(folder); }
    std::string folder;
    std::string path;
    qbx::Platform platform = qbx::systemPlatform();
    qbx::Log log{platform};
};

void LoadLargeVarDat(benchmark::State& state) {
    Home home;
    const std::string file = bench::largeVarDat();
    std::ofstream(home.path, std::ios::binary) << file;
    qbx::VarTable vars;
    for (auto _ : state) {
        vars.load(home.platform, home.path, home.log);
        benchmark::DoNotOptimize(vars.count());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(file.size()));
    state.counters["variables"] = vars.count();
}
BENCHMARK(LoadLargeVarDat)->Unit(benchmark::kMillisecond)->UseRealTime();

void SaveFullTableOfLongTexts(benchmark::State& state) {
    Home home;
    qbx::VarTable vars;
    bench::fillWithLongTexts(vars);
    for (auto _ : state) benchmark::DoNotOptimize(vars.save(home.platform, home.path, home.log));
    const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(home.path));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["file bytes"] = static_cast<double>(bytes);
}
BENCHMARK(SaveFullTableOfLongTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
