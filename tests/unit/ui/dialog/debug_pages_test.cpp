// The read-outs and testers of the dialog's Misc, RegExp and script pages: the pure texts, then
// the form driving them through a fake view.
#include "ui/dialog/debug_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/strings.h"
#include "core/variables.h"
#include "support/fake_dialog_view.h"
#include "support/script_fixture.h"
#include "ui/dialog/pascal_highlight.h"
#include "ui/dialog/setup_controls.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

using Lines = std::vector<std::string>;

StringTable defaultStrings() {
    StringTable strings;
    strings.reset();
    return strings;
}

TEST(BriefStatistics, RowsAtFixedCounters) {
    const StringTable strings = defaultStrings();
    BriefCounters c;
    c.onlineSeconds = 3725;
    c.onlineSessions = 2;  // 1862.5 s: the half goes to the even 1862
    c.letters = 4;
    c.starts = 7;
    c.ends = 6;
    c.sessionSeconds = 100;
    c.totalSessionSeconds = 1000;
    c.endedSessionSeconds = 900;  // / 6 = 150
    c.totalBytes = 10240;
    c.headerBytes = 2048;
    c.textBytes = 4096;
    c.mouse = {12345, 2345.0};  // 234.5 cm -> 234; 23.45 mm/s -> 0.08442 km/h
    const GridRows rows = briefStatisticsRows(c, {6, 1, {}}, strings);
    const Lines values = {"1:02:05", "0:31:02", "4",     "7",    "6",      "0:01:40", "0:16:40",
                          "0:02:30", "10 Kb",   "2 Kb",  "4 Kb", "4 Kb",   "2 Kb",    "0 Kb",
                          "1 Kb",    "1 Kb",    "12345", "234",  "0.08442"};
    const int keys[] = {134, 135, 100, 101, 102, 103, 104, 105, 106, 107,
                        108, 109, 110, 111, 112, 113, 114, 115, 116};
    ASSERT_EQ(rows.size(), 19u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(rows[i].size(), 2u);
        EXPECT_EQ(rows[i][0], strings[keys[i]]);
        EXPECT_EQ(rows[i][1], values[i]);
    }
}

TEST(BriefStatistics, ZeroDivisorsGiveNotAvailable) {
    const StringTable strings = defaultStrings();
    BriefCounters c;
    c.totalBytes = 500;
    const GridRows rows = briefStatisticsRows(c, {0, 0, {}}, strings);
    ASSERT_EQ(rows.size(), 19u);
    for (const std::size_t i : {1u, 7u, 12u, 13u, 14u, 15u, 18u}) EXPECT_EQ(rows[i][1], "n/a") << i;
    EXPECT_EQ(rows[0][1], "0 sec");
    EXPECT_EQ(rows[8][1], "500 b");
    EXPECT_EQ(rows[11][1], "500 b");  // attachments: all that is not header or text
}

// The mean session is the mean of the sessions that ended: the running one has no length yet
// and is not among the ends counted.
TEST(BriefStatistics, MeanSessionIsOfTheEndedSessions) {
    const StringTable strings = defaultStrings();
    const struct {
        std::int64_t ended, ends;
        const char* mean;
    } cases[] = {
        {3600, 4, "0:15:00"}, {5, 2, "0:00:02"},  // 2.5: the half to the even neighbour
        {3600, 0, "n/a"},     {-7, 3, "n/a"},     // a damaged stored length
        {3600, -1, "n/a"},                        // a damaged count
    };
    for (const auto& t : cases) {
        BriefCounters c;
        c.sessionSeconds = 1000;
        c.totalSessionSeconds = t.ended + 1000;
        c.endedSessionSeconds = t.ended;
        c.ends = t.ends;
        EXPECT_EQ(briefStatisticsRows(c, {6, 0, {}}, strings)[7][1], t.mean)
            << t.ended << "/" << t.ends;
    }
}

