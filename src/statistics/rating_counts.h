// The trained counts of words on both sides in one table, made from the Spam and NonSpam trees:
// rating a message then looks each of its words up once, instead of once in each tree and
// then in each tree's node (four reads of memory a word, most of them misses).
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "statistics/key_index.h"
#include "statistics/text_words.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {

class RatingCounts {
public:
    // Whether the table holds the counts of these trees as they stand now.
    bool current(const WordTrie* spam, const WordTrie* nonSpam) const noexcept;
    // Takes the trees' entries of word letters. Throws std::bad_alloc, leaving the table empty
    // and not current.
    void build(const WordTrie* spam, const WordTrie* nonSpam);
    // The counts of a text's words (keys of word letters with their hashes), as the trees'
    // countsOf would give them.
    void countsOf(std::span<const TextWord> words, std::span<std::int32_t> spam,
                  std::span<std::int32_t> nonSpam) const;

private:
    // A word's two counts in the index's 32 bits when both are small (as nearly all are);
    // otherwise the top bit and the place of the pair in overflow_.
    static constexpr std::int32_t kSmall = 0x7FFF;
    static constexpr std::uint32_t kApart = 0x80000000u;

    KeyIndex index_;
    std::vector<std::pair<std::int32_t, std::int32_t>> overflow_;
    const WordTrie* spam_ = nullptr;
    const WordTrie* nonSpam_ = nullptr;
    WordTrie::Stamp spamStamp_;
    WordTrie::Stamp nonSpamStamp_;
    bool built_ = false;
};

}  // namespace qbx::statistics
