// The index of a statistics item's entries: a character trie over codes 32..255 whose nodes
// each carry one counted record. A key's node is reached by following its characters in order
// (a code below 32 follows the blank); keys stop at depth 80; the root stands for the empty key.
//
// Nodes live in a compact pool: 32 bytes each, children as sorted arrays of packed links
// (a dense 224-slot table only once a node has more than 32 children); an only child's link
// stands in its parent. Most of a long key's nodes (an address, a server's name) are a run of
// only children that are no entries: such a run is kept as its characters alone, a "tail" from
// the node above it to the node below, and its nodes are made one by one only when another key
// branches off inside it. They count as nodes all the same, for the budget and in countNodes.
// A node's key is not stored: it is the path, except for keys holding control characters, which
// are kept aside. Entries are also filed in a hash index by key, which finding and counting known
// keys use. A trie has a node budget; when a new key would pass it the key is not counted
// (logged once), while keys already present go on counting.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "statistics/key_index.h"
#include "statistics/stat_entry.h"
#include "statistics/text_words.h"

namespace qbx::statistics {

// The tokenizer's letters: "@", A..Z, a..z, 192..255 and the two Cyrillic Yo letters (168, 184).
inline constexpr std::array<bool, 256> kWordLetters = [] {
    std::array<bool, 256> table{};
    for (int c = 64; c <= 90; ++c) table[c] = true;
    for (int c = 97; c <= 122; ++c) table[c] = true;
    for (int c = 192; c <= 255; ++c) table[c] = true;
    table[168] = true;
    table[184] = true;
    return table;
}();
inline bool isWordLetter(unsigned char c) { return kWordLetters[c]; }

#if defined(__SSE2__)
// Bit i set when byte i of the 64 at `p` is a letter.
inline std::uint64_t letterMask64(const char* p) noexcept {
    // Signed compares after flipping the top bit, which keeps the bytes' unsigned order.
    const __m128i flip = _mm_set1_epi8(static_cast<char>(0x80));
    const auto at = [](int code) { return _mm_set1_epi8(static_cast<char>(code ^ 0x80)); };
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i s = _mm_xor_si128(bytes, flip);
        const __m128i capitals =  // '@'..'Z'
            _mm_and_si128(_mm_cmpgt_epi8(s, at(63)), _mm_cmplt_epi8(s, at(91)));
        const __m128i small =  // 'a'..'z'
            _mm_and_si128(_mm_cmpgt_epi8(s, at(96)), _mm_cmplt_epi8(s, at(123)));
        const __m128i high = _mm_cmpgt_epi8(s, at(191));  // 192..255
        const __m128i yo =
            _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(168))),
                         _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(184))));
        const __m128i letters = _mm_or_si128(_mm_or_si128(capitals, small), _mm_or_si128(high, yo));
        mask |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(letters))}
                << (16 * part);
    }
    return mask;
}

// Every run of letters of the text, in order, as visit(start, length); 64 bytes are sorted
// into letters and others at a time, and the runs are read off the bits.
template <typename Visit>
void forEachLetterRun(std::string_view text, Visit&& visit) {
    const char* const data = text.data();
    const std::size_t size = text.size();
    bool inRun = false;
    std::size_t runStart = 0;
    for (std::size_t block = 0; block < size; block += 64) {
        const std::size_t length = std::min<std::size_t>(64, size - block);
        std::uint64_t letters;
        if (length == 64) {
            letters = letterMask64(data + block);
        } else {
            // The last bytes, padded with non-letters.
            alignas(16) char last[64] = {};
            std::memcpy(last, data + block, length);
            letters = letterMask64(last);
        }
        // Bit i of `before`: byte i - 1 is a letter (for bit 0, the last block's last byte).
        const std::uint64_t before = (letters << 1) | (inRun ? 1u : 0u);
        std::uint64_t starts = letters & ~before;
        std::uint64_t ends = ~letters & before;  // the first non-letter after a run
        for (;;) {
            if (inRun) {
                if (ends == 0) break;
                const std::size_t end = block + static_cast<std::size_t>(std::countr_zero(ends));
                ends &= ends - 1;
                inRun = false;
                visit(data + runStart, end - runStart);
            } else {
                if (starts == 0) break;
                runStart = block + static_cast<std::size_t>(std::countr_zero(starts));
                starts &= starts - 1;
                inRun = true;
            }
        }
    }
    // A run to the very end of a text whose size is a multiple of 64.
    if (inRun) visit(data + runStart, size - runStart);
}
#endif

