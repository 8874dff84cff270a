#include "statistics/word_trie.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace qbx::statistics {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;
using Counts = std::vector<std::pair<std::string, std::int32_t>>;

constexpr double kMade = 45000.0;
constexpr double kLater = 45001.0;
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

// (key, count) of every entry in walk order.
Counts counts(const WordTrie& trie) {
    Counts out;
    trie.forEachEntry([&](const StatEntry& e) { out.emplace_back(e.key, e.count); });
    return out;
}

Counts counted(std::string_view text, std::int32_t minLength = 4) {
    WordTrie trie(kMade);
    trie.setMinWordLength(minLength);
    EXPECT_TRUE(trie.addText(text, 1, kMade));
    return counts(trie);
}

StatEntry record(std::string key, double cdate, double mdate, std::int32_t size,
                 std::int32_t count) {
    return {std::move(key), mdate, cdate, size, kMarkerStored, count};
}

TEST(WordTrieTokenizerTest, SplitsAtEveryNonLetterAndHonoursTheMinimumLength) {
    const std::vector<std::tuple<std::string, std::int32_t, Counts>> cases = {
        {"abc def", 4, {{"abc", 1}, {"def", 1}}},
        {"ab cd", 4, {}},
        {"xyz", 4, {{"xyz", 1}}},
        {"foo1bar", 4, {{"bar", 1}, {"foo", 1}}},
        {"e-mail", 4, {{"mail", 1}}},
        {"one_two", 4, {{"one", 1}, {"two", 1}}},
        {"", 4, {}},
        {"user@host", 4, {{"user@host", 1}}},  // "@" is a letter
        {"[abc]{abc}\tabc\r\nabc", 4, {{"abc", 4}}},
        {"\xE4\xEE\xEC \xA8\xEB\xEA\xE0 \xB8\xB8\xB8",
         4,
         {{"\xA8\xEB\xEA\xE0", 1}, {"\xB8\xB8\xB8", 1}, {"\xE4\xEE\xEC", 1}}},
        {"abc\x85"
         "def\xA0ghi\xBFjkl",
         4,
         {{"abc", 1}, {"def", 1}, {"ghi", 1}, {"jkl", 1}}},
        {"ABC abc", 4, {{"ABC", 1}, {"abc", 1}}},
        {"ab cd a", 3, {{"ab", 1}, {"cd", 1}}},
        {"a  b", 1, {{"", 1}, {"a", 1}, {"b", 1}}},  // adjacent separators: an empty word
        {"a  b", 0, {{"", 2}, {"a", 1}, {"b", 1}}},  // at 0 the opening blank closes one too
        {"a", -5, {{"", 1}, {"a", 1}}},
    };
    for (const auto& [text, minLength, expected] : cases)
        EXPECT_EQ(counted(text, minLength), expected) << text << " " << minLength;
    WordTrie trie(kMade);
    trie.addText("a  b", 1, kMade);
    EXPECT_FALSE(trie.rootIsEntry());
}

// The tokenizer reads 64 bytes at a time: random texts of every byte near the letter ranges'
// edges, words across blocks and texts ending inside a word, against a byte-by-byte reading.
TEST(WordTrieTokenizerTest, BlocksOfBytesSplitAsOneByteAtATime) {
    const unsigned char picks[] = {0,   31,  32,  63,  64,  65,  90,  91,  96,  97,  122, 123,
                                   127, 128, 167, 168, 169, 183, 184, 185, 191, 192, 254, 255};
    std::mt19937 random(2024);
    for (int round = 0; round < 3000; ++round) {
        std::string text(random() % 200, ' ');
        const bool longWords = round % 3 == 0;
        for (char& c : text)
            c = static_cast<char>(longWords && random() % 8 != 0 ? 'a' + random() % 26
                                                                 : picks[random() % sizeof picks]);
        const std::int32_t minLength = 2 + static_cast<std::int32_t>(random() % 3);
        std::vector<std::string_view> expected;
        for (std::size_t i = 0; i < text.size();) {
            std::size_t j = i;
            while (j < text.size() && isWordLetter(static_cast<unsigned char>(text[j]))) ++j;
            if (j > i && j - i + 1 >= static_cast<std::size_t>(minLength))
                expected.emplace_back(text.data() + i, j - i);
            i = j == i ? i + 1 : j;
        }
        std::vector<std::string_view> words;
        forEachWord(text, minLength, [&](std::string_view word) { words.push_back(word); });
        ASSERT_EQ(words.size(), expected.size()) << round;
        for (std::size_t i = 0; i < words.size(); ++i) {
            ASSERT_EQ(words[i].data(), expected[i].data()) << round << " " << i;
            ASSERT_EQ(words[i].size(), expected[i].size()) << round << " " << i;
        }
    }
}

