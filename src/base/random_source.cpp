#include "base/random_source.h"

#include <chrono>
#include <cstdint>

namespace qbx {

std::mt19937& processRandom() {
    static std::mt19937 engine = [] {
        std::uint32_t entropy = 0;
        try {
            entropy = std::random_device{}();
        } catch (...) {
            // No system source: the clock alone seeds.
        }
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        std::seed_seq seed{entropy, static_cast<std::uint32_t>(ticks),
                           static_cast<std::uint32_t>(static_cast<std::uint64_t>(ticks) >> 32)};
        return std::mt19937(seed);
    }();
    return engine;
}

int randomBelow(int bound) {
    if (bound < 2) return 0;
    return std::uniform_int_distribution<int>(0, bound - 1)(processRandom());
}

}  // namespace qbx
