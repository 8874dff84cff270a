#include "ui/dialog/setup_form.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "base/ini_file.h"
#include "core/language.h"
#include "core/plugin.h"
#include "core/settings.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/recipient_filter.h"
#include "ui/dialog/setup_controls.h"

namespace qbx::ui {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kInstall = "C:\\Mail\\Plugins\\";

struct FakeTray final : TrayModule {
    void installExceptionHandler() override {}
    void removeExceptionHandler() override {}
    void clearMessageHandler() override {}
    void setTrayVisible(bool visible) override { calls.push_back(visible ? "shown" : "hidden"); }
    bool trayVisible() const override { return true; }
    void setSetupItemCaption(const std::string&) override {}
    void showBalloon(const std::string& title, const std::string& text, int seconds) override {
        calls.push_back("balloon " + title + " | " + text + " | " + std::to_string(seconds));
    }
    void setMouseTracking(bool on) override { calls.push_back(on ? "tracking" : "no tracking"); }
    void setIconMode(std::int32_t mode) override {
        calls.push_back("icon mode " + std::to_string(mode));
    }
    TrayMenu* trayMenu() override { return nullptr; }
    Lines calls;
};

struct FakeItem final : StatisticsItem {
    FakeItem(Lines& journal, int index) : journal_(journal), index_(std::to_string(index)) {}
    void storeIfChanged() override { journal_.push_back("store " + index_); }
    void sortIfChanged() override { journal_.push_back("sort " + index_); }
    void setSortByCount(bool) override {}
    void switchCheckOff() override {}
    Lines& journal_;
    std::string index_;
};

class SetupFormTest : public ::testing::Test {
protected:
    SetupFormTest() {
        plugin.strings.reset();
        plugin.settings.installDir = kInstall;
        plugin.settings.partsDir = std::string(kInstall) + "UC\\";
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
        // The controls as the window builds them from the table.
        for (const ControlRow& row : setupControls()) {
            view.setCaption(row.name, defaultCaption(row));
            view.setItems(row.name, defaultItems(row));
        }
    }
    ~SetupFormTest() override { plugin.log.setMirror(nullptr); }

