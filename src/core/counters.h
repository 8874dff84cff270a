// Adding to the running totals kept in the settings and the monitor. A total that reaches its
// type's maximum stays there: a wrapped total would be stored as a negative number, which the
// loader no longer accepts, and signed overflow is undefined besides.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>

namespace qbx {

// Counts only grow: an amount below zero adds nothing.
template <std::signed_integral Counter>
requires(sizeof(Counter) <= sizeof(std::int64_t)) constexpr void addToCounter(Counter& counter,
                                                                              std::int64_t amount) {
    if (amount <= 0) return;
    constexpr std::int64_t kMax = std::numeric_limits<Counter>::max();
    const std::int64_t current = counter;
    // kMax - amount cannot overflow: both are positive.
    counter = current > kMax - amount ? static_cast<Counter>(kMax)
                                      : static_cast<Counter>(current + amount);
}

}  // namespace qbx