TEST(WordTrieTest, AddingCountsWeightsDatesWrapsAndCapsLength) {
    WordTrie trie(kMade);
    trie.addText("spam ham spam, spam!", 7, kLater);
    EXPECT_EQ(trie.find("spam"), (StatEntry{"spam", kLater, kLater, 21, kMarkerNode, 3}));
    EXPECT_EQ(trie.countWords(), 2u);

    ASSERT_TRUE(trie.addWord("abcd", 1, 45002.0));
    ASSERT_TRUE(trie.addWord("ab", kIntMax, 45009.0));
    ASSERT_TRUE(trie.addWord("ab", 2, 45009.0));
    // Dated when made on the way to "abcd"; the size sum wraps.
    EXPECT_EQ(trie.find("ab"), (StatEntry{"ab", 45002.0, 45002.0, kIntMin + 1, kMarkerNode, 2}));
    EXPECT_FALSE(trie.find("abc").has_value());  // a node on the way is no entry
    EXPECT_FALSE(trie.find("abcde").has_value());

    WordTrie longWords(kMade);
    const std::string first(100, 'q');
    longWords.addText(first + " " + std::string(80, 'q') + "zzzz", 1, kMade);
    longWords.addWord(first, 1, kMade);
    EXPECT_THAT(counts(longWords), ElementsAre(Pair(std::string(80, 'q'), 3)));
    EXPECT_EQ(longWords.countNodes(), 80u);
    EXPECT_FALSE(longWords.find(first).has_value());
}

TEST(WordTrieTest, ControlCharactersShareTheBlanksPathAndTheEmptyKeyTheRoot) {
    WordTrie trie(kMade);
    trie.addWord("a\tb", 1, kMade);
    EXPECT_THAT(counts(trie), ElementsAre(Pair("a\tb", 1)));
    EXPECT_FALSE(trie.find("a b").has_value());
    EXPECT_EQ(trie.countNodes(), 3u);
    // The same node: the last key stored is the one it holds.
    trie.addWord("a b", 1, kMade);
    EXPECT_FALSE(trie.find("a\tb").has_value());
    EXPECT_EQ(trie.find("a b")->count, 2);
    trie.addWord(std::string("a\0b", 3), 1, kMade);
    EXPECT_THAT(counts(trie), ElementsAre(Pair(std::string("a\0b", 3), 3)));

    // A control character anywhere in a long key keeps the key exact; the bytes either side of
    // 32 and the high ones do not.
    for (const char byte : {'\0', '\x1F', ' ', '\x7F', '\x80', '\xFF'}) {
        for (std::size_t at = 0; at < 21; ++at) {
            std::string key(21, 'k');
            key[at] = byte;
            WordTrie one(kMade);
            one.addWord(key, 1, kMade);
            const bool control = static_cast<unsigned char>(byte) < 32;
            std::string path = key;
            if (control) path[at] = ' ';
            EXPECT_EQ(one.find(key).has_value(), true) << at;
            EXPECT_EQ(one.find(path).has_value(), !control) << at;
        }
    }

    // The empty key (a file's header record) lands on the root, which is never counted.
    WordTrie rooted(kMade);
    EXPECT_EQ(rooted.countNodes(), 0u);
    rooted.mergeRecord(record("", 44000.0, 44000.0, 3, 0), kMade);
    rooted.addWord("abc", 1, kMade);
    EXPECT_TRUE(rooted.rootIsEntry());
    EXPECT_EQ(rooted.find("")->size, 3);
    EXPECT_EQ(rooted.countWords(), 1u);
    EXPECT_EQ(rooted.countNodes(), 3u);
    rooted.clearRootEntry();
    EXPECT_FALSE(rooted.find("").has_value());
    EXPECT_THAT(counts(rooted), ElementsAre(Pair("abc", 1)));
}

