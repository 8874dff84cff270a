#include "statistics/spam_filter.h"

#include <memory>
#include <utility>

#include "core/plugin.h"
#include "statistics/stat_item.h"

namespace qbx::statistics {

SpamFilterState::SpamFilterState(Plugin& plugin, SpamEntryHooks entryHooks)
    : hooks(std::move(entryHooks)),
      plugin_(plugin),
      entry_(ownObjects<SpamFilter, SpamFilterState>(), this) {}

void SpamFilterState::updateThresholds() {
    updateSpamFrequencies(plugin_);
    // The rating's table is made now, with the trained items loaded, rather than by the next
    // message to come. A table that cannot be made leaves the rating to the trees.
    if (!plugin_.settings.antispamActive) return;
    const WordTrie* spam = statTree(plugin_, Slot::Spam);
    const WordTrie* nonSpam = statTree(plugin_, Slot::NonSpam);
    if (buffers.ratingCounts.current(spam, nonSpam)) return;  // a settings change, no training
    try {
        buffers.ratingCounts.build(spam, nonSpam);
    } catch (...) {
    }
}

SpamFilterState* spamFilter(Plugin& plugin) {
    return ownObjects<SpamFilter, SpamFilterState>().find(plugin.spamFilter.get());
}

void installSpamFilter(Plugin& plugin, SpamEntryHooks hooks) {
    plugin.spamFilter = std::make_unique<SpamFilterState>(plugin, std::move(hooks));
}

}  // namespace qbx::statistics
