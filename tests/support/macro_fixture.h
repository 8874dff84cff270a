// A module context over the fake platform with its log lines captured, a data container, and
// macro calls run through the dispatcher as the host makes them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/host_texts.h"
#include "core/plugin.h"
#include "functions/chain.h"
#include "macros/dispatcher.h"
#include "support/fake_container.h"
#include "support/fakes.h"

namespace qbx::test {

using Stores = std::vector<std::pair<std::int32_t, std::string>>;

class MacroFixture : public ::testing::Test {
protected:
    MacroFixture() {
        // The product's table, as the composition root installs it.
        macros::installMacroTable(functions::macroTable());
        installOfferedMacroNames(functions::offeredMacroNames());
        plugin.strings.reset();  // the built-in texts, as the module's load gives them
        plugin.log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    }

    std::int32_t call(std::string_view name, const std::vector<std::string>& arguments = {}) {
        FakeContainer& params = parameters.emplace_back(arguments);
        return macros::execMacro(plugin, name.data(), static_cast<std::int32_t>(name.size()), &data,
                                 &params);
    }

    // One call; the text stored under the usual result id ("<nothing>" when none was).
    std::string run(std::string_view name, const std::vector<std::string>& arguments = {}) {
        data.stores.clear();
        data.items.erase(kMacroResultId);
        EXPECT_EQ(call(name, arguments), kMacroResultId);
        const auto it = data.items.find(kMacroResultId);
        return it == data.items.end() ? "<nothing>" : it->second;
    }

    bool logged(std::string_view text) const {
        for (const std::string& line : logLines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }

    void fillVariables() {
        for (int i = plugin.variables.count(); i < VarTable::kCapacity; ++i)
            ASSERT_TRUE(plugin.variables.storeStr("v" + std::to_string(i), "x"));
    }
    // The containers outlive the context, which keeps references to the latest ones.
    FakeContainer data;
    std::deque<FakeContainer> parameters;
    std::vector<std::string> logLines;
    FakePlatform fake;
    Plugin plugin{fake.platform()};
};

}  // namespace qbx::test
