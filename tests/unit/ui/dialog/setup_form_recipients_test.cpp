// The recipient list of the settings dialog as a name=value grid: filled from recipients.txt,
// every edit reaching the Plugin's list and the recipient filter at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/plugin.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/recipient_filter.h"
#include "ui/dialog/setup_controls.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

using Lines = std::vector<std::string>;
using Rows = std::vector<Lines>;

constexpr const char* kInstall = "C:\\Mail\\Plugins\\";

class SetupFormRecipients : public ::testing::Test {
protected:
    SetupFormRecipients() {
        plugin.strings.reset();
        plugin.settings.installDir = kInstall;
        plugin.recipientFilter = std::make_unique<RecipientRegexFilter>();
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
        for (const ControlRow& row : setupControls()) {
            view.setCaption(row.name, defaultCaption(row));
            view.setItems(row.name, defaultItems(row));
        }
        fake.files.put(std::string(kInstall) + "recipients.txt",
                       "work=@work\\.com$\r\nhome=me@home\\.org\r\nplain@list\\.org\r\n");
        form.formCreate();
        log.clear();
    }
    ~SetupFormRecipients() override { plugin.log.setMirror(nullptr); }

    bool logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    // What the window does after the user changed the grid.
    void userSets(const Rows& rows) {
        view["vle"].rows = rows;
        form.controlChanged("vle");
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    test::FakeDialogView view;
    SetupForm form{plugin, view};
    Lines log;
};

TEST_F(SetupFormRecipients, TheGridIsFilledFromTheFileUnderItsTwoTitles) {
    EXPECT_EQ(view["vle"].header, (Lines{"Entry name", "Address or regexp"}));
    EXPECT_EQ(
        view["vle"].rows,
        (Rows{{"work", "@work\\.com$"}, {"home", "me@home\\.org"}, {"", "plain@list\\.org"}}));
}

// Each edit as the window reports it: the rows after it, the lines the Plugin then holds and
// the expression the filter gets.
struct EditCase {
    const char* what;
    Rows rows;
    Lines lines;
    const char* expression;
};

TEST_F(SetupFormRecipients, EachEditReachesTheListAndTheExpressionAtOnce) {
    const EditCase cases[] = {
        {"value edited",
         {{"work", "@work\\.net$"}, {"home", "me@home\\.org"}, {"", "plain@list\\.org"}},
         {"work=@work\\.net$", "home=me@home\\.org", "plain@list\\.org"},
         "((@work\\.net$)|(me@home\\.org)|(plain@list\\.org))"},
        {"row added, name only",
         {{"work", "@work\\.net$"},
          {"home", "me@home\\.org"},
          {"", "plain@list\\.org"},
          {"club", ""}},
         {"work=@work\\.net$", "home=me@home\\.org", "plain@list\\.org"},
         "((@work\\.net$)|(me@home\\.org)|(plain@list\\.org))"},
        {"row added, value typed",
         {{"work", "@work\\.net$"},
          {"home", "me@home\\.org"},
          {"", "plain@list\\.org"},
          {"club", "@club\\.ru"}},
         {"work=@work\\.net$", "home=me@home\\.org", "plain@list\\.org", "club=@club\\.ru"},
         "((@work\\.net$)|(me@home\\.org)|(plain@list\\.org)|(@club\\.ru))"},
        {"row deleted",
         {{"work", "@work\\.net$"}, {"", "plain@list\\.org"}, {"club", "@club\\.ru"}},
         {"work=@work\\.net$", "plain@list\\.org", "club=@club\\.ru"},
         "((@work\\.net$)|(plain@list\\.org)|(@club\\.ru))"},
        {"nameless value holding =", {{"", "a=b"}}, {"=a=b"}, "((a=b))"},
        {"every row deleted", {}, {}, "()"},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        userSets(c.rows);
        EXPECT_EQ(plugin.recipientList.lines, c.lines);
        EXPECT_TRUE(logged(std::string("fsrx: ") + c.expression));
    }
}

TEST_F(SetupFormRecipients, TheFilterFollowsTheGridWithoutAHide) {
    EXPECT_FALSE(plugin.recipientFilter->matches("boss@club.ru"));
    userSets({{"club", "@club\\.ru$"}});
    EXPECT_TRUE(plugin.recipientFilter->matches("boss@club.ru"));
    EXPECT_FALSE(plugin.recipientFilter->matches("boss@work.com"));
    // The file changes only when the dialog is hidden.
    EXPECT_EQ(fake.files.contents(std::string(kInstall) + "recipients.txt"),
              "work=@work\\.com$\r\nhome=me@home\\.org\r\nplain@list\\.org\r\n");
    form.formHide();
    EXPECT_EQ(fake.files.contents(std::string(kInstall) + "recipients.txt"),
              "club=@club\\.ru$\r\n");
}

// What the in-place editor may store in a cell of the three rows read from the file.
struct CellCase {
    int row, column;
    std::string typed;
    std::optional<std::string> kept;  // nothing: refused
    const char* logLine;              // "" when nothing is logged
};

TEST_F(SetupFormRecipients, TheCellEditorIsToldWhatACellMayHold) {
    const CellCase cases[] = {
        {0, 0, "office", "office", ""},
        {0, 0, "work", "work", ""},  // the row's own name
        {2, 0, "HOME", std::nullopt, "Entry name refused, another row has it: HOME"},
        {2, 0, "a=b", std::nullopt, "Entry name refused, it holds \"=\": a=b"},
        {1, 0, "", "", ""},  // a line without "="
        {0, 1, "x=y", "x=y", ""},
        {0, 1, "first\r\nsecond", "first", ""},
        {0, 1, std::string(1500, 'v'), std::string(kMaxValueListCell, 'v'), ""},
        {3, 0, "new", std::nullopt, ""},  // no such row
        {0, 2, "x", std::nullopt, ""},    // no such column
    };
    for (const CellCase& c : cases) {
        SCOPED_TRACE(c.typed.substr(0, 20));
        log.clear();
        EXPECT_EQ(form.valueListCell("vle", c.row, c.column, c.typed), c.kept);
        if (*c.logLine) {
            EXPECT_EQ(log, Lines{c.logLine});
        } else {
            EXPECT_TRUE(log.empty());
        }
    }
    // Two rows without a name both stand.
    view["vle"].rows[0][0] = "";
    EXPECT_EQ(form.valueListCell("vle", 1, 0, ""), std::string());
}

TEST_F(SetupFormRecipients, ALanguageSwitchRetitlesTheColumnsAndKeepsTheRows) {
    plugin.strings.set(178, "Name");
    plugin.strings.set(179, "Adresse");
    form.reinitform();
    EXPECT_EQ(view["vle"].header, (Lines{"Name", "Adresse"}));
    EXPECT_EQ(view["vle"].rows.size(), 3u);
}

TEST(RecipientRows, LinesAndRowsMapBothWays) {
    const Lines lines = {"a=1", "plain", "=x=y", "b=", "  ", "c=v=w"};
    EXPECT_EQ(recipientRowsOf(lines),
              (Rows{{"a", "1"}, {"", "plain"}, {"", "x=y"}, {"b", ""}, {"", "  "}, {"c", "v=w"}}));
    // Rows without a value are no rules yet; the others come back as they were read.
    EXPECT_EQ(recipientLinesOfRows(recipientRowsOf(lines)),
              (Lines{"a=1", "plain", "=x=y", "c=v=w"}));

    const Lines many(kMaxValueListRows + 5, "n=" + std::string(3000, 'v'));
    const Rows rows = recipientRowsOf(many);
    ASSERT_EQ(rows.size(), kMaxValueListRows);
    EXPECT_EQ(rows[0][1].size(), kMaxValueListCell);
}

}  // namespace
}  // namespace qbx::ui
