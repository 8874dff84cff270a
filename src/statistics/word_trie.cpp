#include "statistics/word_trie.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <new>
#include <utility>

#include "base/text.h"

namespace qbx::statistics {
namespace {

constexpr std::size_t kMaxDepth = kMaxKeyLength;
constexpr std::uint32_t kMaxSortedChildren = 32;
constexpr std::uint32_t kDenseSlots = 224;  // codes 32..255
constexpr std::size_t kDenseClass = 6;
// A word in the failure line: the stored key is never longer.
constexpr std::size_t kMaxLoggedWord = kMaxKeyLength;

std::uint8_t slotOf(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 32 ? std::uint8_t{32} : code;
}

bool hasControl(std::string_view key) {
    return std::any_of(key.begin(), key.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 32; });
}

std::size_t sizeClassOf(std::uint32_t children) {
    if (children > kMaxSortedChildren) return kDenseClass;
    std::size_t sizeClass = 0;
    while ((std::uint32_t{1} << sizeClass) < children) ++sizeClass;
    return sizeClass;
}

std::uint32_t capacityOf(std::size_t sizeClass) {
    return sizeClass == kDenseClass ? kDenseSlots : std::uint32_t{1} << sizeClass;
}

std::uint8_t labelOf(std::uint32_t link) { return static_cast<std::uint8_t>(link & 0xFFu); }
// Every byte once, so that one label can be handed out as a one-character view.
constexpr std::array<char, 256> kEveryByte = [] {
    std::array<char, 256> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i);
    return bytes;
}();
std::uint32_t targetOf(std::uint32_t link) { return link >> 8; }