// The tokenizer: splits the text at every non-letter and gives each word whose length is at
// least the minimum word length minus one, in text order (with a minimum of 0 or less, the
// empty words between neighbouring separators too).
template <typename Visit>
void forEachWord(std::string_view text, std::int32_t minWordLength, Visit&& visit) {
    const auto shortest = static_cast<std::size_t>(minWordLength > 0 ? minWordLength : 0);
    if (shortest >= 2) {
        // No empty words: only the runs of letters matter.
#if defined(__SSE2__)
        forEachLetterRun(text, [&](const char* start, std::size_t length) {
            if (length + 1 >= shortest) visit(std::string_view(start, length));
        });
        return;
#else
        // A run of separators, then a run of letters, a tight loop each.
        const char* p = text.data();
        const char* const end = p + text.size();
        for (;;) {
            while (p != end && !isWordLetter(static_cast<unsigned char>(*p))) ++p;
            if (p == end) return;
            const char* const start = p;
            while (p != end && isWordLetter(static_cast<unsigned char>(*p))) ++p;
            const auto length = static_cast<std::size_t>(p - start);
            if (length + 1 >= shortest) visit(std::string_view(start, length));
        }
#endif
    }
    // Positions 1..n of the text framed by one blank on each side, without copying it.
    const std::size_t framed = text.size() + 2;
    std::size_t start = 1;
    for (std::size_t i = 1; i <= framed; ++i) {
        const bool edge = i == 1 || i == framed;
        if (!edge && isWordLetter(static_cast<unsigned char>(text[i - 2]))) continue;
        const std::size_t gap = i - start;
        if (gap >= shortest) visit(gap == 0 ? std::string_view() : text.substr(start - 1, gap - 1));
        start = i;
    }
}

// The log line of a word count that ran out of room at `budget` nodes.
std::string budgetReachedLine(std::size_t budget);

struct WordTrieHooks {
    std::function<void(std::string_view)> log;  // a line for the module's log (level 1)
    std::function<void()> pumpMessages;         // lets the host's queued window messages run
};

class WordTrie {
public:
    static constexpr std::size_t kDefaultNodeBudget = 1'000'000;
    static constexpr std::size_t kMaxNodeBudget = (std::size_t{1} << 24) - 2;  // packed links
    static constexpr std::int32_t kDefaultMinWordLength = 4;

    // `now` dates the root; the budget counts the nodes below the root.
    explicit WordTrie(double now, std::size_t nodeBudget = kDefaultNodeBudget,
                      WordTrieHooks hooks = {});

    void setMinWordLength(std::int32_t length) noexcept { minWordLength_ = length; }
    std::int32_t minWordLength() const noexcept { return minWordLength_; }

    // Counts the word once: count + 1, size + weight (both wrapping), key = its first 80
    // characters; dates stay as they are. Nodes made on the way are dated `now`. False when the
    // word was not counted (budget reached, or out of memory: swallowed, not logged).
    bool addWord(std::string_view word, std::int32_t weight, double now) noexcept;

    // Splits the text at every non-letter and counts each word whose length is at least the
    // minimum word length minus one. False when a failure ended the text early ("@@@ Can't add
    // word [...]" logged, messages pumped); also false for a nested call, which does nothing.
    bool addText(std::string_view text, std::int32_t weight, double now) noexcept;
    // The same for a text's words counted already (keys of letters, each with its count, its
    // summed weights and its hash; a key may come more than once): each adds its count and
    // size at once, in the order given, which leaves the trie as addText of the text would.
    // Failures as addText.
    bool addCountedWords(std::span<const TextWord> words, double now) noexcept;

    // Adds a stored record under its key: a negative size counts as 0 (byte totals may pass
    // 10^8 legitimately); size and count added, the earlier cdate and the later mdate kept, the
    // node's marker kept.
    bool mergeRecord(const StatEntry& record, double now) noexcept;

