// The records of one ".Stat" file laid out as fixed-size nodes in a single buffer, node i at
// i x 1040 bytes, with a character trie over their keys built out of further nodes of the same
// buffer whose child links are node indices. The settings dialog's debug page builds one to see
// how such a layout behaves on a real file; its log lines are all it shows, nothing reads the
// trie.
//
// A node: the 136-byte record (as read for a record node; for a trie node the key that made
// it), at 136 a 4-byte flag (1 for a record node, 0 for the root and trie nodes), at 140 225
// little-endian 32-bit child indices, entry c - 32 for the character code c (32..255), -1 for
// none; the last entry is a spare that stays -1. The buffer holds the record nodes in file
// order, the root, then the trie nodes in the order they were made.
//
// A key is walked to all but its last character: a key of 0 or 1 characters adds no node, and
// the trie leads to no record node.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qbx {
class Log;
class FileSystem;
struct Plugin;
}  // namespace qbx

namespace qbx::statistics {

class PlanarList {
public:
    static constexpr std::size_t kNodeSize = 1040;
    static constexpr std::size_t kFlagOffset = 136;
    static constexpr std::size_t kChildrenOffset = 140;
    static constexpr int kChildCount = 225;
    // A large training file has some hundred thousand records; past this the buffer would take
    // a good part of the host's address space for a look at the layout.
    static constexpr std::size_t kMaxBufferBytes = std::size_t{256} << 20;
    static constexpr std::size_t kMaxNodes = kMaxBufferBytes / kNodeSize;

    // Logs "Creating PL". maxNodes below 1 is taken as 1 (the root needs a place).
    PlanarList(Log& log, FileSystem& files, std::size_t maxNodes = kMaxNodes);
    // Logs "Destroying PL", frees the buffer, logs "Destroyed OK".
    ~PlanarList();
    PlanarList(const PlanarList&) = delete;
    PlanarList& operator=(const PlanarList&) = delete;

    // Empties the buffer, loads the file's records and builds the trie. Never throws: a file
    // that cannot be read, a damaged stream and memory running out are logged, and the list
    // keeps what it had by then.
    void loadFromFile(const std::string& fileName) noexcept;

    std::size_t nodeCount() const noexcept { return nodes_.size() / kNodeSize; }
    std::size_t storageSize() const noexcept { return nodes_.size(); }
    // The root's index, which is also the number of record nodes; -1 before a load.
    std::int64_t rootIndex() const noexcept { return root_; }

    // A node's bytes; empty when out of range.
    std::span<const std::uint8_t> node(std::size_t index) const noexcept;
    // The child index of the node for the character code (32..255); -1 when none or out of
    // range.
    std::int32_t child(std::size_t index, unsigned code) const noexcept;
    bool isRecordNode(std::size_t index) const noexcept;

private:
    // Appends a fresh node; the new index. Throws std::bad_alloc past the node cap.
    std::size_t appendNode();
    void setChild(std::size_t index, unsigned code, std::int32_t child);
    // The key field: its length byte, then the key.
    void insertKey(std::span<const std::uint8_t> key);
    void readRecords(const std::string& fileName);
    void outOfMemory() noexcept;

    Log& log_;
    FileSystem& files_;
    std::size_t maxNodes_;
    std::vector<std::uint8_t> nodes_;
    std::int64_t root_ = -1;
};

// What the debug page's button does: a list made, loaded from the file and freed again, its
// log lines the only result.
void loadPlanarList(Plugin& plugin, const std::string& path) noexcept;

}  // namespace qbx::statistics
