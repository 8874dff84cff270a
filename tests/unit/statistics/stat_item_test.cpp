// Statistics items over the fake platform: creation and the dump, training that survives a
// store and reload, the sorter, the export through templates and the mailbox backup.
#include "statistics/stat_item.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/plugin.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSubsetOf;
using ::testing::Not;

constexpr const char* kStatDir = "C:\\QBX\\Statistics\\";
constexpr const char* kProgramDir = "C:\\Program Files\\The Bat!\\";

class StatItemTest : public ::testing::Test {
protected:
    StatItemTest() {
        plugin.settings.statisticsDir = kStatDir;
        plugin.settings.installDir = "C:\\QBX\\";
        plugin.settings.programDir = kProgramDir;
        plugin.settings.compressionLevel = 2;
        plugin.log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    }

    std::unique_ptr<StatItem> item(const std::string& name = "Spam", int index = 6) {
        return std::make_unique<StatItem>(plugin, kStatDir + name, index);
    }
    static std::string path(const std::string& name) { return kStatDir + name; }
    std::string dump(const std::string& name = "Spam") {
        return fake.files.contents(path(name) + ".dump.txt");
    }
    static StatEntry plain(std::string key, std::int32_t count, std::int32_t size,
                           double cdate = 45000.5, double mdate = 45000.5) {
        return StatEntry{std::move(key), mdate, cdate, size, kMarkerStored, count};
    }
    // (key, count) of the plain list in order.
    static std::vector<std::pair<std::string, std::int32_t>> plainList(const StatStore& s) {
        std::vector<std::pair<std::string, std::int32_t>> out;
        for (std::size_t i = 0; i < s.count(); ++i) out.emplace_back(s.key(i), s.cnt(i));
        return out;
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    std::vector<std::string> logLines;
};

TEST_F(StatItemTest, MissingFileGivesEmptyItemWithCreationLinesAndDump) {
    plugin.settings.dumpStatistics = true;
    auto spam = item();
    EXPECT_EQ(spam->store().tree().countWords(), 0u);
    EXPECT_THAT(
        (std::vector<std::string>{"Filename: C:\\QBX\\Statistics\\Spam", "Successfully created"}),
        IsSubsetOf(logLines));
    for (const char* line : {"12:00:00: Created\r\n", ": Branches: 0\r\n", ": Leaves: 0\r\n"})
        EXPECT_THAT(dump(), HasSubstr(line));
    spam.reset();
    EXPECT_THAT(dump(), HasSubstr(": Freeing\r\n"));
}

// What killed saves left behind is removed before the file is read; nothing else is.
TEST_F(StatItemTest, CreationRemovesStaleTemporariesOfItsOwnFileOnly) {
    auto first = item();
    first->addText("trained words", 4, false, 1);
    first->storeIfChanged();
    first.reset();
    const std::string stat = fake.files.contents(path("Spam.Stat"));

    const std::vector<std::string> stale = {"Spam.Stat.tmp1234.0", "Spam.Stat.tmp99.17",
                                            "SPAM.STAT.TMP5.5"};
    const std::vector<std::string> others = {
        "Spam.Stat.bad",     "Spam.Stat.tmp",       "Spam.Stat.tmp12",      "Spam.Stat.tmp12.",
        "Spam.Stat.tmp.1",   "Spam.Stat.tmpx.1",    "Spam.Stat.tmp1.2.bak", "Spam.Stat.tmp1.2x",
        "Spam.Stat.tmp-1.2", "Spam.Stat.tmp1 .2",   "NonSpam.Stat.tmp1.2",  "XSpam.Stat.tmp1.2",
        "Spam.Statz.tmp1.2", "Spam.dump.txt.tmp1.2"};
    for (const auto* names : {&stale, &others})
        for (const std::string& name : *names) fake.files.put(path(name), "part of a save");
    logLines.clear();
    auto spam = item();
    for (const std::string& name : stale) EXPECT_FALSE(fake.files.has(path(name))) << name;
    for (const std::string& name : others) EXPECT_TRUE(fake.files.has(path(name))) << name;
    EXPECT_EQ(fake.files.contents(path("Spam.Stat")), stat);
    EXPECT_EQ(spam->frequency("trained"), 1);
    const auto removed = std::find(logLines.begin(), logLines.end(),
                                   "Removed 3 stale temporary files of " + path("Spam.Stat"));
    EXPECT_LT(removed, std::find(logLines.begin(), logLines.end(),
                                 "TZStorage is about to load from " + path("Spam")));

    logLines.clear();
    item();  // nothing left: nothing said
    EXPECT_THAT(logLines, Not(Contains(HasSubstr("stale"))));
}

// Two sessions that cannot open a healthy file: neither replaces it with its own training,
// and each says why.
TEST_F(StatItemTest, AFileThatCannotBeOpenedIsNeverReplacedAndTheFailuresSayWhy) {
    auto healthy = item();
    for (int i = 0; i < 50; ++i) healthy->store().addToTree("trained" + decimal(i), 1);
    healthy->storeIfChanged();
    healthy.reset();
    const std::string stat = fake.files.contents(path("Spam.Stat"));
    const std::string file = path("Spam.Stat");

    const struct {
        const char* what;
        void (*prepare)(test::FakeFileSystem&, const std::string&);
        std::string reason;
    } cases[] = {
        {"no permission",
         [](test::FakeFileSystem& f, const std::string& p) { f.makeUnreadable(p); },
         "Access is denied."},
        {"a folder",
         [](test::FakeFileSystem& f, const std::string& p) {
             f.deleteFile(p);
             f.createDirectories(p);
         },
         "a folder is in its place"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.prepare(fake.files, file);
        for (int session = 0; session < 2; ++session) {
            logLines.clear();
            auto spam = item();
            EXPECT_THAT(logLines,
                        Contains("Cannot read " + file + " (" + c.reason +
                                 "): it is left as it is and not written in this session"));
            EXPECT_THAT(logLines, Contains("Cannot load entry!!!!!!!!! " + file + ": " + c.reason));
            spam->addText("new words of this session", 4, false, 1);
            spam->storeIfChanged();
            EXPECT_EQ(logLines.back(),
                      "***** ERROR!!! Can't store mad " + file +
                          ": not written in this session, as it could not be read (" + c.reason +
                          ")");
        }
        EXPECT_FALSE(fake.files.has(file + ".bad"));
        fake.files.unreadableFiles.clear();
    }
    EXPECT_FALSE(fake.files.has(file));  // the folder is all there is
}

TEST_F(StatItemTest, FailureLinesOfStoringAndOfTheItemLoopsNameTheItemAndTheReason) {
    auto spam = item();
    spam->addText("words", 4, false, 1);
    fake.files.failWrites = true;
    spam->storeIfChanged();
    EXPECT_EQ(logLines.back(), "***** ERROR!!! Can't store mad " + path("Spam.Stat") +
                                   ": There is not enough space on the disk.");
    EXPECT_TRUE(spam->store().dirty());

    struct Failing : StatisticsItem {
        void storeIfChanged() override { throw std::runtime_error("the disk is gone"); }
        void sortIfChanged() override { throw std::runtime_error("out of memory"); }
        void setSortByCount(bool) override {}
        void switchCheckOff() override {}
    };
    plugin.statItems[slotIndex(Slot::NonSpam)] = std::make_unique<Failing>();
    EXPECT_EQ(statItem(plugin, Slot::NonSpam), nullptr);  // an item, but not one of ours
    processAllItems(plugin, false);
    EXPECT_EQ(logLines.back(), "***** ERROR!!! Failed to store mad data NonSpam: the disk is gone");
    sortAllItems(plugin);
    EXPECT_EQ(logLines.back(), "***** ERROR!!! Failed to sort mad data NonSpam: out of memory");
}

TEST_F(StatItemTest, DumpFollowsTheSettingOfCreationAndTheCurrentOne) {
    auto quiet = item();  // created with the setting off: no dump file, ever
    plugin.settings.dumpStatistics = true;
    quiet->switchCheckOff();
    EXPECT_FALSE(fake.files.has(path("Spam.dump.txt")));

    auto loud = item("Words", 0);
    plugin.settings.dumpStatistics = false;
    loud->switchCheckOff();
    plugin.settings.dumpStatistics = true;
    loud->store().addToTree("hello", 1);
    loud->storeIfChanged();
    EXPECT_THAT(dump("Words"), AllOf(Not(HasSubstr("Check is off")), HasSubstr("> [hello]\r\n"),
                                     HasSubstr("Storing C:\\QBX\\Statistics\\Words.Stat...")));
}

TEST_F(StatItemTest, StoresOnlyWhenChanged) {
    auto words = item("Words", 0);
    words->storeIfChanged();
    EXPECT_FALSE(fake.files.has(path("Words.Stat")));

    // Words added straight into the tree count as a change and survive the next start.
    words->addTextToTree("letters about letters", 1, 0.0);
    words->storeIfChanged();
    EXPECT_TRUE(fake.files.has(path("Words.Stat")));
    EXPECT_FALSE(words->store().dirty());
    EXPECT_EQ(item("Words", 0)->frequency("letters"), 2);
}

TEST_F(StatItemTest, TrainingCountsTextsNotOccurrences) {
    auto spam = item();
    spam->addText("cheap pills, cheap watches", 4, false, 10);
    spam->addText("zebra cheap apple pills", 4, false, 10);
    // Known words are counted in place, new ones appended in the trie's order.
    using Row = std::pair<std::string, std::int32_t>;
    EXPECT_THAT(plainList(spam->store()),
                ElementsAre(Row{"cheap", 2}, Row{"pills", 2}, Row{"watches", 1}, Row{"apple", 1},
                            Row{"zebra", 1}));
    spam->storeIfChanged();

    auto reloaded = item();
    for (const auto& [word, n] : {std::pair{"cheap", 2}, {"pills", 2}, {"watches", 1}})
        EXPECT_EQ(reloaded->frequency(word), n) << word;
    EXPECT_EQ(reloaded->store().tree().find("cheap")->size, 30);  // weight x occurrences
    EXPECT_FALSE(reloaded->store().tree().rootIsEntry());
}

TEST_F(StatItemTest, TrainingStripsLatinAndKeepsNegativeWeightsUntilReload) {
    auto spam = item();
    spam->addText("hello \xEF\xF0\xE8\xE2\xE5\xF2 world", 4, true, -5);  // привет
    EXPECT_THAT(plainList(spam->store()),
                ElementsAre(std::pair<std::string, std::int32_t>("\xEF\xF0\xE8\xE2\xE5\xF2", 1)));
    EXPECT_EQ(spam->store().size(0), -5);
    spam->storeIfChanged();
    EXPECT_EQ(item()->store().tree().find("\xEF\xF0\xE8\xE2\xE5\xF2")->size, 0);
}

TEST_F(StatItemTest, SortsDescendingByCountOrBySizeAndMergesEqualKeys) {
    for (const bool byCount : {true, false}) {
        auto spam = item();
        spam->setSortByCount(byCount);
        spam->store().appendRecord(plain("a", 1, 300));
        spam->store().appendRecord(plain("b", 5, 100));
        spam->store().appendRecord(plain("c", 3, 200));
        spam->sortIfChanged();
        using List = std::vector<std::pair<std::string, std::int32_t>>;
        EXPECT_EQ(plainList(spam->store()), (byCount ? List{{"b", 5}, {"c", 3}, {"a", 1}}
                                                     : List{{"a", 1}, {"c", 3}, {"b", 5}}));
    }
    // Equal keys meeting at the gap are merged: with three records the first pass has gap 2,
    // so the two x records meet at once.
    auto spam = item();
    spam->store().appendRecord(plain("x", 1, 10, 45001.0, 45001.0));
    spam->store().appendRecord(plain("y", 5, 1));
    spam->store().appendRecord(plain("x", 2, 20, 45000.0, 45002.0));
    spam->sort();
    const StatStore& s = spam->store();
    ASSERT_EQ(s.count(), 3u);
    EXPECT_EQ(plainList(s),
              (std::vector<std::pair<std::string, std::int32_t>>{{"y", 5}, {"x", 3}, {"", 0}}));
    EXPECT_EQ(s.record(1), (StatEntry{"x", 45002.0, 45000.0, 30, s.record(1).marker, 3}));
}

TEST_F(StatItemTest, ExportStatusAndJoinedText) {
    auto words = item("Words", 0);
    for (const char* key : {"alpha", "beta", "gamma", "other"}) words->store().addToTree(key, 1);

    // A separator that holds a reference is trimmed like any expansion.
    const struct {
        const char *expression, *templ, *separator;
        int status;
        const char* text;
    } cases[] = {{"^(alpha|beta|gamma)$", "$$cnt", ",$$nl", 1, "1,\r\n2,\r\n3"},
                 {"zzz", "$$cnt", ",", 0, ""},
                 {"^o", "$$cnt. $$entry ($$val/$$size)", "", 1, "1. other (1/1)"},
                 {"a$", "[$$entry]", " $$cnt ", 1, "[alpha]2[beta]3[gamma]"}};
    for (const auto& c : cases) {
        const ExportResult r = words->exportEntries(c.expression, c.templ, c.separator);
        EXPECT_EQ(r.status, c.status) << c.expression;
        EXPECT_EQ(r.text, c.text) << c.expression;
    }
    EXPECT_EQ(plugin.variables.text("cnt"), "3");
    EXPECT_EQ(plugin.variables.text("entry"), "gamma");

    const ExportResult bad = words->exportEntries("(alpha", "$$entry", "");
    EXPECT_EQ(bad.status, -1);
    EXPECT_THAT(bad.text, HasSubstr("parenthesis"));

    // Dates drop the time at midnight.
    words->store().tree().mergeRecord(plain("dated", 1, 1, 45000.0, 45000.75), 45000.0);
    EXPECT_EQ(words->exportEntries("dated", "$$cdate|$$mdate", "").text,
              "15.03.2023|15.03.2023 18:00:00");
}

TEST_F(StatItemTest, ExportPutsKeysInLiterally) {
    auto words = item("Words", 0);
    words->store().addToTree("$$secret", 1);
    plugin.variables.storeStr("secret", "EXPANDED");
    plugin.variables.storeStr("dollar", "$");
    for (const char* templ : {"<$$entry>", "$$dollar$entry"}) {
        const ExportResult r = words->exportEntries("secret", templ, "");
        EXPECT_THAT(r.text, Not(HasSubstr("EXPANDED"))) << templ;
    }
    EXPECT_EQ(words->exportEntries("secret", "<$$entry>", "").text, "<$$secret>");
}

TEST_F(StatItemTest, MailboxBackupQuotesFromLinesEndsLinesWithLfAndNamesTheFileByTheMask) {
    plugin.settings.mailboxMask = "box.unix";
    plugin.settings.dumpStatistics = true;
    auto traffic = item("Traffic", 9);
    traffic->addMessage(
        "From: Ann <ann@example.com>\r\nSubject: hi\r\n\r\nFrom now on\r\n From me\r\n",
        "From: Ann <ann@example.com>\r\nSubject: hi\r\n");
    EXPECT_THAT(dump("Traffic"), HasSubstr(": Added letter (size: 67) \"\r\nFrom: Ann "
                                           "<ann@example.com>\r\nSubject: hi\r\n\"\r\n"));
    traffic->addMessage("Subject: anonymous\r\n\r\nbody", "Subject: anonymous\r\n");
    EXPECT_EQ(fake.files.contents(kProgramDir + std::string("box.unix")),
              "From: Ann <ann@example.com>\n>From: Ann <ann@example.com>\nSubject: hi\n\n"
              ">From now on\n From me\n"
              "From:\nSubject: anonymous\n\nbody\n");

    // The file name comes from the mask.
    plugin.variables.storeInt("year", 2023);
    plugin.variables.storeInt("month", 3);
    traffic->appendMessageToMailbox("x", "$$year.$$month.unix");
    traffic->appendMessageToMailbox("x", "D:\\Mail\\all.unix");
    EXPECT_TRUE(fake.files.has(kProgramDir + std::string("2023.3.unix")));
    EXPECT_TRUE(fake.files.has("D:\\Mail\\all.unix"));

    fake.files.failCreateFile = true;  // silent: the letter is lost, nothing is thrown
    EXPECT_NO_THROW(traffic->appendMessageToMailbox("x", "new.unix"));
}

TEST_F(StatItemTest, IgnoreStringIsCaseInsensitiveIncludingCyrillic) {
    auto traffic = item("Traffic", 9);
    const std::string header = "Subject: \xD1\xCF\xC0\xCC here\r\n";  // СПАМ
    const struct {
        bool on;
        const char* ignore;
        bool accepted;
    } cases[] = {{true, "\xF1\xEF\xE0\xEC", false},
                 {false, "\xF1\xEF\xE0\xEC", true},  // спам
                 {true, "", true},
                 {true, "eggs", true}};
    for (const auto& c : cases) {
        plugin.settings.mailboxIgnoreOn = c.on;
        plugin.settings.mailboxIgnoreText = c.ignore;
        EXPECT_EQ(traffic->acceptsMessage(header), c.accepted) << c.on << " " << c.ignore;
    }
}

TEST_F(StatItemTest, FactoryFillsSlotsAndTheLoopsStoreThem) {
    installStatistics(plugin);
    ASSERT_TRUE(plugin.factories.statisticsItem);
    plugin.statItems[slotIndex(Slot::Spam)] =
        plugin.factories.statisticsItem(plugin, path("Spam"), static_cast<int>(Slot::Spam));
    ASSERT_NE(statItem(plugin, Slot::Spam), nullptr);
    EXPECT_EQ(statItem(plugin, Slot::Words), nullptr);
    EXPECT_TRUE(statItem(plugin, 16) == nullptr && statItem(plugin, -1) == nullptr);

    statItem(plugin, Slot::Spam)->addText("viagra viagra", 4, false, 1);
    sortAllItems(plugin);  // sorting writes nothing
    EXPECT_FALSE(fake.files.has(path("Spam.Stat")));
    processAllItems(plugin, false);
    EXPECT_TRUE(fake.files.has(path("Spam.Stat")));
}

}  // namespace
}  // namespace qbx::statistics
