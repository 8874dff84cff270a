// Running time of the module and the reset of the run counters kept in the settings.
#pragma once

#include <cstdint>

namespace qbx {

struct Plugin;

// Whole seconds between now and the start time, either direction; 1 when the span cannot be
// told or does not fit in 32 bits.
std::int32_t sessionSeconds(const Plugin& plugin);
// sessionSeconds plus "stSessionsLength", held at the 32-bit maximum when the sum is larger;
// 1 when the stored length is negative.
std::int32_t totalSessionSeconds(const Plugin& plugin);

// "Clear statistics": zeroes the traffic and online counters, sets the per-run divisors
// (letters, sessions length, start and end counts) to 1 so that means never divide by zero,
// and restarts both the session clock and the statistics period at now. Saves nothing.
void resetStatistics(Plugin& plugin);

}  // namespace qbx