std::uint64_t nextTrieId() noexcept {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace

WordTrie::WordTrie(double now, std::size_t nodeBudget, WordTrieHooks hooks)
    : hooks_(std::move(hooks)),
      nodeBudget_(std::min(nodeBudget, kMaxNodeBudget)),
      id_(nextTrieId()) {
    freeBlocks_.fill(kNoNode);
    newNode(now);  // the root, index 0: never anyone's child, so a zero link means "empty"
}

std::uint32_t WordTrie::newNode(double now) {
    if (chunks_.empty() || chunks_.back().size() == kChunkSize) {
        // A link holds a node index in 24 bits.
        if (chunks_.size() >= (std::size_t{1} << (24 - kChunkShift))) throw std::bad_alloc();
        chunks_.emplace_back();
    }
    auto& chunk = chunks_.back();
    if (chunk.size() == chunk.capacity()) {
        // The first chunk grows with the tree so that small trees stay small; later ones are
        // taken whole, which keeps the slack of a large tree to one chunk.
        const std::size_t wanted =
            chunks_.size() == 1 ? std::max<std::size_t>(16, chunk.capacity() * 2) : kChunkSize;
        chunk.reserve(std::min<std::size_t>(wanted, kChunkSize));
    }
    chunk.push_back(Node{now, now, 0, 0, 0, 0, kMarkerNode, 0});
    return static_cast<std::uint32_t>(((chunks_.size() - 1) << kChunkShift) | (chunk.size() - 1));
}

std::uint32_t WordTrie::slotCount(const Node& n) noexcept {
    return n.childCount > kMaxSortedChildren ? kDenseSlots : n.childCount;
}

WordTrie::Step WordTrie::stepAt(const Node& n, std::uint32_t slot) const noexcept {
    if (n.flags & kTailFlag) {
        const Tail& tail = tails_[n.children];
        return {labelsOf(tail), tail.target};
    }
    const std::uint32_t link = n.childCount == 1 ? n.children : links_[n.children + slot];
    if (link == 0) return {{}, kNoNode};
    return {std::string_view(&kEveryByte[labelOf(link)], 1), targetOf(link)};
}

std::uint32_t WordTrie::child(std::uint32_t parent, std::uint8_t label) const {
    const Node& n = node(parent);
    if (n.childCount == 0) return kNoNode;
    if (n.childCount == 1) return labelOf(n.children) == label ? targetOf(n.children) : kNoNode;
    if (n.childCount > kMaxSortedChildren) {
        const std::uint32_t link = links_[n.children + label - 32u];
        return link == 0 ? kNoNode : targetOf(link);
    }
    const auto first = links_.begin() + n.children;
    const auto last = first + n.childCount;
    const auto found = std::lower_bound(
        first, last, label, [](std::uint32_t link, std::uint8_t l) { return labelOf(link) < l; });
    return found != last && labelOf(*found) == label ? targetOf(*found) : kNoNode;
}

std::uint32_t WordTrie::allocateBlock(std::size_t sizeClass) {
    const std::uint32_t capacity = capacityOf(sizeClass);
    std::uint32_t offset = freeBlocks_[sizeClass];
    if (offset != kNoNode) {
        freeBlocks_[sizeClass] = links_[offset];
    } else {
        if (links_.size() + capacity > std::numeric_limits<std::uint32_t>::max() - 1)
            throw std::bad_alloc();
        offset = static_cast<std::uint32_t>(links_.size());
        links_.resize(links_.size() + capacity);
    }
    std::fill_n(links_.begin() + offset, capacity, 0u);
    return offset;
}

void WordTrie::releaseBlock(std::uint32_t offset, std::size_t sizeClass) noexcept {
    links_[offset] = freeBlocks_[sizeClass];
    freeBlocks_[sizeClass] = offset;
}

std::uint32_t WordTrie::addChild(std::uint32_t parent, std::uint8_t label, double now) {
    // The node first: should the block then fail, an unlinked node is all that is lost.
    const std::uint32_t index = newNode(now);
    const std::uint32_t link = (index << 8) | label;

    const std::uint32_t count = node(parent).childCount;
    const std::uint32_t oldOffset = node(parent).children;
    const std::size_t oldClass = sizeClassOf(count);
    const std::size_t newClass = sizeClassOf(count + 1);

    if (count == 0) {
        node(parent).children = link;  // an only child's link stands in the node itself
    } else if (count == 1) {
        const std::uint32_t offset = allocateBlock(newClass);
        const std::uint32_t only = node(parent).children;
        const bool before = label < labelOf(only);
        links_[offset] = before ? link : only;
        links_[offset + 1] = before ? only : link;
        node(parent).children = offset;
    } else if (newClass == kDenseClass) {
        std::uint32_t offset = oldOffset;
        if (oldClass != kDenseClass) {
            offset = allocateBlock(kDenseClass);
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint32_t moved = links_[oldOffset + i];
                links_[offset + labelOf(moved) - 32u] = moved;
            }
            releaseBlock(oldOffset, oldClass);
        }
        links_[offset + label - 32u] = link;
        node(parent).children = offset;
    } else {
        std::uint32_t position = 0;
        while (position < count && labelOf(links_[oldOffset + position]) < label) ++position;
        if (oldClass != newClass) {
            const std::uint32_t offset = allocateBlock(newClass);
            std::copy_n(links_.begin() + oldOffset, position, links_.begin() + offset);
            std::copy_n(links_.begin() + oldOffset + position, count - position,
                        links_.begin() + offset + position + 1);
            releaseBlock(oldOffset, oldClass);
            links_[offset + position] = link;
            node(parent).children = offset;
        } else {
            std::copy_backward(links_.begin() + oldOffset + position,
                               links_.begin() + oldOffset + count,
                               links_.begin() + oldOffset + count + 1);
            links_[oldOffset + position] = link;
        }
    }
    node(parent).childCount = static_cast<std::uint8_t>(count + 1);
    ++nodeCount_;
    return index;
}

bool WordTrie::followsTail(const Tail& tail, std::string_view key,
                           std::size_t depth) const noexcept {
    const std::string_view labels = labelsOf(tail);
    return key.size() - depth >= labels.size() &&
           std::equal(
               labels.begin(), labels.end(), key.begin() + static_cast<std::ptrdiff_t>(depth),
               [](char label, char c) { return static_cast<std::uint8_t>(label) == slotOf(c); });
}

