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

// Room for counting kept from text to text: once it has grown to what mail needs, counting a
// message's words allocates nothing.
struct WordCountRoom {
    std::vector<std::uint64_t> slots;
};

struct WordCountOptions {
    std::int32_t minWordLength = 0;
    std::int32_t weight = 1;
    std::size_t keyByteBudget = 0;
    // Words that begin before this offset are listed but not counted (count and size 0): a
    // Subject rated with the body whose words alone are counted into an item.
    std::size_t countFrom = 0;
};

// The words as WordTrie::addText splits them, each key once, each with its hash, into `out`
// (its list cleared first). New keys stop being taken once their bytes would pass the key
// byte budget (a trie of the text would never need more nodes).
void countDistinctWords(std::string_view text, const WordCountOptions& options, TextWords& out,
                        WordCountRoom& room);

// The listed word with this key (the first 80 characters of a word), as the last count into
// `words` with `room` filed it; null when it is not listed.
TextWord* findCountedWord(std::string_view key, TextWords& words, const WordCountRoom& room);

TextWords distinctWords(std::string_view text, std::int32_t minWordLength, std::int32_t weight,
                        std::size_t keyByteBudget);

// Orders the words as a trie's walk gives its entries: by their bytes, unsigned, a key before
// the keys it begins.
void sortAsTrieWalk(std::vector<TextWord>& words);

}  // namespace qbx::statistics
