// Start-up and shut-down as the host drives them: load, TBP_Initialize, TBP_Finalize, unload,
// over the fake platform and fake upper-layer objects. The golden logs pin every line and its
// order; the other cases check what must (and must not) happen to the objects and the data.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "base/text.h"
#include "core/exports.h"
#include "core/host_texts.h"
#include "core/lifecycle.h"
#include "core/plugin.h"
#include "core/settings.h"
#include "support/fake_subsystems.h"
#include "support/fakes.h"
#include "support/golden.h"

namespace qbx {
namespace {

using test::FakePlatform;
using test::FakeSubsystemOptions;
using test::Journal;

constexpr const char* kLogPath = "C:\\Temp\\-QBX.log";

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        fake.registry.set(kHostKey, "ProgramDir", "C:\\Program Files\\The Bat!\\");
        fake.registry.set(kHostKey, "Working Directory", "%APPDATA%\\The Bat!");
        fake.environment.variables["APPDATA"] = "C:\\Users\\me\\AppData";
        fake.files.put("C:\\Users\\me\\AppData\\The Bat!\\TBPLUGIN.ini",
                       "[Plugins]\r\nCount=2\r\nPlugin #1=C:\\Other\\x.tbp\r\n"
                       "Plugin #2=C:\\Mail\\Plugins\\QBX.tbp\r\n");
    }

    // A user who has run the module before: marker set, two statistics items, antispam on.
    void returningUser() {
        const std::pair<const char*, const char*> values[] = {
            {"Statistics reset", "88"}, {"Statistics Flags", "65"},  // Words, Spam
            {"Enable antispam", "1"},   {"InstallDir", "C:\\QBX\\"}, {"useTop10", "1"},
            {"Version", "2.3.900"},     {"OnlineTime", "1000"}};
        for (const auto& [name, value] : values) fake.registry.set(kSettingsKey, name, value);
    }

