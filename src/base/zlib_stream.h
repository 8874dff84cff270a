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

// Deflates what is added into one zlib stream held in memory, on the caller's thread, as zlib's
// deflate does it in one call: however the input comes, the stream is the same. Throws
// std::runtime_error when zlib refuses (a level it does not know), std::bad_alloc when memory
// runs out.
class ZlibDeflater {
public:
    explicit ZlibDeflater(int level);
    ~ZlibDeflater();
    ZlibDeflater(const ZlibDeflater&) = delete;
    ZlibDeflater& operator=(const ZlibDeflater&) = delete;

    void add(std::span<const std::uint8_t> bytes);
    void add(std::string_view bytes);
    // The whole stream; the deflater takes nothing more after it.
    std::string finish();

private:
    struct Stream;
    // Runs deflate over what it was given, appending its output.
    void drain(int flush);

    std::unique_ptr<Stream> stream_;
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
