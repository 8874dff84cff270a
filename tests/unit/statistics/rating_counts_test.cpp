#include "statistics/rating_counts.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "statistics/key_index.h"
#include "statistics/stat_entry.h"

namespace qbx::statistics {
namespace {

constexpr double kMade = 45000.0;

StatEntry record(std::string key, std::int32_t count) {
    return {std::move(key), kMade, kMade, 1, kMarkerStored, count};
}

// A word as the tokenizer lists it: its key and its hash.
TextWord word(const std::string& key) { return TextWord{key, 1, 1, KeyIndex::hashOf(key)}; }

// The table's counts of the words against each tree's own.
void expectSameCounts(const RatingCounts& table, const WordTrie* spam, const WordTrie* nonSpam,
                      const std::vector<std::string>& keys) {
    std::vector<TextWord> words;
    for (const std::string& key : keys) words.push_back(word(key));
    std::vector<std::int32_t> fromTable(words.size(), -7), otherSide(words.size(), -7);
    table.countsOf(words, fromTable, otherSide);
    for (const auto& [tree, counts] :
         {std::pair{spam, &fromTable}, std::pair{nonSpam, &otherSide}}) {
        std::vector<std::int32_t> fromTree(words.size(), 0);
        if (tree != nullptr) tree->countsOf(words, fromTree);
        for (std::size_t i = 0; i < words.size(); ++i)
            ASSERT_EQ((*counts)[i], fromTree[i]) << "[" << keys[i] << "]";
    }
}

// Random trees of letters, with keys of other bytes beside them (the tokenizer's words are
// letters only, so only such words are asked for), counts of every size (large,
// negative and wrapped ones from stored records), the root's entry; words asked for that are
// there, that are only paths and that are missing.
TEST(RatingCountsTest, GivesEachWordTheCountsBothTreesGive) {
    std::mt19937 random(18);
    const char letters[] = {'a', 'b', 'c', 'Z', '@', '\xE0', '\xFF', '\xA8', '\xB8'};
    const char others[] = {' ', '\t', '1', '-', '\x7F', '\xA0'};
    const auto randomKey = [&](bool withOther) {
        std::string key;
        const int length = 1 + static_cast<int>(random() % 12);
        for (int j = 0; j < length; ++j) key += letters[random() % sizeof letters];
        if (withOther) key[random() % key.size()] = others[random() % sizeof others];
        return key;
    };
    WordTrie spam(kMade);
    WordTrie nonSpam(kMade);
    std::vector<std::string> asked{"", "never", std::string(81, 'a')};
    for (int i = 0; i < 6000; ++i) {
        WordTrie& tree = i % 3 == 0 ? spam : nonSpam;
        const std::string key = randomKey(i % 7 == 0);
        const int pick = static_cast<int>(random() % 10);
        const std::int32_t count = pick == 0   ? std::numeric_limits<std::int32_t>::max()
                                   : pick == 1 ? -5
                                   : pick == 2 ? 40000
                                               : 1 + static_cast<std::int32_t>(random() % 100);
        ASSERT_TRUE(tree.mergeRecord(record(key, count), kMade));
        if (i % 7 == 0) continue;  // keys of other bytes are never words: not asked for
        asked.push_back(key);
        asked.push_back(key.substr(0, key.size() / 2));  // a path, or another word
        if (i % 5 == 0) asked.push_back(randomKey(false));
    }
    spam.mergeRecord(record("", 3), kMade);  // the root's entry
    RatingCounts table;
    EXPECT_FALSE(table.current(&spam, &nonSpam));
    table.build(&spam, &nonSpam);
    EXPECT_TRUE(table.current(&spam, &nonSpam));
    expectSameCounts(table, &spam, &nonSpam, asked);

    // One side missing counts nothing for it.
    table.build(nullptr, &nonSpam);
    EXPECT_TRUE(table.current(nullptr, &nonSpam));
    EXPECT_FALSE(table.current(&spam, &nonSpam));
    expectSameCounts(table, nullptr, &nonSpam, asked);
}

// Every way a tree's counts or entries change leaves the table behind it; asking does not.
TEST(RatingCountsTest, AnyChangeOfATreeMakesTheTableOld) {
    auto spam = std::make_unique<WordTrie>(kMade);
    WordTrie nonSpam(kMade);
    spam->addWord("known", 1, kMade);
    spam->addWord("a\tb", 1, kMade);
    RatingCounts table;
    const std::vector<std::function<void(WordTrie&)>> changes = {
        [](WordTrie& t) { t.addWord("known", 1, kMade); },
        [](WordTrie& t) { t.addWord("fresh", 1, kMade); },
        [](WordTrie& t) { t.addText("some more words", 1, kMade); },
        [](WordTrie& t) { t.mergeRecord(record("known", 2), kMade); },
        [](WordTrie& t) { t.updateEntries([](StatEntry& e) { e.count += 1; }); },
        [](WordTrie& t) { t.addWord("a b", 1, kMade); },  // the blank's path: the key changes
        [](WordTrie& t) { t.clearRootEntry(); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        table.build(spam.get(), &nonSpam);
        std::vector<std::int32_t> counts(1);
        spam->countsOf(std::vector<TextWord>{word("known")}, counts);
        EXPECT_EQ(spam->countOf("known"), counts[0]);
        EXPECT_TRUE(table.current(spam.get(), &nonSpam)) << i;
        changes[i](*spam);
        EXPECT_FALSE(table.current(spam.get(), &nonSpam)) << i;
    }
    // A new tree where the old one stood is another tree.
    table.build(spam.get(), &nonSpam);
    spam = std::make_unique<WordTrie>(kMade);
    EXPECT_FALSE(table.current(spam.get(), &nonSpam));
}

}  // namespace
}  // namespace qbx::statistics
