#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "core/counters.h"

namespace qbx {
namespace {

constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();

TEST(Counters, AddUpToTheTypesMaximumAndNeverDown) {
    struct Case {
        std::int64_t start, amount, narrow, wide;  // results for a 32- and a 64-bit counter
    };
    const Case cases[] = {
        {5, 7, 12, 12},
        {kMax32 - 1, 1, kMax32, std::int64_t{kMax32}},
        {kMax32 - 1, 2, kMax32, std::int64_t{kMax32} + 1},
        {0, std::int64_t{1} << 40, kMax32, std::int64_t{1} << 40},  // beyond 32 bits at once
        {1, kMax64, kMax32, kMax64},
        {-3, 5, 2, 2},  // a damaged negative count still adds up
        {9, -4, 9, 9},  // amounts below zero add nothing
    };
    for (const Case& c : cases) {
        std::int32_t narrow = static_cast<std::int32_t>(c.start);
        std::int64_t wide = c.start;
        addToCounter(narrow, c.amount);
        addToCounter(wide, c.amount);
        EXPECT_EQ(narrow, c.narrow) << c.start << " + " << c.amount;
        EXPECT_EQ(wide, c.wide) << c.start << " + " << c.amount;
    }
}

}  // namespace
}  // namespace qbx
