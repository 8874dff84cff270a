// The process's one pseudo-random generator. Every macro that draws numbers draws from it, so
// that it is seeded once and the draws of different macros form one sequence.
#pragma once

#include <random>

namespace qbx {

// Seeded on first use from the system's entropy source (when it has one) and the clock.
std::mt19937& processRandom();

// A whole number drawn uniformly from 0 .. bound - 1; 0 without a draw for a bound below 2.
int randomBelow(int bound);

}  // namespace qbx
