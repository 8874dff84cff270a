#include "base/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/text.h"

namespace qbx {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} << 10;

std::string zlibDamage(const z_stream& stream, int result) {
    if (result == Z_BUF_ERROR) return "the compressed data end before their end mark";
    if (result == Z_NEED_DICT) return "the compressed data need a preset dictionary";
    return stream.msg != nullptr ? std::string(stream.msg) : "damaged compressed data";
}

}  // namespace

struct ZlibDeflater::Stream {
    z_stream z{};
    std::vector<unsigned char> chunk = std::vector<unsigned char>(kChunkBytes);
    bool finished = false;
    ~Stream() { deflateEnd(&z); }
};

ZlibDeflater::ZlibDeflater(int level) : stream_(std::make_unique<Stream>()) {
    const int init = deflateInit(&stream_->z, level);
    if (init == Z_MEM_ERROR) throw std::bad_alloc();
    if (init != Z_OK) throw std::runtime_error("deflateInit failed");
}

ZlibDeflater::~ZlibDeflater() = default;

void ZlibDeflater::drain(int flush) {
    z_stream& z = stream_->z;
    std::vector<unsigned char>& chunk = stream_->chunk;
    int result = Z_OK;
    do {
        z.next_out = chunk.data();
        z.avail_out = static_cast<uInt>(chunk.size());
        result = deflate(&z, flush);
        if (result == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
        out_.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - z.avail_out);
    } while (z.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

void ZlibDeflater::add(std::span<const std::uint8_t> bytes) {
    if (stream_->finished) throw std::logic_error("the stream is finished");
    z_stream& z = stream_->z;
    // zlib counts its input in uInt: a longer piece goes in slices.
    while (!bytes.empty()) {
        const std::size_t slice =
            std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
        z.next_in = const_cast<Bytef*>(bytes.data());  // zlib never writes through next_in
        z.avail_in = static_cast<uInt>(slice);
        drain(Z_NO_FLUSH);
        bytes = bytes.subspan(slice);
    }
}

void ZlibDeflater::add(std::string_view bytes) {
    add(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size()));
}

std::string ZlibDeflater::finish() {
    if (stream_->finished) throw std::logic_error("the stream is finished");
    stream_->z.next_in = nullptr;
    stream_->z.avail_in = 0;
    drain(Z_FINISH);
    stream_->finished = true;
    return std::move(out_);
}

InflateOutcome inflateRecords(std::string_view file, std::size_t recordSize,
                              std::uint64_t maxInflated, const RecordVisit& visit) {
    InflateOutcome outcome;
    if (recordSize == 0) throw std::invalid_argument("records of no bytes");
    z_stream stream{};
    if (const int init = inflateInit(&stream); init != Z_OK) {
        if (init == Z_MEM_ERROR) throw std::bad_alloc();
        throw std::runtime_error("zlib cannot start inflating");
    }
    struct End {
        z_stream& s;
        ~End() { inflateEnd(&s); }
    } end{stream};

    std::size_t fed = 0;  // zlib counts its input in uInt: a longer file goes in slices
    std::vector<std::uint8_t> chunk(kChunkBytes);
    std::vector<std::uint8_t> pending(recordSize);
    std::size_t pendingBytes = 0;
    std::uint64_t inflated = 0;
    for (;;) {
        if (stream.avail_in == 0 && fed < file.size()) {
            const std::size_t slice =
                std::min<std::size_t>(file.size() - fed, std::numeric_limits<uInt>::max());
            // zlib never writes through next_in.
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data() + fed));
            stream.avail_in = static_cast<uInt>(slice);
            fed += slice;
        }
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        if (result == Z_MEM_ERROR) throw std::bad_alloc();
        const std::size_t produced = chunk.size() - stream.avail_out;
        inflated += produced;

        for (std::size_t at = 0; at < produced;) {
            const std::size_t take = std::min(recordSize - pendingBytes, produced - at);
            std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(at), take,
                        pending.begin() + static_cast<std::ptrdiff_t>(pendingBytes));
            pendingBytes += take;
            at += take;
            if (pendingBytes < recordSize) break;
            pendingBytes = 0;
            if (!visit(outcome.records++, std::as_const(pending))) return outcome;
        }

        if (result == Z_STREAM_END) break;
        const bool moreInput = result == Z_BUF_ERROR && fed < file.size();
        // Damaged data, a stream that ends before its end mark, or one that would not end.
        if (result != Z_OK && !moreInput) {
            outcome.damage = zlibDamage(stream, result);
            return outcome;
        }
        if (inflated > maxInflated) {
            outcome.damage = "the data inflate to more than " +
                             decimal(static_cast<std::int64_t>(maxInflated)) + " bytes";
            return outcome;
        }
    }
    outcome.trailingBytes = pendingBytes;
    return outcome;
}

}  // namespace qbx
