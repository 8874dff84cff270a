// Arbitrary 136-byte chunks as records: parsing never reads past the key field, and what is
// parsed, written and parsed again is the same record, byte for byte.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "statistics/stat_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::statistics;
    for (std::size_t at = 0; at + kStatEntrySize <= size; at += kStatEntrySize) {
        const std::span<const std::uint8_t, kStatEntrySize> chunk(data + at, kStatEntrySize);
        const StatEntry first = parseStatEntry(chunk);
        if (first.key.size() > kMaxKeyLength) std::abort();
        const StatEntryBytes written = serialiseStatEntry(first);
        const StatEntry second = parseStatEntry(written);
        // Compared through the bytes: a NaN date is still the same date.
        if (serialiseStatEntry(second) != written) std::abort();
        if (second.key != first.key || second.size != first.size || second.count != first.count ||
            second.marker != first.marker)
            std::abort();
    }
    return 0;
}