TEST(RegexTester, ListsGroupOneOfEachMatch) {
    struct Case {
        const char* pattern;
        const char* text;
        Lines lines;
    };
    const Case cases[] = {
        {"(.*?)\\s", "one two three", {"one", "two"}},
        {"(\\w+)", "alpha beta", {"alpha", "beta"}},
        {"\\w+", "alpha beta", {"", ""}},  // no group: one empty line per match
        {"(z)", "abc", {""}},              // no match at all: one empty line
        {"x*", "ab", {"", "", ""}},        // empty matches still move on
        {"()", "ab", {"", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        const TesterResult result = searchPattern(c.pattern, c.text);
        EXPECT_EQ(result.lines, c.lines);
        EXPECT_FALSE(result.cut);
    }
}

TEST(RegexTester, CompileErrorIsOneLineWithItsPosition) {
    EXPECT_EQ(
        searchPattern("ab(cd", "abcd").lines,
        Lines{"Error in regexp at position 6 error: Unmatched marking parenthesis ( or \\(."});
    EXPECT_EQ(searchPattern("a{2,1}", "aa").lines.size(), 1u);
}

TEST(RegexTester, ASearchPastItsBoundSaysWhyInItsLastLine) {
    const TesterResult deep = searchPattern("(\\((?R)*\\))", std::string(20000, '('));
    ASSERT_EQ(deep.lines.size(), 1u);
    EXPECT_EQ(deep.lines[0], "Error in regexp: " + deep.gaveUp);
    EXPECT_NE(deep.gaveUp.find("Ran out of stack space"), std::string::npos);

    std::string text = "c ";
    for (int i = 0; i < 100; ++i) text += "ab";
    const TesterResult stopped =
        searchPattern("((a|b)*c)", text + "xc", kMaxTesterLines, [] { return false; });
    EXPECT_EQ(stopped.lines, (Lines{"c", "Error in regexp: " + stopped.gaveUp}));
    EXPECT_NE(stopped.gaveUp.find("The complexity of matching"), std::string::npos);
    EXPECT_TRUE(searchPattern("(b)", "abc", kMaxTesterLines, [] { return false; }).gaveUp.empty());
}

TEST(RegexTester, StopsAtTheLineBound) {
    const TesterResult result = searchPattern("(.)", std::string(50, 'a'), 10);
    EXPECT_EQ(result.lines.size(), 10u);
    EXPECT_TRUE(result.cut);
}

TEST(PascalHighlight, ColouredRanges) {
    using H = Highlight;
    struct Case {
        const char* source;
        std::vector<HighlightRange> ranges;
    };
    const Case cases[] = {
        {"2*2+(122.34-54.67)*123.5",
         {{0, 1, H::Number},
          {2, 1, H::Number},
          {5, 6, H::Number},
          {12, 5, H::Number},
          {19, 5, H::Number}}},
        {"BEGIN x := 'it''s'; end.", {{0, 5, H::Keyword}, {11, 7, H::String}, {20, 3, H::Keyword}}},
        {"{ c } (* d *) // e\r\nif",
         {{0, 5, H::Comment}, {6, 7, H::Comment}, {14, 4, H::Comment}, {20, 2, H::Keyword}}},
        {"s := 'a'#13#10'b' + $1F", {{5, 12, H::String}, {20, 3, H::Number}}},
        {"for i := 1..5e3 do",
         {{0, 3, H::Keyword}, {9, 1, H::Number}, {12, 3, H::Number}, {16, 2, H::Keyword}}},
        {"x := 'open\r\ny { open", {{5, 5, H::String}, {14, 6, H::Comment}}},
        {"endless beginner", {}},  // keywords only as whole words
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(highlightPascal(c.source), c.ranges);
    }
}

TEST(PascalHighlight, ColoursOnlyTheBoundedStart) {
    const std::string big = std::string(kMaxHighlightedBytes, ' ') + "begin";
    EXPECT_TRUE(highlightPascal(big).empty());
}

// ---- the pages through the form ---------------------------------------------------------------

class DebugPagesTest : public test::ScriptFixture {
protected:
    DebugPagesTest() {
        plugin.settings.installDir = "C:\\QBX\\";
        for (const ControlRow& row : setupControls()) {
            view.setCaption(row.name, defaultCaption(row));
            view.setItems(row.name, defaultItems(row));
        }
    }
    test::FakeDialogView view;
    std::unique_ptr<SetupForm> form;
    void create() {
        form = std::make_unique<SetupForm>(plugin, view);
        form->formCreate();
    }
};

TEST_F(DebugPagesTest, MacroListStartsWithTheVersionAndCount) {
    put("a.s", "@SCRIPT HELLO\r\n@LANG PAS\r\nbegin Result := 'hi' end.\r\n");
    start();
    create();
    const std::string list = view["mlist"].text;
    EXPECT_EQ(list.rfind("Quilbex 2.4.1202 Summer edition\r\nTotal amount of macros: ", 0), 0u);
    EXPECT_NE(list.find("\r\nFNHELLO\r\n"), std::string::npos);
    // The count line tells the lines that follow it.
    const std::size_t second = list.find("\r\n") + 2;
    const std::size_t countEnd = list.find("\r\n", second);
    const std::string count = list.substr(second + 24, countEnd - second - 24);
    std::size_t names = 0;
    for (std::size_t at = countEnd + 2; (at = list.find("\r\n", at)) != std::string::npos; at += 2)
        ++names;
    EXPECT_EQ(count, std::to_string(names));
}

// The form reads the running session and the stored length apart: the total row adds them, the
// mean row divides the stored one.
TEST_F(DebugPagesTest, BriefStatisticsTakeTheSessionsFromTheSettings) {
    plugin.settings.timeDisplayUnit = 6;  // hh:mm:ss
    plugin.settings.totalSessionSeconds = 3600;
    plugin.settings.endCount = 4;
    plugin.startTime = 45000.0;
    fake.clock.dateTime = 45000.0 + 1000.0 / 86400.0;
    create();
    const auto& rows = view["stat"].rows;
    ASSERT_EQ(rows.size(), 19u);
    EXPECT_EQ(rows[5][1], "0:16:40");  // this session
    EXPECT_EQ(rows[6][1], "1:16:40");  // with the earlier ones
    EXPECT_EQ(rows[7][1], "0:15:00");  // 3600 / 4
}

TEST_F(DebugPagesTest, VariablesGridShowsTempAndSavedEntries) {
    plugin.variables.reset();
    plugin.variables.storeTempInt("counter", 42);
    plugin.variables.storeStr("greeting", "hello");
    create();
    EXPECT_EQ(view["VariableList"].header, (Lines{"Name", "Type", "Status", "Value"}));
    const auto& rows = view["VariableList"].rows;
    ASSERT_EQ(rows.size(), 4u);  // the two presets first
    EXPECT_EQ(rows[2], (Lines{"counter", "Integer", "Temp", "42"}));
    EXPECT_EQ(rows[3], (Lines{"greeting", "String", "Permanent", "hello"}));
}

TEST_F(DebugPagesTest, TesterThroughTheControls) {
    create();
    EXPECT_EQ(view["Edit8"].text, "(.*?)\\s");
    view["srctxt"].text = "red green blue";
    form->controlChanged("Button5");
    EXPECT_EQ(view["dsttxt"].text, "red\r\ngreen\r\n");
    view["Edit8"].text = "(";
    form->controlChanged("Button5");
    EXPECT_EQ(view["dsttxt"].text.rfind("Error in regexp at position 2 error: ", 0), 0u);

    // A search that gives up on its bounds: the list and the log give the library's reason.
    std::vector<std::string> log;
    plugin.log.setMirror([&](const std::string& line) { log.push_back(line); });
    view["Edit8"].text = "(\\((?R)*\\))";
    view["srctxt"].text = std::string(20000, '(');
    form->controlChanged("Button5");
    plugin.log.setMirror(nullptr);
    EXPECT_EQ(view["dsttxt"].text.rfind("Error in regexp: Ran out of stack space", 0), 0u);
    EXPECT_EQ(std::count_if(log.begin(), log.end(),
                            [](const std::string& line) {
                                return line.find("Regexp tester: Ran out of stack space") !=
                                       std::string::npos;
                            }),
              1);

    fake.files.put("C:\\in.txt", "loaded text ");
    view.openAnswer = "C:\\in.txt";
    form->controlChanged("Button3");
    EXPECT_EQ(view["srctxt"].text, "loaded text ");
}

TEST_F(DebugPagesTest, ScriptsGridRunAndSource) {
    put("a.s",
        "@SCRIPT HELLO\r\n@LANG PAS\r\nbegin Result := 'hi' end.\r\n"
        "@SCRIPT VB\r\n@LANG VB\r\nFunction Main\r\nEnd Function\r\n");
    start();
    create();
    EXPECT_EQ(view["ScrSource"].text, "2*2+(122.34-54.67)*123.5");
    EXPECT_EQ(view["ScrSource"].highlights.size(), 5u);
    const auto& rows = view["ScriptsList"].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (Lines{"HELLO", "Pascal", "A.S"}));
    EXPECT_EQ(rows[1], (Lines{"VB", "VBscript", "A.S"}));

    form->controlChanged("ScriptsList", 0);
    EXPECT_EQ(view["ScrSource"].text, "begin Result := 'hi' end.");
    EXPECT_EQ(view["ScrSource"].highlights.size(), 3u);  // begin, 'hi', end
    form->controlChanged("RunScript");
    EXPECT_EQ(view["OutputStr"].text, "Result: [hi]");

    form->controlChanged("ScriptsList", 1);  // another language: shown plain
    EXPECT_TRUE(view["ScrSource"].highlights.empty());
    // The save command is never offered.
    EXPECT_FALSE(view["UpdateCh"].enabled && findControl("UpdateCh")->handler);
}

}  // namespace
}  // namespace qbx::ui

