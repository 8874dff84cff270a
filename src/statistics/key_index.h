// A hash index from a key to a number (a trie's node, a list's record), so that finding a known
// word costs one or two memory reads instead of a walk down a trie or through a chain of
// buckets. KeyIndex takes keys in a trie's path form: a code below 32 counts as the blank, as
// the trie files it; ExactKeyIndex compares keys byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qbx::statistics {

template <bool FoldControls>
class BasicKeyIndex {
public:
    static constexpr std::uint32_t kAbsent = 0xFFFFFFFFu;
    static constexpr std::size_t kMaxKeyBytes = 255;

    // The hash of a key in path form; computed once by callers that look up and then insert.
    static std::uint64_t hashOf(std::string_view key) noexcept;

    std::uint32_t find(std::string_view key, std::uint64_t hash) const noexcept;
    std::uint32_t find(std::string_view key) const noexcept { return find(key, hashOf(key)); }
    // A hint that the key's slot will be read soon: lookups of many keys overlap their reads.
    void prefetch(std::uint64_t hash) const noexcept {
        if (!slots_.empty()) __builtin_prefetch(&slots_[tagOf(hash) & (slots_.size() - 1)]);
    }
    // Files the key under `node`; the key must not be present. Throws std::bad_alloc, leaving
    // the index as it was.
    void insert(std::string_view key, std::uint64_t hash, std::uint32_t node);

    // Files the key unless it is there already (the first filing stands).
    void insertIfAbsent(std::string_view key, std::uint32_t node) {
        const std::uint64_t hash = hashOf(key);
        if (find(key, hash) == kAbsent) insert(key, hash, node);
    }
    // Room for `keys` keys without growing. Throws std::bad_alloc, leaving the index as it was.
    void reserve(std::size_t keys);
    void clear() noexcept {
        slots_.clear();
        keys_.clear();
        size_ = 0;
    }

    std::size_t size() const noexcept { return size_; }
    std::size_t memoryBytes() const noexcept;

private:
    // Most words are short: a key of up to 7 bytes lives in the slot itself, so that finding
    // it reads one slot and nothing else. Longer keys keep their length and first 3 bytes in
    // the low half and the position of their bytes in keys_ in the high half.
    struct Slot {
        std::uint32_t node = kAbsent;
        std::uint32_t tag = 0;  // the hash's upper half: the slot's home and a fingerprint
        std::uint64_t packed = 0;
    };
    static constexpr std::size_t kInlineBytes = 7;
    static std::uint32_t tagOf(std::uint64_t hash) noexcept {
        return static_cast<std::uint32_t>(hash >> 32);
    }
    // The key's length and bytes (all of them when short, the first 3 otherwise).
    static std::uint64_t packedOf(std::string_view key) noexcept;
    bool sameLongKey(const Slot& slot, std::string_view key) const noexcept;
    void grow(std::size_t capacity);

    std::vector<Slot> slots_;  // a power of two in size, at most three quarters used
    std::vector<char> keys_;   // the bytes of the long keys, folded as compared
    std::size_t size_ = 0;
};

using KeyIndex = BasicKeyIndex<true>;
using ExactKeyIndex = BasicKeyIndex<false>;
extern template class BasicKeyIndex<true>;
extern template class BasicKeyIndex<false>;

}  // namespace qbx::statistics