TEST(WordTrieTest, MergeSumsKeepsWidestDatesAndZeroesNegativeSizes) {
    WordTrie trie(kMade);
    ASSERT_TRUE(trie.mergeRecord(record("abc", 44000.0, 44100.0, 10, 2), kMade));
    // The node's own moment is the later modification date.
    EXPECT_EQ(trie.find("abc"), (StatEntry{"abc", kMade, 44000.0, 10, kMarkerNode, 2}));
    trie.mergeRecord(record("abc", 43000.0, 46000.0, 5, 3), kLater);
    trie.mergeRecord(record("abcdef", 44500.0, 44600.0, 1, 1), kLater);
    EXPECT_EQ(trie.find("abc"), (StatEntry{"abc", 46000.0, 43000.0, 15, kMarkerNode, 5}));
    EXPECT_EQ(trie.find("abcdef"), (StatEntry{"abcdef", kLater, 44500.0, 1, kMarkerNode, 1}));

    const struct {
        const char* key;
        std::int32_t size, kept;
    } sizes[] = {{"kept", 100000000, 100000000},
                 {"traffic", 100000001, 100000001},
                 {"largest", kIntMax, kIntMax},
                 {"minus", -1, 0},
                 {"lowest", kIntMin, 0}};
    for (const auto& [key, size, kept] : sizes) {
        trie.mergeRecord(record(key, 0, 0, size, 1), kMade);
        EXPECT_EQ(trie.find(key)->size, kept) << key;
    }
}

