#include "statistics/traffic_rules.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "core/plugin.h"
#include "core/recipient_list.h"
#include "statistics/stat_item.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {

std::vector<TrafficRule> compileTrafficRules(const std::vector<std::string>& lines, Log& log) {
    std::vector<TrafficRule> rules;
    const std::size_t count = std::min(lines.size(), kMaxRecipientLines);
    rules.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        RecipientRule rule = parseRecipientRule(lines[i]);
        std::optional<Regex1251> regex = Regex1251::compile(rule.expression, nullptr);
        if (!regex) {
            log.write("Traffic rule left out, its expression does not compile: " + lines[i]);
            continue;
        }
        rules.push_back({std::move(rule.name), std::move(rule.expression), std::move(*regex)});
    }
    return rules;
}

std::string namedTrafficKey(std::string_view rawKey, std::string_view ruleName) {
    std::string key(rawKey.substr(0, kRawKeyPrefixLength));
    key += ruleName;
    if (key.size() > kMaxKeyLength) key.resize(kMaxKeyLength);
    return key;
}

bool mapRawTraffic(const WordTrie& raw, WordTrie& traffic, const std::vector<TrafficRule>& rules,
                   Log& log, double now) {
    bool changed = false;
    raw.forEachEntry([&](const StatEntry& entry) {
        const std::string_view key = entry.key;
        const std::string_view address = key.size() > kRawKeyPrefixLength
                                             ? key.substr(kRawKeyPrefixLength, kMaxKeyLength)
                                             : std::string_view();
        for (const TrafficRule& rule : rules) {
            if (!rule.regex.search(address)) continue;
            StatEntry named = entry;
            named.key = namedTrafficKey(key, rule.name);
            if (!traffic.mergeRecord(named, now)) continue;
            changed = true;
            log.write("Converted new traffic entry: " + named.key + " as " + rule.expression);
        }
    });
    return changed;
}

void updateTrafficInfo(Plugin& plugin) {
    Log& log = plugin.log;
    StatItem* traffic = statItem(plugin, Slot::Traffic);
    StatItem* raw = statItem(plugin, Slot::RawTraffic);
    if (!traffic || !raw) {
        log.write("updatetraffic has been cancelled (pointers are nil)");
        return;
    }
    try {
        traffic->storeIfChanged();
        log.write("Updating traffic info...");
        const std::vector<TrafficRule> rules = compileTrafficRules(plugin.recipientList.lines, log);
        StatStore& rawStore = raw->store();
        StatStore& trafficStore = traffic->store();
        if (mapRawTraffic(rawStore.tree(), trafficStore.tree(), rules, log,
                          plugin.platform.clock->now()))
            trafficStore.markDirty();
        // Only after the whole walk: a failure above leaves the raw entries for the next run.
        if (rawStore.tree().countWords() > 0) {
            rawStore.replaceTreeWithEmpty();
            rawStore.markDirty();
        }
        traffic->storeIfChanged();
        log.write("Traffic info updated");
    } catch (...) {
        log.write("Exception in updatetrafficinfo");
    }
}

void installTrafficRules(Plugin& plugin) { plugin.factories.updateTrafficInfo = updateTrafficInfo; }

}  // namespace qbx::statistics
