#include "statistics/spam_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/plugin.h"
#include "mail/letters.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr double kNow = 45000.0;
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

// A trie holding each word with the given count.
WordTrie trieOf(const std::vector<std::pair<std::string, std::int32_t>>& words) {
    WordTrie trie(kNow);
    for (const auto& [word, count] : words)
        for (std::int32_t i = 0; i < count; ++i) trie.addWord(word, 1, kNow);
    return trie;
}

TEST(SpamModelRoundTest, HalvesGoToTheEvenNeighbour) {
    const std::vector<std::pair<double, std::int32_t>> cases = {
        {2.5, 2},          {3.5, 4},         {0.5, 0},          {1.5, 2},
        {2.4, 2},          {2.6, 3},         {-2.5, -2},        {-3.5, -4},
        {-2.6, -3},        {0.0, 0},         {7.0, 7},          {2.5000000001, 3},
        {std::nan(""), 0}, {1e300, kIntMax}, {-1e300, kIntMin}, {2147483647.5, kIntMax}};
    for (const auto& [value, expected] : cases) EXPECT_EQ(roundHalfEven(value), expected) << value;
}

TEST(SpamModelTopCountsTest, KeepsTheFirstSixteenThenOverwritesTheFirstSmallest) {
    TopCounts top;
    EXPECT_EQ(top.average(), 0.0);
    top.add(0);  // a 0 leaves an empty slot empty
    EXPECT_EQ(top.slots()[0], 0);
    for (std::int32_t c : {9, 5, 8, 5, 7, 6, 9, 8, 7, 6, 9, 8, 7, 6, 9, 8}) top.add(c);
    EXPECT_EQ(top.average(), 117.0 / 16);
    top.add(1);  // smaller than everything, still replaces the first 5 (slot 1)
    EXPECT_THAT(top.slots(), ElementsAre(9, 1, 8, 5, 7, 6, 9, 8, 7, 6, 9, 8, 7, 6, 9, 8));
    top.add(100);  // now replaces the 1
    EXPECT_EQ(top.slots()[1], 100);
    top.add(0);  // a 0 over a full table empties the smallest slot, the next count fills it
    EXPECT_EQ(top.slots()[3], 0);
    top.add(4);
    EXPECT_EQ(top.slots()[3], 4);

    top.clear();
    for (std::int32_t c : {4, -6, 2}) top.add(c);  // negative slots are summed, not counted
    EXPECT_EQ(top.average(), 0.0);
}