    bool logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    FakeTray& addTray() {
        auto tray = std::make_unique<FakeTray>();
        FakeTray& ref = *tray;
        plugin.trayModule = std::move(tray);
        return ref;
    }
    std::string stored(const char* name) {
        saveSettings(plugin.settings, SettingsIo{plugin.platform, plugin.log});
        return fake.registry.get(kSettingsKey, name);
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    test::FakeDialogView view;
    SetupForm form{plugin, view};
    Lines log;
};

// What the user does to a control, and what the registry holds for it after the next save. The
// cases run in turn on one form.
struct BoundCase {
    const char* control;
    const char* input;  // "+"/"-" check or uncheck, "#n" pick item n, else the typed text
    const char* value;  // registry value name
    const char* expected;
};

// clang-format off
constexpr BoundCase kBoundCases[] = {
    {"OSDb",                 "+",  "Enable on-screen debug display", "1"},
    {"UseAllSpamWords",      "-",  "noigspam", "0"},
    {"NoQuotes",             "-",  "igquotes", "0"},
    {"NoCyrillic",           "+",  "igcyrillic", "1"},
    {"NoLatin",              "+",  "iglatin", "1"},
    {"SpinEdit1",            "x",  "stMinLen", "5"},    // no number: unchanged
    {"SpinEdit1",            "7",  "stMinLen", "7"},
    {"SpinEdit1",            "99", "stMinLen", "25"},   // held to the spin edit's bounds
    {"SpinEdit1",            "1",  "stMinLen", "2"},
    {"ShowSplash",           "+",  "splashmode", "1"},
    {"uuecenabled",          "-",  "UUEC", "0"},
    {"TrayIconMode",         "#1", "traymode", "1"},
    {"TrayIconMode",         "#-1","traymode", "0"},
    {"AutoUpdateStatistics", "+",  "Update statistics after receiveing a mail", "1"},
    {"DoMadBackup",          "+",  "MAD backup enabled", "1"},
    {"ParaFilename",         "$$year.mbox", "The MAD mask", "$$year.mbox"},
    {"ParaIgnore",           "+",  "MAD ignore specific strings", "1"},
    {"ParaIgnoreText",       "[SPAM]", "The MAD ignore string", "[SPAM]"},
    {"daysinterval",         "30", "ucInterval", "30"},
    {"daysinterval",         "0",  "ucInterval", "1"},
    {"TrackMouseCursor",     "+",  "sMouseTracking", "1"},
    {"mw",                   "400","mmWidth", "400"},
    {"mh",                   "9000","mmHeight", "5000"},
    {"CompressionOptions",   "#0", "CompressionLevel", "0"},
    {"calcdetailedtraffic",  "+",  "Look for recipients", "1"},
    {"TimeFormatUnitSelect", "#9", "sttKind", "9"},
    {"TimeFormatUnitSelect", "#-1","sttKind", "0"},     // nothing chosen: the first unit
    {"FileSizeUnitSelect",   "#3", "stbKind", "3"},
    {"WINMOD",               "-",  "gk_WIN", "0"},
    {"ALTMOD",               "+",  "gk_ALT", "1"},
    {"SHMOD",                "+",  "gk_SH", "1"},
    {"CTRLMOD",              "-",  "gk_CTRL", "0"},
    {"gk_ks",                "#120", "gk_KEY", "120"},
    {"gk_ks",                "#-1","gk_KEY", "0"},
    {"Top10cb",              "+",  "useTop10", "1"},
    {"TrimSpaces",           "+",  "doTrim", "1"},
    {"TrimNumbers",          "+",  "doNum", "1"},
    {"TrimExtensions",       "+",  "doExt", "1"},
    {"sdump",                "+",  "Dump Statistics", "1"},
};
// clang-format on

TEST_F(SetupFormTest, EachBoundControlWritesItsSetting) {
    for (const BoundCase& c : kBoundCases) {
        SCOPED_TRACE(std::string(c.control) + " " + c.input);
        const std::string input = c.input;
        if (input == "+" || input == "-")
            view.setChecked(c.control, input == "+");
        else if (input[0] == '#')
            view.setSelection(c.control, std::stoi(input.substr(1)));
        else
            view.setText(c.control, input);
        form.controlChanged(c.control);
        EXPECT_EQ(stored(c.value), c.expected);
    }
}

TEST_F(SetupFormTest, EveryBoundRowHasItsCase) {
    std::set<std::string> covered;
    for (const BoundCase& c : kBoundCases) covered.insert(c.control);
    for (const ControlRow& row : setupControls()) {
        if (!std::holds_alternative<std::monostate>(row.setting)) {
            EXPECT_EQ(covered.count(row.name), 1u) << row.name;
        }
    }
}

TEST_F(SetupFormTest, StatisticsListStoresTheCheckedItemsAsFlags) {
    form.reinitform();
    EXPECT_EQ(view["StatisticsLists"].items[6], "By spam tokens");
    for (const int fixed : {5, 7, 8}) EXPECT_FALSE(view["StatisticsLists"].itemEnabled[fixed]);
    for (const int i : {0, 3, 6, 13}) view.setItemChecked("StatisticsLists", i, true);
    form.controlChanged("StatisticsLists");
    EXPECT_EQ(plugin.settings.statisticsFlags, 8265);
    EXPECT_TRUE(logged("Mad flags: 2049 (8265)"));
}

// The tray follows the chosen mode at once: its icon set (and whether it shows) is the tray's
// to choose from the mode and the connection.
TEST_F(SetupFormTest, ChoosingATrayModeHandsItToTheTray) {
    FakeTray& tray = addTray();
    view.setSelection("TrayIconMode", 0);
    form.controlChanged("TrayIconMode");
    view.setSelection("TrayIconMode", 1);
    form.controlChanged("TrayIconMode");
    EXPECT_EQ(tray.calls, (Lines{"icon mode 0", "icon mode 1"}));
    EXPECT_EQ(plugin.settings.trayIconMode, 1);
}

TEST_F(SetupFormTest, TurnOnWithoutTheSpamItemLeavesTheFilterOffAtTheNextStart) {
    FakeTray& tray = addTray();
    fake.registry.set(kSettingsKey, "Statistics reset", "88");
    fake.registry.set(kSettingsKey, "InstallDir", kInstall);
    fake.files.createDirectories(kInstall);
    plugin.settings.statisticsFlags = 64 + 8;
    form.reinitform();
    view.setItemChecked("StatisticsLists", 6, false);
    form.controlChanged("StatisticsLists");
    form.controlChanged("TurnOn");
    EXPECT_TRUE(plugin.settings.enableAntispam);
    EXPECT_EQ(plugin.settings.enabledItems & 0xC0, 0xC0);
    EXPECT_EQ(tray.calls,
              Lines{"balloon Quilbex 2.4.1202 Summer edition | Please restart TheBat! | 25"});

    saveSettings(plugin.settings, SettingsIo{plugin.platform, plugin.log});
    Settings next;
    loadSettings(next, SettingsIo{plugin.platform, plugin.log});
    EXPECT_TRUE(next.enableAntispam);
    EXPECT_FALSE(next.antispamActive);

    form.controlChanged("TurnOff");
    EXPECT_FALSE(plugin.settings.enableAntispam);
    EXPECT_EQ(plugin.settings.enabledItems & 0xC0, 0);
}

TEST_F(SetupFormTest, ChoosingALanguageAppliesAndStoresItAtOnce) {
    FakeTray& tray = addTray();
    fake.files.put(std::string(kInstall) + "German.zlf",
                   "[Strings]\n199=Deutsch\n200=Hans\n191=Sprache\n194=Deutsch ist aktiv\n"
                   "[CheckBoxes]\nShowSplash=Startbild zeigen\n");
    fake.files.put(std::string(kInstall) + "english.zlf", "[Strings]\n199=English\n");
    form.formCreate();
    const auto& rows = view["langlist"].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1], (Lines{"Deutsch", "Hans", "german.zlf"}));
    EXPECT_EQ(view.selection("langlist"), 0);  // "english.zlf", the setting's default
    EXPECT_EQ(view["langlist"].header, (Lines{"Language", "Author", "Filename"}));

