#include "statistics/stat_entry.h"

#include <gtest/gtest.h>

#include <string>

namespace qbx::statistics {
namespace {

StatEntry sample() {
    StatEntry entry;
    entry.key = "abc";
    entry.mdate = 45000.5;
    entry.cdate = 44927.25;
    entry.size = -2;
    entry.marker = kMarkerStored;
    entry.count = 7;
    return entry;
}

TEST(StatEntryTest, SerialisesToTheFileLayoutByteForByte) {
    // clang-format off
    const StatEntryBytes expected = {
        0x03, 'a', 'b', 'c', 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //   0
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  16
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  32
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  48
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  64
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  //  80
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,                                                  //  96
        0x00, 0x00, 0x00, 0x00, 0x10, 0xF9, 0xE5, 0x40,                                                  // 104 mdate
        0x00, 0x00, 0x00, 0x00, 0xE8, 0xEF, 0xE5, 0x40,                                                  // 112 cdate
        0xFE, 0xFF, 0xFF, 0xFF,                                                                          // 120 size
        0x87, 0x00, 0x00, 0x00,                                                                          // 124 marker
        0x07, 0x00, 0x00, 0x00,                                                                          // 128 count
        0x00, 0x00, 0x00, 0x00,                                                                          // 132
    };
    // clang-format on
    EXPECT_EQ(serialiseStatEntry(sample()), expected);
    EXPECT_EQ(parseStatEntry(expected), sample());
}

TEST(StatEntryTest, KeysOfEveryLengthAndByteRoundTrip) {
    for (std::size_t length : {0u, 1u, 79u, 80u}) {
        StatEntry entry = sample();
        entry.key.clear();
        for (std::size_t i = 0; i < length; ++i) entry.key += static_cast<char>((i * 37) % 256);
        entry.marker = kMarkerNode;
        EXPECT_EQ(parseStatEntry(serialiseStatEntry(entry)), entry) << length;
    }
}

TEST(StatEntryTest, LongKeysAreCutToEightyAndTheBytesAfterTheKeyAreZero) {
    StatEntry entry = sample();
    entry.key = std::string(100, 'x');
    const StatEntryBytes bytes = serialiseStatEntry(entry);
    EXPECT_EQ(bytes[0], 80);
    EXPECT_EQ(bytes[80], 'x');
    for (std::size_t i = 81; i < 104; ++i) EXPECT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(parseStatEntry(bytes).key, std::string(80, 'x'));

    entry.key = "ab";
    const StatEntryBytes shorter = serialiseStatEntry(entry);
    for (std::size_t i = 3; i <= 80; ++i) EXPECT_EQ(shorter[i], 0) << i;
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
    for (std::size_t i : {81u, 96u, 103u, 125u, 126u, 127u, 132u, 135u}) EXPECT_EQ(rewritten[i], 0) << i;
}

}  // namespace
}  // namespace qbx::statistics
