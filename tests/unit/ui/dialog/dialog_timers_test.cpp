#include "ui/dialog/dialog_timers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/plugin.h"
#include "functions/playcount/play_count_list.h"
#include "support/fake_dialog_view.h"
#include "support/fakes.h"
#include "ui/dialog/key_names.h"
#include "ui/dialog/setup_controls.h"
#include "ui/dialog/setup_form.h"

namespace qbx::ui {
namespace {

using functions::playcount::PlayCountStore;
using Keys = std::array<std::uint8_t, 256>;

struct FakeTimerView final : TimerView {
    void startTimer(int id, unsigned intervalMs) override { running[id] = intervalMs; }
    void stopTimer(int id) override { running.erase(id); }
    Keys keyboardState() override { return keys; }
    bool dialogVisible() override { return visible; }
    void showDialog() override {
        visible = true;
        ++shown;
    }
    void closeDialog() override {
        visible = false;
        ++closed;
    }
    bool registerHotKey(unsigned modifiers, int keyCode) override {
        hotKeys.push_back({modifiers, keyCode});
        return true;
    }
    std::map<int, unsigned> running;  // id -> interval
    Keys keys{};
    bool visible = false;
    int shown = 0, closed = 0;
    std::vector<std::pair<unsigned, int>> hotKeys;
};

class DialogTimersTest : public ::testing::Test {
protected:
    DialogTimersTest() {
        plugin.strings.reset();
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
    }
    ~DialogTimersTest() override { plugin.log.setMirror(nullptr); }