    // The entry whose key equals `key` exactly; characters below 32 are looked for under the
    // blank, as they are stored.
    std::optional<StatEntry> find(std::string_view key) const;
    // The same lookup for the count alone (0 when absent), without copying the entry.
    std::int32_t countOf(std::string_view key) const;
    // The counts of many keys (counts[i] for keys[i]); the lookups overlap their memory reads,
    // which makes a text's words several times cheaper to rate than one by one.
    void countsOf(std::span<const std::string_view> keys, std::span<std::int32_t> counts) const;
    // The same for a text's words (of letters only), whose hashes were worked out as they were
    // counted.
    void countsOf(std::span<const TextWord> words, std::span<std::int32_t> counts) const;

    // Every entry in pre-order: a node before its children, children in code order 32..255.
    void forEachEntry(const std::function<void(const StatEntry&)>& visit) const;
    // The same walk; the visitor may change an entry's dates, size, count and marker, which are
    // written back (the key is not).
    void updateEntries(const std::function<void(StatEntry&)>& visit);

    std::size_t countNodes() const noexcept { return nodeCount_; }  // the root not counted
    std::size_t countWords() const noexcept { return wordCount_; }  // the root not counted
    // The counts of every entry below the root, summed as they stand (kept as counts change, so
    // that a score needs no walk over the trie).
    std::int64_t countTotal() const noexcept { return countTotal_; }
    bool rootIsEntry() const noexcept;
    void clearRootEntry() noexcept;

    // Every entry whose key is made of word letters only (the tokenizer's words), with its
    // count, in no particular order; the root's entry (the empty key) too.
    void forEachLetterEntry(const std::function<void(std::string_view, std::int32_t)>& visit) const;
    // Which trie and which of its states: a count, a key or an entry made or dropped moves
    // `changes` on; `trie` tells this trie from any other there ever was.
    struct Stamp {
        std::uint64_t trie = 0;
        std::uint64_t changes = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stamp() const noexcept { return {id_, changes_}; }

    std::size_t nodeBudget() const noexcept { return nodeBudget_; }
    bool budgetReached() const noexcept { return budgetLogged_; }
    // Bytes held by the pool (capacities, not sizes): for measuring, not for decisions.
    std::size_t memoryBytes() const noexcept;

private:
    struct Node {
        double cdate;
        double mdate;
        std::int32_t size;
        std::int32_t count;
        // The offset of the child block in links_; an only child's link; with kTailFlag, the
        // index of the tail in tails_.
        std::uint32_t children;
        std::uint8_t childCount;
        std::uint8_t marker;
        std::uint8_t flags;
    };
    static constexpr std::uint8_t kEntryFlag = 1;
    static constexpr std::uint8_t kExactKeyFlag = 2;  // the key is in exactKeys_
    static constexpr std::uint8_t kTailFlag = 4;      // the only child is a tail
    // A run of nodes not yet made: `length` (2..80) only children below the node holding the
    // tail, none an entry, all made at `made`, labelled by tailLabels_[labels...]; the last
    // one's only child is the real node `target`, labelled by the last label.
    struct Tail {
        double made;
        std::uint32_t labels;
        std::uint32_t target;
        std::uint32_t length;
    };
    // A child slot as the walks see it: the labels down to the next real node (one, or a
    // tail's) and that node; kNoNode for an empty slot.
    struct Step {
        std::string_view labels;
        std::uint32_t target;
    };
    static constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;
    static constexpr std::size_t kSizeClasses = 7;  // (1: unused), 2, 4, 8, 16, 32, dense