    form.controlChanged("langlist", 1);
    EXPECT_EQ(plugin.settings.languageFile, "german.zlf");
    EXPECT_EQ(fake.registry.get(kSettingsKey, "sLangFile"), "german.zlf");
    EXPECT_EQ(view.caption("ShowSplash"), "Startbild zeigen");
    EXPECT_EQ(view.text("Edit1"), "Deutsch");
    EXPECT_EQ(view.selection("langlist"), 1);
    EXPECT_TRUE(logged("Language is now german.zlf"));
    EXPECT_EQ(tray.calls.back(), "balloon Sprache | Deutsch ist aktiv | 20");
}

// The export replaces the chosen file only with a whole new one: a write that fails (a full
// disk) leaves the user's language file as it was.
TEST_F(SetupFormTest, TheLanguageExportNeverLosesTheChosenFile) {
    const std::string chosen = std::string(kInstall) + "mine.zlf";
    fake.files.put(chosen, "[Strings]\r\n199=Mine\r\n");
    plugin.settings.languageFile = "mine.zlf";
    view.saveAnswer = chosen;
    fake.files.failWrites = true;
    form.controlChanged("SaveLang");
    EXPECT_EQ(view.proposedFile, chosen);
    EXPECT_EQ(fake.files.contents(chosen), "[Strings]\r\n199=Mine\r\n");
    EXPECT_TRUE(logged("The language file " + chosen + " could not be written"));
    fake.files.failWrites = false;
    form.controlChanged("SaveLang");
    EXPECT_NE(fake.files.contents(chosen).find("199=english (built-in)"), std::string::npos);
}

TEST_F(SetupFormTest, ClicksOutsideTheLanguageRowsChooseNothing) {
    fake.files.put(std::string(kInstall) + "german.zlf", "[Strings]\n199=Deutsch\n");
    form.formCreate();
    for (const int row : {-1, 1, 7}) form.controlChanged("langlist", row);
    EXPECT_EQ(plugin.settings.languageFile, "english.zlf");
    EXPECT_FALSE(fake.registry.has(kSettingsKey, "sLangFile"));
}

