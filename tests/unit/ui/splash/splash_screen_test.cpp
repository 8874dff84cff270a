// The splash's model: what it shows, the stages the start-up hands it in their order, its close
// at the end of the start-up and on its own when the start-up goes quiet.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/exports.h"
#include "core/lifecycle.h"
#include "core/plugin.h"
#include "core/settings.h"
#include "support/fake_subsystems.h"
#include "support/fakes.h"
#include "ui/splash/splash_screen.h"

namespace qbx::ui {
namespace {

using test::FakePlatform;

// Records what the model asks of its view.
struct Screen {
    std::vector<std::string> calls;
    std::function<void()> check;
};

class RecordingView final : public SplashView {
public:
    explicit RecordingView(Screen& screen) : screen_(screen) {}
    void show(const std::string& caption, const std::string& versionLabel,
              const std::string& stage) override {
        screen_.calls.push_back("show " + caption + " | " + versionLabel + " | " + stage);
    }
    void setStage(const std::string& text) override { screen_.calls.push_back("stage " + text); }
    void close() override { screen_.calls.push_back("close"); }

private:
    Screen& screen_;
};

SplashViewMaker recordingMaker(Screen& screen) {
    return [&screen](std::function<void()> check) {
        screen.check = std::move(check);
        return std::make_unique<RecordingView>(screen);
    };
}

TEST(SplashScreen, ShowsVersionAndFirstStageThenEachStageUntilClosed) {
    test::FakeClock clock;
    Screen screen;
    {
        SplashScreen splash(clock, recordingMaker(screen));
        EXPECT_TRUE(splash.isOpen());
        EXPECT_EQ(splash.stage(), "Loading....");
        splash.setStage("Creating aux modules");
        splash.setStage("Setting up...");
        EXPECT_EQ(splash.stage(), "Setting up...");
        splash.close();
        splash.setStage("Mainform created");  // after the close: nothing
        splash.close();
        EXPECT_FALSE(splash.isOpen());
    }
    const std::vector<std::string> expected = {
        "show 2.4.1202 Summer edition | v2.4.1202 Summer edition beta | Loading....",
        "stage Creating aux modules", "stage Setting up...", "close"};
    EXPECT_EQ(screen.calls, expected);
}

TEST(SplashScreen, ReleasedWithoutACloseItStillLeavesTheScreen) {
    test::FakeClock clock;
    Screen screen;
    { SplashScreen splash(clock, recordingMaker(screen)); }
    ASSERT_EQ(screen.calls.size(), 2u);
    EXPECT_EQ(screen.calls.back(), "close");
}

TEST(SplashScreen, ClosesItselfWhenNoStageCameForThirtySeconds) {
    struct Case {
        std::uint32_t stageTick;  // when the last stage came
        std::uint32_t checkTick;  // when the view's timer asks
        bool open;
    };
    const Case cases[] = {
        {1000, 1000 + 29'999, true},
        {1000, 1000 + 30'000, false},
        {1000, 1000 + 31'000, false},
        {0xFFFF'F000u, 0xFFFF'F000u + 29'999u, true},  // across the tick count's wrap
        {0xFFFF'F000u, 0xFFFF'F000u + 30'000u, false},
    };
    for (const Case& c : cases) {
        test::FakeClock clock;
        clock.tick = c.stageTick - 5000;
        Screen screen;
        SplashScreen splash(clock, recordingMaker(screen));
        clock.tick = c.stageTick;
        splash.setStage("Setting up statistics...");
        clock.tick = c.checkTick;
        screen.check();
        EXPECT_EQ(splash.isOpen(), c.open) << c.stageTick << " " << c.checkTick;
        EXPECT_EQ(screen.calls.back() == "close", !c.open);
    }
}

TEST(SplashScreen, WithoutAViewNothingIsShownAndNothingFails) {
    test::FakeClock clock;
    SplashScreen splash(clock, [](std::function<void()>) { return nullptr; });
    EXPECT_FALSE(splash.isOpen());
    splash.setStage("Setting up...");
    splash.check();
    splash.close();
}

// The start-up drives it: the stages of an enabled start in their order, then the close, all
// before the log's build line.
class SplashDuringStartUp : public ::testing::Test {
protected:
    void SetUp() override {
        fake.registry.set(kHostKey, "ProgramDir", "C:\\Program Files\\The Bat!\\");
        fake.registry.set(kHostKey, "Working Directory", "C:\\Work\\");
        fake.files.put("C:\\Work\\TBPLUGIN.ini",
                       "[Plugins]\r\nCount=1\r\nPlugin #1=C:\\Mail\\Plugins\\QBX.tbp\r\n");
    }
    std::vector<std::string> start(const char* splashMode, bool& made) {
        fake.registry.set(kSettingsKey, "splashmode", splashMode);
        Plugin plugin(fake.platform());
        test::installFakeSubsystems(plugin, std::make_shared<test::Journal>());
        Screen screen;
        made = false;
        plugin.factories.splash = [&](Plugin& context) -> std::unique_ptr<SplashWindow> {
            made = true;
            return std::make_unique<SplashScreen>(*context.platform.clock, recordingMaker(screen));
        };
        moduleLoaded(plugin);
        tbpInitialize(plugin);
        EXPECT_FALSE(plugin.splash);
        tbpFinalize(plugin);
        moduleUnloading(plugin);
        return screen.calls;
    }
    FakePlatform fake;
};

TEST_F(SplashDuringStartUp, ShowsTheStagesInOrderAndIsClosedAtTheEnd) {
    bool made = false;
    const std::vector<std::string> expected = {
        "show 2.4.1202 Summer edition | v2.4.1202 Summer edition beta | Loading....",
        "stage Creating aux modules",
        "stage Setting up...",
        "stage Setting up statistics...",
        "stage Creating mainform",
        "stage Mainform created",
        "stage Loading language resources",  // the default language file
        "close",
    };
    EXPECT_EQ(start("1", made), expected);
    EXPECT_TRUE(made);
}

TEST_F(SplashDuringStartUp, WithSplashModeOffNoneIsMade) {
    bool made = true;
    EXPECT_TRUE(start("0", made).empty());
    EXPECT_FALSE(made);
}

}  // namespace
}  // namespace qbx::ui
