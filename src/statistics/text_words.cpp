#include "statistics/text_words.h"

#include <algorithm>
#include <bit>

#include "statistics/key_index.h"
#include "statistics/stat_entry.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {
namespace {

std::int32_t wrappingAdd(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

// Open addressing over positions in the word list (+1, so that 0 is an empty slot), each with
// the upper half of its key's hash: keys are compared only when those agree.
class WordTable {
public:
    // Sized for the words a text of that size usually holds, so that a message's table seldom
    // grows; the budget caps it.
    WordTable(std::vector<TextWord>& words, std::size_t expectedWords)
        : words_(words), slots_(std::bit_ceil(std::max<std::size_t>(64, 2 * expectedWords))) {
        words_.reserve(expectedWords);
    }

    // The word's entry, made when new; null when a new key would pass the budget.
    TextWord* entry(std::string_view key, std::size_t& budget) {
        const std::uint64_t hash = KeyIndex::hashOf(key);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        const std::size_t mask = slots_.size() - 1;
        std::size_t i = tag & mask;
        for (; slots_[i].position != 0; i = (i + 1) & mask) {
            if (slots_[i].tag != tag) continue;
            TextWord& word = words_[slots_[i].position - 1];
            if (word.key == key) return &word;
        }
        if (key.size() > budget) return nullptr;
        budget -= key.size();
        words_.push_back(TextWord{key, 0, 0, hash});
        slots_[i] = Slot{static_cast<std::uint32_t>(words_.size()), tag};
        if (words_.size() * 2 > slots_.size()) grow();
        return &words_.back();
    }

private:
    struct Slot {
        std::uint32_t position = 0;
        std::uint32_t tag = 0;
    };

    void grow() {
        std::vector<Slot> bigger(slots_.size() * 2);
        const std::size_t mask = bigger.size() - 1;
        for (const Slot& slot : slots_) {
            if (slot.position == 0) continue;
            std::size_t i = slot.tag & mask;
            while (bigger[i].position != 0) i = (i + 1) & mask;
            bigger[i] = slot;
        }
        slots_.swap(bigger);
    }

    std::vector<TextWord>& words_;
    std::vector<Slot> slots_;
};

}  // namespace

TextWords distinctWords(std::string_view text, std::int32_t minWordLength, std::int32_t weight,
                        std::size_t keyByteBudget) {
    TextWords result;
    // Room for one distinct word per 8 bytes of text, more than mail text holds; never more
    // than the budget's keys could fill.
    constexpr std::size_t kBytesPerWord = 8;
    constexpr std::size_t kMostExpected = std::size_t{1} << 16;
    const std::size_t expected =
        std::min({text.size() / kBytesPerWord, keyByteBudget, kMostExpected});
    WordTable table(result.words, expected);
    std::size_t budget = keyByteBudget;
    forEachWord(text, minWordLength, [&](std::string_view word) {
        TextWord* entry = table.entry(word.substr(0, kMaxKeyLength), budget);
        if (entry == nullptr) {
            result.full = true;
            return;
        }
        entry->count = wrappingAdd(entry->count, 1);
        entry->size = wrappingAdd(entry->size, weight);
    });
    return result;
}

void sortAsTrieWalk(std::vector<TextWord>& words) {
    // char_traits<char> compares as unsigned char: the order of the trie's children.
    std::sort(words.begin(), words.end(),
              [](const TextWord& a, const TextWord& b) { return a.key < b.key; });
}

}  // namespace qbx::statistics
