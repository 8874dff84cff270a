// One counted key: the 136-byte record of the ".Stat" files, of a store's plain list and of
// every node of the word trie. In memory it is a plain struct; its bytes exist only in the
// explicit little-endian form below, never as a copy of the struct.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qbx::statistics {

// Counts and byte sizes wrap at 32 bits, as the stored files have always kept them.
inline std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t wrappingSubtract(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}

inline constexpr std::size_t kStatEntrySize = 136;
inline constexpr std::size_t kMaxKeyLength = 80;

// Only the low byte of the stored marker is ever tested, so only that byte is kept.
inline constexpr std::uint8_t kMarkerEmpty = 0;     // a cleared record: skipped by readers
inline constexpr std::uint8_t kMarkerStored = 135;  // a stored or plain record
inline constexpr std::uint8_t kMarkerNode = 136;    // made by a trie node
// 1..134: a record of the older layout; readers repair it to kMarkerStored.

struct StatEntry {
    std::string key;        // code page 1251; at most kMaxKeyLength bytes are ever stored
    double mdate = 0.0;     // last change (days since 1899-12-30)
    double cdate = 0.0;     // first counted
    std::int32_t size = 0;  // sum of the amounts added with the key
    std::uint8_t marker = kMarkerEmpty;
    std::int32_t count = 0;  // times counted

    bool operator==(const StatEntry&) const = default;
};

using StatEntryBytes = std::array<std::uint8_t, kStatEntrySize>;

// Byte 0 the key length, 1..80 the key then zeros, 81..103 zero, 104 mdate, 112 cdate,
// 120 size, 124 marker (upper three bytes zero), 128 count, 132..135 zero. A longer key is cut
// to its first 80 bytes.
StatEntryBytes serialiseStatEntry(const StatEntry& entry);
void serialiseStatEntry(const StatEntry& entry, std::span<std::uint8_t, kStatEntrySize> out);

// The reverse; the length byte is clamped to 80 (a damaged file must not read past the key
// field), reserved bytes and the marker's upper bytes are dropped.
StatEntry parseStatEntry(std::span<const std::uint8_t, kStatEntrySize> bytes);

}  // namespace qbx::statistics
