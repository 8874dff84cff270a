#include "statistics/word_trie.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qbx::statistics {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

constexpr double kMade = 45000.0;
constexpr double kLater = 45001.0;

// (key, count) of every entry in walk order.
std::vector<std::pair<std::string, std::int32_t>> counts(const WordTrie& trie) {
    std::vector<std::pair<std::string, std::int32_t>> out;
    trie.forEachEntry([&](const StatEntry& e) { out.emplace_back(e.key, e.count); });
    return out;
}

std::vector<std::pair<std::string, std::int32_t>> counted(std::string_view text,
                                                          std::int32_t minLength = 4) {
    WordTrie trie(kMade);
    trie.setMinWordLength(minLength);
    EXPECT_TRUE(trie.addText(text, 1, kMade));
    return counts(trie);
}

StatEntry record(std::string key, double cdate, double mdate, std::int32_t size,
                 std::int32_t count) {
    StatEntry e;
    e.key = std::move(key);
    e.cdate = cdate;
    e.mdate = mdate;
    e.size = size;
    e.count = count;
    e.marker = kMarkerStored;
    return e;
}

TEST(WordTrieTokenizerTest, SplitsAtEveryNonLetterAndKeepsWordsOfThreeLettersOrMore) {
    using Counts = std::vector<std::pair<std::string, std::int32_t>>;
    const std::vector<std::pair<std::string, Counts>> cases = {
        {"abc def", {{"abc", 1}, {"def", 1}}},
        {"ab cd", {}},
        {"xyz", {{"xyz", 1}}},                               // the last word counts too
        {"foo1bar", {{"bar", 1}, {"foo", 1}}},               // digits split
        {"e-mail", {{"mail", 1}}},                           // the lone e is too short
        {"one_two", {{"one", 1}, {"two", 1}}},
        {"user@host", {{"user@host", 1}}},                   // "@" is a letter
        {"[abc]{abc}\tabc\r\nabc", {{"abc", 4}}},
        {"\xE4\xEE\xEC \xA8\xEB\xEA\xE0 \xB8\xB8\xB8", {{"\xA8\xEB\xEA\xE0", 1},
                                                        {"\xB8\xB8\xB8", 1},
                                                        {"\xE4\xEE\xEC", 1}}},
        {"abc\x85" "def\xA0ghi\xBFjkl", {{"abc", 1}, {"def", 1}, {"ghi", 1}, {"jkl", 1}}},
        {"ABC abc", {{"ABC", 1}, {"abc", 1}}},               // no case folding here
        {"", {}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(counted(text), expected) << text;
}

TEST(WordTrieTokenizerTest, MinimumWordLengthCountsGapsBetweenSeparators) {
    EXPECT_THAT(counted("ab cd a", 3), ElementsAre(Pair("ab", 1), Pair("cd", 1)));
    // Two adjacent separators give an empty word, counted on the root.
    EXPECT_THAT(counted("a  b", 1), ElementsAre(Pair("", 1), Pair("a", 1), Pair("b", 1)));
    // At 0 the opening blank itself closes an empty word as well.
    EXPECT_THAT(counted("a  b", 0), ElementsAre(Pair("", 2), Pair("a", 1), Pair("b", 1)));
    EXPECT_THAT(counted("a", -5), ElementsAre(Pair("", 1), Pair("a", 1)));

    WordTrie trie(kMade);
    trie.addText("a  b", 1, kMade);
    EXPECT_FALSE(trie.rootIsEntry());
}

TEST(WordTrieTest, EveryOccurrenceCountsWithItsWeight) {
    WordTrie trie(kMade);
    trie.addText("spam ham spam, spam!", 7, kLater);
    const auto spam = trie.find("spam");
    ASSERT_TRUE(spam.has_value());
    EXPECT_EQ(spam->count, 3);
    EXPECT_EQ(spam->size, 21);
    EXPECT_EQ(spam->marker, kMarkerNode);
    EXPECT_EQ(spam->cdate, kLater);  // the node was made by this text
    EXPECT_EQ(trie.find("ham")->size, 7);
    EXPECT_EQ(trie.countWords(), 2u);
}

TEST(WordTrieTest, AddWordKeepsTheNodesDatesAndWrapsItsSums) {
    WordTrie trie(kMade);
    ASSERT_TRUE(trie.addWord("abcd", 1, 45002.0));
    ASSERT_TRUE(trie.addWord("ab", std::numeric_limits<std::int32_t>::max(), 45009.0));
    ASSERT_TRUE(trie.addWord("ab", 2, 45009.0));
    const auto ab = trie.find("ab");
    ASSERT_TRUE(ab.has_value());
    EXPECT_EQ(ab->cdate, 45002.0);  // made on the way to "abcd"
    EXPECT_EQ(ab->mdate, 45002.0);
    EXPECT_EQ(ab->size, std::numeric_limits<std::int32_t>::min() + 1);
    EXPECT_EQ(ab->count, 2);
    EXPECT_FALSE(trie.find("abc").has_value());  // a node on the way is no entry
    EXPECT_FALSE(trie.find("abcde").has_value());
}

TEST(WordTrieTest, LongWordsStopAtEightyCharacters) {
    WordTrie trie(kMade);
    const std::string first(100, 'q');
    const std::string second = std::string(80, 'q') + "zzzz";
    trie.addText(first + " " + second, 1, kMade);
    trie.addWord(first, 1, kMade);
    EXPECT_THAT(counts(trie), ElementsAre(Pair(std::string(80, 'q'), 3)));
    EXPECT_EQ(trie.countNodes(), 80u);
    EXPECT_FALSE(trie.find(first).has_value());  // a longer key is never found
}

TEST(WordTrieTest, ControlCharactersTravelTheBlanksPathButKeepTheirKey) {
    WordTrie trie(kMade);
    trie.addWord("a\tb", 1, kMade);
    EXPECT_THAT(counts(trie), ElementsAre(Pair("a\tb", 1)));
    EXPECT_EQ(trie.find("a\tb")->count, 1);
    EXPECT_FALSE(trie.find("a b").has_value());
    EXPECT_EQ(trie.countNodes(), 3u);

    // The same node: the last key stored is the one it holds.
    trie.addWord("a b", 1, kMade);
    EXPECT_FALSE(trie.find("a\tb").has_value());
    EXPECT_EQ(trie.find("a b")->count, 2);
    trie.addWord(std::string("a\0b", 3), 1, kMade);
    EXPECT_THAT(counts(trie), ElementsAre(Pair(std::string("a\0b", 3), 3)));
}

TEST(WordTrieTest, MergeSumsCountsAndKeepsTheWidestDates) {
    WordTrie trie(kMade);
    ASSERT_TRUE(trie.mergeRecord(record("abc", 44000.0, 44100.0, 10, 2), kMade));
    auto abc = trie.find("abc");
    EXPECT_EQ(abc->cdate, 44000.0);
    EXPECT_EQ(abc->mdate, kMade);  // the node's own moment is later
    EXPECT_EQ(abc->marker, kMarkerNode);

    trie.mergeRecord(record("abc", 43000.0, 46000.0, 5, 3), kLater);
    trie.mergeRecord(record("abcdef", 44500.0, 44600.0, 1, 1), kLater);
    abc = trie.find("abc");
    EXPECT_EQ(abc->cdate, 43000.0);
    EXPECT_EQ(abc->mdate, 46000.0);
    EXPECT_EQ(abc->size, 15);
    EXPECT_EQ(abc->count, 5);
    const auto longer = trie.find("abcdef");
    EXPECT_EQ(longer->size, 1);
    EXPECT_EQ(longer->cdate, 44500.0);
    EXPECT_EQ(longer->mdate, kLater);
}

TEST(WordTrieTest, MergeTreatsImplausibleSizesAsZero) {
    WordTrie trie(kMade);
    trie.mergeRecord(record("kept", 0, 0, 100000000, 1), kMade);
    trie.mergeRecord(record("over", 0, 0, 100000001, 1), kMade);
    trie.mergeRecord(record("minus", 0, 0, -1, 1), kMade);
    EXPECT_EQ(trie.find("kept")->size, 100000000);
    EXPECT_EQ(trie.find("over")->size, 0);
    EXPECT_EQ(trie.find("minus")->size, 0);
}

TEST(WordTrieTest, EmptyKeyLandsOnTheRootWhichIsNeverCounted) {
    WordTrie trie(kMade);
    EXPECT_EQ(trie.countWords(), 0u);
    EXPECT_EQ(trie.countNodes(), 0u);
    trie.mergeRecord(record("", 44000.0, 44000.0, 3, 0), kMade);  // a file's header record
    trie.addWord("abc", 1, kMade);
    EXPECT_TRUE(trie.rootIsEntry());
    EXPECT_EQ(trie.find("")->size, 3);
    EXPECT_EQ(trie.countWords(), 1u);
    EXPECT_EQ(trie.countNodes(), 3u);

    trie.clearRootEntry();
    EXPECT_FALSE(trie.find("").has_value());
    EXPECT_THAT(counts(trie), ElementsAre(Pair("abc", 1)));
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
    std::vector<std::pair<std::string, std::int32_t>> expected(model.begin(), model.end());
    EXPECT_EQ(counts(trie), expected);
    EXPECT_EQ(trie.countWords(), model.size());
    EXPECT_EQ(trie.countNodes(), prefixes.size());
    for (const auto& [key, count] : model) ASSERT_EQ(trie.find(key)->count, count) << key;
}

TEST(WordTrieTest, UpdatedEntriesAreWrittenBackExceptTheKey) {
    WordTrie trie(kMade);
    trie.addWord("abc", 1, kMade);
    trie.addWord("abd", 1, kMade);
    trie.updateEntries([](StatEntry& e) {
        e.marker = kMarkerStored;
        e.key = "changed";
        e.count += 10;
    });
    EXPECT_THAT(counts(trie), ElementsAre(Pair("abc", 11), Pair("abd", 11)));
    EXPECT_EQ(trie.find("abc")->marker, kMarkerStored);
}

TEST(WordTrieTest, NodeBudgetRefusesNewKeysWholeAndLogsOnce) {
    std::vector<std::string> lines;
    WordTrie trie(kMade, 5, {[&](std::string_view line) { lines.emplace_back(line); }, {}});
    EXPECT_TRUE(trie.addWord("abc", 1, kMade));
    EXPECT_TRUE(trie.addWord("abd", 1, kMade));
    EXPECT_THAT(lines, IsEmpty());
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
}

TEST(WordTrieTest, NodesStayCompact) {
    const WordTrie empty(kMade);
    EXPECT_LT(empty.memoryBytes(), 2048u);

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
