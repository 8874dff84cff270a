// Arbitrary bytes through the word splitter into a small tree: every input ends, the tree never
// passes its node budget, its memory stays bounded, every word it holds is found again, and it
// holds exactly the nodes of its words' paths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "statistics/word_trie.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::statistics;
    constexpr std::size_t kBudget = 512;
    if (size == 0) return 0;
    // The first byte picks the minimum word length, -2..5, so that empty words are reached too.
    const std::int32_t minLength = static_cast<std::int32_t>(data[0] % 8) - 2;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    WordTrie trie(45000.0, kBudget);
    trie.setMinWordLength(minLength);
    if (!trie.addText(text, 3, 45001.0)) std::abort();
    if (trie.countNodes() > kBudget) std::abort();
    // Generous: a full node pool with every child array at its largest.
    if (trie.memoryBytes() > 256 * 1024) std::abort();

    std::size_t words = 0;
    std::set<std::string> paths;  // every node's: the keys' beginnings
    trie.forEachEntry([&](const StatEntry& entry) {
        if (entry.key.size() > kMaxKeyLength || entry.count <= 0) std::abort();
        const auto found = trie.find(entry.key);
        if (!found || found->count != entry.count) std::abort();
        if (!entry.key.empty()) ++words;
        for (std::size_t n = 1; n <= entry.key.size(); ++n) paths.insert(entry.key.substr(0, n));
    });
    if (words != trie.countWords()) std::abort();
    // Runs of nodes kept as their characters count as nodes all the same; no node is lost or
    // made twice, the refused words' included (a refused word leaves no path).
    if (paths.size() != trie.countNodes()) std::abort();
    return 0;
}
