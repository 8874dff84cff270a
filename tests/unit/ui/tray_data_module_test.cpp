// The tray data module over a fake view and the fake platform: the tick's variables at fixed
// moments, the connection watch with its log lines and totals, the icons, mouse travel, the
// exception log and the bug report.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/datetime.h"
#include "statistics/stat_item.h"
#include "support/macro_fixture.h"
#include "ui/tray/tray_data_module.h"

namespace qbx::ui {
namespace {

class FakeTrayView final : public TrayView {
public:
    void setIconVisible(bool visible) override { shown = visible; }
    bool iconVisible() const override { return shown; }
    void setIconSet(TrayIconSet set) override { icons.push_back(set); }
    void showBalloon(const std::string& title, const std::string& text, int seconds) override {
        balloons.push_back(title + " | " + text + " | " + std::to_string(seconds));
    }
    void setMenu(std::span<const TrayMenuEntry> entries) override {
        menu.assign(entries.begin(), entries.end());
    }
    void setMenuCaption(int row, std::string_view caption) override {
        menu.at(static_cast<std::size_t>(row)).caption = caption;
    }
    void setMenuVisible(int row, bool visible) override {
        menu.at(static_cast<std::size_t>(row)).visible = visible;
    }
    void popMenu(ScreenPoint at) override { popped.push_back(at); }
    void startTimer(TrayTimer timer, std::uint32_t ms) override { timers[timer] = ms; }
    void stopTimer(TrayTimer timer) override { timers.erase(timer); }
    std::optional<ScreenPoint> cursorPosition() override { return cursor; }
    ScreenSize screenSize() override { return screen; }
    void shellOpen(const std::string& path) override { opened.push_back(path); }

    bool shown = false;
    std::vector<TrayIconSet> icons;
    std::vector<std::string> balloons;
    std::vector<TrayMenuEntry> menu;
    std::vector<ScreenPoint> popped;
    std::map<TrayTimer, std::uint32_t> timers;
    ScreenPoint cursor{100, 100};
    ScreenSize screen{1024, 768};
    std::vector<std::string> opened;
};

class Counted final : public PlayCountList, public SpamFilter {
public:
    explicit Counted(std::vector<std::string>& journal) : journal_(journal) {}
    void loadFromFile(const std::string&) override {}
    void saveToFile(const std::string& path) override { journal_.push_back("saved " + path); }
    std::int64_t countNodes() const override { return 0; }
    std::int64_t countEntries() const override { return 0; }
    void updateThresholds() override { journal_.push_back("thresholds"); }

private:
    std::vector<std::string>& journal_;
};

double at(int year, int month, int day, int hour = 0) {
    return encodeDateTime({year, month, day, hour, 0, 0, 0});
}

class TrayModuleTest : public test::MacroFixture {
protected:
    TrayModuleTest() {
        plugin.settings.installDir = "C:\\QBX\\";
        plugin.settings.programDir = "C:\\The Bat\\";
        plugin.settings.statisticsDir = "C:\\QBX\\Statistics\\";
        module.emplace(plugin, [this](TrayEvents&) {
            auto made = std::make_unique<FakeTrayView>();
            view = made.get();
            return made;
        });
    }

    std::vector<std::string> linesFrom(std::size_t first) const {
        return {logLines.begin() + static_cast<std::ptrdiff_t>(first), logLines.end()};
    }
    void dialUp(std::optional<std::vector<RemoteConnection>> connections) {
        fake.network.connections = std::move(connections);
        module->rasTimerTimer();
    }

