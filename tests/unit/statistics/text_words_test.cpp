#include "statistics/text_words.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "statistics/key_index.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {
namespace {

using Counted = std::vector<std::tuple<std::string, std::int32_t, std::int32_t>>;

// Letters, separators and a few long runs, so that keys pass 80 characters now and then.
std::string randomText(std::mt19937& random) {
    static const std::string pieces[] = {
        "ab", "abc", "\xE0\xE1\xE2",      "\xA8\xB8", "@", " ", ",", "\r\n",
        "1",  "q",   std::string(85, 'z')};
    std::string text;
    const int count = static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
    return text;
}

TEST(TextWordsTest, CountsLikeATrieOfTheTextAndSortsIntoItsWalkOrder) {
    std::mt19937 random(2024);
    for (int round = 0; round < 400; ++round) {
        const std::string text = randomText(random);
        const std::int32_t minLength = static_cast<std::int32_t>(random() % 7) - 1;
        const std::int32_t weight = static_cast<std::int32_t>(random() % 5) - 1;

        WordTrie trie(1.0);
        trie.setMinWordLength(minLength);
        ASSERT_TRUE(trie.addText(text, weight, 1.0));
        Counted expected;
        trie.forEachEntry(
            [&](const StatEntry& e) { expected.emplace_back(e.key, e.count, e.size); });

        TextWords words = distinctWords(text, minLength, weight, 1u << 20);
        EXPECT_FALSE(words.full);
        sortAsTrieWalk(words.words);
        Counted actual;
        for (const TextWord& w : words.words) actual.emplace_back(w.key, w.count, w.size);
        ASSERT_EQ(actual, expected) << "text [" << text << "] min " << minLength;
    }
}

TEST(TextWordsTest, KeepsFirstAppearanceOrderAndStopsTakingNewKeysAtTheBudget) {
    const TextWords words = distinctWords("gamma alpha gamma beta delta", 4, 2, 15);
    ASSERT_EQ(words.words.size(), 3u);  // 5 + 5 + 4 bytes fit, "delta" would pass 15
    EXPECT_TRUE(words.full);
    EXPECT_EQ(words.words[0].key, "gamma");
    EXPECT_EQ(words.words[0].count, 2);
    EXPECT_EQ(words.words[0].size, 4);
    EXPECT_EQ(words.words[1].key, "alpha");
    EXPECT_EQ(words.words[2].key, "beta");
}

// Keys of every length up to three hash steps, a control character at every place (whole
// steps, the overlapping loads of the last piece, its first, middle and last byte): each is
// found as the blank it stands for, and the byte compare alone tells the two apart.
TEST(KeyIndexTest, ControlsHashAsBlanksAtEveryLengthAndPlace) {
    for (std::size_t length = 1; length <= 24; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            std::string blank(length, 'q');
            for (std::size_t i = 0; i < length; ++i) blank[i] = static_cast<char>('a' + i);
            blank[at] = ' ';
            std::string control = blank;
            control[at] = '\x07';
            ASSERT_EQ(KeyIndex::hashOf(control), KeyIndex::hashOf(blank)) << length << " " << at;
            KeyIndex folding;
            folding.insert(blank, KeyIndex::hashOf(blank), 5);
            EXPECT_EQ(folding.find(control), 5u);
            ExactKeyIndex exact;
            exact.insert(blank, ExactKeyIndex::hashOf(blank), 5);
            EXPECT_EQ(exact.find(control), ExactKeyIndex::kAbsent);
        }
    }
}

TEST(KeyIndexTest, FindsWhatWasFiledInPathFormAndNothingElse) {
    KeyIndex index;
    std::vector<std::string> keys;
    for (int i = 0; i < 5000; ++i) keys.push_back("k" + std::to_string(i * 7919));
    for (std::uint32_t i = 0; i < keys.size(); ++i) {
        index.insert(keys[i], KeyIndex::hashOf(keys[i]), i + 1);
        // Room made half-way, and made again smaller than there is, moves nothing.
        if (i == 2000) index.reserve(8000);
        if (i == 3000) index.reserve(10);
    }
    EXPECT_EQ(index.size(), keys.size());
    for (std::uint32_t i = 0; i < keys.size(); ++i) ASSERT_EQ(index.find(keys[i]), i + 1);
    EXPECT_EQ(index.find("k"), KeyIndex::kAbsent);
    EXPECT_EQ(index.find("k0x"), KeyIndex::kAbsent);
    EXPECT_EQ(index.find(""), KeyIndex::kAbsent);

    // A control character is filed and found as the blank the trie files it under.
    index.insert(std::string("a\x01z"), KeyIndex::hashOf(std::string("a\x01z")), 9);
    EXPECT_EQ(index.find("a z"), 9u);
    EXPECT_EQ(index.find(std::string("a\tz")), 9u);
    EXPECT_EQ(index.find(std::string(300, 'a')), KeyIndex::kAbsent);
    // Also past the first eight bytes, and in the last, short, piece.
    const std::string folded("abcdefgh\x1Fjklmnopq\x02s");
    index.insert(folded, KeyIndex::hashOf("abcdefgh jklmnopq s"), 8);
    EXPECT_EQ(index.find("abcdefgh jklmnopq s"), 8u);

    // Keys that fit the slot and keys that do not, alike in length and first bytes.
    for (const std::string_view key : {"abcdefg", "abcdefh", "abcdefgh1", "abcdefgh2", "abc"}) {
        const auto node = static_cast<std::uint32_t>(key.size() * 100 + key.back());
        index.insert(key, KeyIndex::hashOf(key), node);
    }
    EXPECT_EQ(index.find("abcdefg"), 700u + 'g');
    EXPECT_EQ(index.find("abcdefh"), 700u + 'h');
    EXPECT_EQ(index.find("abcdefgh1"), 900u + '1');
    EXPECT_EQ(index.find("abcdefgh2"), 900u + '2');
    EXPECT_EQ(index.find("abcdefgh3"), KeyIndex::kAbsent);
    EXPECT_EQ(index.find("abc"), 300u + 'c');
}

TEST(KeyIndexTest, TheExactIndexTellsControlCharactersFromBlanksAndKeepsTheFirstFiling) {
    ExactKeyIndex index;
    index.insertIfAbsent("a z", 1);
    index.insertIfAbsent(std::string("a\x01z"), 2);
    index.insertIfAbsent("a z", 3);  // a later record of the key does not replace the first
    EXPECT_EQ(index.find("a z"), 1u);
    EXPECT_EQ(index.find(std::string("a\x01z")), 2u);
    EXPECT_EQ(index.find(std::string("a\tz")), ExactKeyIndex::kAbsent);
    index.clear();
    EXPECT_EQ(index.find("a z"), ExactKeyIndex::kAbsent);
    EXPECT_EQ(index.size(), 0u);
}

}  // namespace
}  // namespace qbx::statistics