TEST(WordTrieTest, WalkIsPreOrderOverCodes32To255AndMatchesAModel) {
    // Random keys over the whole range, so that nodes grow through every child array size
    // and into the dense table, and released arrays get reused.
    std::mt19937 random(4101);
    std::map<std::string, std::int32_t> model;  // std::string orders bytes as unsigned
    std::set<std::string> prefixes;
    WordTrie trie(kMade);
    for (int i = 0; i < 20000; ++i) {
        std::string key;
        const int length = 1 + static_cast<int>(random() % 4);
        for (int j = 0; j < length; ++j)
            key += static_cast<char>(j == 0 ? 32 + random() % 224 : 'a' + random() % 40);
        ASSERT_TRUE(trie.addWord(key, 1, kMade));
        ++model[key];
        for (std::size_t j = 1; j <= key.size(); ++j) prefixes.insert(key.substr(0, j));
    }
    EXPECT_EQ(counts(trie), Counts(model.begin(), model.end()));
    EXPECT_EQ(trie.countWords(), model.size());
    EXPECT_EQ(trie.countNodes(), prefixes.size());
    for (const auto& [key, count] : model) ASSERT_EQ(trie.find(key)->count, count) << key;
    // The paths between entries are no entries.
    for (const std::string& prefix : prefixes)
        ASSERT_EQ(trie.countOf(prefix), model.contains(prefix) ? model[prefix] : 0) << prefix;
    // Many keys at once answer as one by one: entries, paths, an unknown and an overlong key.
    std::vector<std::string_view> keys(prefixes.begin(), prefixes.end());
    const std::string overlong(81, 'a');
    keys.insert(keys.end(), {"never added", overlong});
    std::vector<std::int32_t> many(keys.size(), -1);
    trie.countsOf(keys, many);
    for (std::size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(many[i], trie.countOf(keys[i])) << keys[i];

    // Updated entries are written back, except the key.
    trie.updateEntries([](StatEntry& e) {
        e.marker = kMarkerStored;
        e.key = "changed";
        e.count += 10;
    });
    Counts updated;
    for (const auto& [key, count] : model) updated.emplace_back(key, count + 10);
    EXPECT_EQ(counts(trie), updated);
    EXPECT_EQ(trie.find(model.begin()->first)->marker, kMarkerStored);
}

// Long keys that share long beginnings, as addresses and server names do, added in random
// order: the runs of only children a key leaves behind are split again and again by later keys.
// Every node counts, and a node made as a path keeps its date when it becomes an entry.
TEST(WordTrieTest, LongKeysBranchingAnywhereMatchAModelWithDates) {
    std::mt19937 random(1807);
    const std::string alphabet = std::string("abcdefgh.@ \x01\t") + "\xE0\xFF\xA8";
    std::vector<std::string> stems(200);
    for (std::string& stem : stems)
        for (std::size_t n = 10 + random() % 80; n > 0; --n) stem += alphabet[random() % 6];
    const auto folded = [](std::string key) {
        for (char& c : key)
            if (static_cast<unsigned char>(c) < 32) c = ' ';
        return key.substr(0, kMaxKeyLength);
    };
    struct Expected {
        std::string key;  // as last counted
        std::int32_t count = 0;
    };
    std::map<std::string, Expected> model;  // by folded key
    std::map<std::string, double> made;     // every node's path, folded: when it was made
    WordTrie trie(kMade);
    for (int i = 0; i < 6000; ++i) {
        const std::string& stem = stems[random() % stems.size()];
        std::string key = stem.substr(0, 1 + random() % stem.size());
        for (std::size_t n = random() % 4; n > 0; --n) key += alphabet[random() % alphabet.size()];
        const double now = kMade + i;
        ASSERT_TRUE(trie.addWord(key, 1, now));
        const std::string path = folded(key);
        Expected& expected = model[path];
        expected.key = key.substr(0, kMaxKeyLength);
        ++expected.count;
        for (std::size_t j = 1; j <= path.size(); ++j) made.emplace(path.substr(0, j), now);
    }
    EXPECT_EQ(trie.countNodes(), made.size());
    EXPECT_EQ(trie.countWords(), model.size());
    std::vector<std::string> walked;
    trie.forEachEntry([&](const StatEntry& e) {
        walked.push_back(folded(e.key));
        const Expected& expected = model.at(folded(e.key));
        EXPECT_EQ(e.key, expected.key);
        EXPECT_EQ(e.count, expected.count) << e.key;
        EXPECT_EQ(e.cdate, made.at(folded(e.key))) << e.key;
        EXPECT_EQ(e.mdate, e.cdate) << e.key;
    });
    std::vector<std::string> inOrder;
    for (const auto& [path, expected] : model) inOrder.push_back(path);
    EXPECT_EQ(walked, inOrder);
    // The nodes inside the runs are paths, no entries (a key with control characters is found
    // by itself only); the word letters' entries are all seen.
    for (const auto& [path, date] : made) {
        const auto entry = model.find(path);
        ASSERT_EQ(trie.countOf(path),
                  entry != model.end() && entry->second.key == path ? entry->second.count : 0)
            << path;
        if (entry != model.end()) {
            ASSERT_EQ(trie.countOf(entry->second.key), entry->second.count);
        }
    }
    Counts letters;
    trie.forEachLetterEntry([&](std::string_view key, std::int32_t count) {
        letters.emplace_back(std::string(key), count);
    });
    std::sort(letters.begin(), letters.end());
    Counts lettersExpected;
    for (const auto& [path, expected] : model)
        if (std::all_of(path.begin(), path.end(),
                        [](char c) { return isWordLetter(static_cast<unsigned char>(c)); }))
            lettersExpected.emplace_back(path, expected.count);
    EXPECT_EQ(letters, lettersExpected);
}

TEST(WordTrieTest, NodeBudgetRefusesNewKeysWholeAndLogsOnce) {
    std::vector<std::string> lines;
    WordTrie trie(kMade, 5, {[&](std::string_view line) { lines.emplace_back(line); }, {}});
    EXPECT_TRUE(trie.addWord("abc", 1, kMade));
    EXPECT_TRUE(trie.addWord("abd", 1, kMade));
    EXPECT_FALSE(trie.addWord("xyz", 1, kMade));  // needs 3, 1 left: no dangling path
    EXPECT_EQ(trie.countNodes(), 4u);
    EXPECT_TRUE(trie.budgetReached());
    EXPECT_TRUE(trie.addWord("ab", 1, kMade));  // existing nodes still count
    EXPECT_TRUE(trie.addWord("x", 1, kMade));
    EXPECT_FALSE(trie.mergeRecord(record("qq", 0, 0, 1, 1), kMade));
    EXPECT_TRUE(trie.addText("abc qqqq abd", 1, kMade));  // refusals do not end the text
    EXPECT_EQ(trie.find("abc")->count, 2);
    EXPECT_EQ(trie.find("abd")->count, 2);
    EXPECT_EQ(trie.countNodes(), 5u);
    EXPECT_THAT(lines, ElementsAre("@@@ Word tree is full at 5 nodes: new keys are not counted"));

    // A long key takes one node per character, even when it is kept as a run; the nodes inside
    // a run exist already, so a full tree still counts their keys.
    WordTrie runs(kMade, 12);
    EXPECT_TRUE(runs.addWord("abcdefgh", 1, kMade));
    EXPECT_FALSE(runs.addWord("xyzuvw", 1, kMade));
    EXPECT_TRUE(runs.addWord("abcdxyzu", 1, kMade));
    EXPECT_EQ(runs.countNodes(), 12u);
    EXPECT_FALSE(runs.addWord("abcdxyzuv", 1, kMade));
    EXPECT_TRUE(runs.addWord("abcdef", 1, kMade));
    EXPECT_TRUE(runs.addWord("abcdxy", 1, kMade));
    EXPECT_EQ(counts(runs),
              (Counts{{"abcdef", 1}, {"abcdefgh", 1}, {"abcdxy", 1}, {"abcdxyzu", 1}}));
}

// A long text is counted slice by slice: words that straddle a slice's end stay whole and a
// word's occurrences in every slice add up; a minimum below 2 counts the empty words too.
TEST(WordTrieTest, LongTextsCountEveryOccurrenceAcrossSlices) {
    std::string text;
    for (int i = 0; i < 10000; ++i) text += "alpha beta, gamma\r\n";  // 190,000 bytes
    text += "omega";
    WordTrie trie(kMade);
    EXPECT_TRUE(trie.addText(text, 3, kMade));
    EXPECT_EQ(counts(trie),
              (Counts{{"alpha", 10000}, {"beta", 10000}, {"gamma", 10000}, {"omega", 1}}));
    EXPECT_EQ(trie.find("beta")->size, 30000);
    EXPECT_EQ(trie.countNodes(), 19u);
    EXPECT_EQ(trie.countTotal(), 30001);

    WordTrie everyGap(kMade);
    everyGap.setMinWordLength(1);
    EXPECT_TRUE(everyGap.addText("ab,,cd ab", 1, kMade));
    EXPECT_EQ(counts(everyGap), (Counts{{"", 1}, {"ab", 2}, {"cd", 1}}));
}

TEST(WordTrieTest, CountTotalFollowsEveryChangeOfACountButTheRoots) {
    WordTrie trie(kMade);
    trie.addText("alpha beta alpha gamma", 1, kMade);
    EXPECT_EQ(trie.countTotal(), 4);
    trie.addWord("", 1, kMade);  // the root's count is no word's
    EXPECT_EQ(trie.countTotal(), 4);
    StatEntry record;
    record.key = "beta";
    record.count = 5;
    record.marker = kMarkerStored;
    ASSERT_TRUE(trie.mergeRecord(record, kMade));
    EXPECT_EQ(trie.countTotal(), 9);
    trie.updateEntries([](StatEntry& entry) {
        if (entry.key == "alpha") entry.count = -3;
    });
    EXPECT_EQ(trie.countTotal(), 4);  // beta 6, gamma 1, alpha -3: summed as they stand
}

TEST(WordTrieTest, NodesStayCompact) {
    EXPECT_LT(WordTrie(kMade).memoryBytes(), 2048u);
    // Word-like keys: a skewed alphabet of Latin and Cyrillic letters, 3 to 14 characters.
    std::mt19937 random(64);
    std::geometric_distribution<int> letter(0.12);
    WordTrie trie(kMade);
    for (int i = 0; i < 60000; ++i) {
        std::string word;
        const int length = 3 + static_cast<int>(random() % 12);
        for (int j = 0; j < length; ++j) {
            const int pick = letter(random) % 58;
            word += static_cast<char>(pick < 26 ? 'a' + pick : 0xE0 + (pick - 26));
        }
        trie.addWord(word, 1, kMade);
    }
    ASSERT_GT(trie.countNodes(), 100000u);
    EXPECT_LE(trie.memoryBytes() / trie.countNodes(), 64u);
}

}  // namespace
}  // namespace qbx::statistics