namespace qbx::ui {
namespace {

TEST_F(DebugPagesTest, StatisticsSearchWithoutAnItem) {
    create();
    EXPECT_EQ(view["cb2"].items.size(), 16u);
    EXPECT_EQ(view["cb2"].selection, 0);
    EXPECT_EQ(view["Edit10"].text, "[$$entry]");
    EXPECT_EQ(view["Edit11"].text, "$$nl");
    view["Label12"].caption = "untouched";
    view["cb2"].selection = -1;
    form->controlChanged("Edit7");
    EXPECT_EQ(view["Label12"].caption, "untouched");
    view["cb2"].selection = 3;
    form->controlChanged("Edit10");
    EXPECT_EQ(view["Label12"].caption, "Not present");
}

}  // namespace
}  // namespace qbx::ui

namespace qbx::ui {
namespace {

TEST(SpamTester, VerdictLines) {
    const StringTable strings = defaultStrings();
    EXPECT_EQ(spamVerdictText(-1, strings),
              "Spam score: -1\r\nAntispam functions has been disabled\r\n");
    EXPECT_EQ(spamVerdictText(50, strings),
              "Spam score: 50\r\nAntispam engine suggests this text as spam\r\n");
    EXPECT_EQ(spamVerdictText(49, strings),
              "Spam score: 49\r\nAntispam engine suggests this text as NON-spam\r\n");
    EXPECT_EQ(tokenScoreLine(0.987, "viagra"), "0.99 viagra");
    EXPECT_EQ(tokenScoreLine(-1, "x"), "-1.00 x");
}

TEST_F(DebugPagesTest, SpamTesterAndTrainerWithoutItems) {
    create();
    view["AntiSpamSettings"].text = "cheap pills now";
    form->controlChanged("AntiSpamSettings");  // the filter is off
    EXPECT_EQ(view["SpamInfo"].text, "Spam score: -1\r\nAntispam functions has been disabled\r\n");
    EXPECT_EQ(view["TOkenList"].text, "1111");

    plugin.settings.antispamActive = true;  // on, but nothing trained: neutral
    form->controlChanged("AntiSpamSettings");
    EXPECT_EQ(view["SpamInfo"].text,
              "Spam score: 50\r\nAntispam engine suggests this text as spam\r\n");

    form->controlChanged("MarkAsSpam");
    EXPECT_EQ(view["SpamInfo"].text, "Antispam functions has been disabled");
    form->controlChanged("ClearText");
    EXPECT_EQ(view["AntiSpamSettings"].text, "");
}

}  // namespace
}  // namespace qbx::ui