    // Load, start, stop and unload one module instance; returns its log.
    std::string runSession(FakeSubsystemOptions options = {},
                           const std::function<void(Plugin&)>& whileRunning = {}) {
        Plugin plugin(fake.platform());
        test::installFakeSubsystems(plugin, journal, options);
        moduleLoaded(plugin);
        tbpInitialize(plugin);
        fake.clock.advanceMs(90'500);
        if (whileRunning) whileRunning(plugin);
        tbpFinalize(plugin);
        moduleUnloading(plugin);
        return fake.files.contents(kLogPath);
    }

    FakePlatform fake;
    std::shared_ptr<Journal> journal = std::make_shared<Journal>();
};

// Item addresses differ from run to run: "Pointer to mad N is <hex>" loses the hex.
std::string maskPointers(const std::string& log) {
    std::string out;
    for (const std::string& line : splitLines(log)) {
        const auto at = line.find("Pointer to mad ");
        const auto is = line.rfind(" is ");
        out += at != std::string::npos && is != std::string::npos
                   ? line.substr(0, is) + " is <address>"
                   : line;
        out += "\r\n";
    }
    return out;
}

TEST_F(Lifecycle, GoldenLogOfANormalStartAndStop) {
    returningUser();
    const std::string log = runSession();
    EXPECT_TRUE(test::matchesGolden("start_stop.log", maskPointers(log)));
    EXPECT_EQ(journal->count("spam thresholds updated"), 1u);  // once the items are loaded
}

TEST_F(Lifecycle, GoldenLogOfAFirstRun) {
    const std::string log = runSession();
    EXPECT_TRUE(test::matchesGolden("first_run.log", maskPointers(log)));
    // Recipients, Senders and Spam for this run only; the stored flags keep raw traffic.
    for (int i = 0; i < kStatItemCount; ++i)
        EXPECT_EQ(journal->count("mad" + decimal(i) + " created"),
                  i == 3 || i == 4 || i == 6 ? 1u : 0u)
            << i;
    EXPECT_TRUE(journal->has("mad3 created c:\\mail\\plugins\\Statistics\\Recipients"));
    EXPECT_EQ(fake.registry.get(kSettingsKey, "Statistics Flags"), "256");
    EXPECT_EQ(fake.registry.get(kSettingsKey, "Statistics reset"), "88");
}

TEST_F(Lifecycle, GoldenLogOfAFailingStatisticsItem) {
    returningUser();
    FakeSubsystemOptions options;
    options.failingStatisticsItems = {6};
    const std::string log = runSession(options);
    EXPECT_TRUE(test::matchesGolden("failing_item.log", maskPointers(log)));
    // The other items live on and are stored and sorted.
    for (const char* done : {"mad0 stored", "mad0 sorted", "mad7 stored"})
        EXPECT_TRUE(journal->has(done)) << done;
    EXPECT_FALSE(journal->has("mad6 stored"));
}

TEST_F(Lifecycle, GoldenLogOfADisabledRunThatTouchesNoObjectOfTheRunningModule) {
    fake.files.deleteFile("C:\\Users\\me\\AppData\\The Bat!\\TBPLUGIN.ini");
    fake.registry.set(kSettingsKey, "useTop10", "1");
    const std::string log = runSession({}, [](Plugin& plugin) {
        EXPECT_EQ(tbpNeedConfig(plugin), 0);
        EXPECT_EQ(tbpSetup(plugin), 0);
    });
    EXPECT_TRUE(test::matchesGolden("disabled.log", maskPointers(log)));
    EXPECT_EQ(fake.ui.boxes.size(), 1u);  // the restart request, once
    for (const char* never : {"tray created", "dialog created", "top10 created",
                              "dialog timers killed", "dialog shown", "spam thresholds updated"})
        EXPECT_FALSE(journal->has(never)) << never;
    EXPECT_FALSE(fake.files.has("var.dat"));
    EXPECT_EQ(journal->count("mad"), 0u);
    // What runs in disabled mode as well.
    for (const char* always :
         {"recipient filter created", "split files created", "scripting started",
          "scripting stopped", "attachment parts checked"})
        EXPECT_TRUE(journal->has(always)) << always;
    // The user's stored settings are left as they were.
    EXPECT_FALSE(fake.registry.has(kSettingsKey, "stStartCount"));
    EXPECT_FALSE(fake.registry.has(kSettingsKey, "Version"));
}

TEST_F(Lifecycle, AFailingStepSkipsNoLaterStoreNorTheScriptingStop) {
    returningUser();
    FakeSubsystemOptions options;
    options.failingTrayHide = true;
    const std::string log = runSession(options);
    EXPECT_NE(log.find("Exception in TBP_Finalize! (tray gone)"), std::string::npos);
    EXPECT_TRUE(fake.files.has("C:\\QBX\\var.dat"));
    EXPECT_EQ(fake.registry.get(kSettingsKey, "stEndCount"), "2");
    for (const char* done : {"mad0 sorted", "tray destroyed", "scripting stopped"})
        EXPECT_TRUE(journal->has(done)) << done;
    EXPECT_NE(log.find("Destroying done"), std::string::npos);
}

TEST_F(Lifecycle, AVarDatThatCannotBeReadOutlivesTheSession) {
    returningUser();
    const std::string path = "C:\\QBX\\var.dat";
    const std::string saved = "[String]\r\nmine=1\r\n";
    fake.files.put(path, saved);
    fake.files.makeUnreadable(path);
    const std::string log = runSession();
    EXPECT_EQ(fake.files.contents(path), saved);
    EXPECT_NE(log.find("Cannot read C:\\QBX\\var.dat (Access is denied.): left as it is and not "
                       "written this session"),
              std::string::npos);
    EXPECT_NE(log.find("Variables not saved: C:\\QBX\\var.dat could not be read at start"),
              std::string::npos);
}

TEST_F(Lifecycle, AFailingDialogStillLeavesTheRestStarted) {
    returningUser();
    FakeSubsystemOptions options;
    options.failingSettingsDialog = true;
    const std::string log = runSession(options);
    EXPECT_NE(log.find("Exception in StartPlugin (no window)"), std::string::npos);
    EXPECT_TRUE(journal->has("top10 loaded C:\\QBX\\Statistics\\Top10.Statz"));
    EXPECT_NE(log.find("Init done"), std::string::npos);
}

// The play-count list is stored whenever it exists, whatever the setting says by then.
TEST_F(Lifecycle, FinalizeStoresCountersOnlineTimeAndThePlayCountList) {
    returningUser();
    fake.registry.set(kSettingsKey, "stSessionsLength", "5000000000");
    runSession({}, [this](Plugin& plugin) {
        plugin.settings.playCountListOn = false;
        plugin.dialUp->isOnline = true;
        plugin.dialUp->connectTime = fake.clock.now() - 100.0 / 86400.0;
    });
    const std::pair<const char*, const char*> stored[] = {{"stStartCount", "2"},
                                                          {"stEndCount", "2"},
                                                          {"stSessionsLength", "5000000090"},
                                                          {"OnlineTime", "1100"}};
    for (const auto& [name, value] : stored)
        EXPECT_EQ(fake.registry.get(kSettingsKey, name), value) << name;
    EXPECT_TRUE(journal->has("top10 saved C:\\QBX\\Statistics\\Top10.Statz"));
    EXPECT_TRUE(journal->has("top10 destroyed"));
}

// Stored at their maximum, the run counters stay there and read back as stored next time.
TEST_F(Lifecycle, RunCountersAtTheirMaximumStayThere) {
    returningUser();
    const std::string max64 = decimal(std::numeric_limits<std::int64_t>::max());
    const std::string max32 = decimal(std::numeric_limits<std::int32_t>::max());
    for (const char* name : {"stStartCount", "stEndCount", "stSessionsLength"})
        fake.registry.set(kSettingsKey, name, max64);
    fake.registry.set(kSettingsKey, "OnlineTime",
                      decimal(std::numeric_limits<std::int32_t>::max() - 10));
    for (int run = 0; run < 2; ++run) {
        const std::string log = runSession({}, [this](Plugin& plugin) {
            plugin.dialUp->isOnline = true;
            plugin.dialUp->connectTime = fake.clock.now() - 100.0 / 86400.0;
        });
        EXPECT_EQ(log.find("out of range"), std::string::npos);
        for (const char* name : {"stStartCount", "stEndCount", "stSessionsLength"})
            EXPECT_EQ(fake.registry.get(kSettingsKey, name), max64) << name;
        EXPECT_EQ(fake.registry.get(kSettingsKey, "OnlineTime"), max32);
    }
}

TEST_F(Lifecycle, NewVersionBalloonOnlyAtTheFirstStartAfterTheChange) {
    returningUser();
    runSession();
    EXPECT_EQ(journal->count("balloon Quilbex 2.4.1202 Summer edition | "
                             "New version of ZVX has been installed | 25"),
              1u);
    runSession();
    EXPECT_EQ(journal->count("balloon "), 1u);
}

TEST_F(Lifecycle, SecondInitializeIsIgnoredAndFinalizeWithoutStartStoresNothing) {
    returningUser();
    Plugin plugin(fake.platform());
    test::installFakeSubsystems(plugin, journal);
    moduleLoaded(plugin);
    tbpFinalize(plugin);
    EXPECT_TRUE(fake.registry.writeOrder.empty());
    tbpInitialize(plugin);
    tbpInitialize(plugin);
    EXPECT_EQ(journal->count("tray created"), 1u);
    EXPECT_EQ(journal->count("mad0 created"), 1u);
    tbpFinalize(plugin);
    moduleUnloading(plugin);
    const std::string log = fake.files.contents(kLogPath);
    EXPECT_NE(log.find("TBP_Initialize while the plugin is running: ignored"), std::string::npos);
    EXPECT_NE(log.find("TBP_Finalize without TBP_Initialize: ignored"), std::string::npos);
}

TEST_F(Lifecycle, MacroListOffersStoredScripts) {
    static constexpr std::string_view kNames[] = {"ZVX", "ZVXVER"};
    const std::span<const std::string_view> before = offeredMacroNames();
    installOfferedMacroNames(kNames);
    runSession({}, [](Plugin& plugin) {
        std::string list(static_cast<std::size_t>(tbpGetMacroList(plugin, nullptr, -1)), '\0');
        tbpGetMacroList(plugin, list.data(), static_cast<std::int32_t>(list.size()));
        EXPECT_EQ(splitLines(list), (std::vector<std::string>{"ZVX", "ZVXVER", "FNa", "FNb"}));
    });
    installOfferedMacroNames(before);
}

}  // namespace
}  // namespace qbx