    FakeTrayView* view = nullptr;
    std::optional<TrayDataModule> module;
};

TEST_F(TrayModuleTest, CreationLogsStartsTheTickAndBuildsTheMenu) {
    EXPECT_TRUE(logged("Datamodule created"));
    EXPECT_EQ(view->timers, (std::map<TrayTimer, std::uint32_t>{{TrayTimer::Connection, 456}}));
    module->setMouseTracking(true);
    EXPECT_EQ(view->timers.at(TrayTimer::MouseTracking), 90u);
    std::vector<std::string> names;
    for (int i = 0; i < module->trayMenu()->root().childCount(); ++i)
        names.push_back(module->trayMenu()->root().child(i)->name());
    EXPECT_EQ(names, (std::vector<std::string>{"smenu", "RunZVXview", "HelpMenu", "N1", "N3"}));
    EXPECT_TRUE(view->menu[0].isDefault);
    module->trayMenu()->root().child(4)->setCaption("Bug!");
    EXPECT_FALSE(view->menu[2].visible);  // until the language loader finds the help file
    module->trayMenu()->setHelpItemVisible(true);
    EXPECT_EQ(view->menu[4].caption, "Bug!");
    EXPECT_TRUE(view->menu[2].visible);
    module.reset();
    EXPECT_TRUE(logged("Datamodule destroyed"));
}

TEST_F(TrayModuleTest, ClockVariablesAtFixedMoments) {
    struct Case {
        double now;
        std::int32_t week, dayOfWeek, dayOfYear, hourOfMonth, hourOfWeek, hourOfYear;
    };
    const Case cases[] = {
        {at(2020, 12, 31, 13), 53, 4, 366, 733, 85, 8773},
        {at(2021, 1, 3, 23), 53, 7, 3, 71, 167, 71},
        {at(2024, 12, 30), 1, 1, 365, 696, 0, 8736},
    };
    for (const Case& c : cases) {
        fake.clock.dateTime = c.now;
        module->rasTimerTimer();
        const auto number = [&](const char* name) {
            return std::stoi(plugin.variables.text(name));
        };
        EXPECT_EQ(number("weekofyear"), c.week) << c.now;
        EXPECT_EQ(number("dayofweek"), c.dayOfWeek) << c.now;
        EXPECT_EQ(number("dayofyear"), c.dayOfYear) << c.now;
        EXPECT_EQ(number("hourofmonth"), c.hourOfMonth) << c.now;
        EXPECT_EQ(number("hourofweek"), c.hourOfWeek) << c.now;
        EXPECT_EQ(number("hourofyear"), c.hourOfYear) << c.now;
    }
    fake.clock.dateTime = at(2020, 12, 31, 13);
    module->rasTimerTimer();
    const std::map<std::string, std::string> texts = {{"np", "silence"},
                                                      {"npp", ""},
                                                      {"datetime", "31.12.2020 13:00:00"},
                                                      {"date", "31.12.2020"},
                                                      {"time", "13:00:00"},
                                                      {"year", "2020"},
                                                      {"month", "12"},
                                                      {"day", "31"},
                                                      {"hour", "13"},
                                                      {"min", "0"},
                                                      {"sec", "0"},
                                                      {"hourofday", "13"},
                                                      {"ver", "2.4.1202 Summer edition"},
                                                      {"zvxdir", "C:\\QBX\\"},
                                                      {"tbdir", "C:\\The Bat\\"}};
    for (const auto& [name, value] : texts) EXPECT_EQ(plugin.variables.text(name), value) << name;
    EXPECT_EQ(plugin.variables.type("year"), 1);
    EXPECT_EQ(plugin.variables.text("inettime").front(), '@');
}

TEST_F(TrayModuleTest, PlayerVariablesWithAndWithoutWinamp) {
    module->rasTimerTimer();
    EXPECT_EQ(plugin.variables.text("wa"), "0");
    EXPECT_EQ(plugin.variables.text("wa_title"), "WinAMP is not active");
    EXPECT_EQ(plugin.variables.text("wa_ver"), "");

    auto& winamp = fake.desktopWindows.add("Winamp v1.x", "3. $$year %NP - Winamp");
    winamp.replies = {{{0, 0}, 0x2091}, {{104, 0}, 3}, {{105, 1}, 245},
                      {{124, 0}, 7},    {{125, 0}, 2}, {{126, 2}, 2}};
    module->rasTimerTimer();
    const std::map<std::string, std::string> expected = {
        {"wa", "1"},
        {"wa_ver", "2.01"},
        {"wa_state", "Paused"},
        {"wa_tracklen", "4:05"},
        {"wa_pllen", "7"},
        {"wa_plpos", "3"},
        {"wa_cht", "stereo"},
        {"wa_title", "$$year %NP"},  // a caption is data: stored as it stands
        {"np", "$$year %NP"},
        {"npp", "WinAMP"}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(plugin.variables.text(name), value) << name;

    plugin.settings.playerTracking = false;
    plugin.variables.reset();
    module->rasTimerTimer();
    EXPECT_EQ(plugin.variables.find("wa"), -1);
    EXPECT_NE(plugin.variables.find("datetime"), -1);
}

TEST_F(TrayModuleTest, DialUpConnectionStartAndEnd) {
    for (const bool autosave : {false, true}) {
        SCOPED_TRACE(autosave);
        std::vector<std::string> journal;
        plugin.top10List = std::make_unique<Counted>(journal);
        plugin.spamFilter = std::make_unique<Counted>(journal);
        plugin.factories.updateTrafficInfo = [&](Plugin&) { journal.push_back("traffic"); };
        plugin.settings.updateStatisticsAfterReceive = autosave;
        plugin.settings.onlineSeconds = 1000;
        plugin.settings.dialUpConnectionsFinished = 4;
        plugin.statItems[13] =
            std::make_unique<statistics::StatItem>(plugin, "C:\\QBX\\DialUp", 13);
        auto* item = statistics::statItem(plugin, 13);
        ASSERT_NE(item, nullptr);

        const std::size_t first = logLines.size();
        dialUp(std::vector<RemoteConnection>{{"My ISP"}, {"Other"}});
        EXPECT_TRUE(plugin.dialUp->isOnline);
        EXPECT_EQ(plugin.dialUp->connectTime, fake.clock.dateTime);
        EXPECT_EQ(view->icons.back(), TrayIconSet::Online2);
        EXPECT_FALSE(item->store().tree().find("My ISP"));  // counted only at the end
        plugin.dialUp->receivedBytes = 1234;
        dialUp(std::vector<RemoteConnection>{{"My ISP"}});  // still on line: nothing
        fake.clock.advanceMs(100'000);
        dialUp(std::nullopt);

        std::vector<std::string> expected = {"CONNECTION ESTABLISHED [My ISP]",
                                             "CONNECTION ENDED [My ISP]"};
        if (autosave) {
            expected.push_back("AUTOSAVING STATISTICS");
            expected.push_back("DONE AUTOSAVING");
        }
        expected.push_back("1234 bytes received");
        EXPECT_EQ(linesFrom(first), expected);
        const std::vector<std::string> saved = {"traffic", "saved C:\\QBX\\Statistics\\Top10.Statz",
                                                "thresholds"};
        EXPECT_EQ(journal, autosave ? saved : std::vector<std::string>{});
        EXPECT_FALSE(plugin.dialUp->isOnline);
        EXPECT_EQ(view->icons.back(), TrayIconSet::Offline2);
        EXPECT_EQ(plugin.settings.onlineSeconds, 1100);
        EXPECT_EQ(plugin.settings.dialUpConnectionsFinished, 5);
        const auto counted = item->store().tree().find("My ISP");
        ASSERT_TRUE(counted);
        EXPECT_EQ(counted->size, 1234);
    }
}

TEST_F(TrayModuleTest, AProxyAloneCountsAsOnLineWithoutAName) {
    fake.network.proxy = {1, "proxy:3128"};
    const std::size_t first = logLines.size();
    module->rasTimerTimer();
    EXPECT_EQ(linesFrom(first), std::vector<std::string>{"CONNECTION ESTABLISHED []"});
    EXPECT_TRUE(plugin.dialUp->isOnline);
}

TEST_F(TrayModuleTest, IconsFollowTheModeAndTheConnection) {
    plugin.settings.trayIconMode = 0;
    const std::size_t setsBefore = view->icons.size();
    dialUp(std::vector<RemoteConnection>{{"ISP"}});
    dialUp(std::nullopt);
    EXPECT_EQ(view->icons.size(), setsBefore);  // mode 0 changes no icon set

    module->setIconMode(0);
    EXPECT_FALSE(view->shown);
    dialUp(std::vector<RemoteConnection>{{"ISP"}});
    module->setIconMode(1);  // chosen while on line: the on-line look at once
    EXPECT_TRUE(view->shown);
    EXPECT_EQ(view->icons.back(), TrayIconSet::Online1);
    EXPECT_EQ(iconSetFor(2, false), TrayIconSet::Offline2);
    EXPECT_EQ(iconSetFor(0, true), std::nullopt);
}

TEST_F(TrayModuleTest, MouseTravel) {
    module->mouseTrackingTimerTimer();  // tracking off: nothing counts
    view->cursor = {500, 500};
    module->mouseTrackingTimerTimer();
    EXPECT_EQ(module->mouseTravel().pixels, 0);

    plugin.settings.mouseTracking = true;
    view->cursor = {100, 100};
    module->mouseTrackingTimerTimer();  // from where the cursor was at creation: no travel
    view->cursor = {103, 104};
    module->mouseTrackingTimerTimer();
    EXPECT_EQ(module->mouseTravel().pixels, 5);
    EXPECT_DOUBLE_EQ(module->mouseTravel().millimetres, 1.5625);

    // Corner to corner of the widest coordinates: no square overflows.
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    view->cursor = {kMin, kMin};
    module->mouseTrackingTimerTimer();
    const std::int64_t before = module->mouseTravel().pixels;
    view->cursor = {kMax, kMax};
    module->mouseTrackingTimerTimer();
    EXPECT_EQ(module->mouseTravel().pixels - before, 6'074'000'999);  // (2^32 - 1) * sqrt 2
    view->screen = {0, 0};  // no size to divide by: the millimetres stay
    const double mm = module->mouseTravel().millimetres;
    view->cursor = {0, 0};
    module->mouseTrackingTimerTimer();
    EXPECT_EQ(module->mouseTravel().millimetres, mm);
}

TEST_F(TrayModuleTest, EscapedExceptionsAreLoggedWhileTheHandlerIsInstalled) {
    struct Case {
        const ExceptionSender* sender;
        bool installed;
        std::vector<std::string> lines;
    };
    const ExceptionSender timer{"TTimer", "RAStimer", nullptr};
    const Case cases[] = {
        {&timer,
         true,
         {"@@ Unhandled exception   :std::runtime_error (disk gone)",
          "@@ Exception sender class: TTimer", "@@ Exception sender name : RAStimer",
          "@@ Address: nil", "@@ Exception object class: std::runtime_error", ""}},
        {nullptr,
         true,
         {"@@ Unhandled exception   :std::runtime_error (disk gone)",
          "@@ Exception sender class: nil", "@@ Address: nil",
          "@@ Exception object class: std::runtime_error", ""}},
        {nullptr, false, {"***** ERROR!!! Exception in tray: disk gone"}},
    };
    for (const Case& c : cases) {
        ExceptionReporter reporter(plugin.log);
        if (c.installed) reporter.install();
        const std::size_t first = logLines.size();
        guardedCallback(&plugin.log, &reporter, "tray", c.sender,
                        [] { throw std::runtime_error("disk gone"); });
        EXPECT_EQ(linesFrom(first), c.lines);
    }
    EXPECT_EQ(exceptionClassName(std::make_exception_ptr(42)), "unknown");
    // The module's own senders carry their handler's address.
    module->installExceptionHandler();
    const std::size_t first = logLines.size();
    module->zvxExc(std::make_exception_ptr(std::logic_error("x")), nullptr);
    EXPECT_EQ(logLines[first], "@@ Unhandled exception   :std::logic_error (x)");
}

TEST_F(TrayModuleTest, BugReport) {
    fake.fileInfo.heads["C:\\Temp\\-QBX.log.old"] = {"line one\r\nline two\r\n", false};
    fake.files.put("C:\\Temp\\zvxtemp", "old report");
    std::string written;
    fake.programRunner.onRun = [&](const auto&) {
        written = fake.files.contents("C:\\Temp\\zvxtemp");
        module->n3Click();  // clicked again while the host program runs: ignored
    };
    module->n3Click();
    ASSERT_EQ(fake.programRunner.runs.size(), 1u);
    EXPECT_EQ(fake.programRunner.runs[0].program, "C:\\The Bat\\thebat.exe");
    EXPECT_EQ(fake.programRunner.runs[0].parameters, "/MAILT=\"C:\\Temp\\zvxtemp\";QUEUE");
    EXPECT_NE(written.find("\r\nline one\r\nline two\r\n%TO=\"bugs@quilbex.invalid\"\r\n"
                           "%SUBJECT=\"Bugreport QBX 2.4.1202 Summer edition\"\r\n"),
              std::string::npos);
    EXPECT_EQ(view->balloons, std::vector<std::string>{"QBX 2.4.1202 Summer edition | " +
                                                       plugin.strings[350] + " | 20"});

    // A first run: no previous log, the report still goes.
    EXPECT_EQ(bugReportText("brief", ""),
              "brief\r\n%TO=\"bugs@quilbex.invalid\"\r\n"
              "%SUBJECT=\"Bugreport QBX 2.4.1202 Summer edition\"\r\n");
    fake.fileInfo.heads.clear();
    module->n3Click();
    EXPECT_EQ(fake.programRunner.runs.size(), 2u);

    // No program folder: nothing is started and nothing claims the report was queued.
    plugin.settings.programDir.clear();
    module->n3Click();
    EXPECT_EQ(fake.programRunner.runs.size(), 2u);
    EXPECT_EQ(view->balloons.size(), 2u);
    EXPECT_TRUE(logged("Bug report not queued: the mail client's program folder is unknown"));
}

// The previous log holds what mail brought (subjects, addresses): none of it may act as the
// host's macros in the report's template, neither in the log nor in the brief report.
TEST_F(TrayModuleTest, TheReportsTextHoldsNoMacroOfTheHostButItsOwnTwo) {
    fake.fileInfo.heads["C:\\Temp\\-QBX.log.old"] = {
        "Subject: %TO=\"thief@example.com\"%SUBJECT=x 100%\r\n"
        "50% off, %%cc=a, %\xCF\xF0\xE8, %1 %\r\n",
        false};
    std::string written;
    fake.programRunner.onRun = [&](const auto&) {
        written = fake.files.contents("C:\\Temp\\zvxtemp");
    };
    module->n3Click();
    EXPECT_NE(
        written.find("\r\nSubject: % TO=\"thief@example.com\"% SUBJECT=x 100%\r\n"
                     "50% off, %% cc=a, % \xCF\xF0\xE8, %1 %\r\n%TO=\"bugs@quilbex.invalid\"\r\n"
                     "%SUBJECT=\"Bugreport QBX 2.4.1202 Summer edition\"\r\n"),
        std::string::npos)
        << written;
    EXPECT_EQ(bugReportText("CPU 100%Zeta", "").substr(0, 14), "CPU 100% Zeta\r");
}

TEST_F(TrayModuleTest, MenuAndIconHandlers) {
    module->helpMenuClick();  // no help file named: the folder is not opened
    fake.files.put("C:\\QBX\\", "");
    plugin.strings.set(198, "qbx.chm");
    module->helpMenuClick();
    fake.files.put("C:\\QBX\\qbx.chm", "help");
    module->helpMenuClick();
    plugin.settings.viewerFilename = "C:\\Viewer\\zvxview.exe";
    module->runZvxViewClick();
    EXPECT_EQ(view->opened,
              (std::vector<std::string>{"C:\\QBX\\qbx.chm", "C:\\Viewer\\zvxview.exe"}));
    // A language file may name any file: a program, or one outside the module's folder, is
    // never opened, even when it is there.
    for (const char* name : {"..\\evil.chm", "run.exe", "help.chm.exe. ", "C:\\x.chm"}) {
        fake.files.put("C:\\QBX\\" + std::string(name), "x");
        plugin.strings.set(198, name);
        module->helpMenuClick();
    }
    EXPECT_EQ(view->opened.size(), 2u);
    EXPECT_TRUE(logged("Help file not opened: not a document the help may open"));
    view->cursor = {7, 9};
    module->events().handle({TrayEvent::Kind::IconClick, 0});
    ASSERT_EQ(view->popped.size(), 1u);
    EXPECT_EQ(view->popped[0].x, 7);
    EXPECT_EQ(module->events().senderOf({TrayEvent::Kind::MenuItem, 4}).name, "N3");
    EXPECT_NE(module->events().senderOf({TrayEvent::Kind::MenuItem, 4}).handler, nullptr);
    EXPECT_EQ(module->events().senderOf({TrayEvent::Kind::MenuItem, 3}).handler, nullptr);
}

}  // namespace
}  // namespace qbx::ui
