#include "base/zlib_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "support/zlib_once.h"

namespace qbx {
namespace {

constexpr std::size_t kBlock = ZlibDeflater::kBlockBytes;

// Records like a store's: a short key, zero padding, a few changing numbers. The zero runs
// make matches that reach back across a block's start.
std::string storeLike(std::size_t bytes, unsigned seed) {
    std::mt19937 random(seed);
    std::string out;
    out.reserve(bytes);
    while (out.size() < bytes) {
        std::string record(136, '\0');
        const std::size_t length = 3 + random() % 12;
        record[0] = static_cast<char>(length);
        for (std::size_t i = 1; i <= length; ++i)
            record[i] = static_cast<char>('a' + random() % 26);
        for (std::size_t i = 100; i < 112; ++i) record[i] = static_cast<char>(random() % 4);
        out += record;
    }
    out.resize(bytes);
    return out;
}

std::string deflated(const std::string& text, int level, unsigned threads,
                     std::size_t pieceBytes = 9973) {
    ZlibDeflater deflater(level, threads);
    for (std::size_t at = 0; at < text.size(); at += pieceBytes)
        deflater.add(std::string_view(text).substr(at, pieceBytes));
    return deflater.finish();
}

// Inflated by zlib's own one-call inflate, which checks the header and the checksum.
std::string inflated(const std::string& stream, std::size_t size) {
    std::string out(size + 1, '\0');
    uLongf length = static_cast<uLongf>(out.size());
    const int result = uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                                  reinterpret_cast<const Bytef*>(stream.data()),
                                  static_cast<uLong>(stream.size()));
    EXPECT_EQ(result, Z_OK);
    out.resize(length);
    return out;
}

std::string classic(const std::string& text, int level) { return test::zlibOnce(text, level); }

// (Without compression, zlib cuts its stored blocks by the room it is given for output: there
// the bytes depend on the buffers.)
TEST(ZlibDeflaterTest, UpToOneBlockIsZlibsOwnStreamByteForByte) {
    for (const int level : {1, Z_DEFAULT_COMPRESSION, 9})
        for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{5000}, kBlock}) {
            const std::string text = storeLike(size, 7);
            EXPECT_TRUE(deflated(text, level, 4) == classic(text, level)) << level << " " << size;
        }
}

TEST(ZlibDeflaterTest, LongerStreamsReadBackWhateverTheThreadsAndCutsOfTheInput) {
    const std::string text = storeLike(5 * kBlock + 4321, 11);
    for (const int level : {0, 1, Z_DEFAULT_COMPRESSION, 9}) {
        const std::string one = deflated(text, level, 1);
        ASSERT_TRUE(inflated(one, text.size()) == text) << level;
        // The level's mark in the header, as zlib writes it.
        EXPECT_EQ(one.substr(0, 2), classic("", level).substr(0, 2)) << level;
        // The same file for any number of threads and however the input came.
        EXPECT_TRUE(deflated(text, level, 3, 136) == one) << level;
        EXPECT_TRUE(deflated(text, level, 8, kBlock) == one) << level;
        EXPECT_TRUE(deflated(text, level, 0) == one) << level;
        if (level != 0) {
            // Each block sees the one before: hardly longer than one stream of the whole.
            EXPECT_LT(one.size(), classic(text, level).size() * 101 / 100 + 64) << level;
        }
    }
    // Whole blocks only: the last one is sent by finish.
    const std::string blocks = storeLike(3 * kBlock, 12);
    EXPECT_TRUE(inflated(deflated(blocks, 9, 2, kBlock), blocks.size()) == blocks);
}

TEST(ZlibDeflaterTest, RefusesALevelZlibRefuses) {
    EXPECT_THROW(ZlibDeflater(10), std::runtime_error);
    EXPECT_THROW(ZlibDeflater(-2), std::runtime_error);
}

}  // namespace
}  // namespace qbx
