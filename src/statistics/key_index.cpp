#include "statistics/key_index.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qbx::statistics {
namespace {

template <bool FoldControls>
unsigned char keyByte(char c) noexcept {
    const auto code = static_cast<unsigned char>(c);
    return FoldControls && code < 32 ? static_cast<unsigned char>(' ') : code;
}

constexpr std::size_t kFirstCapacity = 64;

}  // namespace

namespace {

// `n` (1..8) bytes as a little-endian number.
std::uint64_t load(const char* p, std::size_t n) noexcept {
    std::uint64_t value = 0;
    std::memcpy(&value, p, n);
    return value;
}

// The last 1..7 bytes of a key without a byte loop: two overlapping loads of four bytes, or
// the first, middle and last byte, put where each byte stands (overlaps agree).
std::uint64_t tailOf(const char* p, std::size_t n) noexcept {
    const auto byte = [p](std::size_t i) {
        return std::uint64_t{static_cast<unsigned char>(p[i])};
    };
    if (n >= 4) return load(p, 4) | (load(p + n - 4, 4) << (8 * (n - 4)));
    return byte(0) | (byte(n / 2) << (8 * (n / 2))) | (byte(n - 1) << (8 * (n - 1)));
}

// Eight bytes as the index compares them: with FoldControls, bytes below 32 (the three upper
// bits clear) become the blank, zero bytes included.
template <bool FoldControls>
std::uint64_t foldChunk(std::uint64_t chunk) noexcept {
    if constexpr (FoldControls) {
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
        constexpr std::uint64_t kHigh = 0x8080808080808080ull;
        constexpr std::uint64_t kBlanks = 0x2020202020202020ull;
        const std::uint64_t upper = chunk & 0xE0E0E0E0E0E0E0E0ull;
        const std::uint64_t clear = ~(((upper & kLow7) + kLow7) | upper | kLow7) & kHigh;
        const std::uint64_t bytes = (clear >> 7) * 0xFF;
        chunk = (chunk & ~bytes) | (kBlanks & bytes);
    }
    return chunk;
}

// The last 1..7 bytes of a key folded, the bytes past its end zero.
template <bool FoldControls>
std::uint64_t foldedTail(const char* p, std::size_t n) noexcept {
    return foldChunk<FoldControls>(tailOf(p, n)) & ((std::uint64_t{1} << (8 * n)) - 1);
}

}  // namespace

template <bool FoldControls>
std::uint64_t BasicKeyIndex<FoldControls>::hashOf(std::string_view key) noexcept {
    // Eight bytes a step: a word hashes in one or two steps instead of one per byte. The hash
    // lives only in memory, so only its spread matters, not its values. The zero padding of a
    // short key's last step folds too, alike for every key of its length.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ key.size();
    const auto step = [&h](std::uint64_t chunk) {
        h = (h ^ foldChunk<FoldControls>(chunk)) * 0x9FB21C651E98DF25ull;
        h ^= h >> 29;
    };
    const char* p = key.data();
    std::size_t left = key.size();
    for (; left >= 8; left -= 8, p += 8) step(load(p, 8));
    if (left > 0) step(tailOf(p, left));
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    h ^= h >> 33;
    h *= 0xc4ceb9fe1a85ec53ull;
    h ^= h >> 33;
    return h;
}

template <bool FoldControls>
std::uint64_t BasicKeyIndex<FoldControls>::packedOf(std::string_view key) noexcept {
    const std::size_t kept = key.size() <= kInlineBytes ? key.size() : 3;
    if (kept == 0) return key.size();
    return key.size() | foldedTail<FoldControls>(key.data(), kept) << 8;
}

template <bool FoldControls>
bool BasicKeyIndex<FoldControls>::sameLongKey(const Slot& slot,
                                              std::string_view key) const noexcept {
    // Eight bytes a step, the stored bytes folded already.
    const char* stored = keys_.data() + (slot.packed >> 32);
    const char* p = key.data();
    std::size_t left = key.size();
    for (; left >= 8; left -= 8, p += 8, stored += 8)
        if (load(stored, 8) != foldChunk<FoldControls>(load(p, 8))) return false;
    return left == 0 || tailOf(stored, left) == foldedTail<FoldControls>(p, left);
}

template <bool FoldControls>
std::uint32_t BasicKeyIndex<FoldControls>::find(std::string_view key,
                                                std::uint64_t hash) const noexcept {
    if (slots_.empty() || key.size() > kMaxKeyBytes) return kAbsent;
    const std::uint32_t tag = tagOf(hash);
    const std::uint64_t packed = packedOf(key);
    const bool isShort = key.size() <= kInlineBytes;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.node == kAbsent) return kAbsent;
        if (slot.tag != tag) continue;
        if (isShort ? slot.packed == packed
                    : static_cast<std::uint32_t>(slot.packed) == packed && sameLongKey(slot, key))
            return slot.node;
    }
}

template <bool FoldControls>
void BasicKeyIndex<FoldControls>::insert(std::string_view key, std::uint64_t hash,
                                         std::uint32_t node) {
    if (key.size() > kMaxKeyBytes || node == kAbsent) throw std::bad_alloc();
    if ((size_ + 1) * 4 > slots_.size() * 3)
        grow(slots_.empty() ? kFirstCapacity : slots_.size() * 2);
    std::uint64_t packed = packedOf(key);
    if (key.size() > kInlineBytes) {
        if (keys_.size() + key.size() > 0xFFFFFFFFu) throw std::bad_alloc();
        const std::size_t needed = keys_.size() + key.size();
        if (needed > keys_.capacity())  // the one step that may throw
            keys_.reserve(std::max(needed, keys_.capacity() * 2));
        packed |= std::uint64_t{keys_.size()} << 32;
        for (char c : key) keys_.push_back(static_cast<char>(keyByte<FoldControls>(c)));
    }

    const std::uint32_t tag = tagOf(hash);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = tag & mask;
    while (slots_[i].node != kAbsent) i = (i + 1) & mask;
    slots_[i] = Slot{node, tag, packed};
    ++size_;
}

template <bool FoldControls>
void BasicKeyIndex<FoldControls>::reserve(std::size_t keys) {
    std::size_t capacity = std::max(kFirstCapacity, slots_.size());
    while (keys * 4 > capacity * 3) capacity *= 2;
    if (capacity > slots_.size()) grow(capacity);
}

template <bool FoldControls>
void BasicKeyIndex<FoldControls>::grow(std::size_t capacity) {
    std::vector<Slot> bigger(capacity);
    const std::size_t mask = capacity - 1;
    for (const Slot& slot : slots_) {
        if (slot.node == kAbsent) continue;
        std::size_t i = slot.tag & mask;
        while (bigger[i].node != kAbsent) i = (i + 1) & mask;
        bigger[i] = slot;
    }
    slots_.swap(bigger);
}

template <bool FoldControls>
std::size_t BasicKeyIndex<FoldControls>::memoryBytes() const noexcept {
    return slots_.capacity() * sizeof(Slot) + keys_.capacity();
}

template class BasicKeyIndex<true>;
template class BasicKeyIndex<false>;

}  // namespace qbx::statistics
