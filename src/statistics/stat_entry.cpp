#include "statistics/stat_entry.h"

#include <algorithm>
#include <bit>

namespace qbx::statistics {
namespace {

constexpr std::size_t kKeyOffset = 1;
constexpr std::size_t kMdateOffset = 104;
constexpr std::size_t kCdateOffset = 112;
constexpr std::size_t kSizeOffset = 120;
constexpr std::size_t kMarkerOffset = 124;
constexpr std::size_t kCountOffset = 128;

void putU32(std::span<std::uint8_t, kStatEntrySize> out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putU64(std::span<std::uint8_t, kStatEntrySize> out, std::size_t at, std::uint64_t value) {
    for (std::size_t i = 0; i < 8; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getU32(std::span<const std::uint8_t, kStatEntrySize> in, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{in[at + i]} << (8 * i);
    return value;
}

std::uint64_t getU64(std::span<const std::uint8_t, kStatEntrySize> in, std::size_t at) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < 8; ++i) value |= std::uint64_t{in[at + i]} << (8 * i);
    return value;
}

}  // namespace

void serialiseStatEntry(const StatEntry& entry, std::span<std::uint8_t, kStatEntrySize> out) {
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::size_t length = std::min(entry.key.size(), kMaxKeyLength);
    out[0] = static_cast<std::uint8_t>(length);
    std::copy_n(entry.key.begin(), length, out.begin() + kKeyOffset);
    putU64(out, kMdateOffset, std::bit_cast<std::uint64_t>(entry.mdate));
    putU64(out, kCdateOffset, std::bit_cast<std::uint64_t>(entry.cdate));
    putU32(out, kSizeOffset, static_cast<std::uint32_t>(entry.size));
    putU32(out, kMarkerOffset, entry.marker);
    putU32(out, kCountOffset, static_cast<std::uint32_t>(entry.count));
}

StatEntryBytes serialiseStatEntry(const StatEntry& entry) {
    StatEntryBytes bytes{};
    serialiseStatEntry(entry, bytes);
    return bytes;
}

StatEntry parseStatEntry(std::span<const std::uint8_t, kStatEntrySize> bytes) {
    StatEntry entry;
    const std::size_t length = std::min<std::size_t>(bytes[0], kMaxKeyLength);
    entry.key.assign(reinterpret_cast<const char*>(bytes.data() + kKeyOffset), length);
    entry.mdate = std::bit_cast<double>(getU64(bytes, kMdateOffset));
    entry.cdate = std::bit_cast<double>(getU64(bytes, kCdateOffset));
    entry.size = static_cast<std::int32_t>(getU32(bytes, kSizeOffset));
    entry.marker = bytes[kMarkerOffset];
    entry.count = static_cast<std::int32_t>(getU32(bytes, kCountOffset));
    return entry;
}

}  // namespace qbx::statistics
