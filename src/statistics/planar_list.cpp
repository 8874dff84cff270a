#include "statistics/planar_list.h"

#include <algorithm>
#include <new>
#include <optional>
#include <stdexcept>

#include "base/text.h"
#include "base/zlib_stream.h"
#include "core/log.h"
#include "core/plugin.h"
#include "platform/platform.h"
#include "statistics/stat_entry.h"
#include "statistics/stat_store.h"

namespace qbx::statistics {
namespace {

constexpr unsigned kFirstCode = 32;

void putInt32(std::uint8_t* at, std::int32_t value) noexcept {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

std::int32_t getInt32(const std::uint8_t* at) noexcept {
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= std::uint32_t{at[i]} << (8 * i);
    return static_cast<std::int32_t>(bits);
}

// The key field of a record: its length byte, clamped as every reader of the files clamps it.
std::size_t keyLength(std::span<const std::uint8_t> record) noexcept {
    return std::min<std::size_t>(record[0], kMaxKeyLength);
}

}  // namespace

PlanarList::PlanarList(Log& log, FileSystem& files, std::size_t maxNodes)
    : log_(log), files_(files), maxNodes_(std::clamp<std::size_t>(maxNodes, 1, kMaxNodes)) {
    log_.write("Creating PL", 1);
}

PlanarList::~PlanarList() {
    log_.write("Destroying PL", 1);
    std::vector<std::uint8_t>().swap(nodes_);
    log_.write("Destroyed OK", 1);
}

std::span<const std::uint8_t> PlanarList::node(std::size_t index) const noexcept {
    if (index >= nodeCount()) return {};
    return {nodes_.data() + index * kNodeSize, kNodeSize};
}

std::int32_t PlanarList::child(std::size_t index, unsigned code) const noexcept {
    if (index >= nodeCount() || code < kFirstCode || code > 255) return -1;
    return getInt32(nodes_.data() + index * kNodeSize + kChildrenOffset + (code - kFirstCode) * 4);
}

bool PlanarList::isRecordNode(std::size_t index) const noexcept {
    return index < nodeCount() && nodes_[index * kNodeSize + kFlagOffset] == 1;
}

std::size_t PlanarList::appendNode() {
    const std::size_t index = nodeCount();
    if (index >= maxNodes_) throw std::bad_alloc();
    // Grown by doubling, but never past the cap: a list near it must not ask for twice as much.
    if (nodes_.size() == nodes_.capacity())
        nodes_.reserve(
            std::min(std::max(nodes_.capacity() * 2, 64 * kNodeSize), maxNodes_ * kNodeSize));
    nodes_.resize(nodes_.size() + kNodeSize, 0);
    std::uint8_t* children = nodes_.data() + index * kNodeSize + kChildrenOffset;
    for (int i = 0; i < kChildCount; ++i) putInt32(children + i * 4, -1);
    return index;
}

void PlanarList::setChild(std::size_t index, unsigned code, std::int32_t child) {
    putInt32(nodes_.data() + index * kNodeSize + kChildrenOffset + (code - kFirstCode) * 4, child);
}

void PlanarList::outOfMemory() noexcept {
    log_.write(
        "PL: out of memory after " + decimal(static_cast<std::int64_t>(nodeCount())) + " nodes", 1);
}

void PlanarList::readRecords(const std::string& fileName) {
    std::optional<std::string> file = files_.readFile(fileName, kMaxStatFileBytes);
    if (!file) throw std::runtime_error(files_.lastError());
    // One node stays free for the root.
    bool full = false;
    const InflateOutcome outcome =
        inflateRecords(*file, kStatEntrySize, kMaxStatInflatedBytes,
                       [&](std::uint64_t, std::span<const std::uint8_t> bytes) {
                           if (nodeCount() + 1 >= maxNodes_) {
                               full = true;
                               return false;
                           }
                           const std::size_t index = appendNode();
                           std::uint8_t* at = nodes_.data() + index * kNodeSize;
                           std::copy(bytes.begin(), bytes.end(), at);
                           at[kFlagOffset] = 1;
                           return true;
                       });
    if (full) throw std::bad_alloc();
    if (!outcome.damage.empty()) throw std::runtime_error(outcome.damage);
    log_.write("PL: total elements read: " + decimal(static_cast<std::int64_t>(nodeCount())), 1);
}

void PlanarList::insertKey(std::span<const std::uint8_t> key) {
    const std::size_t length = key.size() - 1;
    std::size_t current = static_cast<std::size_t>(root_);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        const unsigned code = std::max<unsigned>(key[1 + i], kFirstCode);
        const std::int32_t next = child(current, code);
        if (next != -1) {
            current = static_cast<std::size_t>(next);
            continue;
        }
        const std::size_t made = appendNode();
        std::copy(key.begin(), key.end(), nodes_.data() + made * kNodeSize);
        setChild(current, code, static_cast<std::int32_t>(made));
        current = made;
    }
}

void PlanarList::loadFromFile(const std::string& fileName) noexcept {
    std::vector<std::uint8_t>().swap(nodes_);
    root_ = -1;
    log_.write("PL: reading data from file " + fileName, 1);
    try {
        readRecords(fileName);
    } catch (const std::bad_alloc&) {
        outOfMemory();
    } catch (...) {
        log_.write("PL: Can\"t read data", 1);
    }

    root_ = static_cast<std::int64_t>(nodeCount());
    log_.write("Data Read OK, storage size is " + decimal(static_cast<std::int64_t>(storageSize())),
               1);
    log_.write("Append ID: " + decimal(root_), 1);
    try {
        appendNode();
        std::uint8_t key[kMaxKeyLength + 1];
        for (std::size_t i = 0; i < static_cast<std::size_t>(root_); ++i) {
            const std::uint8_t* record = nodes_.data() + i * kNodeSize;
            const std::size_t length = keyLength({record, kStatEntrySize});
            // A copy: appending nodes moves the buffer the record lies in.
            std::copy_n(record, length + 1, key);
            key[0] = static_cast<std::uint8_t>(length);
            insertKey(std::span<const std::uint8_t>(key, length + 1));
        }
    } catch (...) {
        outOfMemory();
    }
}

void loadPlanarList(Plugin& plugin, const std::string& path) noexcept {
    if (plugin.platform.files == nullptr) return;
    try {
        PlanarList list(plugin.log, *plugin.platform.files);
        list.loadFromFile(path);
    } catch (...) {
        // The list's own failures are logged inside; nothing else can fail but its creation.
    }
}

}  // namespace qbx::statistics
