// Start-up plus shut-down of an empty installation, as the host drives them.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "bench_home.h"
#include "host.h"

namespace {

const std::string kModule = "./QBX.tbp";  // run from the build folder

// TBP_Initialize + TBP_Finalize with the module loaded once.
void StartAndStop(benchmark::State& state) {
    const std::string home = benchHome("startstop");
    qbxhost::prepareHome(home);
    qbxhost::Host host(kModule);
    for (auto _ : state) {
        host.initialize();
        host.finalize();
    }
    host.unload();
    std::filesystem::remove_all(home);
}
BENCHMARK(StartAndStop)->Unit(benchmark::kMillisecond);

// The whole life: load (log rotation, string table), start, stop, unload.
void LoadStartStopUnload(benchmark::State& state) {
    const std::string home = benchHome("life");
    qbxhost::prepareHome(home);
    for (auto _ : state) {
        qbxhost::Host host(kModule);
        host.initialize();
        host.finalize();
    }
    std::filesystem::remove_all(home);
}
BENCHMARK(LoadStartStopUnload)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
