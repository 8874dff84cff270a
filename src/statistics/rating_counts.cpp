#include "statistics/rating_counts.h"

#include <algorithm>
#include <new>
#include <string>
#include <string_view>

namespace qbx::statistics {
namespace {

WordTrie::Stamp stampOf(const WordTrie* tree) noexcept {
    return tree != nullptr ? tree->stamp() : WordTrie::Stamp{};
}

}  // namespace

bool RatingCounts::current(const WordTrie* spam, const WordTrie* nonSpam) const noexcept {
    return built_ && spam == spam_ && nonSpam == nonSpam_ && stampOf(spam) == spamStamp_ &&
           stampOf(nonSpam) == nonSpamStamp_;
}

void RatingCounts::build(const WordTrie* spam, const WordTrie* nonSpam) {
    built_ = false;
    index_.clear();
    overflow_.clear();
    try {
        // Both sides' words listed first (a word's two counts meet through a first index of
        // places in the list), then filed with their counts packed.
        struct Word {
            std::size_t keyAt;
            std::size_t keyLength;
            std::uint64_t hash;
            std::int32_t spam;
            std::int32_t nonSpam;
        };
        std::string keys;
        std::vector<Word> words;
        KeyIndex places;
        const std::size_t most = (spam != nullptr ? spam->countWords() + 1 : 0) +
                                 (nonSpam != nullptr ? nonSpam->countWords() + 1 : 0);
        places.reserve(most);
        words.reserve(most);
        const auto keyOf = [&](const Word& word) {
            return std::string_view(keys).substr(word.keyAt, word.keyLength);
        };
        const auto take = [&](std::string_view key, std::int32_t count, bool isSpam) {
            if (count == 0) return;
            const std::uint64_t hash = KeyIndex::hashOf(key);
            const std::uint32_t at = places.find(key, hash);
            if (at != KeyIndex::kAbsent) {
                (isSpam ? words[at].spam : words[at].nonSpam) = count;
                return;
            }
            if (words.size() >= kApart - 1) throw std::bad_alloc();
            places.insert(key, hash, static_cast<std::uint32_t>(words.size()));
            words.push_back(
                {keys.size(), key.size(), hash, isSpam ? count : 0, isSpam ? 0 : count});
            keys.append(key);
        };
        if (spam != nullptr)
            spam->forEachLetterEntry(
                [&](std::string_view key, std::int32_t count) { take(key, count, true); });
        if (nonSpam != nullptr)
            nonSpam->forEachLetterEntry(
                [&](std::string_view key, std::int32_t count) { take(key, count, false); });
        places.clear();
        index_.reserve(words.size());
        const auto small = [](std::int32_t count) { return count >= 0 && count <= kSmall; };
        for (const Word& word : words) {
            std::uint32_t value;
            if (small(word.spam) && small(word.nonSpam)) {
                value = static_cast<std::uint32_t>(word.spam) << 15 |
                        static_cast<std::uint32_t>(word.nonSpam);
            } else {
                value = kApart | static_cast<std::uint32_t>(overflow_.size());
                overflow_.emplace_back(word.spam, word.nonSpam);
            }
            index_.insert(keyOf(word), word.hash, value);
        }
    } catch (...) {
        index_.clear();
        overflow_.clear();
        throw;
    }
    spam_ = spam;
    nonSpam_ = nonSpam;
    spamStamp_ = stampOf(spam);
    nonSpamStamp_ = stampOf(nonSpam);
    built_ = true;
}

void RatingCounts::countsOf(std::span<const TextWord> words, std::span<std::int32_t> spam,
                            std::span<std::int32_t> nonSpam) const {
    // In batches: the index slots of a batch are sent for together, then read.
    constexpr std::size_t kBatch = 16;
    const std::size_t total = std::min({words.size(), spam.size(), nonSpam.size()});
    for (std::size_t base = 0; base < total; base += kBatch) {
        const std::size_t end = std::min(total, base + kBatch);
        for (std::size_t i = base; i < end; ++i) index_.prefetch(words[i].hash);
        for (std::size_t i = base; i < end; ++i) {
            const std::uint32_t value = index_.find(words[i].key, words[i].hash);
            if (value == KeyIndex::kAbsent) {
                spam[i] = 0;
                nonSpam[i] = 0;
            } else if (value & kApart) {
                const auto& [s, n] = overflow_[value & ~kApart];
                spam[i] = s;
                nonSpam[i] = n;
            } else {
                spam[i] = static_cast<std::int32_t>(value >> 15);
                nonSpam[i] = static_cast<std::int32_t>(value & kSmall);
            }
        }
    }
}

}  // namespace qbx::statistics