#include "statistics/stat_item.h"

namespace qbx::ui {
namespace {

TEST_F(DebugPagesTest, TrainingThenSearchingTheSpamItem) {
    statistics::installStatistics(plugin);
    plugin.settings.statisticsDir = "C:\\QBX\\";
    plugin.statItems[6] = std::make_unique<statistics::StatItem>(plugin, "C:\\QBX\\Spam", 6);
    plugin.settings.antispamActive = true;
    create();
    view["AntiSpamSettings"].text = "Cheap Pills tonight";
    form->controlChanged("AntiSpamSettings");
    // The scratch item holds the text's words, each listed with its probability.
    const std::string tokens = view["TOkenList"].text;
    EXPECT_EQ(tokens.rfind("1111\r\n", 0), 0u);
    EXPECT_NE(tokens.find(" cheap"), std::string::npos);
    EXPECT_NE(tokens.find(" tonight"), std::string::npos);

    form->controlChanged("MarkAsSpam");
    EXPECT_EQ(view["SpamInfo"].text,
              "Database changes will updated next time when The Bat will started");
    // The search reads the item's tree, which training reaches only at the next start.
    statistics::statItem(plugin, 6)->addTextToTree("pills tonight", 1, 0.0);
    view["cb2"].selection = 6;
    view["Edit7"].text = "^pil";
    view["Edit10"].text = "[$$entry]";
    view["Edit11"].text = ",";
    form->controlChanged("Edit7");
    EXPECT_EQ(view["Label12"].caption, "Found");
    EXPECT_EQ(view["Memo1"].text, "[pills]");
    view["Edit7"].text = "(";
    form->controlChanged("Edit7");
    EXPECT_EQ(view["Label12"].caption, "Bad pattern");
}

}  // namespace
}  // namespace qbx::ui

