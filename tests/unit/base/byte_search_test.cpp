#include "base/byte_search.h"

#include <gtest/gtest.h>

#include <string>

namespace qbx {
namespace {

// Every length across two steps and the tail, the byte at every place (and twice, so that the
// first is found), bytes that differ from it only in the high bit or by one, and the zero byte.
TEST(ByteSearchTest, FindsTheFirstOccurrenceAtEveryLengthAndPlace) {
    for (const char wanted : {'\n', '\0', '\x80', '\xFF', 'a'}) {
        const char other = static_cast<char>(static_cast<unsigned char>(wanted) ^ 0x80);
        const char next = static_cast<char>(wanted + 1);
        for (std::size_t length = 0; length <= 20; ++length) {
            std::string text(length, other);
            for (std::size_t i = 0; i < length; ++i) text[i] = i % 2 == 0 ? other : next;
            EXPECT_EQ(findByte(text, wanted), length) << length;
            for (std::size_t at = 0; at < length; ++at) {
                std::string with = text;
                with[at] = wanted;
                if (at + 3 < length) with[at + 3] = wanted;
                EXPECT_EQ(findByte(with, wanted), at) << length << " " << at;
                EXPECT_EQ(findByte(with, wanted, at + 1), at + 3 < length ? at + 3 : length);
            }
        }
    }
    EXPECT_EQ(findByte("abc", 'a', 7), 3u);  // a start past the end finds nothing
}

// Both sides of the short-text cut, a difference at every place, and a prefix of the other.
TEST(ByteSearchTest, EqualBytesComparesEveryByteAndTheLength) {
    for (std::size_t length = 0; length <= 20; ++length) {
        const std::string text(length, '\xE0');
        EXPECT_TRUE(equalBytes(text, std::string(length, '\xE0'))) << length;
        EXPECT_FALSE(equalBytes(text, text + '\xE0')) << length;
        for (std::size_t at = 0; at < length; ++at) {
            std::string other = text;
            other[at] = '\x60';
            EXPECT_FALSE(equalBytes(text, other)) << length << " " << at;
        }
    }
}

}  // namespace
}  // namespace qbx
