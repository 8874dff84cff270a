// Files that are one zlib stream of fixed-size records: deflated in memory, and
// inflated a chunk at a time with the records handed over as they complete, within a cap on
// what the stream may inflate to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

// Deflates what is added into one zlib stream held in memory. Up to one block of input is
// deflated as one piece, as zlib's deflate alone would do it. A longer input is deflated a
// block at a time, each block on a thread of its own with the 32 KiB before it as its
// dictionary, and the pieces are joined into one stream: the level is the same, the output a
// few bytes a block longer, and what the file holds is the same for every number of threads.
// The threads are the deflater's alone: they touch only their own blocks, and each is joined
// before finish returns or the deflater is gone (the module's only threads besides the host's).
// Throws std::runtime_error when zlib refuses, std::bad_alloc when memory runs out; a worker's
// failure is thrown on the caller's thread.
class ZlibDeflater {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{256} << 10;

    // threads: how many blocks may be deflated at once; 0 for as many as the machine has
    // processors, at most 4.
    explicit ZlibDeflater(int level, unsigned threads = 0);
    ~ZlibDeflater();
    ZlibDeflater(const ZlibDeflater&) = delete;
    ZlibDeflater& operator=(const ZlibDeflater&) = delete;

    void add(std::span<const std::uint8_t> bytes);
    void add(std::string_view bytes);
    // The whole stream; the deflater takes nothing more after it.
    std::string finish();

private:
    struct Piece;
    // Sends the block gathered so far to be deflated; `last` ends the stream.
    void sendBlock(bool last);
    // Waits for the oldest piece and appends its output.
    void takeOldest();

    int level_;
    unsigned threads_;
    std::vector<std::uint8_t> block_;
    std::vector<std::uint8_t> window_;            // the last 32 KiB of the block sent before
    std::vector<std::unique_ptr<Piece>> pieces_;  // in stream order, oldest first
    std::uint32_t adler_ = 1;
    bool split_ = false;  // a block has been sent: the stream is made of pieces
    std::string out_;
};

// What walking a stream of records came to.
struct InflateOutcome {
    std::uint64_t records = 0;      // whole records handed over
    std::size_t trailingBytes = 0;  // of a last record cut short, which is not handed over
    std::string damage;             // why the stream could not be read to its end mark
};

// Called with each whole record's index and bytes, in stream order; false stops the walk.
using RecordVisit = std::function<bool(std::uint64_t index, std::span<const std::uint8_t> bytes)>;

// Inflates the stream in `file` and hands over each whole record of recordSize bytes. Only one
// chunk is held at a time, so the same bytes can be walked again at the cost of inflating them
// again. Data that inflate to more than maxInflated bytes end the walk as damage. Throws
// std::bad_alloc when zlib runs out of memory.
InflateOutcome inflateRecords(std::string_view file, std::size_t recordSize,
                              std::uint64_t maxInflated, const RecordVisit& visit);

}  // namespace qbx
