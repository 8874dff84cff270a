// The CRCs of the hash macros against their published check values and, for CRC-32, against
// zlib's common CRC-32, of which ours is the bitwise complement.
#include "functions/encoding/checksums.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace qbx::functions::encoding {
namespace {

using namespace std::string_literals;

std::uint32_t zlibCrc32(std::string_view bytes) {
    return static_cast<std::uint32_t>(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

TEST(Checksums, CheckValuesAndTheEmptyText) {
    EXPECT_EQ(crc32Jam("123456789"), 0x340BC6D9u);
    EXPECT_EQ(crc16Mcrf4xx("123456789"), 0x6F91u);
    EXPECT_EQ(crc32Jam(""), 0xFFFFFFFFu);
    EXPECT_EQ(crc16Mcrf4xx(""), 0xFFFFu);
}

TEST(Checksums, EveryByteCountsHighAndZeroBytesToo) {
    const std::string cyrillic = "\xC0\xE1\xE2\xFF\x00"s;
    EXPECT_EQ(crc32Jam(cyrillic), 0x87493FD8u);
    EXPECT_EQ(crc16Mcrf4xx(cyrillic), 0x9017u);
    EXPECT_EQ(crc16Mcrf4xx("abc"), 0x61DAu);
    for (const std::string& text : {"abc"s, cyrillic, std::string(1000, '\xAA'), "a\0b"s})
        EXPECT_EQ(crc32Jam(text), ~zlibCrc32(text)) << text.size();
}

}  // namespace
}  // namespace qbx::functions::encoding