    Node& node(std::uint32_t index) { return chunks_[index >> kChunkShift][index & kChunkMask]; }
    const Node& node(std::uint32_t index) const {
        return chunks_[index >> kChunkShift][index & kChunkMask];
    }
    std::uint32_t newNode(double now);
    // The child slots a walk looks at (a dense table's empty ones included), and the step in
    // one of them.
    static std::uint32_t slotCount(const Node& n) noexcept;
    Step stepAt(const Node& n, std::uint32_t slot) const noexcept;
    // The child under one label; the parent holds no tail.
    std::uint32_t child(std::uint32_t parent, std::uint8_t label) const;
    std::string_view labelsOf(const Tail& tail) const noexcept {
        return {tailLabels_.data() + tail.labels, tail.length};
    }
    // Whether the key goes on from `depth` through the whole run (its characters folded).
    bool followsTail(const Tail& tail, std::string_view key, std::size_t depth) const noexcept;
    // The node at the end of the key's path (kNoNode when there is none, or it is inside a
    // tail, where no entry is), without changing the trie.
    std::uint32_t descend(std::string_view key) const;
    // Hangs the run of `labels` (two or more, folded already) below a childless parent as a
    // tail; answers the run's last node.
    std::uint32_t attachTail(std::uint32_t parent, std::string_view labels, double now);
    // Makes the first node of the parent's tail real: the parent's only child becomes a plain
    // link to it, and it holds the rest of the tail (or a plain link, when one label is left).
    void unfoldTail(std::uint32_t parent);
    std::uint32_t locate(std::string_view key) const;  // the entry's node, or kNoNode
    // The node filed under the key (or reached by its path when the index is incomplete),
    // not yet checked to be the key's entry; kNoNode when there is none.
    std::uint32_t candidate(std::string_view key, std::uint64_t hash) const;
    bool isEntryFor(std::uint32_t index, std::string_view key) const;
    void prefetchNode(std::uint32_t index) const noexcept {
        __builtin_prefetch(&chunks_[index >> kChunkShift][index & kChunkMask]);
    }
    std::uint32_t addChild(std::uint32_t parent, std::uint8_t label, double now);
    std::uint32_t allocateBlock(std::size_t sizeClass);
    // The node of the key's first 80 characters, made as needed; kNoNode past the budget.
    std::uint32_t reach(std::string_view key, double now);
    // The entry node of the key (at most 80 characters), made and marked as needed.
    std::uint32_t enter(std::string_view key, std::uint64_t hash, double now);
    void releaseBlock(std::uint32_t offset, std::size_t sizeClass) noexcept;
    void markEntry(std::uint32_t index);
    void setKey(std::uint32_t index, std::string_view key);
    StatEntry entryOf(std::uint32_t index, const std::string& path) const;
    // filedNode: the word's node when the caller found it in the index already.
    // lettersOnly: the word is the tokenizer's (letters only).
    bool countWord(std::string_view word, std::uint64_t hash, std::int32_t weight, double now,
                   std::uint32_t filedNode = KeyIndex::kAbsent, bool lettersOnly = false,
                   std::int32_t times = 1);
    // What a failure inside addText or addCountedWords leaves: the log line and the pump.
    void reportAddFailure(std::string_view word) noexcept;
    void noteBudget() noexcept;
    // Sets a node's count and keeps countTotal_ in step with it.
    void setCount(std::uint32_t index, std::int32_t count) noexcept;
    // The counts of `total` keys, key i given by keyOf(i) and its hash by hashOf(i). Keys of
    // letters only (the tokenizer's) hold no control character: a node filed under one is its
    // entry when it is an entry at all.
    template <typename KeyOf, typename HashOf>
    void batchedCounts(std::size_t total, KeyOf keyOf, HashOf hashOf, bool lettersOnly,
                       std::span<std::int32_t> counts) const;
    template <typename Visit>
    void walk(std::uint32_t index, std::string& path, Visit& visit) const;

    static constexpr unsigned kChunkShift = 12;
    static constexpr std::uint32_t kChunkSize = 1u << kChunkShift;
    static constexpr std::uint32_t kChunkMask = kChunkSize - 1;

    std::vector<std::vector<Node>> chunks_;
    std::vector<std::uint32_t> links_;  // (child index << 8) | code, or 0 for an empty slot
    std::vector<Tail> tails_;
    std::vector<char> tailLabels_;       // the tails' labels, folded as paths are
    std::uint32_t freeTails_ = kNoNode;  // released tails, linked through `labels`
    // Released child blocks, one chain per size class, linked through their first slot.
    std::array<std::uint32_t, kSizeClasses> freeBlocks_;
    std::unordered_map<std::uint32_t, std::string> exactKeys_;
    // Every entry but the root's, by key. Should filing a key ever fail, lookups that miss
    // walk the trie instead of trusting the index.
    KeyIndex index_;
    bool indexComplete_ = true;
    WordTrieHooks hooks_;
    std::size_t nodeBudget_;
    std::size_t nodeCount_ = 0;
    std::size_t wordCount_ = 0;
    std::int64_t countTotal_ = 0;
    std::int32_t minWordLength_ = kDefaultMinWordLength;
    bool addTextBusy_ = false;
    bool budgetLogged_ = false;
    std::uint64_t id_;
    std::uint64_t changes_ = 0;
};

}  // namespace qbx::statistics
