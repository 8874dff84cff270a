#include "statistics/spam_filter.h"

#include <memory>
#include <utility>

#include "core/plugin.h"

namespace qbx::statistics {

SpamFilterState::SpamFilterState(Plugin& plugin, SpamEntryHooks entryHooks)
    : hooks(std::move(entryHooks)),
      plugin_(plugin),
      entry_(ownObjects<SpamFilter, SpamFilterState>(), this) {}

void SpamFilterState::updateThresholds() { updateSpamFrequencies(plugin_); }

SpamFilterState* spamFilter(Plugin& plugin) {
    return ownObjects<SpamFilter, SpamFilterState>().find(plugin.spamFilter.get());
}

void installSpamFilter(Plugin& plugin, SpamEntryHooks hooks) {
    plugin.spamFilter = std::make_unique<SpamFilterState>(plugin, std::move(hooks));
}

}  // namespace qbx::statistics
