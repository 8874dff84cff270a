#include "statistics/stat_entry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace qbx::statistics {
namespace {

StatEntry sample() { return {"abc", 45000.5, 44927.25, -2, kMarkerStored, 7}; }

TEST(StatEntryTest, SerialisesToTheFileLayoutByteForByte) {
    StatEntryBytes expected{0x03, 'a', 'b', 'c'};  // the key area and bytes 81..103 are zero
    // clang-format off
    const std::uint8_t tail[] = {
        0x00, 0x00, 0x00, 0x00, 0x10, 0xF9, 0xE5, 0x40,  // 104 mdate
        0x00, 0x00, 0x00, 0x00, 0xE8, 0xEF, 0xE5, 0x40,  // 112 cdate
        0xFE, 0xFF, 0xFF, 0xFF,                          // 120 size
        0x87, 0x00, 0x00, 0x00,                          // 124 marker
        0x07, 0x00, 0x00, 0x00,                          // 128 count
        0x00, 0x00, 0x00, 0x00,                          // 132
    };
    // clang-format on
    static_assert(104 + sizeof tail == kStatEntrySize);
    std::copy(std::begin(tail), std::end(tail), expected.begin() + 104);
    EXPECT_EQ(serialiseStatEntry(sample()), expected);
    EXPECT_EQ(parseStatEntry(expected), sample());
}

TEST(StatEntryTest, KeysOfEveryByteRoundTripCutToEightyWithZerosAfterThem) {
    for (std::size_t length : {0u, 1u, 2u, 79u, 80u, 100u}) {
        StatEntry entry = sample();
        entry.key.clear();
        for (std::size_t i = 0; i < length; ++i) entry.key += static_cast<char>((i * 37) % 256);
        entry.marker = kMarkerNode;
        const StatEntryBytes bytes = serialiseStatEntry(entry);
        const std::size_t kept = std::min<std::size_t>(length, 80);
        EXPECT_EQ(bytes[0], kept) << length;
        for (std::size_t i = kept + 1; i < 104; ++i) EXPECT_EQ(bytes[i], 0) << length << " " << i;
        entry.key.resize(kept);
        EXPECT_EQ(parseStatEntry(bytes), entry) << length;
    }
}

TEST(StatEntryTest, DamagedLengthByteIsClampedAndReservedBytesAreDropped) {
    StatEntryBytes bytes = serialiseStatEntry(sample());
    bytes[0] = 255;  // would reach into the reserved bytes and the dates
    for (std::size_t i = 1; i <= 80; ++i) bytes[i] = 'k';
    for (std::size_t i = 81; i < 104; ++i) bytes[i] = 0xAA;
    for (std::size_t i = 132; i < 136; ++i) bytes[i] = 0xBB;
    bytes[125] = 0x01;  // the marker's upper bytes are not part of it

    const StatEntry parsed = parseStatEntry(bytes);
    EXPECT_EQ(parsed.key, std::string(80, 'k'));
    EXPECT_EQ(parsed.marker, kMarkerStored);
    EXPECT_EQ(parsed.count, 7);

    const StatEntryBytes rewritten = serialiseStatEntry(parsed);
    EXPECT_EQ(rewritten[0], 80);
    for (std::size_t i : {81u, 96u, 103u, 125u, 126u, 127u, 132u, 135u})
        EXPECT_EQ(rewritten[i], 0) << i;
}

}  // namespace
}  // namespace qbx::statistics