TEST(SpamModelTreeCountTest, WalksEntriesOnlyAndTreatsNullAsEmpty) {
    const WordTrie trie = trieOf({{"abc", 3}, {"abcdef", 5}, {"zzz", 1}});
    EXPECT_EQ(sumTreeCounts(&trie), 9);
    EXPECT_DOUBLE_EQ(averageTreeCount(&trie), 3.0);
    TopCounts top;
    EXPECT_EQ(maxTreeCount(&trie, top), 5);
    EXPECT_THAT(top.slots(), ElementsAreArray({3, 5, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(sumTreeCounts(nullptr), 0);
    EXPECT_EQ(averageTreeCount(nullptr), 0.0);
    EXPECT_EQ(maxTreeCount(nullptr, top), 0);
    const WordTrie empty(kNow);
    EXPECT_EQ(averageTreeCount(&empty), 0.0);

    // Counts near the 32-bit limit: the sum must not wrap to a negative average.
    WordTrie big(kNow);
    for (const char* key : {"aaa", "bbb", "ccc"})
        big.mergeRecord({key, kNow, kNow, 0, kMarkerStored, kIntMax}, kNow);
    EXPECT_DOUBLE_EQ(averageTreeCount(&big), static_cast<double>(kIntMax));
}

TEST(SpamModelThresholdTest, LogsAndFloorsInThePartsOrder) {
    using Words = std::vector<std::pair<std::string, std::int32_t>>;
    const Words twoFour = {{"aaa", 3}, {"bbb", 3}, {"ccc", 2}, {"ddd", 2}, {"eee", 2}};
    // Averages 2.4: the spam line shows the floor, the non-spam line the value before it; 2.5
    // rounds to 2 and 3.5 to 4. A missing item: average 0 (Min floored to 3), Max 0.
    const struct {
        Words spam, nonSpam;
        SpamThresholds expected;
        std::int32_t nonSpamShown;
        bool missing;
    } cases[] = {
        {twoFour, twoFour, {3, 2, 3, 2}, 2, false},
        {{{"aaa", 2}, {"bbb", 3}}, {{"aaa", 3}, {"bbb", 4}}, {3, 2, 4, 4}, 4, false},
        {{{"aaa", 10}, {"bbb", 30}}, {{"aaa", 1}, {"bbb", 2}}, {20, 20, 3, 2}, 2, false},
        {{}, {}, {3, 0, 3, 0}, 0, true},
    };
    for (const auto& c : cases) {
        const WordTrie spam = trieOf(c.spam), nonSpam = trieOf(c.nonSpam);
        std::vector<std::string> lines;
        EXPECT_EQ(computeThresholds(c.missing ? nullptr : &spam, c.missing ? nullptr : &nonSpam,
                                    [&](const std::string& l) { lines.push_back(l); }),
                  c.expected);
        const SpamThresholds& t = c.expected;
        EXPECT_EQ(lines, (std::vector<std::string>{
                             "Getting freqs", "spam frequency: " + decimal(t.spamMin),
                             "non-spam frequency: " + decimal(c.nonSpamShown),
                             "Maxspam frequency: " + decimal(t.maxSpam),
                             "Maxnonpam frequency: " + decimal(t.maxNonSpam)}));
    }
}

TEST(SpamModelWordProbabilityTest, CombinesBothSidesAndClamps) {
    const SpamThresholds normal{3, 7, 3, 7}, maxBelowMin{3, 2, 3, 2}, maxEqualsMin{3, 3, 3, 3},
        zero{}, extreme{kIntMin, kIntMax, kIntMax, kIntMin};
    // Absent or below Min on both sides: -1; one side only: clamped into 0.01..0.99; above Max
    // counts as Max; ps 0 is still information; Max below Min: never informative; Max equal to
    // Min: the side is 1 once the count reaches Min; zero thresholds: no division by zero.
    const std::vector<std::tuple<SpamThresholds, std::int32_t, std::int32_t, double>> cases = {
        {normal, 0, 0, -1.0},
        {normal, 2, 2, -1.0},
        {normal, 0, 7, 0.01},
        {normal, 7, 0, 0.99},
        {normal, 5, 5, 0.5},
        {normal, 1000, 0, 0.99},
        {normal, 1000, 1000, 0.5},
        {normal, 3, 0, 0.5},
        {normal, 5, 0, 0.75},
        {normal, 0, 5, 0.25},
        {normal, 6, 4, 0.75},
        {maxBelowMin, 1000, 0, -1.0},
        {maxBelowMin, 1000, 7, -1.0},
        {maxEqualsMin, 3, 0, 0.99},
        {maxEqualsMin, 50, 0, 0.99},
        {maxEqualsMin, 2, 0, -1.0},
        {maxEqualsMin, 0, 3, 0.01},
        {maxEqualsMin, 3, 3, 0.5},
        {zero, 5, 5, 0.5},
        {zero, -5, 0, 0.01},
        {normal, kIntMin, kIntMax, 0.01},
        {extreme, kIntMax, kIntMax, 0.99},
        {extreme, kIntMin, 0, 0.5},
    };
    for (const auto& [t, fs, fn, expected] : cases)
        EXPECT_DOUBLE_EQ(wordSpamProbability(t, fs, fn), expected)
            << t.spamMin << ".." << t.maxSpam << " " << fs << " / " << fn;
}

// The Part's own products, for comparison where they do not underflow.
double productScore(const std::vector<WordEvidence>& words) {
    double s = 1.0, h = 1.0;
    for (const auto& w : words) {
        if (w.p < 0) continue;
        const double p = w.n > 1 ? std::exp(w.n * std::log(w.p)) : w.p;
        s *= p;
        h *= 1 - p;
    }
    return s + h == 0 ? 0.5 : s / (s + h);
}

bool inUnitRange(double score) { return std::isfinite(score) && score >= 0.0 && score <= 1.0; }

TEST(SpamModelScoreTest, MatchesTheProductsAndStaysFinite) {
    using W = std::vector<WordEvidence>;
    EXPECT_EQ(combineScore(W{}), 0.5);
    EXPECT_EQ(combineScore(W{{-1.0, 4}, {std::nan(""), 1}}), 0.5);
    // The power is taken before both products: S 0.729, H 0.271.
    EXPECT_NEAR(combineScore(W{{0.9, 3}}), 0.729, 1e-12);
    EXPECT_NEAR(combineScore(W{{0.9, 3}, {-1.0, 2}}), 0.729, 1e-12);
    EXPECT_NEAR(combineScore(W{{0.9, 1}, {0.1, 1}}), 0.5, 1e-12);
    EXPECT_NEAR(combineScore(W{{0.3, 0}, {0.3, -7}}), productScore({{0.3, 1}, {0.3, 1}}), 1e-12);
    EXPECT_EQ(combineScore(W{{0.0, 1}}), 0.0);
    EXPECT_EQ(combineScore(W{{1.0, 1}}), 1.0);
    EXPECT_EQ(combineScore(W{{0.0, 1}, {1.0, 1}}), 0.5);  // S and H both 0

    std::mt19937 random(4106);
    std::uniform_real_distribution<double> probability(0.01, 0.99);
    std::uniform_int_distribution<std::int32_t> occurrences(1, 4);
    std::uniform_int_distribution<int> length(1, 30);
    for (int round = 0; round < 500; ++round) {
        W words(static_cast<std::size_t>(length(random)));
        for (auto& w : words) w = {probability(random), occurrences(random)};
        EXPECT_NEAR(combineScore(words), productScore(words), 1e-9);
    }

    // Where the products underflow to 0 / 0 the logarithms still decide.
    EXPECT_NEAR(combineScore(W(100000, {0.99, 1})), 1.0, 1e-12);
    EXPECT_NEAR(combineScore(W(100000, {0.01, 1})), 0.0, 1e-12);
    W mixed;
    for (int i = 0; i < 50000; ++i) {
        mixed.push_back({0.99, 1});
        mixed.push_back({0.01, kIntMax});
    }
    for (const auto& words : {mixed, W{{0.99, kIntMax}}, W{{0.01, kIntMax}}, W(100000, {0.5, 1})})
        EXPECT_TRUE(inUnitRange(combineScore(words)));
}

TEST(SpamModelFisherTest, ChiSquareTailAndCombination) {
    for (double x2 : {0.1, 1.0, 5.0, 40.0}) {
        const double m = x2 / 2;
        EXPECT_NEAR(chiSquareUpperTail(x2, 1), std::exp(-m), 1e-14);
        EXPECT_NEAR(chiSquareUpperTail(x2, 2), std::exp(-m) * (1 + m), 1e-14);
        EXPECT_NEAR(chiSquareUpperTail(x2, 3), std::exp(-m) * (1 + m + m * m / 2), 1e-14);
    }
    EXPECT_NEAR(chiSquareUpperTail(20.0, 10), 0.45792971447185, 1e-12);  // Q(20, 20 dof)
    EXPECT_EQ(chiSquareUpperTail(0.0, 5), 1.0);
    EXPECT_EQ(chiSquareUpperTail(std::numeric_limits<double>::infinity(), 5), 0.0);
    EXPECT_EQ(chiSquareUpperTail(std::nan(""), 5), 1.0);
    // Far beyond where e^-m underflows, the sum is still about a half near its mean.
    EXPECT_NEAR(chiSquareUpperTail(2e6, 1000000), 0.5, 0.01);

    using W = std::vector<WordEvidence>;
    EXPECT_EQ(combineFisher(W{}), 0.5);
    EXPECT_EQ(combineFisher(W{{-1.0, 1}}), 0.5);
    EXPECT_GT(combineFisher(W(20, {0.99, 1})), 0.999);
    EXPECT_LT(combineFisher(W(20, {0.01, 1})), 0.001);
    EXPECT_NEAR(combineFisher(W{{0.9, 1}, {0.1, 1}}), 0.5, 1e-12);
    EXPECT_NEAR(combineFisher(W{{0.5, 1}}), 0.5, 1e-12);
    EXPECT_NEAR(combineFisher(W{{0.8, 1}, {0.2, 1}, {0.7, 5}, {0.3, 5}}), 0.5, 1e-12);
    EXPECT_DOUBLE_EQ(combineFisher(W{{0.8, 1}}),
                     combineFisher(W{{0.8, 40}}));  // repeats add nothing
    for (const auto& words : {W(100000, {0.99, 1}), W(100000, {0.01, 1}), W{{0.0, 1}, {1.0, 1}}})
        EXPECT_TRUE(inUnitRange(combineFisher(words)));
}

// ---- the host's message score ------------------------------------------------------------------

TEST(SpamModelSmoothedTest, WordProbabilityByHand) {
    struct Case {
        std::int32_t spam, nonSpam;
        SideTotals totals;
        double expected;
    };
    const std::vector<Case> cases = {
        // s = 0.3, x = 0.52: f = (0.156 + N * p) / (0.3 + N).
        {10, 0, {10, 10}, 10.156 / 10.3},                      // one side only: p = 1
        {0, 4, {100, 50}, 0.156 / 4.3},                        // the other side only: p = 0
        {3, 1, {100, 50}, (0.156 + 4 * 0.6) / 4.3},            // shares 0.03 and 0.02: p = 0.6
        {30, 5, {10, 10}, (0.156 + 35 * (2.0 / 3)) / 35.3},    // past its side's total: share 1
        {2, 0, {0, 10}, 2.156 / 2.3},                          // a side without a total: share 1
        {-5, 2, {10, 10}, 0.156 / 2.3},                        // a negative count is none
        {1, 1, {7, 7}, 1.156 / 2.3},                           // even shares lean to x
    };
    for (const Case& c : cases)
        EXPECT_NEAR(smoothedWordProbability(c.spam, c.nonSpam, c.totals), c.expected, 1e-15)
            << c.spam << " " << c.nonSpam;
    EXPECT_EQ(smoothedWordProbability(0, 0, {10, 10}), kNoInformation);
    EXPECT_EQ(smoothedWordProbability(-3, 0, {10, 10}), kNoInformation);
}

TEST(SpamModelSmoothedTest, ScaleMeetsTheHostsCutOffsAndIsMonotone) {
    const std::vector<std::pair<double, double>> table = {
        {0.0, 0.0},     {0.225, 20.25}, {0.45, 40.5}, {0.7, 50.0},  {0.95, 59.5},
        {0.975, 79.75}, {1.0, 100.0},   {-1.0, 0.0},  {2.0, 100.0}, {std::nan(""), 50.0}};
    for (const auto& [indicator, scale] : table)
        EXPECT_NEAR(scoreScaleOf(indicator), scale, 1e-12) << indicator;
    // Rounded, the cut-offs fall exactly on the chosen indicators.
    EXPECT_EQ(roundHalfEven(scoreScaleOf(kHamIndicatorCut)), 40);
    EXPECT_EQ(roundHalfEven(scoreScaleOf(kHamIndicatorCut + 1e-9)), 41);
    EXPECT_EQ(roundHalfEven(scoreScaleOf(kSpamIndicatorCut - 1e-9)), 59);
    EXPECT_EQ(roundHalfEven(scoreScaleOf(kSpamIndicatorCut)), 60);
    double previous = -1;
    for (int i = 0; i <= 1000; ++i) {
        const double scale = scoreScaleOf(i / 1000.0);
        EXPECT_GE(scale, previous) << i;
        previous = scale;
    }
}

// Tries trained as the items are: every distinct word of a message counted once.
struct TrainedSides {
    WordTrie spam{kNow};
    WordTrie nonSpam{kNow};

    void train(bool isSpam, std::string_view text) {
        for (const TextWord& word : distinctWords(text, 5, 1, 1 << 16).words)
            (isSpam ? spam : nonSpam).addWord(word.key, 1, kNow);
    }
    std::int32_t score(std::string_view text) const {
        return smoothedScore(&spam, &nonSpam, distinctWords(text, 5, 1, 1 << 16).words);
    }
};

TEST(SpamModelSmoothedTest, ScoresByHandAndMissesWithoutInformativeWords) {
    TrainedSides sides;
    for (int i = 0; i < 10; ++i) {
        sides.train(true, "viagra");
        sides.train(false, "meeting");
    }
    sides.train(true, "casino");
    sides.train(true, "casino");
    sides.train(true, "often");
    sides.train(false, "often");
    // One word: Fisher's indicator is its f. Seen twice, f = 2.156 / 2.3 = 0.937, below the spam
    // cut of 0.95: 40.5 + 19 * (f - 0.45) / 0.5 = 59.02, unsure.
    EXPECT_EQ(sides.score("casino"), 59);
    // Seen ten times and never in the user's mail: f = 10.156 / 10.3 = 0.986, spam on its own,
    // 59.5 + 40.5 * (f - 0.95) / 0.05 = 88.68.
    EXPECT_EQ(sides.score("viagra"), 89);
    EXPECT_EQ(sides.score("viagra viagra viagra"), 89);  // a repeat is no new evidence
    EXPECT_EQ(sides.score("meeting"), 1);  // f = 0.156 / 10.3: 40.5 * f / 0.45 = 1.36
    EXPECT_EQ(sides.score("viagra meeting"), 42);  // indicator 0.5025: 40.5 + 19 * 0.105
    // Known, but too close to 0.5 to count; unknown; too short to be a word.
    EXPECT_EQ(sides.score("often"), -1);
    EXPECT_EQ(sides.score("nothing known"), -1);
    EXPECT_EQ(sides.score("via"), -1);
    EXPECT_EQ(sides.score(""), -1);
    EXPECT_EQ(smoothedScore(nullptr, nullptr, distinctWords("viagra", 5, 1, 64).words), -1);
}

// The decision on statistics made by hand: forty messages a side, sharing everyday words that
// tell nothing, each side with words of its own; one spam word was seen twice only.
TEST(SpamModelSmoothedTest, OrdinaryWordsTellNothingAndTheUsersOwnWordsWeighAgainstSpam) {
    TrainedSides sides;
    const std::string neutral = "about would there please thanks today";
    for (int i = 0; i < 40; ++i) {
        sides.train(true, neutral + " viagra casino lottery pharmacy");
        sides.train(false, neutral + " meeting agenda project review");
    }
    sides.train(true, "bonus");
    sides.train(true, "bonus");

    // Words known as well on both sides are no evidence at all.
    EXPECT_EQ(sides.score(neutral), -1);
    // A spam word the filter has seen twice is no verdict among them.
    const std::int32_t weak = sides.score(neutral + " bonus");
    EXPECT_GT(weak, 40);
    EXPECT_LT(weak, 60);
    // Two strong spam words against two of the user's own words: unsure, not spam.
    const std::int32_t mixed = sides.score("meeting agenda viagra casino");
    EXPECT_GT(mixed, 40);
    EXPECT_LT(mixed, 60);
    // Against one of the user's words, the weak one is not spam either.
    EXPECT_LE(sides.score(neutral + " bonus meeting"), 40);
    // Strong spam words are.
    EXPECT_GE(sides.score(neutral + " viagra"), 60);
    EXPECT_GE(sides.score("viagra casino lottery pharmacy"), 99);
    EXPECT_LE(sides.score("meeting agenda project review"), 1);
}

TEST(SpamModelSmoothedTest, TrainedSpamRanksAboveTrainedHamWithinRange) {
    const std::vector<std::string> spam = {
        "cheap pills online pharmacy discount viagra order today",
        "click here for free money casino bonus winner claim prize",
        "limited offer discount pills order online today winner",
        "unsubscribe remove list free offer click money",
    };
    const std::vector<std::string> ham = {
        "the build failed again after the merge please check the patch",
        "meeting moved to thursday agenda attached for the release",
        "patch review comments on the kernel module build",
        "thanks for the notes see you at the meeting tomorrow",
    };
    TrainedSides sides;
    for (const auto& text : spam) sides.train(true, text);
    for (const auto& text : ham) sides.train(false, text);
    const std::int32_t spamScore = sides.score("free pills discount, click to order today");
    const std::int32_t hamScore = sides.score("the patch for the build, review before the meeting");
    // Five words of the text were trained as spam only, once or twice each.
    EXPECT_GE(spamScore, 60);
    EXPECT_LE(spamScore, 100);
    EXPECT_LE(hamScore, 40);
    EXPECT_GE(hamScore, 0);
    EXPECT_GT(spamScore, hamScore);
}

TEST(SpamModelSmoothedTest, NeitherTrainingOrderNorRoundingModeMovesTheScore) {
    std::vector<std::pair<bool, std::string>> messages;
    std::mt19937 random(11);
    const std::vector<std::string> vocabulary = {"alpha",   "bravo",  "charlie", "delta", "echoes",
                                                 "foxtrot", "golfer", "hotel",   "india", "juliet"};
    for (int m = 0; m < 60; ++m) {
        std::string text;
        for (int w = 0; w < 6; ++w) text += vocabulary[random() % vocabulary.size()] + " ";
        messages.emplace_back(m % 3 == 0, text);
    }
    TrainedSides forward;
    TrainedSides backward;
    for (const auto& [isSpam, text] : messages) forward.train(isSpam, text);
    for (auto it = messages.rbegin(); it != messages.rend(); ++it)
        backward.train(it->first, it->second);

    const std::string probe = "alpha charlie echoes golfer india bravo delta";
    const auto words = distinctWords(probe, 5, 1, 1 << 16).words;
    const auto forwardEvidence = smoothedEvidence(&forward.spam, &forward.nonSpam, words);
    const auto backwardEvidence = smoothedEvidence(&backward.spam, &backward.nonSpam, words);
    ASSERT_EQ(forwardEvidence.size(), backwardEvidence.size());
    for (std::size_t i = 0; i < forwardEvidence.size(); ++i)
        EXPECT_EQ(forwardEvidence[i].p, backwardEvidence[i].p);  // bit for bit
    const std::int32_t expected = forward.score(probe);
    EXPECT_EQ(backward.score(probe), expected);

    for (const int mode : {FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
        ASSERT_EQ(std::fesetround(mode), 0);
        const std::int32_t score = forward.score(probe);
        EXPECT_EQ(std::fegetround(), mode);  // the caller's mode comes back
        std::fesetround(FE_TONEAREST);
        EXPECT_EQ(score, expected) << mode;
    }
}

// ---- through the Plugin context -----------------------------------------------------------------

class SpamModelPluginTest : public ::testing::Test {
protected:
    SpamModelPluginTest() {
        plugin.settings.statisticsDir = "C:\\QBX\\Statistics\\";
        plugin.settings.antispamActive = true;
        plugin.log.setMirror([this](const std::string& line) { logLines.push_back(line); });
        installStatistics(plugin);
        installSpamFilter(plugin);
    }

    WordTrie& tree(Slot slot) {
        const auto index = static_cast<std::size_t>(slot);
        if (!plugin.statItems[index])
            plugin.statItems[index] = plugin.factories.statisticsItem(
                plugin, plugin.settings.statisticsDir + kStatItemNames[index],
                static_cast<int>(index));
        return statItem(plugin, slot)->store().tree();
    }
    // Trains a side the way the scorer will see the text: lower-cased and normalised.
    void train(Slot slot, std::string_view text, int times) {
        const std::string normal = mail::normalizeSpamText(toLower1251(text), false);
        for (int i = 0; i < times; ++i) ASSERT_TRUE(tree(slot).addText(normal, 1, kNow));
    }
    void setThresholds(const SpamThresholds& t) { spamFilter(plugin)->thresholds = t; }
    SpamThresholds thresholds() { return spamFilter(plugin)->thresholds; }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    std::vector<std::string> logLines;
};

TEST_F(SpamModelPluginTest, FilterOffGivesNeutralValuesAndTouchesNothing) {
    train(Slot::Spam, "viagra", 20);
    plugin.settings.antispamActive = false;
    setThresholds({3, 13, 3, 13});
    logLines.clear();

    updateSpamFrequencies(plugin);
    EXPECT_EQ(thresholds(), SpamThresholds{});
    EXPECT_TRUE(logLines.empty());
    EXPECT_EQ(getWordSpamProbability(plugin, "viagra"), -1.0);
    EXPECT_EQ(getTextSpamScore(plugin, "viagra viagra"), 0.5);
    EXPECT_EQ(plugin.statItems[static_cast<std::size_t>(Slot::Temp2)], nullptr);
}

TEST_F(SpamModelPluginTest, UpdateReadsBothItemsAndLogs) {
    train(Slot::Spam, "aaaa bbbb", 4);
    train(Slot::Spam, "cccc", 1);
    train(Slot::NonSpam, "dddd", 2);
    logLines.clear();
    updateSpamFrequencies(plugin);
    EXPECT_EQ(thresholds(), (SpamThresholds{3, 3, 3, 2}));
    EXPECT_THAT(logLines, ::testing::Contains("Maxnonpam frequency: 2"));  // reaches the log

    plugin.statItems[static_cast<std::size_t>(Slot::NonSpam)]
        .reset();  // a missing side: no entries
    updateSpamFrequencies(plugin);
    EXPECT_EQ(thresholds(), (SpamThresholds{3, 3, 3, 0}));
}

TEST_F(SpamModelPluginTest, WordAndTextScoresUseTheTrainedCounts) {
    train(Slot::Spam, "viagra", 11);
    train(Slot::Spam, "\xE2\xE8\xE0\xE3\xF0\xE0", 11);  // Cyrillic, trained in lower case
    train(Slot::NonSpam, "meeting", 13);
    setThresholds({3, 13, 3, 13});  // 11 gives ps 0.8, so p 0.9

    EXPECT_DOUBLE_EQ(getWordSpamProbability(plugin, "viagra"), 0.9);
    EXPECT_DOUBLE_EQ(getWordSpamProbability(plugin, "meeting"), 0.01);
    EXPECT_EQ(getWordSpamProbability(plugin, "VIAGRA"), -1.0);  // keys are exact
    EXPECT_EQ(getWordSpamProbability(plugin, "unknown"), -1.0);

    // Lower-cased by the 1251 tables before counting: three occurrences, p^3 before both products.
    EXPECT_NEAR(getTextSpamScore(plugin, "VIAGRA, Viagra; viagra!"), 0.729, 1e-12);
    EXPECT_NEAR(getTextSpamScore(plugin,
                                 "\xC2\xC8\xC0\xC3\xD0\xC0 \xC2\xC8\xC0\xC3\xD0\xC0 "
                                 "\xE2\xe8\xe0\xe3\xf0\xe0"),
                0.729, 1e-12);
    EXPECT_NEAR(getTextSpamScore(plugin, "viagra meeting unknown"),
                0.9 * 0.01 / (0.9 * 0.01 + 0.1 * 0.99), 1e-12);
    EXPECT_EQ(getTextSpamScore(plugin, "nothing here is known"), 0.5);
    EXPECT_EQ(getTextSpamScore(plugin, ""), 0.5);
}

TEST_F(SpamModelPluginTest, TextScoreReplacesTheScratchItemWithoutMarkingIt) {
    train(Slot::Spam, "viagra", 11);
    setThresholds({3, 13, 3, 13});
    auto& slot = plugin.statItems[static_cast<std::size_t>(Slot::Temp2)];
    slot = plugin.factories.statisticsItem(plugin, "C:\\QBX\\Statistics\\old",
                                           static_cast<int>(Slot::Temp2));
    statItem(plugin, Slot::Temp2)->store().tree().addWord("viagra", 1, kNow);

    getTextSpamScore(plugin, "viagra");
    StatItem* scratch = statItem(plugin, Slot::Temp2);
    ASSERT_NE(scratch, nullptr);
    EXPECT_EQ(scratch->baseName(), "C:\\QBX\\Statistics\\temp2");
    EXPECT_EQ(scratch->index(), 5);
    EXPECT_EQ(scratch->frequency("viagra"), 1);  // the old item's word is gone
    EXPECT_FALSE(scratch->store().dirty());

    // No factory: no scratch item and a neutral score, no crash.
    plugin.factories.statisticsItem = nullptr;
    EXPECT_EQ(getTextSpamScore(plugin, "viagra"), 0.5);
    EXPECT_EQ(slot, nullptr);
}

}  // namespace
}  // namespace qbx::statistics