TEST_F(SetupFormTest, WithoutLanguageFilesTheGridHasNoSelectedRow) {
    form.formCreate();
    EXPECT_TRUE(view["langlist"].rows.empty());
    EXPECT_EQ(view.selection("langlist"), -1);
    form.controlChanged("langlist", 0);
    EXPECT_EQ(plugin.settings.languageFile, "english.zlf");
}

TEST_F(SetupFormTest, AStoredLanguagePathSelectsItsFileByName) {
    plugin.settings.languageFile = "D:\\old\\RUSSIAN.ZLF";
    for (const char* name : {"english.zlf", "russian.zlf"})
        fake.files.put(std::string(kInstall) + name, "");
    form.formCreate();
    EXPECT_EQ(view.selection("langlist"), 1);
}

struct ExpressionCase {
    Lines lines;
    std::string expression;
    Lines leftOut;
};

TEST(RecipientExpression, IsBuiltFromTheValuesOfTheLines) {
    const ExpressionCase cases[] = {
        {{"a=ann@x.org", "b=b.*@y\\.com"}, "((ann@x.org)|(b.*@y\\.com))", {}},
        {{"no equals sign"}, "((no equals sign))", {}},
        {{"name=v=w"}, "((v=w))", {}},
        {{}, "()", {}},
        {{"bad=a(b", "good=c"}, "((c))", {"bad=a(b"}},
        {{"bad=[x"}, "()", {"bad=[x"}},
    };
    for (const ExpressionCase& c : cases) {
        const RecipientExpression built = buildRecipientExpression(c.lines);
        EXPECT_EQ(built.expression, c.expression);
        EXPECT_EQ(built.leftOut, c.leftOut);
    }
}

TEST_F(SetupFormTest, TheRecipientFilterTakesTheListsExpression) {
    plugin.recipientFilter = std::make_unique<RecipientRegexFilter>();
    const auto recipientMatches = [](Plugin& owner, std::string_view address) {
        return owner.recipientFilter->matches(address);
    };
    fake.files.put(std::string(kInstall) + "recipients.txt",
                   "me=me@home\\.org\r\nbroken=(\r\n\r\nwork=@work\\.com$\r\n");
    EXPECT_FALSE(recipientMatches(plugin, "me@home.org"));  // no expression yet
    form.formCreate();
    EXPECT_TRUE(logged("fsrx: ((me@home\\.org)|(@work\\.com$))"));
    EXPECT_TRUE(logged("Recipient rule left out, its expression does not compile: broken=("));
    EXPECT_TRUE(recipientMatches(plugin, "me@home.org"));
    EXPECT_TRUE(recipientMatches(plugin, "boss@work.com"));
    EXPECT_FALSE(recipientMatches(plugin, "boss@work.community"));

    form.formHide();
    EXPECT_EQ(fake.files.contents(std::string(kInstall) + "recipients.txt"),
              "me=me@home\\.org\r\nbroken=(\r\nwork=@work\\.com$\r\n");
}

TEST_F(SetupFormTest, TheMemoryGridShowsNotAvailableForItemsSwitchedOff) {
    Lines journal;
    plugin.statItems[3] = std::make_unique<FakeItem>(journal, 3);
    plugin.statItemMemoryKb[3] = 2.5;
    form.updatemu();
    const auto& rows = view["mu"].rows;
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(view["mu"].header, (Lines{"Name", "Value"}));
    EXPECT_EQ(rows[0], (Lines{"Words", "n/a"}));
    EXPECT_EQ(rows[3], (Lines{"Recipients", "0.0K/2.5K"}));
    EXPECT_EQ(memoryUsageText(1024, 0), "136.0K/0.0K");
}

