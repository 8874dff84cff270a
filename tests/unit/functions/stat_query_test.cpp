// STAT through the dispatcher: the entries of an enabled item through a template, and the three
// interface texts for an item switched off, a bad expression and an empty result.
#include "functions/counters/stat_query.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "statistics/stat_item.h"
#include "support/macro_fixture.h"

namespace qbx::functions::counters {
namespace {

class StatMacroTest : public test::MacroFixture {
protected:
    StatMacroTest() {
        plugin.settings.statisticsDir = "C:\\QBX\\Statistics\\";
        const auto slot = static_cast<std::size_t>(StatSlot::Senders);
        auto item = std::make_unique<statistics::StatItem>(
            plugin, plugin.settings.statisticsDir + "Senders", static_cast<int>(slot));
        item->store().addToTree("ann@x.org", 100);
        item->store().addToTree("ann@x.org", 200);
        item->store().addToTree("bob@y.org", 5);
        item->store().addToTree("carl@z.net", 7);
        plugin.statItems[slot] = std::move(item);
    }
};

TEST_F(StatMacroTest, AnswersWithTheEntriesOrItsInterfaceTexts) {
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;
    };
    const std::string missing = "statistics file is disabled or not present";
    const Case cases[] = {
        {{"16", ".", "$$entry", ""}, missing},
        {{"-1", ".", "$$entry", ""}, missing},
        {{"3", ".", "$$entry", ""}, missing},  // an item switched off: its slot is empty
        {{"4", "[ab", "$$entry", ""},
         "bad pattern specified (Unmatched [ or [^ in character class declaration.  The error "
         "occurred while parsing the regular expression: '[ab>>>HERE>>>'.)"},
        {{"4", "\\.org$", "", ","}, "not found"},  // every entry expands to nothing
        {{"4", "nobody", "$$entry", ","}, "not found"},
        {{"4", "\\.org$", "$$cnt:$$entry=$$val/$$size @$$cdate", ";$$nl"},
         "1:ann@x.org=2/300 @15.03.2023 12:00:00;\r\n2:bob@y.org=1/5 @15.03.2023 12:00:00"},
        {{"4", "z\\.net|y", "<$$entry>", "$$nl$$nl"}, "<bob@y.org>\r\n\r\n<carl@z.net>"},
    };
    for (const Case& c : cases) EXPECT_EQ(run("STAT", c.arguments), c.expected) << c.arguments[1];
}

}  // namespace
}  // namespace qbx::functions::counters
