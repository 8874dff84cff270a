// The distinct words of one text, counted the way a trie of their own would count them, but
// without building one: scoring and training look each distinct word up once in the item
// tries, and a small hash table is far cheaper per message than a scratch trie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qbx::statistics {

struct TextWord {
    std::string_view key;  // the word's first 80 characters, a view into the text
    std::int32_t count = 0;
    std::int32_t size = 0;  // the weights summed, wrapping as the trie's sizes do
    // KeyIndex::hashOf(key): worked out once while counting, then used by every lookup of the
    // word in the item tries.
    std::uint64_t hash = 0;
};

struct TextWords {
    std::vector<TextWord> words;  // in order of first appearance
    bool full = false;            // keys were left out to stay within the byte budget
};

// The words as WordTrie::addText splits them, each key once, each with its hash. New keys stop
// being taken once their bytes would pass `keyByteBudget` (a trie of the text would never need more
// nodes).
TextWords distinctWords(std::string_view text, std::int32_t minWordLength, std::int32_t weight,
                        std::size_t keyByteBudget);

// Orders the words as a trie's walk gives its entries: by their bytes, unsigned, a key before
// the keys it begins.
void sortAsTrieWalk(std::vector<TextWord>& words);

}  // namespace qbx::statistics