TEST_F(SetupFormTest, ThePendingPartsGridShowsCountsOrDone) {
    fake.files.put(std::string(kInstall) + "UC\\UC.INI",
                   "[PendingFiles]\nCount=2\npic.jpg=1\ndone.zip=1\n"
                   "[pic.jpg]\nCount=3\nCurrentCount=1\nDateStamp=44990.5\n"
                   "[done.zip]\nCount=2\nCurrentCount=2\n");
    form.refreshchunks();
    EXPECT_EQ(view["sg"].header,
              (Lines{"Filename", "Parts collected", "Time stamp", "File age, days"}));
    ASSERT_EQ(view["sg"].rows.size(), 2u);
    EXPECT_EQ(view["sg"].rows[0], (Lines{"pic.jpg", "1/3", "05.03.2023 12:00:00", "10"}));
    EXPECT_EQ(view["sg"].rows[1][1], "Done (2 parts)");
    EXPECT_EQ(view["sg"].rows[1][3], "0");
}

TEST_F(SetupFormTest, ForceSaveSortsThenStoresEveryItem) {
    Lines journal;
    plugin.statItems[1] = std::make_unique<FakeItem>(journal, 1);
    plugin.statItems[6] = std::make_unique<FakeItem>(journal, 6);
    form.controlChanged("ForceSaveMads");
    EXPECT_EQ(journal, (Lines{"sort 1", "sort 6", "store 1", "store 6", "sort 1", "sort 6"}));
    EXPECT_TRUE(logged("Backup done"));
    EXPECT_EQ(fake.registry.get(kSettingsKey, "Statistics Flags"), "0");  // settings saved
}

// The traffic rules of the force save read the Plugin's list, which takes the window's edits
// before they run; the file then holds the same lines.
TEST_F(SetupFormTest, ForceSaveAppliesTheRecipientListAsEdited) {
    fake.files.put(std::string(kInstall) + "recipients.txt", "old=@old\r\n");
    form.formCreate();
    EXPECT_EQ(plugin.recipientList.lines, (Lines{"old=@old"}));
    Lines seenByTraffic;
    plugin.factories.updateTrafficInfo = [&](Plugin& p) { seenByTraffic = p.recipientList.lines; };
    view["vle"].rows = {{"work", "@work"}, {"", ""}, {"home", "@home"}};
    form.controlChanged("ForceSaveMads");
    EXPECT_EQ(seenByTraffic, (Lines{"work=@work", "home=@home"}));
    EXPECT_EQ(fake.files.contents(std::string(kInstall) + "recipients.txt"),
              "work=@work\r\nhome=@home\r\n");
}

TEST_F(SetupFormTest, TheChosenPartsFolderEndsInABackslash) {
    view.folderAnswer = "D:\\Parts";
    form.controlChanged("Ellipsis");
    EXPECT_EQ(plugin.settings.partsDir, "D:\\Parts\\");
    EXPECT_EQ(view.text("wdi"), "D:\\Parts\\");
}

TEST_F(SetupFormTest, TheDebugListKeepsTheLatestLines) {
    for (int i = 0; i < 10005; ++i) form.appendDebugLine(std::to_string(i));
    const auto& lines = view["DebugBox"].lines;
    ASSERT_EQ(lines.size(), kMaxDebugLines);
    EXPECT_EQ(lines.front(), "5");
    EXPECT_EQ(lines.back(), "10004");
}

TEST_F(SetupFormTest, TheFormAnswersTheLanguageFilesByComponentName) {
    UiComponent& root = form.components();
    ASSERT_GE(root.childCount(), 5);
    EXPECT_EQ(root.child(0)->name(), "RolloutSettings");
    EXPECT_EQ(root.child(0)->kind(), ComponentKind::TabSheet);
    IniFile ini;
    LanguageContext context{plugin.strings, plugin.log, *plugin.platform.files, kInstall, "", ""};
    saveControlCaptions(context, root, ini);
    EXPECT_EQ(ini.getString("CheckBoxes", "ShowSplash", ""), "Show &splash screen at startup");
    EXPECT_EQ(ini.getString("JR", "JvRollout9", ""), "Per-recipient traffic calculator");
    EXPECT_EQ(ini.getString("Combos", "FileSizeUnitSelect03", ""), "Gigabytes");
    EXPECT_EQ(cp1251ToUtf8(ini.getString("Combos", "TimeFormatUnitSelect00", "")), "секундах");
}

}  // namespace
}  // namespace qbx::ui
