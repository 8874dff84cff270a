// The product's macro table: what it answers, what it offers the host and in which order.
#include "functions/chain.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/host_texts.h"

namespace qbx::functions {
namespace {

using macros::ChainEntry;
using macros::entryMatches;

// 1-based table positions that answer a name.
std::vector<int> matchingPositions(std::string_view upperName) {
    std::vector<int> positions;
    const auto entries = macroTable();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entryMatches(entries[i], upperName)) positions.push_back(static_cast<int>(i) + 1);
    return positions;
}

TEST(MacroTable, RowsTwinsAndThePrefixRow) {
    const auto entries = macroTable();
    ASSERT_EQ(entries.size(), 204u);
    const std::vector<std::pair<std::string_view, std::size_t>> cases = {
        {"FN", 1},      {"FNMYSCRIPT", 1}, {"S", 1},   {"STATCOUNT", 2}, {"ZVXNUMTOSTRA", 2},
        {"ZVXTEST", 1}, {"F", 0},          {"XFN", 0}, {" ZVXVER", 0},   {"ZVXVER ", 0}};
    for (const auto& [name, count] : cases)
        EXPECT_EQ(matchingPositions(name).size(), count) << name;
    // Twins answer in table order, the offered one first.
    for (const std::string_view twin : {"STATCOUNT", "ZVXNUMTOSTRA"}) {
        const std::vector<int> at = matchingPositions(twin);
        ASSERT_EQ(at.size(), 2u);
        EXPECT_TRUE(entries[static_cast<std::size_t>(at[0] - 1)].offered);
        EXPECT_FALSE(entries[static_cast<std::size_t>(at[1] - 1)].offered);
    }
}

TEST(MacroTable, OffersItsNamesInTheHostsOrderAndAnswersFourMore) {
    const auto names = offeredMacroNames();
    ASSERT_EQ(names.size(), 197u);
    EXPECT_EQ(names.front(), "ZVX");
    EXPECT_EQ(names[1], "ZVXVER");
    EXPECT_EQ(names[120], "ZVXFOR");
    EXPECT_EQ(names.back(), "QCDTIME");
    std::set<std::string_view> answered;
    for (const ChainEntry& entry : macroTable())
        if (!entry.prefix && entry.branch != nullptr) answered.insert(entry.name);
    std::set<std::string_view> notOffered;
    for (const ChainEntry& entry : macroTable())
        if (!entry.offered) notOffered.insert(entry.name);
    EXPECT_EQ(notOffered,
              (std::set<std::string_view>{"FN", "STATCOUNT", "ZVXNUMTOSTRA", "ZVXRAWSOURCE",
                                          "ZVXDELIVERYTIMEBOX", "ZVXTEMPPATH", "ZVX_CPU"}));
    EXPECT_EQ(answered.count("ZVXTEST"), 1u);  // offered, answers the empty text
    // What the host is given is this list.
    installOfferedMacroNames(names);
    EXPECT_EQ(buildMacroList("").substr(0, 13), "ZVX\r\nZVXVER\r\n");
}

// Features not built yet: the table knows the names, nothing answers them. Each feature that
// lands takes its names off this list.
TEST(MacroTable, RowsStillWithoutAHandler) {
    std::set<std::string_view> expected = {};
    std::set<std::string_view> missing;
    for (const ChainEntry& entry : macroTable())
        if (entry.branch == nullptr) missing.insert(entry.name);
    EXPECT_EQ(missing, expected);
}

}  // namespace
}  // namespace qbx::functions
