#include "statistics/stat_store.h"

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <new>
#include <span>
#include <stdexcept>
#include <utility>

#include "base/text.h"
#include "base/zlib_stream.h"
#include "core/guard.h"
#include "core/kept_files.h"
#include "core/log.h"
#include "platform/platform.h"

namespace qbx::statistics {
namespace {

constexpr std::size_t kMaxFileBytes = kMaxStatFileBytes;
constexpr std::uint64_t kMaxInflatedBytes = kMaxStatInflatedBytes;

std::int32_t clampedInt32(std::size_t value) {
    return static_cast<std::int32_t>(std::min<std::size_t>(
        value, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
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
    explicit Deflater(int level) : stream_(level) {}
    void add(const StatEntry& record) { stream_.add(serialiseStatEntry(record)); }
    std::string finish() { return stream_.finish(); }

private:
    ZlibDeflater stream_;
};

// Inflates the ".Stat" stream held in `file` and hands each whole record to visit(index,
// bytes) in file order until it returns false.
template <typename Visit>
InflateOutcome inflateRecords(const std::string& file, Visit&& visit) {
    StatEntryBytes record{};
    return qbx::inflateRecords(file, kStatEntrySize, kMaxInflatedBytes,
                               [&](std::uint64_t index, std::span<const std::uint8_t> bytes) {
                                   std::copy(bytes.begin(), bytes.end(), record.begin());
                                   return visit(index, std::as_const(record));
                               });
}

std::string_view keyOf(const StatEntryBytes& bytes) {
    return {reinterpret_cast<const char*>(bytes.data() + 1),
            std::min<std::size_t>(bytes[0], kMaxKeyLength)};
}

// Whether the key comes before the other in the order the tree writes its entries: character
// by character, a code below 32 taken as the blank (it shares the blank's path), a key before
// the longer keys it begins.
bool beforeInTreeOrder(std::string_view a, std::string_view b) {
    const auto slot = [](char c) {
        const auto code = static_cast<unsigned char>(c);
        return code < 32 ? 32u : unsigned{code};
    };
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (slot(a[i]) != slot(b[i])) return slot(a[i]) < slot(b[i]);
    return a.size() < b.size();
}

// Where the run of records in strictly rising tree order that the latest record belongs to
// began.
class TreeOrderRun {
public:
    void add(std::uint64_t index, std::string_view key) {
        if (!started_ || !beforeInTreeOrder(previous_, key)) start_ = index;
        started_ = true;
        previous_.assign(key);
    }
    std::uint64_t start() const noexcept { return start_; }

private:
    std::string previous_;
    std::uint64_t start_ = 0;
    bool started_ = false;
};

struct MergeOutcome {
    InflateOutcome whole;  // of the walk over the whole stream
    std::uint64_t leftOutTrained = 0;
    std::uint64_t leftOutNew = 0;
    std::vector<StatEntry> leftOut;  // the records themselves, to be written back as they were
};

// Merges a ".Stat" stream into the tree, what was trained before ahead of what the last session
// added, so that a tree that runs out of nodes refuses new keys rather than trained ones.
//
// The stream holds the header, whose size counts the plain records, then the plain records (the
// last session's new keys), then the tree's entries in pre-order. The header counts the plain
// list with its blank records, which are not written, so the first tree entries may stand
// within that count. They are told apart by the tree's order: they begin the run of rising keys
// that goes on past the count. (A plain record can pass for one only by coming before every
// tree entry in that order.)
//
// Three walks over the same bytes: the header and everything past the count; the tree entries
// within the count; the plain records. Each record is merged once; a record that fails is
// reported through wrongEntry and the rest go on.
template <typename WrongEntry>
MergeOutcome mergeTrainedFirst(std::string& file, WordTrie& tree, double now,
                               WrongEntry&& wrongEntry) {
    MergeOutcome outcome;
    const auto merge = [&](const StatEntryBytes& bytes, std::uint64_t& leftOut) {
        try {
            StatEntry record = parseStatEntry(bytes);
            // Older files numbered their layout below 135 and used the reserved bytes, which
            // are not carried over anyway.
            if (record.marker != kMarkerEmpty && record.marker < kMarkerStored)
                record.marker = kMarkerStored;
            if (record.marker != kMarkerEmpty && !tree.mergeRecord(record, now)) {
                ++leftOut;
                outcome.leftOut.push_back(std::move(record));
            }
        } catch (...) {
            wrongEntry();
        }
    };

    std::uint64_t plainCount = 0;
    std::uint64_t treeStart = 1;  // the index of the first tree entry
    TreeOrderRun run;
    outcome.whole = inflateRecords(file, [&](std::uint64_t index, const StatEntryBytes& bytes) {
        if (index == 0) {
            const std::int32_t size = parseStatEntry(bytes).size;
            plainCount = size > 0 ? static_cast<std::uint64_t>(size) : 0;
            merge(bytes, outcome.leftOutTrained);
            return true;
        }
        if (index <= plainCount + 1) run.add(index, keyOf(bytes));
        if (index == plainCount + 1) treeStart = run.start();
        if (index > plainCount) merge(bytes, outcome.leftOutTrained);
        return true;
    });
    // Damage ends the walks where the first one ended: what came before it is merged all the same.
    const std::uint64_t lastIndex = outcome.whole.records > 0 ? outcome.whole.records - 1 : 0;
    if (lastIndex >= 1 && lastIndex <= plainCount) treeStart = run.start();  // none past the count
    const std::uint64_t plainEnd = std::min(plainCount, lastIndex);

    if (treeStart <= plainEnd)
        inflateRecords(file, [&](std::uint64_t index, const StatEntryBytes& bytes) {
            if (index >= treeStart) merge(bytes, outcome.leftOutTrained);
            return index < plainEnd;
        });
    if (treeStart > 1 && lastIndex >= 1)
        inflateRecords(file, [&](std::uint64_t index, const StatEntryBytes& bytes) {
            if (index >= 1) merge(bytes, outcome.leftOutNew);
            return index + 1 < treeStart;
        });
    return outcome;
}

}  // namespace

int zlibLevelFor(std::int32_t compressionLevel) noexcept {
    switch (compressionLevel) {
        case 1: return Z_BEST_SPEED;
        case 2: return Z_DEFAULT_COMPRESSION;
        case 3: return Z_BEST_COMPRESSION;
        default: return Z_NO_COMPRESSION;
    }
}

namespace {

WordTrie emptyTree(const StoreContext& context) {
    return WordTrie(
        context.clock.now(), context.nodeBudget,
        WordTrieHooks{[log = &context.log](std::string_view line) { log->write(line, 1); }, {}});
}

}  // namespace

StatStore::StatStore(StoreContext context) : context_(context), tree_(emptyTree(context)) {}

void StatStore::replaceTreeWithEmpty() { tree_ = emptyTree(context_); }

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
            context_.log.write(
                "Warning: can't retrieve index #" + decimal(static_cast<std::int64_t>(at)), 1);
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

std::optional<std::int32_t> StatStore::incrementIfPresent(std::string_view key, std::int32_t amount,
                                                          double now) {
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
    if (plain_.size() >= context_.nodeBudget) {
        if (plainRefused_++ == 0)
            context_.log.write("@@@ Plain list is full at " +
                                   decimal(static_cast<std::int64_t>(plain_.size())) +
                                   " records: new keys are left out",
                               1);
        return 0;
    }
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
    return addToTree(key, amount, context_.clock.now());
}

std::int32_t StatStore::addToTree(std::string_view key, std::int32_t amount, double now) {
    if (tree_.addWord(key, amount, now)) {
        dirty_ = true;
    } else {
        context_.log.write(
            "@@ Error while adding [" + storedKey(key) + "] [" + decimal(amount) + "]", 1);
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
    const std::string fileName = baseName + ".Stat";
    bool ok = false;
    try {
        ok = read(fileName);
    } catch (...) {
        readFailure_ = describeException(std::current_exception());
    }
    if (!ok) context_.log.write("Cannot load entry!!!!!!!!! " + fileName + ": " + readFailure_, 1);
}

bool StatStore::keepAside(const std::string& fileName, const std::string& damage) noexcept {
    try {
        readFailure_ = damage;
        const KeptAside aside = qbx::keepAside(context_.files, fileName);
        if (aside.kept) {
            context_.log.write("Damaged file kept as " + aside.path, 1);
            return false;
        }
        guardedFile_ = fileName;
        guardReason_ = "not written in this session, as it is damaged (" + damage +
                       ") and could not be kept aside (" + aside.failure + ")";
        context_.log.write("Cannot keep damaged file " + fileName +
                               (aside.path.empty() ? "" : " as " + aside.path) + " (" +
                               aside.failure + "): it is not written in this session",
                           1);
    } catch (...) {
        guardedFile_ = fileName;
    }
    return false;
}

bool StatStore::leaveAlone(const std::string& fileName, const std::string& reason) noexcept {
    try {
        readFailure_ = reason;
        guardedFile_ = fileName;
        guardReason_ = "not written in this session, as it could not be read (" + reason + ")";
        context_.log.write("Cannot read " + fileName + " (" + reason +
                               "): it is left as it is and not written in this session",
                           1);
    } catch (...) {
        guardedFile_ = fileName;
    }
    return false;
}

bool StatStore::read(const std::string& fileName) {
    Log& log = context_.log;
    FileSystem& files = context_.files;
    dirty_ = false;
    readFailure_.clear();
    log.write("Z-Reading from " + fileName, 1);
    plain_.clear();
    plainRefused_ = 0;
    plain_.shrink_to_fit();
    carried_.clear();
    carriedFrom_.clear();
    index_.clear();
    indexValid_ = true;

    // A folder in the file's place is no missing file: what is trained now could never be
    // saved, and the user must learn why.
    if (!files.fileExists(fileName) && !files.directoryExists(fileName)) {
        log.write("File " + fileName + " does not exists", 1);
        return true;
    }

    try {
        log.write("Creating file stream", 1);
        std::optional<std::string> file = files.readFile(fileName, kMaxFileBytes);
        if (!file) {
            const std::string reason = files.lastError();
            // Too long is about the content; anything else (no permission, a folder, a lock)
            // says nothing about the data, which stay where they are.
            return isTooLongReason(reason) ? keepAside(fileName, reason)
                                           : leaveAlone(fileName, reason);
        }
        log.write("Creating Z-stream", 1);
        log.write("Beginning read process", 1);

        const double now = context_.clock.now();
        const MergeOutcome merged =
            mergeTrainedFirst(*file, tree_, now, [&] { log.write("Wrong entry detected", 1); });
        const InflateOutcome& whole = merged.whole;
        if (merged.leftOutTrained + merged.leftOutNew > 0) {
            carried_ = std::move(merged.leftOut);
            carriedFrom_ = fileName;
            log.write("@@@ Word tree of " + fileName + " is full at " +
                          decimal(static_cast<std::int64_t>(tree_.nodeBudget())) +
                          " nodes: " + decimal(static_cast<std::int64_t>(merged.leftOutNew)) +
                          " new and " + decimal(static_cast<std::int64_t>(merged.leftOutTrained)) +
                          " trained keys left out, kept in the file as they are",
                      1);
        }
        if (!whole.damage.empty()) return keepAside(fileName, whole.damage);
        if (whole.trailingBytes > 0)
            log.write("Ignored " + decimal(static_cast<std::int64_t>(whole.trailingBytes)) +
                          " bytes at the end of " + fileName + ": not a whole record",
                      1);

        log.write("All entries were read", 1);
        // Counted as the classic reader counts its reads: every whole record and the final
        // short read.
        log.write("Z-Read " + decimal(static_cast<std::int64_t>(whole.records + 1)) +
                      " entries from " + fileName +
                      ", br:" + decimal(static_cast<std::int64_t>(tree_.countNodes())) +
                      ", lv:" + decimal(static_cast<std::int64_t>(tree_.countWords())),
                  1);
        return true;
    } catch (...) {
        // Most likely memory, not the file: the file stays, and so does the refusal to write
        // over it, since the tree holds only part of it.
        std::string reason = "unknown failure";
        try {
            reason = describeException(std::current_exception());
        } catch (...) {
        }
        return leaveAlone(fileName, reason);
    }
}

void StatStore::store(const std::string& fileName, std::int32_t compressionLevel) {
    if (!guardedFile_.empty() && guardedFile_ == fileName)
        throw std::runtime_error(guardReason_.empty() ? "not written in this session"
                                                      : guardReason_);
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
    // What the tree had no room for goes back as the file held it: after the tree's entries,
    // where the next load takes it as trained, ahead of the plain list.
    const bool carry = !carried_.empty() && carriedFrom_ == fileName;
    if (carry)
        for (const StatEntry& record : carried_) out.add(record);

    const std::string bytes = out.finish();
    if (!context_.files.writeFileAtomic(fileName, bytes))
        throw std::runtime_error(context_.files.lastError());

    if (!plain_.empty())
        context_.log.write("Z-Stored " + decimal(static_cast<std::int64_t>(plain_.size())) +
                               " plain entries to " + fileName,
                           1);
    context_.log.write("Z-Stored " + decimal(written) + " tree entries to " + fileName, 1);
    if (carry)
        context_.log.write("Z-Stored " + decimal(static_cast<std::int64_t>(carried_.size())) +
                               " entries the full tree left out to " + fileName + " as they were",
                           1);
    if (plainRefused_ > 0)
        context_.log.write("@@@ " + decimal(plainRefused_) + " new keys of " + fileName +
                               " were left out: its plain list is full at " +
                               decimal(static_cast<std::int64_t>(plain_.size())) + " records",
                           1);
    dirty_ = false;
}

}  // namespace qbx::statistics
