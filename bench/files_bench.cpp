// ZVXFILESSIZE over a folder of 10^4 files through the module, as the host calls it.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_home.h"
#include "host.h"
#include "platform/process.h"

namespace {

void filesSizeOfTenThousandFiles(benchmark::State& state) {
    const std::string home = benchHome("files");
    qbxhost::prepareHome(home);
    const std::filesystem::path folder = std::filesystem::path(home) / "many";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 10000; ++i)
        std::ofstream(folder / ("f" + std::to_string(i) + ".txt")) << std::string(i % 100, 'x');
    std::string result;
    {
        qbxhost::Host host("./QBX.tbp");  // run from the build folder
        host.initialize();
        const std::string path = qbx::toModulePath(folder.string());
        for (auto _ : state) {
            result = host.callMacro(host.data(), "ZVXFILESSIZE", {"B", path, "", ""});
            benchmark::DoNotOptimize(result);
        }
        host.finalize();
    }
    std::filesystem::remove_all(home);
    if (result != "495000") state.SkipWithError(("unexpected sum " + result).c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(filesSizeOfTenThousandFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
