#include "statistics/text_words.h"

#include <algorithm>
#include <bit>

#include "base/byte_search.h"
#include "statistics/key_index.h"
#include "statistics/stat_entry.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {
namespace {

// Open addressing over positions in the word list (+1, so that 0 is an empty slot), each with
// the upper half of its key's hash: keys are compared only when those agree. A slot is packed
// as position | tag << 32 in the caller's room.
class WordTable {
public:
    // Sized for the words a text of that size usually holds, so that a message's table seldom
    // grows; the budget caps it.
    WordTable(std::vector<TextWord>& words, std::vector<std::uint64_t>& slots,
              std::size_t expectedWords)
        : words_(words), slots_(slots) {
        slots_.assign(std::bit_ceil(std::max<std::size_t>(64, 2 * expectedWords)), 0);
        words_.reserve(expectedWords);
    }

    // The word's entry, made when new; null when a new key would pass the budget.
    TextWord* entry(std::string_view key, std::size_t& budget) {
        const std::uint64_t hash = KeyIndex::hashOf(key);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        std::size_t i = 0;
        if (TextWord* word = probe(words_, slots_, key, tag, i)) return word;
        if (key.size() > budget) return nullptr;
        budget -= key.size();
        words_.push_back(TextWord{key, 0, 0, hash});
        slots_[i] = words_.size() | std::uint64_t{tag} << 32;
        if (words_.size() * 2 > slots_.size()) grow();
        return &words_.back();
    }

    // The listed word with the key, or null with `i` at the empty slot where it would go.
    static TextWord* probe(std::vector<TextWord>& words, const std::vector<std::uint64_t>& slots,
                           std::string_view key, std::uint32_t tag, std::size_t& i) {
        const std::size_t mask = slots.size() - 1;
        for (i = tag & mask; positionOf(slots[i]) != 0; i = (i + 1) & mask) {
            if (tagOf(slots[i]) != tag) continue;
            TextWord& word = words[positionOf(slots[i]) - 1];
            if (equalBytes(word.key, key)) return &word;
        }
        return nullptr;
    }

private:
    static std::uint32_t positionOf(std::uint64_t slot) { return static_cast<std::uint32_t>(slot); }
    static std::uint32_t tagOf(std::uint64_t slot) {
        return static_cast<std::uint32_t>(slot >> 32);
    }

    void grow() {
        std::vector<std::uint64_t> bigger(slots_.size() * 2);
        const std::size_t mask = bigger.size() - 1;
        for (const std::uint64_t slot : slots_) {
            if (positionOf(slot) == 0) continue;
            std::size_t i = tagOf(slot) & mask;
            while (positionOf(bigger[i]) != 0) i = (i + 1) & mask;
            bigger[i] = slot;
        }
        slots_.swap(bigger);
    }

    std::vector<TextWord>& words_;
    std::vector<std::uint64_t>& slots_;
};

}  // namespace

void countDistinctWords(std::string_view text, const WordCountOptions& options, TextWords& out,
                        WordCountRoom& room) {
    out.words.clear();
    out.full = false;
    // Room for one distinct word per 8 bytes of text, more than mail text holds; never more
    // than the budget's keys could fill.
    constexpr std::size_t kBytesPerWord = 8;
    constexpr std::size_t kMostExpected = std::size_t{1} << 16;
    const std::size_t expected =
        std::min({text.size() / kBytesPerWord, options.keyByteBudget, kMostExpected});
    WordTable table(out.words, room.slots, expected);
    std::size_t budget = options.keyByteBudget;
    forEachWord(text, options.minWordLength, [&](std::string_view word) {
        TextWord* entry = table.entry(word.substr(0, kMaxKeyLength), budget);
        if (entry == nullptr) {
            out.full = true;
            return;
        }
        // An empty word's view may point anywhere: it is counted wherever it stands.
        if (!word.empty() &&
            static_cast<std::size_t>(word.data() - text.data()) < options.countFrom)
            return;
        entry->count = wrappingAdd(entry->count, 1);
        entry->size = wrappingAdd(entry->size, options.weight);
    });
}

TextWord* findCountedWord(std::string_view key, TextWords& words, const WordCountRoom& room) {
    if (room.slots.empty()) return nullptr;
    std::size_t i = 0;
    return WordTable::probe(words.words, room.slots, key,
                            static_cast<std::uint32_t>(KeyIndex::hashOf(key) >> 32), i);
}

TextWords distinctWords(std::string_view text, std::int32_t minWordLength, std::int32_t weight,
                        std::size_t keyByteBudget) {
    TextWords result;
    WordCountRoom room;
    countDistinctWords(text, {minWordLength, weight, keyByteBudget, 0}, result, room);
    return result;
}

void sortAsTrieWalk(std::vector<TextWord>& words) {
    // char_traits<char> compares as unsigned char: the order of the trie's children.
    std::sort(words.begin(), words.end(),
              [](const TextWord& a, const TextWord& b) { return a.key < b.key; });
}

}  // namespace qbx::statistics