namespace qbx::ui {
namespace {

TEST(StatisticsViewer, DumpAndTrafficLines) {
    EXPECT_EQ(dumpLine(42, "word"), "      42                 word");
    EXPECT_EQ(dumpLine(-3, std::string(22, 'k')), "      -3 " + std::string(22, 'k'));
    EXPECT_EQ(trafficTableLine(1, "bob", 1024, 7),
              "| 1   | bob                       | 1024   | 7   |");
}

TEST_F(DebugPagesTest, DebugPageButtons) {
    statistics::installStatistics(plugin);
    plugin.statItems[9] = std::make_unique<statistics::StatItem>(plugin, "C:\\QBX\\Traffic", 9);
    statistics::statItem(plugin, 9)->addTextToTree("alpha", 3, 0.0);
    create();
    EXPECT_EQ(view["Edit5"].text, "metogy");
    view["cb1"].selection = 2;  // an item that is off
    form->controlChanged("Dump");
    EXPECT_EQ(view["ds"].text, "This statistics is empty");
    view["cb1"].selection = 9;
    form->controlChanged("Dump");
    EXPECT_EQ(view["ds"].text, "Branches: 5\r\nLeaves: 1\r\n       1                alpha");
    form->controlChanged("Panel3");
    EXPECT_EQ(view["ds"].text, "| 1   | alpha                     | 3      | 1   |");

    form->controlChanged("Butt");
    EXPECT_EQ(view["debuglist"].text, "Spam score: -1");
    form->controlChanged("Edit5");  // the filter is off: no information
    EXPECT_EQ(view["Label3"].caption, "Mark: -1.000");

    fake.clock.dateTime = 45000.5;  // 2023-03-15 12:00 local
    view["ds"].text =
        "Received: from b by c; Wed, 15 Mar 2023 11:00:00 +0000\r\n"
        "Received: from a by b; Wed, 15 Mar 2023 10:30:00 +0000\r\n"
        "Date: Wed, 15 Mar 2023 10:00:00 +0000\r\n";
    form->controlChanged("SpeedButton2");
    const std::string lines = view["debuglist"].text;
    EXPECT_EQ(lines.rfind("1-2: ", 0), 0u);
    EXPECT_NE(lines.find("\r\n2-3: "), std::string::npos);
    EXPECT_NE(lines.find("\r\n------------\r\n1-5: "), std::string::npos);
}

}  // namespace
}  // namespace qbx::ui
