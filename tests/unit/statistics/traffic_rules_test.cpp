// The traffic rules: raw per-recipient entries folded into named Traffic entries by the
// recipient list, the raw item emptied, and nothing counted twice across a restart.
#include "statistics/traffic_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/plugin.h"
#include "statistics/stat_item.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* kStatDir = "C:\\QBX\\Statistics\\";
using Entries =
    std::vector<std::tuple<std::string, std::int32_t, std::int32_t>>;  // key, count, size
using Lines = std::vector<std::string>;

class TrafficRulesTest : public ::testing::Test {
protected:
    TrafficRulesTest() {
        plugin.settings.statisticsDir = kStatDir;
        plugin.settings.compressionLevel = 2;
        plugin.log.setMirror([this](const std::string& line) { logLines.push_back(line); });
        createItems();
    }
    // The two items as the start-up makes them: read from their files.
    void createItems() {
        for (const Slot slot : {Slot::RawTraffic, Slot::Traffic}) {
            const auto i = slotIndex(slot);
            plugin.statItems[i].reset();
            plugin.statItems[i] = std::make_unique<StatItem>(
                plugin, kStatDir + std::string(kStatItemNames[i]), static_cast<int>(i));
        }
    }
    StatStore& store(Slot slot) { return statItem(plugin, slot)->store(); }
    Entries entries(Slot slot) {
        Entries out;
        store(slot).tree().forEachEntry(
            [&](const StatEntry& e) { out.emplace_back(e.key, e.count, e.size); });
        return out;
    }
    std::size_t loggedCount(std::string_view text) const {
        return static_cast<std::size_t>(std::count_if(
            logLines.begin(), logLines.end(),
            [&](const std::string& line) { return line.find(text) != std::string::npos; }));
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    Lines logLines;
};

TEST_F(TrafficRulesTest, RawEntriesAreFoldedIntoTheNamedKeysOfTheMatchingRules) {
    struct Case {
        const char* what;
        Lines rules;
        Entries traffic;
    };
    const std::string longName(90, 'n');
    const Case cases[] = {
        {"two rules both match: each gets the full count and size",
         {"work=@work\\.com$", "all=.*"},
         {{"150123Tall", 3, 350},
          {"150123Twork", 2, 300},
          {"150123Xall", 1, 40},
          {"150123Xwork", 1, 40}}},
        {"nothing matches", {"home=@home\\.org"}, {}},
        {"no rules", {}, {}},
        {"a bad rule is left out, the good one applies",
         {"bad=a(b", "boss=^boss"},
         {{"150123Tboss", 2, 300}, {"150123Xboss", 1, 40}}},
        {"the address begins after the date and type letter", {"date=^150123", "t=^T"}, {}},
        {"a line without a sign has no name", {"ann@"}, {{"150123T", 1, 50}}},
        {"the named key is cut to the key length",
         {longName + "=work"},
         {{("150123T" + longName).substr(0, 80), 2, 300},
          {("150123X" + longName).substr(0, 80), 1, 40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake.files.deleteFile(std::string(kStatDir) + "Traffic.Stat");
        fake.files.deleteFile(std::string(kStatDir) + "Madrawtraffic.Stat");
        createItems();
        StatStore& raw = store(Slot::RawTraffic);
        raw.addToTree("150123Tboss@work.com", 100);
        raw.addToTree("150123Tboss@work.com", 200);
        raw.addToTree("150123Xboss@work.com", 40);
        raw.addToTree("150123Tann@home.net", 50);
        plugin.recipientList.lines = c.rules;
        updateTrafficInfo(plugin);
        EXPECT_EQ(entries(Slot::Traffic), c.traffic);
        EXPECT_EQ(store(Slot::RawTraffic).tree().countWords(), 0u);
        EXPECT_TRUE(store(Slot::RawTraffic).dirty());  // the emptied item reaches its file
        // Traffic is written when a rule matched, and only then.
        EXPECT_EQ(fake.files.has(std::string(kStatDir) + "Traffic.Stat"), !c.traffic.empty());
    }
    EXPECT_THAT(logLines, Contains("Converted new traffic entry: 150123Twork as @work\\.com$"));
}

// One compile per run: a rule that does not compile is reported once, not once per entry.
TEST_F(TrafficRulesTest, ABadRuleIsLoggedOncePerRun) {
    for (const char* key : {"150123Ta@x", "150123Hb@x", "150123Xc@x"})
        store(Slot::RawTraffic).addToTree(key, 1);
    plugin.recipientList.lines = {"broken=[x", "x=@x"};
    updateTrafficInfo(plugin);
    EXPECT_EQ(loggedCount("Traffic rule left out, its expression does not compile: broken=[x"), 1u);
    EXPECT_EQ(entries(Slot::Traffic).size(), 3u);
}

TEST_F(TrafficRulesTest, MergingKeepsTheEarliestCreationAndTheLatestChange) {
    StatEntry earlier{"150123Tw", 45000.2, 44990.0, 10, kMarkerStored, 1};
    ASSERT_TRUE(store(Slot::Traffic).tree().mergeRecord(earlier, 45000.0));
    StatEntry raw{"150123Tme@w", 45001.0, 44995.0, 5, kMarkerStored, 2};
    ASSERT_TRUE(store(Slot::RawTraffic).tree().mergeRecord(raw, 45000.0));
    plugin.recipientList.lines = {"w=@w"};
    updateTrafficInfo(plugin);
    const auto merged = store(Slot::Traffic).tree().find("150123Tw");
    ASSERT_TRUE(merged);
    EXPECT_EQ(merged->count, 3);
    EXPECT_EQ(merged->size, 15);
    EXPECT_DOUBLE_EQ(merged->cdate, 44990.0);
    EXPECT_DOUBLE_EQ(merged->mdate, 45001.0);
}

// The shut-down stores every changed item; the next start reads both files. What was folded
// must be counted once: neither a copy in Traffic's plain list nor raw entries left in the raw
// item's file may fold again.
TEST_F(TrafficRulesTest, AReloadDoesNotCountTheFoldedTrafficTwice) {
    plugin.recipientList.lines = {"work=@work"};
    store(Slot::RawTraffic).addToTree("150123Tme@work", 700);
    // As a store of every item before the update leaves it: the raw entry in its file.
    statItem(plugin, Slot::RawTraffic)->storeIfChanged();
    updateTrafficInfo(plugin);
    for (const Slot slot : {Slot::RawTraffic, Slot::Traffic})
        statItem(plugin, slot)->storeIfChanged();

    createItems();
    EXPECT_EQ(entries(Slot::Traffic), (Entries{{"150123Twork", 1, 700}}));
    EXPECT_EQ(store(Slot::RawTraffic).tree().countWords(), 0u);
    updateTrafficInfo(plugin);
    EXPECT_EQ(entries(Slot::Traffic), (Entries{{"150123Twork", 1, 700}}));

    store(Slot::RawTraffic).addToTree("160123Tyou@work", 5);
    updateTrafficInfo(plugin);
    for (const Slot slot : {Slot::RawTraffic, Slot::Traffic})
        statItem(plugin, slot)->storeIfChanged();
    createItems();
    EXPECT_EQ(entries(Slot::Traffic), (Entries{{"150123Twork", 1, 700}, {"160123Twork", 1, 5}}));
}

TEST_F(TrafficRulesTest, WithoutBothItemsNothingIsTouched) {
    store(Slot::RawTraffic).addToTree("150123Tme@work", 1);
    plugin.recipientList.lines = {"work=@work"};
    plugin.statItems[slotIndex(Slot::Traffic)].reset();
    updateTrafficInfo(plugin);
    EXPECT_THAT(logLines, Contains("updatetraffic has been cancelled (pointers are nil)"));
    EXPECT_THAT(logLines, Not(Contains("Updating traffic info...")));
    EXPECT_EQ(store(Slot::RawTraffic).tree().countWords(), 1u);
}

TEST(TrafficKey, DateAndTypeLetterThenTheRuleName) {
    EXPECT_EQ(namedTrafficKey("150123Tboss@work.com", "work"), "150123Twork");
    EXPECT_EQ(namedTrafficKey("1501", "w"), "1501w");
    EXPECT_EQ(namedTrafficKey("150123X", std::string(100, 'a')).size(), kMaxKeyLength);
}

}  // namespace
}  // namespace qbx::statistics
