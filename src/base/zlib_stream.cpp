#include "base/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>
#include <thread>
#include <utility>

#include "base/text.h"

namespace qbx {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} << 10;

std::string zlibDamage(const z_stream& stream, int result) {
    if (result == Z_BUF_ERROR) return "the compressed data end before their end mark";
    if (result == Z_NEED_DICT) return "the compressed data need a preset dictionary";
    return stream.msg != nullptr ? std::string(stream.msg) : "damaged compressed data";
}

constexpr std::size_t kWindowBytes = std::size_t{32} << 10;
constexpr unsigned kMaxThreads = 4;

int effectiveLevel(int level) { return level == Z_DEFAULT_COMPRESSION ? 6 : level; }

// The two bytes that open a zlib stream of deflate with a 32 KiB window at the level, as
// zlib's deflate writes them.
std::string streamHeader(int level) {
    level = effectiveLevel(level);
    const unsigned levelFlags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned header = (Z_DEFLATED + ((15 - 8) << 4)) << 8 | levelFlags << 6;
    header += 31 - header % 31;
    return {static_cast<char>(header >> 8), static_cast<char>(header & 0xFF)};
}

// Runs deflate over everything the stream was given, appending what it writes to `out`.
void drain(z_stream& stream, int flush, std::string& out) {
    std::vector<unsigned char> chunk(kChunkBytes);
    int result = Z_OK;
    do {
        stream.next_out = chunk.data();
        stream.avail_out = static_cast<uInt>(chunk.size());
        result = deflate(&stream, flush);
        if (result == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
        out.append(reinterpret_cast<const char*>(chunk.data()), chunk.size() - stream.avail_out);
    } while (stream.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
}

// Deflates `input` into `out`: a whole zlib stream, or (raw) one piece of one, which ends on a
// byte boundary unless it is the last.
void deflateInto(int level, bool raw, std::span<const std::uint8_t> dictionary,
                 std::span<const std::uint8_t> input, bool last, std::string& out) {
    z_stream stream{};
    const int init = raw ? deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY)
                         : deflateInit(&stream, level);
    if (init == Z_MEM_ERROR) throw std::bad_alloc();
    if (init != Z_OK) throw std::runtime_error("deflateInit failed");
    struct End {
        z_stream& s;
        ~End() { deflateEnd(&s); }
    } end{stream};
    if (!dictionary.empty() && deflateSetDictionary(&stream, dictionary.data(),
                                                    static_cast<uInt>(dictionary.size())) != Z_OK)
        throw std::runtime_error("deflateSetDictionary failed");
    stream.next_in = const_cast<Bytef*>(input.data());  // zlib never writes through next_in
    stream.avail_in = static_cast<uInt>(input.size());
    drain(stream, last ? Z_FINISH : Z_SYNC_FLUSH, out);
}

}  // namespace

// One block on its way: deflated by its own thread, or at once when no thread could start.
struct ZlibDeflater::Piece {
    std::vector<std::uint8_t> input;
    std::vector<std::uint8_t> dictionary;
    bool last = false;
    std::string output;
    std::exception_ptr failure;
    std::thread worker;

    void run(int level) noexcept {
        try {
            deflateInto(level, true, dictionary, input, last, output);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    ~Piece() {
        if (worker.joinable()) worker.join();
    }
};

ZlibDeflater::ZlibDeflater(int level, unsigned threads)
    : level_(level),
      threads_(threads != 0 ? threads
                            : std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads)) {
    // Refused here rather than on the first block, as zlib refuses it.
    if (effectiveLevel(level) < 0 || effectiveLevel(level) > 9)
        throw std::runtime_error("deflateInit failed");
    block_.reserve(kBlockBytes);
}

ZlibDeflater::~ZlibDeflater() = default;

void ZlibDeflater::add(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        // A full block is sent only once more follows: a stream of one block stays one piece.
        if (block_.size() == kBlockBytes) sendBlock(false);
        const std::size_t take = std::min(kBlockBytes - block_.size(), bytes.size());
        block_.insert(block_.end(), bytes.begin(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(take));
        bytes = bytes.subspan(take);
    }
}

void ZlibDeflater::add(std::string_view bytes) {
    add(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size()));
}

void ZlibDeflater::sendBlock(bool last) {
    if (!split_) {
        out_ = streamHeader(level_);
        split_ = true;
    }
    while (pieces_.size() >= threads_) takeOldest();
    auto piece = std::make_unique<Piece>();
    piece->dictionary = window_;
    piece->last = last;
    adler_ = static_cast<std::uint32_t>(
        adler32(adler_, block_.data(), static_cast<uInt>(block_.size())));
    const std::size_t keep = std::min(kWindowBytes, block_.size());
    window_.assign(block_.end() - static_cast<std::ptrdiff_t>(keep), block_.end());
    piece->input = std::move(block_);
    block_ = {};
    if (!last) block_.reserve(kBlockBytes);
    Piece& sent = *piece;
    pieces_.push_back(std::move(piece));
    if (threads_ > 1) {
        try {
            sent.worker = std::thread([&sent, level = level_] { sent.run(level); });
            return;
        } catch (...) {
            // No thread to be had: the block is deflated here instead.
        }
    }
    sent.run(level_);
}

void ZlibDeflater::takeOldest() {
    std::unique_ptr<Piece> piece = std::move(pieces_.front());
    pieces_.erase(pieces_.begin());
    if (piece->worker.joinable()) piece->worker.join();
    if (piece->failure) std::rethrow_exception(piece->failure);
    out_ += piece->output;
}

std::string ZlibDeflater::finish() {
    if (!split_) {
        std::string whole;
        deflateInto(level_, false, {}, block_, true, whole);
        return whole;
    }
    sendBlock(true);
    while (!pieces_.empty()) takeOldest();
    for (int shift = 24; shift >= 0; shift -= 8) out_.push_back(static_cast<char>(adler_ >> shift));
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
