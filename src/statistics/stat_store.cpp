#include "statistics/stat_store.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "core/log.h"
#include "core/text.h"
#include "platform/platform.h"

namespace qbx::statistics {
namespace {

// A ".Stat" file is read whole before it is inflated; this keeps a stray huge file from taking
// the host's address space (an uncompressed store of a full tree is well below it).
constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;
// What a file may inflate to. Records go into the tree, which has its own budget, so memory is
// not at stake here; time is: a small bomb of zeros must not keep the host busy for minutes.
constexpr std::uint64_t kMaxInflatedBytes = std::uint64_t{1} << 30;
constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
constexpr std::size_t kRecordsPerBatch = 256;

std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

std::int32_t clampedInt32(std::size_t value) {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(value, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
}

std::string storedKey(std::string_view key) { return std::string(key.substr(0, kMaxKeyLength)); }

// The record as the plain list holds it: what does not fit the file's key field is not kept.
StatEntry asStored(StatEntry record) {
    if (record.key.size() > kMaxKeyLength) record.key.resize(kMaxKeyLength);
    return record;
}

bool blankKey(const std::string& key) { return trimBlankOrControl(key).empty(); }

// Deflates records into one zlib stream in memory.
class Deflater {
public:
    explicit Deflater(int level) {
        if (deflateInit(&stream_, level) != Z_OK) throw std::runtime_error("deflateInit failed");
        batch_.reserve(kRecordsPerBatch * kStatEntrySize);
    }
    ~Deflater() { deflateEnd(&stream_); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    void add(const StatEntry& record) {
        const StatEntryBytes bytes = serialiseStatEntry(record);
        batch_.insert(batch_.end(), bytes.begin(), bytes.end());
        if (batch_.size() >= kRecordsPerBatch * kStatEntrySize) pump(Z_NO_FLUSH);
    }

    std::string finish() {
        pump(Z_FINISH);
        return std::move(out_);
    }

private:
    void pump(int flush) {
        stream_.next_in = batch_.data();
        stream_.avail_in = static_cast<uInt>(batch_.size());
        int result = Z_OK;
        do {
            stream_.next_out = chunk_.data();
            stream_.avail_out = static_cast<uInt>(chunk_.size());
            result = deflate(&stream_, flush);
            if (result == Z_STREAM_ERROR) throw std::runtime_error("deflate failed");
            out_.append(reinterpret_cast<const char*>(chunk_.data()), chunk_.size() - stream_.avail_out);
        } while (stream_.avail_out == 0 || (flush == Z_FINISH && result != Z_STREAM_END));
        batch_.clear();
    }

    z_stream stream_{};
    std::vector<Bytef> batch_;
    std::vector<Bytef> chunk_ = std::vector<Bytef>(kChunkBytes);
    std::string out_;
};

}  // namespace

int zlibLevelFor(std::int32_t compressionLevel) noexcept {
    switch (compressionLevel) {
        case 1: return Z_BEST_SPEED;
        case 2: return Z_DEFAULT_COMPRESSION;
        case 3: return Z_BEST_COMPRESSION;
        default: return Z_NO_COMPRESSION;
    }
}

StatStore::StatStore(StoreContext context)
    : context_(context),
      tree_(context.clock.now(), context.nodeBudget,
            WordTrieHooks{[log = &context.log](std::string_view line) { log->write(line, 1); }, {}}) {}

// ---- the plain list ------------------------------------------------------------------------

std::string StatStore::key(std::size_t index) const {
    if (index >= plain_.size()) return {};
    return std::string(trimBlankOrControl(plain_[index].key));
}

std::int32_t StatStore::size(std::size_t index) const {
    if (index >= plain_.size()) return -1;
    return plain_[index].marker < kMarkerStored ? 0 : plain_[index].size;
}

std::int32_t StatStore::cnt(std::size_t index) const {
    return index < plain_.size() ? plain_[index].count : -1;
}

StatEntry StatStore::record(std::size_t index) const {
    return index < plain_.size() ? plain_[index] : StatEntry{};
}

void StatStore::putRecord(std::size_t index, const StatEntry& record) {
    if (index >= plain_.size()) return;
    plain_[index] = asStored(record);
    indexValid_ = false;
    dirty_ = true;
}

void StatStore::clearRecord(std::size_t index) {
    if (index >= plain_.size()) return;
    plain_[index] = StatEntry{};
    indexValid_ = false;
    dirty_ = true;
}

void StatStore::appendRecord(const StatEntry& record) {
    plain_.push_back(asStored(record));
    fileLastRecord();
    dirty_ = true;
}

void StatStore::fileLastRecord() noexcept {
    if (!indexValid_) return;
    // The first record of a key keeps its place in the index; a later one never replaces it.
    try {
        const std::size_t position = plain_.size() - 1;
        if (position >= ExactKeyIndex::kAbsent) throw std::bad_alloc();
        index_.insertIfAbsent(trimBlankOrControl(plain_.back().key),
                              static_cast<std::uint32_t>(position));
    } catch (...) {
        indexValid_ = false;  // rebuilt at the next count
    }
}

void StatStore::swap(std::size_t i, std::size_t j) {
    try {
        bool readable = true;
        for (const std::size_t at : {i, j}) {
            if (at < plain_.size()) continue;
            context_.log.write("Warning: can't retrieve index #" + decimal(static_cast<std::int64_t>(at)), 1);
            readable = false;
        }
        if (!readable) return;
        std::swap(plain_[i], plain_[j]);
        indexValid_ = false;
        dirty_ = true;
    } catch (...) {
        context_.log.write("Exception on swap!", 1);
    }
}

std::int32_t StatStore::addOrIncrement(std::string_view key, std::int32_t amount) {
    return addOrIncrement(key, amount, context_.clock.now());
}

std::optional<std::int32_t> StatStore::incrementIfPresent(std::string_view key,
                                                          std::int32_t amount, double now) {
    dirty_ = true;
    try {
        if (!indexValid_) {
            index_.clear();
            if (plain_.size() >= ExactKeyIndex::kAbsent) throw std::bad_alloc();
            for (std::size_t i = 0; i < plain_.size(); ++i)
                index_.insertIfAbsent(trimBlankOrControl(plain_[i].key),
                                      static_cast<std::uint32_t>(i));
            indexValid_ = true;
        }
        // Stored keys are at most 80 characters: a longer key is never found, as it never was.
        if (key.size() <= kMaxKeyLength) {
            const std::uint32_t found = index_.find(key);
            if (found != ExactKeyIndex::kAbsent) {
                StatEntry& record = plain_[found];
                record.count = wrappingAdd(record.count, 1);
                record.size = wrappingAdd(record.size, amount);
                record.mdate = now;
                return clampedInt32(found);
            }
        }
    } catch (...) {
        indexValid_ = false;
        context_.log.write("Can't increment item", 1);
    }
    return std::nullopt;
}

std::int32_t StatStore::addOrIncrement(std::string_view key, std::int32_t amount, double now) {
    if (const std::optional<std::int32_t> found = incrementIfPresent(key, amount, now))
        return *found;
    try {
        StatEntry record;
        record.key = storedKey(key);
        record.count = 1;
        record.size = amount;
        record.cdate = now;
        record.mdate = now;
        record.marker = kMarkerStored;
        plain_.push_back(std::move(record));
        fileLastRecord();
    } catch (...) {
        context_.log.write("Can't add item", 1);
    }
    return 0;
}

// ---- the tree ------------------------------------------------------------------------------

std::int32_t StatStore::addToTree(std::string_view key, std::int32_t amount) {
    if (tree_.addWord(key, amount, context_.clock.now())) {
        dirty_ = true;
    } else {
        context_.log.write("@@ Error while adding [" + storedKey(key) + "] [" + decimal(amount) + "]", 1);
    }
    return 0;
}

std::int32_t StatStore::treeCount(std::string_view key) const {
    if (key.size() > kMaxKeyLength) return 0;
    return tree_.countOf(key);
}

// ---- the file ------------------------------------------------------------------------------

void StatStore::load(const std::string& baseName) {
    context_.log.write("TZStorage is about to load from " + baseName, 1);
    dirty_ = false;
    bool ok = false;
    try {
        ok = read(baseName + ".Stat");
    } catch (...) {
    }
    if (!ok) context_.log.write("Cannot load entry!!!!!!!!!", 1);
}

bool StatStore::read(const std::string& fileName) {
    Log& log = context_.log;
    dirty_ = false;
    log.write("Z-Reading from " + fileName, 1);
    plain_.clear();
    plain_.shrink_to_fit();
    index_.clear();
    indexValid_ = true;

    if (!context_.files.fileExists(fileName)) {
        log.write("File " + fileName + " does not exists", 1);
        return true;
    }

    // Whatever cannot be read whole is moved out of the way first, so that the next write of
    // this store cannot replace the only copy of the user's data.
    const auto keepAside = [&]() noexcept {
        try {
            const std::string bad = fileName + ".bad";
            if (context_.files.replaceFile(fileName, bad) || context_.files.renameFile(fileName, bad))
                log.write("Damaged file kept as " + bad, 1);
            else {
                // The damaged file is still in place: never write over it in this session.
                guardedFile_ = fileName;
                log.write("Cannot keep damaged file " + fileName + " as " + bad, 1);
            }
        } catch (...) {
        }
        return false;
    };

    try {
        log.write("Creating file stream", 1);
        std::optional<std::string> file = context_.files.readFile(fileName, kMaxFileBytes);
        if (!file) return keepAside();

        log.write("Creating Z-stream", 1);
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK) return keepAside();
        struct End {
            z_stream& s;
            ~End() { inflateEnd(&s); }
        } end{stream};
        log.write("Beginning read process", 1);

        std::size_t fed = 0;  // zlib counts its input in uInt: a longer file goes in slices
        std::vector<std::uint8_t> chunk(kChunkBytes);
        StatEntryBytes pending{};
        std::size_t pendingBytes = 0;
        std::int64_t reads = 0;
        std::uint64_t inflated = 0;
        const double now = context_.clock.now();

        for (;;) {
            if (stream.avail_in == 0 && fed < file->size()) {
                const std::size_t slice =
                    std::min<std::size_t>(file->size() - fed, std::numeric_limits<uInt>::max());
                stream.next_in = reinterpret_cast<Bytef*>(file->data() + fed);
                stream.avail_in = static_cast<uInt>(slice);
                fed += slice;
            }
            stream.next_out = chunk.data();
            stream.avail_out = static_cast<uInt>(chunk.size());
            const int result = inflate(&stream, Z_NO_FLUSH);
            const std::size_t produced = chunk.size() - stream.avail_out;
            inflated += produced;

            for (std::size_t at = 0; at < produced;) {
                const std::size_t take = std::min(kStatEntrySize - pendingBytes, produced - at);
                std::copy_n(chunk.begin() + static_cast<std::ptrdiff_t>(at), take,
                            pending.begin() + static_cast<std::ptrdiff_t>(pendingBytes));
                pendingBytes += take;
                at += take;
                if (pendingBytes < kStatEntrySize) break;
                pendingBytes = 0;
                ++reads;
                try {
                    StatEntry record = parseStatEntry(pending);
                    // Older files numbered their layout below 135 and used the reserved
                    // bytes, which are not carried over anyway.
                    if (record.marker != kMarkerEmpty && record.marker < kMarkerStored)
                        record.marker = kMarkerStored;
                    if (record.marker != kMarkerEmpty) tree_.mergeRecord(record, now);
                } catch (...) {
                    log.write("Wrong entry detected", 1);
                }
            }

            if (result == Z_STREAM_END) break;
            const bool moreInput = result == Z_BUF_ERROR && fed < file->size();
            // Damaged data, a stream that ends before its end mark, or one that would not end.
            if ((result != Z_OK && !moreInput) || inflated > kMaxInflatedBytes) return keepAside();
        }
        ++reads;  // the final short read, counted like every other

        log.write("All entries were read", 1);
        log.write("Z-Read " + decimal(reads) + " entries from " + fileName +
                      ", br:" + decimal(static_cast<std::int64_t>(tree_.countNodes())) +
                      ", lv:" + decimal(static_cast<std::int64_t>(tree_.countWords())),
                  1);
        return true;
    } catch (...) {
        return keepAside();
    }
}

void StatStore::store(const std::string& fileName, std::int32_t compressionLevel) {
    if (!guardedFile_.empty() && guardedFile_ == fileName)
        throw std::runtime_error("damaged file could not be kept aside: " + fileName);
    Deflater out(zlibLevelFor(compressionLevel));
    const double now = context_.clock.now();

    StatEntry header;
    header.cdate = now;
    header.mdate = now;
    header.size = clampedInt32(plain_.size());
    header.marker = kMarkerStored;
    out.add(header);

    for (const StatEntry& record : plain_)
        if (!blankKey(record.key)) out.add(record);

    std::int32_t written = 0;
    tree_.updateEntries([&](StatEntry& entry) {
        if (entry.marker != kMarkerStored && entry.marker != kMarkerNode) return;
        if (blankKey(entry.key)) return;
        entry.marker = kMarkerStored;
        out.add(entry);
        ++written;
    });
    treeEntriesWritten_ = written;

    const std::string bytes = out.finish();
    if (!context_.files.writeFileAtomic(fileName, bytes))
        throw std::runtime_error("Cannot write " + fileName);

    if (!plain_.empty())
        context_.log.write("Z-Stored " + decimal(static_cast<std::int64_t>(plain_.size())) +
                               " plain entries to " + fileName,
                           1);
    context_.log.write("Z-Stored " + decimal(written) + " tree entries to " + fileName, 1);
    dirty_ = false;
}

}  // namespace qbx::statistics
