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

constexpr std::size_t kBlock = std::size_t{256} << 10;

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

std::string deflated(const std::string& text, int level, std::size_t pieceBytes = 9973) {
    ZlibDeflater deflater(level);
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

// (Without compression, zlib cuts its stored blocks by the room it is given for output: there
// the bytes depend on the buffers.)
TEST(ZlibDeflaterTest, IsZlibsOwnStreamByteForByteHoweverTheInputComes) {
    for (const int level : {1, Z_DEFAULT_COMPRESSION, 9})
        for (const std::size_t size :
             {std::size_t{0}, std::size_t{1}, std::size_t{5000}, kBlock, 5 * kBlock + 4321}) {
            const std::string text = storeLike(size, 7);
            const std::string classic = test::zlibOnce(text, level);
            EXPECT_TRUE(deflated(text, level) == classic) << level << " " << size;
            EXPECT_TRUE(deflated(text, level, 136) == classic) << level << " " << size;
            EXPECT_TRUE(deflated(text, level, kBlock) == classic) << level << " " << size;
        }
}

TEST(ZlibDeflaterTest, StoredStreamsReadBack) {
    const std::string text = storeLike(5 * kBlock + 4321, 11);
    const std::string stored = deflated(text, 0, 136);
    EXPECT_TRUE(inflated(stored, text.size()) == text);
    EXPECT_EQ(stored.substr(0, 2), test::zlibOnce("", 0).substr(0, 2));
}

TEST(ZlibDeflaterTest, RefusesALevelZlibRefuses) {
    EXPECT_THROW(ZlibDeflater(10), std::runtime_error);
    EXPECT_THROW(ZlibDeflater(-2), std::runtime_error);
}

}  // namespace
}  // namespace qbx
