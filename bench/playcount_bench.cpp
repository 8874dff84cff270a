// The play-count list with 10^4 titles of the length players show ("Artist - Album - 07 -
// Title.mp3", 30..90 bytes): adding them, saving and loading "Top10.Statz", and what the list
// holds in memory and on disk per title.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_home.h"
#include "core/plugin.h"
#include "functions/playcount/play_count_list.h"
#include "platform/platform.h"

namespace {

using qbx::functions::playcount::PlayCountStore;
using qbx::functions::playcount::PlayCountTable;

constexpr int kTitles = 10'000;

std::vector<std::string> titles() {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> length(4, 24);
    std::uniform_int_distribution<int> letter(0, 57);
    const auto word = [&] {
        std::string w;
        for (int i = length(random); i > 0; --i) {
            const int c = letter(random);
            w.push_back(static_cast<char>(c < 26 ? 'a' + c : 0xE0 + (c - 26)));
        }
        return w;
    };
    std::vector<std::string> out;
    for (int i = 0; i < kTitles; ++i)
        out.push_back(word() + " - " + word() + " - " + std::to_string(i % 20) + " - " + word() +
                      ".mp3");
    return out;
}

void PlayCountAdd(benchmark::State& state) {
    const std::vector<std::string> all = titles();
    std::size_t bytes = 0;
    for (auto _ : state) {
        PlayCountTable table;
        for (const std::string& title : all) table.add(title);
        bytes = table.memoryBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * kTitles);
    state.counters["list bytes"] = static_cast<double>(bytes);
    state.counters["bytes/title"] = static_cast<double>(bytes) / kTitles;
}
BENCHMARK(PlayCountAdd)->Unit(benchmark::kMillisecond);

struct Fixture {
    Fixture()
        : home(benchHome("playcount")),
          plugin(qbx::systemPlatform()),
          list(plugin),
          file(home + "/Top10.Statz") {
        for (const std::string& title : titles()) list.add(title);
    }
    ~Fixture() { std::filesystem::remove_all(home); }
    std::string home;
    qbx::Plugin plugin;
    PlayCountStore list;
    std::string file;
};

void PlayCountSave(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) f.list.saveToFile(f.file);
    state.SetItemsProcessed(state.iterations() * kTitles);
    state.counters["file bytes/title"] =
        static_cast<double>(std::filesystem::file_size(f.file)) / kTitles;
}
BENCHMARK(PlayCountSave)->Unit(benchmark::kMillisecond);

void PlayCountLoad(benchmark::State& state) {
    Fixture f;
    f.list.saveToFile(f.file);
    std::int64_t entries = 0;
    for (auto _ : state) {
        PlayCountStore loaded(f.plugin);
        loaded.loadFromFile(f.file);
        entries = loaded.countEntries();
    }
    if (entries != kTitles) state.SkipWithError("titles lost");
    state.SetItemsProcessed(state.iterations() * kTitles);
}
BENCHMARK(PlayCountLoad)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
