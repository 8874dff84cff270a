// Fakes of the upper layers' objects: each records what is done to it in a shared journal, so
// tests can check which objects exist and in which order the sequences touch them.
#pragma once

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/plugin.h"

namespace qbx::test {

struct Journal {
    std::vector<std::string> events;
    void add(std::string event) { events.push_back(std::move(event)); }
    bool has(const std::string& event) const {
        return std::find(events.begin(), events.end(), event) != events.end();
    }
    std::size_t count(const std::string& prefix) const {
        return static_cast<std::size_t>(std::count_if(
            events.begin(), events.end(), [&](const auto& e) { return e.rfind(prefix, 0) == 0; }));
    }
};

struct FakeSubsystemOptions {
    std::set<int> failingStatisticsItems;  // factories that throw for these slots
    bool failingTrayHide = false, failingSettingsDialog = false;
};

// Registers a factory for every object, each building a fake that writes to journal.
void installFakeSubsystems(Plugin& plugin, std::shared_ptr<Journal> journal,
                           FakeSubsystemOptions options = {});

}  // namespace qbx::test
