// A statistics store's file: time to write and to read back 10^4, 10^5 and 10^6 distinct
// words, and what the tree and the file cost per word.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "bench_home.h"
#include "core/log.h"
#include "platform/platform.h"
#include "statistics/stat_store.h"

namespace {

using qbx::statistics::StatStore;

// Distinct words of 3..12 letters a..z and Cyrillic, the shape of a Words item.
void fill(StatStore& store, std::int64_t words) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(3, 12);
    std::uniform_int_distribution<int> letter(0, 57);
    for (std::int64_t made = 0; made < words;) {
        std::string word;
        for (int i = length(random); i > 0; --i) {
            const int c = letter(random);
            word.push_back(static_cast<char>(c < 26 ? 'a' + c : 0xE0 + (c - 26)));
        }
        if (store.treeCount(word) == 0) ++made;
        store.addToTree(word, 100);
    }
}

struct Fixture {
    explicit Fixture(std::int64_t words)
        : home(benchHome("store")),
          platform(qbx::systemPlatform()),
          log(platform),
          store({log, *platform.files, *platform.clock, 4'000'000}),
          file(home + "/Words.Stat") {
        fill(store, words);
    }
    ~Fixture() { std::filesystem::remove_all(home); }
    std::string home;
    qbx::Platform platform;
    qbx::Log log;
    StatStore store;
    std::string file;
};

void StoreSave(benchmark::State& state) {
    Fixture f(state.range(0));
    for (auto _ : state) f.store.store(f.file, static_cast<std::int32_t>(state.range(1)));
    const auto words = static_cast<double>(f.store.tree().countWords());
    state.counters["words"] = words;
    state.counters["nodes"] = static_cast<double>(f.store.tree().countNodes());
    state.counters["bytes/node"] = static_cast<double>(f.store.tree().memoryBytes()) /
                                   static_cast<double>(f.store.tree().countNodes());
    state.counters["file bytes/word"] =
        static_cast<double>(std::filesystem::file_size(f.file)) / words;
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void StoreLoad(benchmark::State& state) {
    Fixture f(state.range(0));
    f.store.store(f.file, static_cast<std::int32_t>(state.range(1)));
    for (auto _ : state) {
        StatStore fresh({f.log, *f.platform.files, *f.platform.clock, 4'000'000});
        benchmark::DoNotOptimize(fresh.read(f.file));
    }
    state.counters["file bytes/word"] = static_cast<double>(std::filesystem::file_size(f.file)) /
                                        static_cast<double>(f.store.tree().countWords());
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// Levels 2 (the default) and 0 (none).
BENCHMARK(StoreSave)
    ->ArgsProduct({{10'000, 100'000, 1'000'000}, {2, 0}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(StoreLoad)
    ->ArgsProduct({{10'000, 100'000, 1'000'000}, {2, 0}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
