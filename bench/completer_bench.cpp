// The attachment-part completer on the build's real files: the cost of one incoming part as
// "UC.INI" lists more pending sets, and of an "Assemble files" click over sets that claim
// thousands of parts and have one.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench_home.h"
#include "core/plugin.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "statistics/attachment_completer.h"

namespace {

namespace fs = std::filesystem;

const std::string kDataLine = "M" + std::string(60, '0');

std::string partBody(int part, int count, const std::string& name) {
    std::string body = "section " + std::to_string(part) + " of " + std::to_string(count) +
                       " of file " + name + "\r\n";
    for (int i = 0; i < 20; ++i) body += kDataLine + "\r\n";
    return body;
}

struct Home {
    Home() : folder(benchHome("completer")) {
        plugin.settings.partsDir = qbx::toModulePath(folder) + "\\";
        plugin.settings.scriptsDir = qbx::toModulePath(folder) + "\\Scripts\\";
    }
    ~Home() { fs::remove_all(folder); }
    // "UC.INI" listing that many sets, each with two of its three parts.
    void pendingSets(int sets) {
        std::string ini = "[PendingFiles]\r\nCount=" + std::to_string(sets) + "\r\n";
        for (int i = 0; i < sets; ++i) ini += "set" + std::to_string(i) + ".bin=2\r\n";
        for (int i = 0; i < sets; ++i) {
            const std::string part = plugin.settings.partsDir + "set" + std::to_string(i);
            ini += "[set" + std::to_string(i) +
                   ".bin]\r\nCount=3\r\nCurrentCount=2\r\nDateStamp=45000.5\r\n1=" + part +
                   "a.tmp\r\n2=" + part + "b.tmp\r\n";
        }
        std::ofstream(fs::path(folder) / "UC.INI", std::ios::binary) << ini;
    }
    std::string folder;
    qbx::Platform platform = qbx::systemPlatform();
    qbx::Plugin plugin{platform};
};

void AddPartWithPendingSets(benchmark::State& state) {
    Home home;
    home.pendingSets(static_cast<int>(state.range(0)));
    const std::string body = partBody(2, 3, "new.bin");
    for (auto _ : state) qbx::statistics::addUuePart(home.plugin, body);
    state.counters["UC.INI bytes"] =
        static_cast<double>(fs::file_size(fs::path(home.folder) / "UC.INI"));
}
BENCHMARK(AddPartWithPendingSets)
    ->Arg(0)
    ->Arg(300)
    ->Arg(3000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void AssembleTenSetsClaiming9999Parts(benchmark::State& state) {
    Home home;
    for (int set = 0; set < 10; ++set)
        qbx::statistics::addUuePart(home.plugin,
                                    partBody(1, 9999, "big" + std::to_string(set) + ".bin"));
    for (auto _ : state) qbx::statistics::completePendingUue(home.plugin, true);
}
BENCHMARK(AssembleTenSetsClaiming9999Parts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
