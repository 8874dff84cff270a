// A statistics item's entries in memory and in its ".Stat" file. The tree holds what the file
// held plus keys added to it directly; lookups read only the tree. The plain list collects what
// training adds while the module is loaded; it is written beside the tree and folded into the
// tree when the file is next read.
//
// The file is one zlib stream of 136-byte records: a header record (empty key, both dates the
// time of writing, size = plain records, marker 135), the plain records with a non-blank key,
// then the tree's entries in pre-order. It is written to a temporary file and renamed over the
// old one. A damaged file is moved aside under the first free name of "<name>.bad", ".bad2",
// ... before anything can overwrite it; one that cannot be opened at all is left where it is,
// and the store refuses to write over it for the rest of the session.
//
// Reading merges what was trained before (the tree's entries) ahead of what the last session
// added (the plain records), so that when the tree's node budget runs out it is new keys that
// are left out, never trained ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "statistics/key_index.h"
#include "statistics/stat_entry.h"
#include "statistics/word_trie.h"

namespace qbx {
class Log;
class FileSystem;
class Clock;
}  // namespace qbx

namespace qbx::statistics {

// A ".Stat" file is read whole before it is inflated; this keeps a stray huge file from taking
// the host's address space (an uncompressed store of a full tree is well below it).
inline constexpr std::size_t kMaxStatFileBytes = std::size_t{256} << 20;
// What a file may inflate to. Records go into the tree, which has its own budget, so memory is
// not at stake here; time is: a small bomb of zeros must not keep the host busy for minutes.
inline constexpr std::uint64_t kMaxStatInflatedBytes = std::uint64_t{1} << 30;

// What a store needs of the outside world; all three outlive the store.
struct StoreContext {
    Log& log;
    FileSystem& files;
    Clock& clock;
    // Nodes of the tree; also the most records the plain list takes: more new keys than the
    // tree has nodes could never all be kept when the file is read again.
    std::size_t nodeBudget = WordTrie::kDefaultNodeBudget;
};

// "CompressionLevel": 0 none, 1 fastest, 2 default, 3 maximum; anything else none.
int zlibLevelFor(std::int32_t compressionLevel) noexcept;

class StatStore {
public:
    explicit StatStore(StoreContext context);

    // --- the plain list ---
    std::size_t count() const noexcept { return plain_.size(); }
    std::string key(std::size_t index) const;    // trimmed; empty when out of range
    std::int32_t size(std::size_t index) const;  // 0 for old-layout records, -1 out of range
    std::int32_t cnt(std::size_t index) const;   // -1 out of range
    StatEntry record(std::size_t index) const;   // all zero when out of range
    void putRecord(std::size_t index, const StatEntry& record);
    void clearRecord(std::size_t index);
    void appendRecord(const StatEntry& record);
    void swap(std::size_t i, std::size_t j);
    // Counts the key in the plain list: the index of the record when it existed, 0 when it was
    // appended. Keys are compared whole (case-sensitive) against the records' trimmed keys.
    std::int32_t addOrIncrement(std::string_view key, std::int32_t amount);
    // The same with the time the caller read: a text's words are all counted at one moment.
    std::int32_t addOrIncrement(std::string_view key, std::int32_t amount, double now);
    // Counts the key only when the list holds it: the record's index, or nothing.
    std::optional<std::int32_t> incrementIfPresent(std::string_view key, std::int32_t amount,
                                                   double now);

    // --- the tree ---
    WordTrie& tree() noexcept { return tree_; }
    const WordTrie& tree() const noexcept { return tree_; }
    std::int32_t addToTree(std::string_view key, std::int32_t amount);  // always 0
    // The same with the time that dates a new key's nodes.
    std::int32_t addToTree(std::string_view key, std::int32_t amount, double now);
    std::int32_t treeCount(std::string_view key) const;  // exact key; 0 when absent
    // Gives the store a new empty tree (same budget); the dirty flag stays as it was.
    void replaceTreeWithEmpty();

    // --- the file ---
    // Logs, reads baseName + ".Stat"; a failed read is logged ("Cannot load entry!!!!!!!!!"
    // with the file and the reason) and not passed on.
    void load(const std::string& baseName);
    // Reads a ".Stat" file into the tree; false when the file could not be read whole (the
    // records merged before the failure stay; readFailure() tells why). A missing file is not
    // a failure. Records the full tree has no room for are carried: the next store of the same
    // file writes them again as they were, after the tree's entries.
    bool read(const std::string& fileName);
    std::size_t carriedRecords() const noexcept { return carried_.size(); }
    const std::string& readFailure() const noexcept { return readFailure_; }
    // Writes the file at the given "CompressionLevel". Throws std::runtime_error, whose text is
    // the reason, when it cannot be written or must not be (a file this session could not
    // read); the old file and the dirty flag then stay as they were.
    void store(const std::string& fileName, std::int32_t compressionLevel);
    bool dirty() const noexcept { return dirty_; }
    void markDirty() noexcept { dirty_ = true; }
    std::int32_t treeEntriesWritten() const noexcept { return treeEntriesWritten_; }

private:
    // Files the last record of the list in the index (when the index is in use).
    void fileLastRecord() noexcept;
    // Sets a damaged file aside (false: the read failed); when it cannot be, guards it.
    bool keepAside(const std::string& fileName, const std::string& damage) noexcept;
    // Leaves a file that cannot be read where it is and guards it (false: the read failed).
    bool leaveAlone(const std::string& fileName, const std::string& reason) noexcept;

    StoreContext context_;
    std::vector<StatEntry> plain_;
    WordTrie tree_;
    bool dirty_ = false;
    std::int32_t treeEntriesWritten_ = 0;
    // trimmed key -> first plain index holding it; rebuilt after records move or change.
    // The list's trimmed keys to their first record.
    ExactKeyIndex index_;
    bool indexValid_ = true;
    // A file this session could not read and that is still in place: writes to it are
    // refused with the reason, since they would replace the user's data.
    std::int64_t plainRefused_ = 0;  // new keys left out of a full plain list since the load
    std::string guardedFile_;
    std::string guardReason_;
    std::string readFailure_;
    // The records of carriedFrom_ that the tree had no room for, as the file held them.
    std::vector<StatEntry> carried_;
    std::string carriedFrom_;
};

}  // namespace qbx::statistics