    PlayCountStore& makeList() {
        plugin.settings.playCountListOn = true;
        plugin.top10List = std::make_unique<PlayCountStore>(plugin);
        return static_cast<PlayCountStore&>(*plugin.top10List);
    }
    void play(const std::string& caption) {
        fake.desktopWindows.windows.clear();
        fake.desktopWindows.add("Winamp v1.x", caption + " - Winamp");
    }
    int count(const std::string& line) const {
        return static_cast<int>(std::count(log.begin(), log.end(), line));
    }
    int id(const char* name) { return timerId(name); }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    test::FakeDialogView view;
    SetupForm form{plugin, view};
    FakeTimerView window;
    DialogTimers timers{plugin, form, view, window};
    std::vector<std::string> log;
};

TEST_F(DialogTimersTest, TimersStartAsTheirRowsSay) {
    struct Row {
        const char* name;
        unsigned interval;
        bool running;
    };
    constexpr Row kGolden[] = {
        {"Timer_Winamp_Updater", 300, true},
        {"TimerVar", 1000, true},
        {"Top10timer", 5678, true},
        {"BackupTimer", 3000000, false},
    };
    ASSERT_EQ(timerRows().size(), std::size(kGolden));
    timers.start();
    for (const Row& row : kGolden) {
        SCOPED_TRACE(row.name);
        const int timer = id(row.name);
        ASSERT_GE(timer, 0);
        EXPECT_EQ(timers.interval(timer), row.interval);
        EXPECT_EQ(timers.enabled(timer), row.running);
        EXPECT_EQ(window.running.count(timer), row.running ? 1u : 0u);
        if (row.running) {
            EXPECT_EQ(window.running[timer], row.interval);
        }
    }
}

TEST_F(DialogTimersTest, KillTimersStopsEveryTimerAndLateTicksDoNothing) {
    timers.start();
    timers.stopPlayerTimer();
    EXPECT_FALSE(timers.enabled(id("Timer_Winamp_Updater")));
    EXPECT_TRUE(timers.enabled(id("TimerVar")));
    timers.killTimers();
    EXPECT_TRUE(window.running.empty());
    for (int timer = 0; timer < static_cast<int>(timerRows().size()); ++timer)
        EXPECT_FALSE(timers.enabled(timer));
    makeList();
    play("1. Late");
    timers.tick(id("Top10timer"));
    EXPECT_EQ(count("Added [Late] to top10"), 0);
}

TEST_F(DialogTimersTest, PlayCountFeedCountsEachChangeOnceNormalised) {
    PlayCountStore& list = makeList();
    plugin.settings.playCountTrimSpaces = true;
    plugin.settings.playCountTrimNumbers = true;
    plugin.settings.playCountTrimExtensions = true;
    timers.start();
    const int top10 = id("Top10timer");

    play("12. 01_My_Song.mp3");
    timers.tick(top10);
    timers.tick(top10);  // the same title playing on
    EXPECT_EQ(count("Added [My Song] to top10"), 1);
    EXPECT_EQ(count("br:7, lf:1, tg:1"), 1);
    EXPECT_EQ(timers.lastTop10Title(), "01_My_Song.mp3");  // as the player showed it

    // Differs only in underscores: a change of the raw title, the same entry.
    play("12. 01 My Song.mp3");
    timers.tick(top10);
    play("3. Other");
    timers.tick(top10);
    play("12. 01_My_Song.mp3");
    timers.tick(top10);
    EXPECT_EQ(count("Added [My Song] to top10"), 3);
    EXPECT_EQ(list.countEntries(), 2);
    EXPECT_EQ(list.totalCount(), 4u);
    EXPECT_EQ(view["lb"].items, (std::vector<std::string>{"1. My Song (3)", "2. Other (1)"}));
    EXPECT_TRUE(timers.enabled(top10));
}

TEST_F(DialogTimersTest, TitleIsStoredAsItStands) {
    PlayCountStore& list = makeList();
    timers.start();
    play("1. $$year %NP");
    timers.tick(id("Top10timer"));
    EXPECT_EQ(count("Added [$$year %NP] to top10"), 1);
    EXPECT_EQ(list.countEntries(), 1);
    EXPECT_EQ(view["lb"].items, std::vector<std::string>{"1. $$year %NP (1)"});
}

TEST_F(DialogTimersTest, NothingIsCountedWithoutTheSettingOrTheList) {
    timers.start();
    const int top10 = id("Top10timer");
    play("1. Song");
    // No list: the timer runs on.
    plugin.settings.playCountListOn = true;
    timers.tick(top10);
    EXPECT_TRUE(timers.enabled(top10));
    EXPECT_EQ(view["lb"].items, std::vector<std::string>{plugin.strings[40]});

    PlayCountStore& list = makeList();
    plugin.settings.playCountListOn = false;
    timers.tick(top10);
    EXPECT_EQ(list.countEntries(), 0);
    EXPECT_EQ(count("Added [Song] to top10"), 0);
    // The setting off stops the timer for good: turning it on again does not restart it.
    EXPECT_FALSE(timers.enabled(top10));
    EXPECT_EQ(window.running.count(top10), 0u);
    plugin.settings.playCountListOn = true;
    timers.tick(top10);
    EXPECT_EQ(list.countEntries(), 0);
}

TEST_F(DialogTimersTest, ChordNeedsOneKeyAndEveryKeyDown) {
    struct Case {
        std::int32_t k1, k2, k3;
        std::vector<int> down;
        bool held;
    };
    const Case cases[] = {
        {0, 0, 0, {}, false},      {0, 0, 0, {0, 17, 113}, false}, {17, 113, 0, {17, 113}, true},
        {17, 113, 0, {17}, false}, {0, 0, 65, {65}, true},         {17, 113, 65, {17, 113}, false},
        {300, 0, 0, {44}, false},  // 300 & 255 = 44: outside 0..255 counts as no key
        {-1, 65, 0, {65}, true},   {256, 0, 0, {0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.k1 << " " << c.k2 << " " << c.k3);
        plugin.settings.dialogChordKey1 = c.k1;
        plugin.settings.dialogChordKey2 = c.k2;
        plugin.settings.dialogChordKey3 = c.k3;
        Keys keys{};
        for (const int key : c.down) keys[static_cast<std::size_t>(key)] = 0x80;
        keys[1] = 0x01;  // toggled, not down
        EXPECT_EQ(chordHeld(plugin.settings, keys), c.held);
    }
}

TEST_F(DialogTimersTest, KeyboardTimerShowsOnTheChordAndClosesOnEscape) {
    timers.start();
    const int updater = id("Timer_Winamp_Updater");
    plugin.settings.dialogChordKey1 = 17;
    plugin.settings.dialogChordKey2 = 113;
    window.keys[17] = 0x80;
    timers.tick(updater);
    EXPECT_EQ(window.shown, 0);
    window.keys[113] = 0x81;
    timers.tick(updater);
    timers.tick(updater);  // held on: already shown
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(view["NpInfo"].text, plugin.strings[311]);

    window.keys = {};
    window.keys[27] = 0x80;
    timers.tick(updater);
    EXPECT_EQ(window.closed, 1);
    timers.tick(updater);  // hidden already
    EXPECT_EQ(window.closed, 1);
}

TEST_F(DialogTimersTest, VariablesTimerFollowsWinampWhileShown) {
    timers.start();
    const int variables = id("TimerVar");
    play("1. Song");
    timers.tick(variables);
    EXPECT_EQ(timers.interval(variables), 1000u);  // hidden: nothing
    window.visible = true;
    plugin.variables.storeStr("who", "me");
    view.setText("ParaFilename", "box-$$who.mbx");
    timers.tick(variables);
    EXPECT_EQ(window.running[variables], 70u);
    // The grid and the backup's example name follow the variables while the dialog is shown.
    const auto rows = view.gridRows("VariableList");
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [](const auto& row) { return !row.empty() && row[0] == "who"; }));
    EXPECT_EQ(view.text("ParaExample"), "box-me.mbx");
    fake.desktopWindows.windows.clear();
    timers.tick(variables);
    EXPECT_EQ(window.running[variables], 2500u);
}

TEST_F(DialogTimersTest, HotKeyModifiersAreTheWindowsBits) {
    struct Case {
        bool win, alt, shift, ctrl;
        unsigned bits;
    };
    constexpr Case cases[] = {
        {false, false, false, false, 0}, {true, false, false, false, 8},
        {false, true, false, false, 1},  {false, false, true, false, 4},
        {false, false, false, true, 2},  {true, false, false, true, 10},
        {true, true, true, true, 15},
    };
    for (const Case& c : cases) {
        plugin.settings.hotKeyWin = c.win;
        plugin.settings.hotKeyAlt = c.alt;
        plugin.settings.hotKeyShift = c.shift;
        plugin.settings.hotKeyCtrl = c.ctrl;
        EXPECT_EQ(hotKeyModifiers(plugin.settings), c.bits);
    }
}

TEST_F(DialogTimersTest, HotKeyIsRegisteredOnlyWithAKey) {
    struct Case {
        std::int32_t key;
        bool registered;
        bool stage4;
        int selection;
    };
    constexpr Case cases[] = {
        {113, true, true, 113},
        {0, false, false, 0},
        {300, false, true, 0},
        {255, true, true, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        FakeTimerView fresh;
        DialogTimers created{plugin, form, view, fresh};
        log.clear();
        plugin.settings.hotKeyCode = c.key;
        created.setUpHotKey();
        EXPECT_EQ(view["gk_ks"].items.size(), 256u);
        EXPECT_EQ(view["gk_ks"].selection, c.selection);
        EXPECT_EQ(view["UseGlobalHotKey"].checked, c.key != 0);
        EXPECT_EQ(view["gk_ks"].visible, c.key != 0);
        EXPECT_EQ(count("Stage 4"), c.stage4 ? 1 : 0);
        const std::vector<std::pair<unsigned, int>> expected =
            c.registered ? std::vector<std::pair<unsigned, int>>{{10u, c.key}}
                         : std::vector<std::pair<unsigned, int>>{};
        EXPECT_EQ(fresh.hotKeys, expected);
    }
}

TEST_F(DialogTimersTest, UncheckingTheHotKeyForgetsItsKey) {
    plugin.settings.hotKeyCode = 113;
    timers.setUpHotKey();
    view.setChecked("UseGlobalHotKey", false);
    form.controlChanged("UseGlobalHotKey");
    EXPECT_EQ(plugin.settings.hotKeyCode, 0);
    for (const char* name : {"gk_ks", "WINMOD", "ALTMOD", "SHMOD", "CTRLMOD"})
        EXPECT_FALSE(view[name].visible) << name;
    view.setChecked("UseGlobalHotKey", true);
    form.controlChanged("UseGlobalHotKey");
    EXPECT_EQ(plugin.settings.hotKeyCode, 0);
    EXPECT_TRUE(view["CTRLMOD"].visible);
    view.setSelection("gk_ks", 120);
    form.controlChanged("gk_ks");
    EXPECT_EQ(plugin.settings.hotKeyCode, 120);
}

TEST(KeyNames, TellingRows) {
    struct Case {
        int code;
        const char* name;  // UTF-8
    };
    constexpr Case cases[] = {
        {0, "Do not use"},
        {1, "Left mouse button"},
        {7, "<Undefined>"},
        {8, "BACKSPACE key"},
        {13, "ENTER key"},
        {27, "ESC key"},
        {32, "SPACEBAR"},
        {48, "0 key"},
        {57, "9 key"},
        {65, "A/Ф key"},
        {81, "Q/Й key"},
        {90, "Z/Я key"},
        {96, "Numeric keypad 0 key"},
        {112, "F1 key"},
        {135, "F24 key"},
        {136, "Unassigned"},
        {143, "Unassigned"},
        {146, "<OEM specific>"},
        {151, "<Unassigned>"},
        {193, "<Reserved>"},
        {255, "<Unused>"},
        {256, ""},
        {-1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(keyName(c.code), utf8ToCp1251(c.name)) << c.code;
    ASSERT_EQ(keyNames().size(), 256u);
    for (int code = 0; code < 256; ++code) EXPECT_FALSE(keyName(code).empty()) << code;
}

}  // namespace
}  // namespace qbx::ui