std::uint32_t WordTrie::attachTail(std::uint32_t parent, std::string_view labels, double now) {
    // The node and the labels first: should one fail, what is lost is unlinked.
    const std::uint32_t target = newNode(now);
    if (tailLabels_.size() + labels.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::bad_alloc();
    const auto offset = static_cast<std::uint32_t>(tailLabels_.size());
    tailLabels_.insert(tailLabels_.end(), labels.begin(), labels.end());
    const Tail tail{now, offset, target, static_cast<std::uint32_t>(labels.size())};
    std::uint32_t tailIndex = freeTails_;
    if (tailIndex != kNoNode) {
        freeTails_ = tails_[tailIndex].labels;
        tails_[tailIndex] = tail;
    } else {
        tailIndex = static_cast<std::uint32_t>(tails_.size());
        tails_.push_back(tail);
    }
    Node& n = node(parent);
    n.children = tailIndex;
    n.childCount = 1;
    n.flags |= kTailFlag;
    nodeCount_ += labels.size();
    return target;
}

void WordTrie::unfoldTail(std::uint32_t parent) {
    const std::uint32_t tailIndex = node(parent).children;
    const Tail tail = tails_[tailIndex];
    const std::uint32_t made = newNode(tail.made);  // before any reference into the pool
    const auto first = static_cast<std::uint8_t>(tailLabels_[tail.labels]);
    Node& madeNode = node(made);
    madeNode.childCount = 1;
    if (tail.length > 2) {
        tails_[tailIndex].labels = tail.labels + 1;
        tails_[tailIndex].length = tail.length - 1;
        madeNode.children = tailIndex;
        madeNode.flags |= kTailFlag;
    } else {
        const auto last = static_cast<std::uint8_t>(tailLabels_[tail.labels + 1]);
        madeNode.children = (tail.target << 8) | last;
        tails_[tailIndex].labels = freeTails_;
        freeTails_ = tailIndex;
    }
    Node& p = node(parent);
    p.children = (made << 8) | first;
    p.flags &= static_cast<std::uint8_t>(~kTailFlag);
}

std::uint32_t WordTrie::reach(std::string_view key, double now) {
    const std::size_t length = std::min(key.size(), kMaxDepth);
    std::uint32_t index = 0;
    std::size_t depth = 0;
    while (depth < length) {
        if (node(index).flags & kTailFlag) {
            const Tail& tail = tails_[node(index).children];
            if (followsTail(tail, key.substr(0, length), depth)) {
                index = tail.target;
                depth += tail.length;
                continue;
            }
            // The key leaves the run or ends in it: the run's nodes are made as far as it goes.
            unfoldTail(index);
        }
        const std::uint32_t next = child(index, slotOf(key[depth]));
        if (next == kNoNode) break;
        index = next;
        ++depth;
    }
    if (depth < length) {
        // All or nothing: a key that does not fit leaves no dangling path behind.
        if (length - depth > nodeBudget_ - std::min(nodeBudget_, nodeCount_)) {
            noteBudget();
            return kNoNode;
        }
        // A new node joins its parent's other children, and a last character is one node;
        // the rest of the key is a run.
        while (depth < length && (node(index).childCount > 0 || length - depth == 1))
            index = addChild(index, slotOf(key[depth++]), now);
        if (depth < length) {
            char folded[kMaxDepth];
            for (std::size_t i = depth; i < length; ++i)
                folded[i - depth] = static_cast<char>(slotOf(key[i]));
            index = attachTail(index, std::string_view(folded, length - depth), now);
        }
    }
    return index;
}

std::string budgetReachedLine(std::size_t budget) {
    return "@@@ Word tree is full at " + decimal(static_cast<std::int64_t>(budget)) +
           " nodes: new keys are not counted";
}

void WordTrie::noteBudget() noexcept {
    if (budgetLogged_) return;
    budgetLogged_ = true;
    try {
        if (hooks_.log) hooks_.log(budgetReachedLine(nodeBudget_));
    } catch (...) {
    }
}

void WordTrie::setKey(std::uint32_t index, std::string_view key) {
    // Only a key that differs from its path needs storing: one holding control characters.
    if (hasControl(key)) {
        ++changes_;
        exactKeys_.insert_or_assign(index, std::string(key));
        node(index).flags |= kExactKeyFlag;
    } else if (node(index).flags & kExactKeyFlag) {
        ++changes_;
        exactKeys_.erase(index);
        node(index).flags &= static_cast<std::uint8_t>(~kExactKeyFlag);
    }
}

void WordTrie::markEntry(std::uint32_t index) {
    Node& n = node(index);
    if (n.flags & kEntryFlag) return;
    ++changes_;
    n.flags |= kEntryFlag;
    if (index != 0) ++wordCount_;
}

std::uint32_t WordTrie::enter(std::string_view key, std::uint64_t hash, double now) {
    std::uint32_t index = key.empty() ? 0 : index_.find(key, hash);
    if (index == 0) {
        markEntry(0);  // the root: never filed, it needs no walk
    } else if (index == KeyIndex::kAbsent) {
        index = reach(key, now);
        if (index == kNoNode) return kNoNode;
        markEntry(index);
        try {
            index_.insert(key, hash, index);
        } catch (...) {
            indexComplete_ = false;  // the count itself goes on
        }
    }
    setKey(index, key);
    return index;
}

bool WordTrie::countWord(std::string_view word, std::uint64_t hash, std::int32_t weight, double now,
                         std::uint32_t filedNode, bool lettersOnly, std::int32_t times) {
    std::uint32_t index = filedNode;
    if (index == KeyIndex::kAbsent) {
        index = enter(word, hash, now);
        if (index == kNoNode) return false;
    } else if (!lettersOnly) {
        // A word of letters has no control character, and its path no blank: its node never
        // holds a key apart.
        setKey(index, word);
    }
    Node& n = node(index);
    n.size = wrappingAdd(n.size, weight);
    setCount(index, wrappingAdd(n.count, times));
    return true;
}

void WordTrie::setCount(std::uint32_t index, std::int32_t count) noexcept {
    ++changes_;
    Node& n = node(index);
    if (index != 0) countTotal_ += std::int64_t{count} - n.count;
    n.count = count;
}

bool WordTrie::addWord(std::string_view word, std::int32_t weight, double now) noexcept {
    try {
        const std::string_view key = word.substr(0, kMaxKeyLength);
        return countWord(key, KeyIndex::hashOf(key), weight, now);
    } catch (...) {
        return false;
    }
}

bool WordTrie::addText(std::string_view text, std::int32_t weight, double now) noexcept {
    if (addTextBusy_) return false;
    addTextBusy_ = true;
    // Words are counted a few behind the tokenizer: when a word's turn comes, its index slot
    // and (for a known word) its node are already on their way from memory. The order of
    // counting stays the text's.
    struct Pending {
        std::string_view key;
        std::uint64_t hash;
        std::uint32_t node;  // found half-way, or kAbsent: then looked up at its turn
    };
    constexpr std::size_t kAhead = 8;
    constexpr std::size_t kNodeAhead = 4;
    std::array<Pending, kAhead> pending{};
    std::size_t head = 0;
    std::size_t waiting = 0;
    std::string_view word;
    const auto countNext = [&] {
        const Pending next = pending[head];
        word = next.key;
        head = (head + 1) % kAhead;
        --waiting;
        // A key filed once keeps its node: what was found half-way still holds.
        countWord(word, next.hash, weight, now, next.node, true);  // a refused key is no failure
    };
    try {
        forEachWord(text, minWordLength_, [&](std::string_view found) {
            if (waiting == kAhead) countNext();
            const std::string_view key = found.substr(0, kMaxKeyLength);
            const std::uint64_t hash = KeyIndex::hashOf(key);
            index_.prefetch(hash);
            pending[(head + waiting) % kAhead] = {key, hash, KeyIndex::kAbsent};
            ++waiting;
            if (waiting > kNodeAhead) {
                Pending& half = pending[(head + waiting - 1 - kNodeAhead) % kAhead];
                if (!half.key.empty()) half.node = index_.find(half.key, half.hash);
                if (half.node != KeyIndex::kAbsent) prefetchNode(half.node);
            }
        });
        while (waiting > 0) countNext();
    } catch (...) {
        addTextBusy_ = false;
        reportAddFailure(word);
        return false;
    }
    addTextBusy_ = false;
    return true;
}

bool WordTrie::addCountedWords(std::span<const TextWord> words, double now) noexcept {
    if (addTextBusy_) return false;
    addTextBusy_ = true;
    std::string_view word;
    try {
        // In batches, as countsOf: the index slots of a batch are fetched together, then the
        // nodes of the known words, then each word is counted in turn, in the list's order.
        constexpr std::size_t kBatch = 16;
        std::array<std::uint32_t, kBatch> nodes{};
        for (std::size_t base = 0; base < words.size(); base += kBatch) {
            const std::size_t n = std::min(kBatch, words.size() - base);
            for (std::size_t i = 0; i < n; ++i) index_.prefetch(words[base + i].hash);
            for (std::size_t i = 0; i < n; ++i) {
                const TextWord& w = words[base + i];
                nodes[i] = w.key.empty() ? KeyIndex::kAbsent : index_.find(w.key, w.hash);
                if (nodes[i] != KeyIndex::kAbsent) prefetchNode(nodes[i]);
            }
            for (std::size_t i = 0; i < n; ++i) {
                const TextWord& w = words[base + i];
                word = w.key;
                // A key new to the trie and listed twice in the batch was found by neither
                // lookup; the second is found when counted. A refused key is no failure.
                countWord(w.key, w.hash, w.size, now, nodes[i], true, w.count);
            }
        }
    } catch (...) {
        addTextBusy_ = false;
        reportAddFailure(word);
        return false;
    }
    addTextBusy_ = false;
    return true;
}

void WordTrie::reportAddFailure(std::string_view word) noexcept {
    try {
        if (hooks_.log)
            hooks_.log("@@@ Can't add word [" + std::string(word.substr(0, kMaxLoggedWord)) + "]");
        if (hooks_.pumpMessages) hooks_.pumpMessages();
    } catch (...) {
    }
}

bool WordTrie::mergeRecord(const StatEntry& record, double now) noexcept {
    try {
        const std::string_view key = std::string_view(record.key).substr(0, kMaxKeyLength);
        const std::uint32_t index = enter(key, KeyIndex::hashOf(key), now);
        if (index == kNoNode) return false;
        Node& n = node(index);
        if (record.cdate < n.cdate) n.cdate = record.cdate;
        if (record.mdate > n.mdate) n.mdate = record.mdate;
        // Only a negative size is damage: the byte totals of traffic keys pass 100000000.
        const bool damaged = record.size < 0;
        n.size = wrappingAdd(n.size, damaged ? 0 : record.size);
        setCount(index, wrappingAdd(n.count, record.count));
        return true;
    } catch (...) {
        return false;
    }
}

StatEntry WordTrie::entryOf(std::uint32_t index, const std::string& path) const {
    const Node& n = node(index);
    StatEntry entry;
    entry.key = (n.flags & kExactKeyFlag) ? exactKeys_.at(index) : path;
    entry.mdate = n.mdate;
    entry.cdate = n.cdate;
    entry.size = n.size;
    entry.marker = n.marker;
    entry.count = n.count;
    return entry;
}

std::uint32_t WordTrie::candidate(std::string_view key, std::uint64_t hash) const {
    if (key.size() > kMaxDepth) return kNoNode;
    if (key.empty()) return 0;
    const std::uint32_t filed = index_.find(key, hash);
    if (filed != KeyIndex::kAbsent) return filed;
    return indexComplete_ ? kNoNode : descend(key);
}

std::uint32_t WordTrie::descend(std::string_view key) const {
    std::uint32_t index = 0;
    std::size_t depth = 0;
    while (depth < key.size()) {
        const Node& n = node(index);
        if (n.flags & kTailFlag) {
            const Tail& tail = tails_[n.children];
            // A key that leaves the run has no node; one that ends inside it, no entry.
            if (!followsTail(tail, key, depth)) return kNoNode;
            index = tail.target;
            depth += tail.length;
        } else {
            index = child(index, slotOf(key[depth]));
            if (index == kNoNode) return kNoNode;
            ++depth;
        }
    }
    return index;
}

bool WordTrie::isEntryFor(std::uint32_t index, std::string_view key) const {
    const Node& n = node(index);
    if (!(n.flags & kEntryFlag)) return false;
    return (n.flags & kExactKeyFlag) ? exactKeys_.at(index) == key : !hasControl(key);
}

std::uint32_t WordTrie::locate(std::string_view key) const {
    if (key.size() > kMaxDepth) return kNoNode;
    const std::uint32_t index = candidate(key, KeyIndex::hashOf(key));
    return index != kNoNode && isEntryFor(index, key) ? index : kNoNode;
}

template <typename KeyOf, typename HashOf>
void WordTrie::batchedCounts(std::size_t total, KeyOf keyOf, HashOf hashOf, bool lettersOnly,
                             std::span<std::int32_t> counts) const {
    constexpr std::size_t kBatch = 16;
    std::array<std::uint64_t, kBatch> hashes{};
    std::array<std::uint32_t, kBatch> nodes{};
    for (std::size_t base = 0; base < total; base += kBatch) {
        const std::size_t n = std::min(kBatch, total - base);
        // Three passes over the batch: the reads of one pass are in flight together.
        for (std::size_t i = 0; i < n; ++i) {
            if (keyOf(base + i).size() > kMaxDepth) continue;  // never filed: found by no one
            hashes[i] = hashOf(base + i);
            index_.prefetch(hashes[i]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            nodes[i] = candidate(keyOf(base + i), hashes[i]);
            if (nodes[i] != kNoNode) prefetchNode(nodes[i]);
        }
        for (std::size_t i = 0; i < n; ++i) {
            const bool found =
                nodes[i] != kNoNode && (lettersOnly ? (node(nodes[i]).flags & kEntryFlag) != 0
                                                    : isEntryFor(nodes[i], keyOf(base + i)));
            counts[base + i] = found ? node(nodes[i]).count : 0;
        }
    }
}

void WordTrie::countsOf(std::span<const std::string_view> keys,
                        std::span<std::int32_t> counts) const {
    batchedCounts(
        std::min(keys.size(), counts.size()), [&](std::size_t i) { return keys[i]; },
        [&](std::size_t i) { return KeyIndex::hashOf(keys[i]); }, false, counts);
}

void WordTrie::countsOf(std::span<const TextWord> words, std::span<std::int32_t> counts) const {
    batchedCounts(
        std::min(words.size(), counts.size()), [&](std::size_t i) { return words[i].key; },
        [&](std::size_t i) { return words[i].hash; }, true, counts);
}

std::optional<StatEntry> WordTrie::find(std::string_view key) const {
    const std::uint32_t index = locate(key);
    if (index == kNoNode) return std::nullopt;
    return entryOf(index, std::string(key));
}

std::int32_t WordTrie::countOf(std::string_view key) const {
    const std::uint32_t index = locate(key);
    return index == kNoNode ? 0 : node(index).count;
}

template <typename Visit>
void WordTrie::walk(std::uint32_t index, std::string& path, Visit& visit) const {
    if (node(index).flags & kEntryFlag) visit(index, path);
    // The node is read again at every step: a visitor that adds keys may move its children.
    for (std::uint32_t i = 0;; ++i) {
        const Node& n = node(index);
        if (i >= slotCount(n)) break;
        const Step step = stepAt(n, i);
        if (step.target == kNoNode) continue;
        const std::size_t before = path.size();
        path.append(step.labels);
        walk(step.target, path, visit);
        path.resize(before);
    }
}

void WordTrie::forEachEntry(const std::function<void(const StatEntry&)>& visit) const {
    std::string path;
    auto each = [&](std::uint32_t index, const std::string& p) { visit(entryOf(index, p)); };
    walk(0, path, each);
}

void WordTrie::updateEntries(const std::function<void(StatEntry&)>& visit) {
    std::string path;
    auto each = [&](std::uint32_t index, const std::string& p) {
        StatEntry entry = entryOf(index, p);
        visit(entry);
        Node& n = node(index);
        n.mdate = entry.mdate;
        n.cdate = entry.cdate;
        n.size = entry.size;
        n.marker = entry.marker;
        setCount(index, entry.count);
    };
    walk(0, path, each);
}

bool WordTrie::rootIsEntry() const noexcept { return (node(0).flags & kEntryFlag) != 0; }

void WordTrie::clearRootEntry() noexcept {
    ++changes_;
    node(0).flags &= static_cast<std::uint8_t>(~kEntryFlag);
}

void WordTrie::forEachLetterEntry(
    const std::function<void(std::string_view, std::int32_t)>& visit) const {
    struct Frame {
        std::uint32_t node;
        std::uint32_t next;      // the child slot to look at next
        std::size_t pathLength;  // the node's key's
    };
    std::string path;
    std::vector<Frame> stack{{0, 0, 0}};
    if (node(0).flags & kEntryFlag) visit(std::string_view(), node(0).count);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const Node& n = node(frame.node);
        if (frame.next >= slotCount(n)) {
            stack.pop_back();
            continue;
        }
        const Step step = stepAt(n, frame.next++);
        // A key with any other byte is never a word: its whole subtree is passed over.
        if (step.target == kNoNode ||
            !std::all_of(step.labels.begin(), step.labels.end(),
                         [](char c) { return isWordLetter(static_cast<unsigned char>(c)); }))
            continue;
        path.resize(frame.pathLength);
        path.append(step.labels);
        if (node(step.target).flags & kEntryFlag)
            visit(std::string_view(path), node(step.target).count);
        stack.push_back({step.target, 0, path.size()});
    }
}

std::size_t WordTrie::memoryBytes() const noexcept {
    std::size_t bytes = sizeof(*this) + chunks_.capacity() * sizeof(chunks_[0]);
    for (const auto& chunk : chunks_) bytes += chunk.capacity() * sizeof(Node);
    bytes += links_.capacity() * sizeof(std::uint32_t);
    bytes += tails_.capacity() * sizeof(Tail) + tailLabels_.capacity();
    bytes += index_.memoryBytes();
    bytes += exactKeys_.bucket_count() * sizeof(void*);
    for (const auto& [index, key] : exactKeys_)
        bytes += sizeof(std::pair<const std::uint32_t, std::string>) + 2 * sizeof(void*) +
                 (key.capacity() > 15 ? key.capacity() + 1 : 0);
    return bytes;
}

}  // namespace qbx::statistics
