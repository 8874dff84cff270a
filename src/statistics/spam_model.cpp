#include "statistics/spam_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/fp_env.h"
#include "base/text.h"
#include "core/plugin.h"
#include "mail/letters.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"

namespace qbx::statistics {
namespace {

constexpr double kNegInf = -std::numeric_limits<double>::infinity();

std::int32_t countIn(const WordTrie* trie, std::string_view word) {
    return trie != nullptr ? trie->countOf(word) : 0;
}

// One side's probability: -1 below Min, else where the count lies between Min and Max.
double sideProbability(std::int32_t count, std::int32_t minimum, std::int32_t maximum) noexcept {
    const std::int64_t f = std::min(count, maximum);
    if (f < minimum) return kNoInformation;
    // Here Min <= f <= Max; with Max = Min the count has reached the top of an empty range.
    if (maximum == minimum) return 1.0;
    return static_cast<double>(f - minimum) /
           static_cast<double>(static_cast<std::int64_t>(maximum) - minimum);
}

// ln(1 - e^x) for x <= 0, accurate at both ends; -inf at x = 0.
double logOneMinusExp(double x) noexcept {
    if (x == kNegInf) return 0.0;
    if (x >= 0.0) return kNegInf;
    return x > -0.6931471805599453 ? std::log(-std::expm1(x)) : std::log1p(-std::exp(x));
}

// A word that carries information, with its probability kept inside 0 .. 1.
bool informative(double p) noexcept { return !std::isnan(p) && p >= 0.0; }

// 1 / (1 + e^d) without overflow.
double logistic(double d) noexcept {
    if (d > 0.0) {
        const double e = std::exp(-d);
        return e / (1.0 + e);
    }
    return 1.0 / (1.0 + std::exp(d));
}

}  // namespace

std::int32_t roundHalfEven(double value) noexcept {
    if (std::isnan(value)) return 0;
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    if (value <= kLow) return std::numeric_limits<std::int32_t>::min();
    if (value >= kHigh) return std::numeric_limits<std::int32_t>::max();
    // floor and the subtraction below are exact whatever rounding mode the host left set.
    const double whole = std::floor(value);
    const double fraction = value - whole;
    auto result = static_cast<std::int64_t>(whole);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2) != 0)) ++result;
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(result, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

void TopCounts::add(std::int32_t count) noexcept {
    std::size_t smallest = 0;
    for (std::size_t i = 0; i < kSlots; ++i) {
        if (slots_[i] == 0) {
            slots_[i] = count;
            return;
        }
        if (slots_[i] < slots_[smallest]) smallest = i;
    }
    slots_[smallest] = count;
}

double TopCounts::average() const noexcept {
    std::int64_t sum = 0;
    int occupied = 0;
    for (const std::int32_t slot : slots_) {
        sum += slot;
        if (slot > 0) ++occupied;
    }
    return occupied == 0 ? 0.0 : static_cast<double>(sum) / occupied;
}

std::int64_t sumTreeCounts(const WordTrie* trie) {
    std::int64_t sum = 0;
    if (trie != nullptr) trie->forEachEntry([&](const StatEntry& entry) { sum += entry.count; });
    return sum;
}

std::int32_t maxTreeCount(const WordTrie* trie, TopCounts& top) {
    std::int32_t largest = 0;
    if (trie == nullptr) return largest;
    bool first = true;
    trie->forEachEntry([&](const StatEntry& entry) {
        top.add(entry.count);
        if (first || entry.count > largest) largest = entry.count;
        first = false;
    });
    return largest;
}

double averageTreeCount(const WordTrie* trie) {
    if (trie == nullptr || trie->countWords() == 0) return 0.0;
    return static_cast<double>(sumTreeCounts(trie)) / static_cast<double>(trie->countWords());
}

SpamThresholds computeThresholds(const WordTrie* spamTree, const WordTrie* nonSpamTree,
                                 const std::function<void(const std::string&)>& log) {
    auto line = [&](std::string_view name, std::int32_t value) {
        if (log) log(std::string(name) + " frequency: " + decimal(value));
    };
    SpamThresholds t;
    if (log) log("Getting freqs");

    t.spamMin = std::max(roundHalfEven(averageTreeCount(spamTree)), kMinThresholdFloor);
    line("spam", t.spamMin);

    t.nonSpamMin = roundHalfEven(averageTreeCount(nonSpamTree));
    line("non-spam", t.nonSpamMin);  // shown before its floor, unlike the spam line
    t.nonSpamMin = std::max(t.nonSpamMin, kMinThresholdFloor);

    TopCounts top;
    maxTreeCount(spamTree, top);
    t.maxSpam = roundHalfEven(top.average());
    line("Maxspam", t.maxSpam);

    top.clear();
    maxTreeCount(nonSpamTree, top);
    t.maxNonSpam = roundHalfEven(top.average());
    line("Maxnonpam", t.maxNonSpam);
    return t;
}

double wordSpamProbability(const SpamThresholds& thresholds, std::int32_t spamCount,
                           std::int32_t nonSpamCount) noexcept {
    const double ps = sideProbability(spamCount, thresholds.spamMin, thresholds.maxSpam);
    const double pn = sideProbability(nonSpamCount, thresholds.nonSpamMin, thresholds.maxNonSpam);
    const bool spamKnown = ps != kNoInformation;
    const bool nonSpamKnown = pn != kNoInformation;
    double p = kNoInformation;
    if (spamKnown && nonSpamKnown)
        p = (ps - pn) / 2 + 0.5;
    else if (nonSpamKnown)
        p = 0.5 - pn / 2;
    else if (spamKnown)
        p = ps / 2 + 0.5;
    else
        return kNoInformation;
    return std::clamp(p, kMinWordProbability, kMaxWordProbability);
}

double combineScore(std::span<const WordEvidence> words) noexcept {
    double logS = 0.0;  // ln S, S starting at 1
    double logH = 0.0;  // ln H, H starting at 1
    for (const WordEvidence& word : words) {
        if (!informative(word.p)) continue;
        const double p = std::min(word.p, 1.0);
        // ln p^n: the power is taken before both products, so H gets 1 - p^n, not (1 - p)^n.
        const double exponent = word.n > 1 ? static_cast<double>(word.n) : 1.0;
        const double logP = p == 0.0 ? kNegInf : exponent * std::log(p);
        logS += logP;
        logH += logOneMinusExp(logP);
    }
    if (logS == kNegInf && logH == kNegInf) return 0.5;
    if (logS == kNegInf) return 0.0;
    if (logH == kNegInf) return 1.0;
    return logistic(logH - logS);
}

double chiSquareUpperTail(double x2, std::int64_t k) noexcept {
    // With 2k degrees of freedom the tail is P(X < k) for X ~ Poisson(m = x2 / 2): a sum of k
    // terms, taken outward from its largest so that neither end underflows.
    if (std::isnan(x2) || x2 <= 0.0) return 1.0;
    if (std::isinf(x2)) return 0.0;
    k = std::max<std::int64_t>(k, 1);
    const double m = x2 / 2;
    const double logM = std::log(m);
    const std::int64_t peak =
        m >= static_cast<double>(k - 1) ? k - 1 : static_cast<std::int64_t>(std::floor(m));
    const double logPeak =
        -m + static_cast<double>(peak) * logM - std::lgamma(static_cast<double>(peak) + 1.0);
    constexpr double kNegligible = 1e-17;
    double relative = 1.0;
    double term = 1.0;
    for (std::int64_t i = peak; i > 0; --i) {  // terms fall on the way down from the peak
        term *= static_cast<double>(i) / m;
        relative += term;
        if (term < kNegligible * relative) break;
    }
    term = 1.0;
    for (std::int64_t i = peak + 1; i < k; ++i) {  // and past m on the way up
        term *= m / static_cast<double>(i);
        relative += term;
        if (term < kNegligible * relative) break;
    }
    const double tail = std::exp(logPeak + std::log(relative));
    return std::clamp(tail, 0.0, 1.0);
}

double combineFisher(std::span<const WordEvidence> words) noexcept {
    double sumLogP = 0.0;
    double sumLogQ = 0.0;
    std::int64_t count = 0;
    for (const WordEvidence& word : words) {
        if (!informative(word.p)) continue;
        const double p = std::min(word.p, 1.0);
        sumLogP += p == 0.0 ? kNegInf : std::log(p);
        sumLogQ += p == 1.0 ? kNegInf : std::log1p(-p);
        ++count;
    }
    if (count == 0) return 0.5;
    const double hamEvidence = chiSquareUpperTail(-2.0 * sumLogP, count);   // near 1 for spam
    const double spamEvidence = chiSquareUpperTail(-2.0 * sumLogQ, count);  // near 1 for ham
    return std::clamp((1.0 + hamEvidence - spamEvidence) / 2, 0.0, 1.0);
}

std::vector<WordCount> wordCounts(const WordTrie& textTree) {
    std::vector<WordCount> words;
    textTree.forEachEntry([&](const StatEntry& entry) {
        words.push_back({entry.key, entry.count});
    });
    return words;
}

std::vector<WordEvidence> textEvidence(const SpamThresholds& thresholds, const WordTrie* spamTree,
                                       const WordTrie* nonSpamTree, const WordTrie& textTree) {
    const std::vector<WordCount> counted = wordCounts(textTree);
    std::vector<TextWord> words;
    words.reserve(counted.size());
    for (const WordCount& word : counted)
        words.push_back({word.word, word.count, 0, KeyIndex::hashOf(word.word)});
    return textEvidence(thresholds, spamTree, nonSpamTree, words);
}

std::vector<WordEvidence> textEvidence(const SpamThresholds& thresholds, const WordTrie* spamTree,
                                       const WordTrie* nonSpamTree,
                                       std::span<const TextWord> textWords) {
    std::vector<std::string_view> keys;
    keys.reserve(textWords.size());
    for (const TextWord& word : textWords) keys.push_back(word.key);
    std::vector<std::int32_t> spamCounts(keys.size(), 0);
    std::vector<std::int32_t> nonSpamCounts(keys.size(), 0);
    if (spamTree != nullptr) spamTree->countsOf(keys, spamCounts);
    if (nonSpamTree != nullptr) nonSpamTree->countsOf(keys, nonSpamCounts);

    std::vector<WordEvidence> evidence;
    evidence.reserve(textWords.size());
    for (std::size_t i = 0; i < textWords.size(); ++i) {
        const double p = wordSpamProbability(thresholds, spamCounts[i], nonSpamCounts[i]);
        if (p != kNoInformation) evidence.push_back({p, textWords[i].count});
    }
    return evidence;
}

// --- the message score --------------------------------------------------------------------------

double smoothedWordProbability(std::int32_t spamCount, std::int32_t nonSpamCount,
                               const SideTotals& totals) noexcept {
    const double s = std::max(spamCount, 0);
    const double n = std::max(nonSpamCount, 0);
    const auto share = [](double count, std::int64_t total) {
        if (count <= 0.0) return 0.0;
        return total > 0 ? std::min(count / static_cast<double>(total), 1.0) : 1.0;
    };
    const double spamShare = share(s, totals.spam);
    const double nonSpamShare = share(n, totals.nonSpam);
    if (spamShare + nonSpamShare <= 0.0) return kNoInformation;
    const double p = spamShare / (spamShare + nonSpamShare);
    const double known = s + n;
    return (kWordStrength * kUnknownWordProbability + known * p) / (kWordStrength + known);
}

double scoreScaleOf(double indicator) noexcept {
    if (std::isnan(indicator)) return 50.0;
    const double i = std::clamp(indicator, 0.0, 1.0);
    if (i <= kHamIndicatorCut) return 40.5 * (i / kHamIndicatorCut);
    if (i < kSpamIndicatorCut)
        return 40.5 + 19.0 * ((i - kHamIndicatorCut) / (kSpamIndicatorCut - kHamIndicatorCut));
    return 59.5 + 40.5 * ((i - kSpamIndicatorCut) / (1.0 - kSpamIndicatorCut));
}

std::vector<WordEvidence> smoothedEvidence(const WordTrie* spamTree, const WordTrie* nonSpamTree,
                                           std::span<const TextWord> textWords,
                                           const RatingCounts* counts) {
    std::vector<std::int32_t> spamCounts(textWords.size(), 0);
    std::vector<std::int32_t> nonSpamCounts(textWords.size(), 0);
    SideTotals totals;
    if (spamTree != nullptr) totals.spam = spamTree->countTotal();
    if (nonSpamTree != nullptr) totals.nonSpam = nonSpamTree->countTotal();
    if (counts != nullptr) {
        counts->countsOf(textWords, spamCounts, nonSpamCounts);
    } else {
        if (spamTree != nullptr) spamTree->countsOf(textWords, spamCounts);
        if (nonSpamTree != nullptr) nonSpamTree->countsOf(textWords, nonSpamCounts);
    }
    std::vector<WordEvidence> evidence;
    evidence.reserve(textWords.size());
    for (std::size_t i = 0; i < textWords.size(); ++i) {
        const double f = smoothedWordProbability(spamCounts[i], nonSpamCounts[i], totals);
        if (f == kNoInformation || std::fabs(f - 0.5) < kMinDistanceFromHalf) continue;
        evidence.push_back({f, 1});
    }
    return evidence;
}

std::int32_t smoothedScore(const WordTrie* spamTree, const WordTrie* nonSpamTree,
                           std::span<const TextWord> textWords, const RatingCounts* counts) {
    const RoundToNearest nearest;
    const std::vector<WordEvidence> evidence =
        smoothedEvidence(spamTree, nonSpamTree, textWords, counts);
    if (evidence.empty()) return -1;
    return roundHalfEven(scoreScaleOf(combineFisher(evidence)));
}

// --- Plugin layer -------------------------------------------------------------------------------

namespace {

// All 0 (no word tells anything) without a filter.
SpamThresholds thresholdsOf(Plugin& plugin) {
    const SpamFilterState* filter = spamFilter(plugin);
    return filter != nullptr ? filter->thresholds : SpamThresholds{};
}

}  // namespace

void updateSpamFrequencies(Plugin& plugin) {
    SpamThresholds t;
    if (plugin.settings.antispamActive) {
        t = computeThresholds(statTree(plugin, Slot::Spam), statTree(plugin, Slot::NonSpam),
                              [&](const std::string& line) { plugin.log.write(line, 1); });
    }
    if (SpamFilterState* filter = spamFilter(plugin)) filter->thresholds = t;
}

double getWordSpamProbability(Plugin& plugin, std::string_view word) {
    if (!plugin.settings.antispamActive) return kNoInformation;
    return wordSpamProbability(thresholdsOf(plugin), countIn(statTree(plugin, Slot::Spam), word),
                               countIn(statTree(plugin, Slot::NonSpam), word));
}

double getTextSpamScore(Plugin& plugin, std::string_view text) {
    if (!plugin.settings.antispamActive) return 0.5;
    const std::string normalized = mail::normalizeSpamText(toLower1251(text), false);

    constexpr auto kScratch = static_cast<std::size_t>(Slot::Temp2);
    plugin.statItems[kScratch].reset();
    if (plugin.factories.statisticsItem)
        plugin.statItems[kScratch] = plugin.factories.statisticsItem(
            plugin, plugin.settings.statisticsDir + kStatItemNames[kScratch],
            static_cast<int>(kScratch));
    if (StatItem* scratch = statItem(plugin, Slot::Temp2)) {
        const double now = plugin.platform.clock != nullptr ? plugin.platform.clock->now() : 0.0;
        // Straight into the tree: the scratch item is not marked changed and never stored.
        scratch->store().tree().addText(normalized, 1, now);
    }

    // Looked up afresh: a failing addText lets window messages run, which may replace items.
    const WordTrie* textTree = statTree(plugin, Slot::Temp2);
    if (textTree == nullptr) return 0.5;
    const auto evidence = textEvidence(thresholdsOf(plugin), statTree(plugin, Slot::Spam),
                                       statTree(plugin, Slot::NonSpam), *textTree);
    return combineScore(evidence);
}

}  // namespace qbx::statistics
