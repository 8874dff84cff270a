#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/settings_values.h"
#include "core/version.h"
#include "support/fakes.h"

namespace qbx {
namespace {

using ::testing::ElementsAreArray;
using Texts = std::vector<std::string>;
using Values = std::initializer_list<std::pair<const char*, const char*>>;

constexpr const char* kPluginList = "C:\\Users\\me\\AppData\\The Bat!\\TBPLUGIN.ini";

// A log line ends with its text whatever prefix the log puts before it.
bool endsWith(const std::string& line, const std::string& text) {
    return line.size() >= text.size() &&
           line.compare(line.size() - text.size(), text.size(), text) == 0;
}

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() {
        log.setMirror([this](const std::string& line) { lines.push_back(line); });
        fake.environment.variables["APPDATA"] = "C:\\Users\\me\\AppData";
        fake.registry.set(kHostKey, "Working Directory", "%APPDATA%\\The Bat!");
    }
    // An installation that has run before: folder stored, first-run marker set.
    void installed(const std::string& dir = "C:\\QBX\\") {
        set("InstallDir", dir.c_str());
        set("Statistics reset", "88");
    }
    void set(const char* name, const char* value) { fake.registry.set(kSettingsKey, name, value); }
    void set(Values values) {
        for (const auto& [name, value] : values) set(name, value);
    }
    std::string stored(const char* name) const { return fake.registry.get(kSettingsKey, name); }
    void load() { loadSettings(settings, SettingsIo{platform, log}); }
    void save() { saveSettings(settings, SettingsIo{platform, log}); }
    bool logged(const std::string& text) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return endsWith(line, text); });
    }
    Texts folders() const {
        return {settings.statisticsDir, settings.partsDir, settings.scriptsDir};
    }
    test::FakePlatform fake;
    Platform platform = fake.platform();
    Log log{platform};
    Settings settings;
    Texts lines;
};

TEST_F(SettingsTest, FirstRunFindsTheModuleAndEnablesTheFirstRunItemsForThisRunOnly) {
    fake.files.put(kPluginList,
                   "[Plugins]\r\nCount=3\r\nPlugin #1=C:\\Mail\\Plugins\\Other.tbp\r\n"
                   "Plugin #2=C:\\Mail\\Plugins\\QBX.TBP\r\nPlugin #3=D:\\qbx.tbp\r\n");
    set({{"sMouseTracking", "1"}, {"Enable antispam", "1"}, {"Statistics Flags", "64"}});
    load();
    EXPECT_FALSE(settings.needsRestart);
    EXPECT_EQ(settings.installDir, "c:\\mail\\plugins\\");
    EXPECT_EQ(stored("Statistics reset"), "88");
    EXPECT_EQ(settings.enabledItems, 88);
    EXPECT_EQ(settings.statisticsFlags, 448);
    EXPECT_FALSE(settings.mouseTracking);
    EXPECT_FALSE(settings.antispamActive);  // 88 has no NonSpam bit
    EXPECT_EQ(folders(), (Texts{"c:\\mail\\plugins\\Statistics\\", "c:\\mail\\plugins\\UC\\",
                                "c:\\mail\\plugins\\Scripts\\"}));
    for (const std::string& folder : folders()) EXPECT_TRUE(fake.files.directoryExists(folder));
    EXPECT_TRUE(fake.ui.boxes.empty());
    save();
    EXPECT_EQ(stored("InstallDir"), "c:\\mail\\plugins\\");
    EXPECT_EQ(stored("Statistics Flags"), "448");
    EXPECT_EQ(stored("sMouseTracking"), "0");
}

TEST_F(SettingsTest, EmptyRegistryGivesTheDefaults) {
    fake.files.put(kPluginList, "[Plugins]\r\nCount=1\r\nPlugin #1=C:\\Mail\\Plugins\\QBX.TBP\r\n");
    fake.clock.dateTime = 45000.5;  // 2023-03-15 12:00:00
    load();
    save();
    EXPECT_EQ(stored("Statistics Flags"), "256");
    Settings expected;  // the declared defaults must agree with the loader's
    expected.periodStartYear = 2023;
    expected.periodStartMonth = 3;
    expected.periodStartDay = 15;
    expected.periodStartHour = 12;
    expected.hostWorkingDir = "C:\\Users\\me\\AppData\\The Bat!";
    expected.installDir = settings.installDir;
    expected.statisticsDir = settings.statisticsDir;
    expected.partsDir = settings.partsDir;
    expected.scriptsDir = settings.scriptsDir;
    expected.statisticsFlags = 256;
    expected.enabledItems = 88;
    EXPECT_EQ(settings, expected);
}

TEST_F(SettingsTest, WorkingFlagsFollowTheStoredFlags) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {64, 448},
        {32, 256},
        {0, 256},
        {128 | 32 | 8, 256 | 8},  // NonSpam follows Spam, temp2 never on
        {-1, -1 & ~32}};
    for (const auto& [storedFlags, working] : cases)
        EXPECT_EQ(deriveMadFlags(storedFlags), working) << storedFlags;
    installed();
    set("Statistics Flags", "64");
    load();
    EXPECT_EQ(settings.enabledItems, 448);
    EXPECT_EQ(settings.statisticsFlags, 448);
    EXPECT_TRUE(logged("Mad flags: 1C0 (448)"));
}

TEST_F(SettingsTest, AntispamNeedsTheSpamItem) {
    struct Case {
        const char* enabled;
        const char* flags;
        bool active;
    };
    for (const Case c : {Case{"1", "0", false}, Case{"1", "64", true}, Case{"0", "64", false}}) {
        SCOPED_TRACE(std::string(c.enabled) + "/" + c.flags);
        installed();
        set({{"Enable antispam", c.enabled}, {"Statistics Flags", c.flags}});
        settings = Settings{};
        load();
        EXPECT_EQ(settings.antispamActive, c.active);
        EXPECT_TRUE(logged(c.active ? "Antispam is enabled" : "Antispam is disabled"));
    }
}

TEST_F(SettingsTest, PluginListEntriesAreExpandedAndTheListIsBounded) {
    fake.registry.set(kHostKey, "Working Directory", "C:\\Bat");  // no trailing backslash
    fake.environment.variables["PLUGDIR"] = "E:\\Plug";
    fake.files.put("C:\\Bat\\TBPLUGIN.ini",
                   "[Plugins]\r\nCount=2147483647\r\nPlugin #1=qbx.tbp\r\n"
                   "Plugin #5=%PlugDir%\\QBX.tbp\r\n");
    load();
    EXPECT_FALSE(settings.needsRestart);
    EXPECT_EQ(settings.installDir, "E:\\Plug\\");  // an entry without a folder is passed over
}

TEST_F(SettingsTest, MissingOrUnlistedModuleDisablesTheModule) {
    set({{"StatDir", "D:\\Stats\\"}, {"Enable antispam", "1"}, {"Statistics Flags", "64"}});
    for (const bool listExists : {false, true}) {
        SCOPED_TRACE(listExists);
        if (listExists)
            fake.files.put(kPluginList,
                           "[Plugins]\r\nCount=99999\r\nPlugin #1=C:\\Other\\x.tbp\r\n");
        fake.ui.boxes.clear();
        settings = Settings{};
        load();
        EXPECT_TRUE(settings.needsRestart);
        EXPECT_EQ(settings.enabledItems, 0);
        EXPECT_FALSE(settings.antispamActive);
        EXPECT_EQ(settings.installDir, "");
        EXPECT_EQ(folders(), (Texts{"", "", ""}));
        ASSERT_EQ(fake.ui.boxes.size(), 1u);
        EXPECT_EQ(fake.ui.boxes[0].text, "Please restart The Bat now");
        EXPECT_EQ(fake.ui.boxes[0].caption, "Quilbex 2.4.1202");
        EXPECT_EQ(fake.ui.boxes[0].icon, MessageIcon::Information);
        EXPECT_FALSE(fake.files.directoryExists("D:\\Stats"));
        // The first real run, after the restart, must still be a first run.
        EXPECT_FALSE(fake.registry.has(kSettingsKey, "Statistics reset"));
        save();
        EXPECT_TRUE(fake.registry.writeOrder.empty());
    }
}

TEST_F(SettingsTest, FoldersAndLanguageFileAreNormalised) {
    installed();
    fake.environment.variables["DATA"] = "D:\\Data";
    set({{"sLangFile", "C:\\x\\russian.zlf"}, {"UCdir", "%DATA%\\UC"}, {"StatDir", "D:\\Stats"}});
    load();
    EXPECT_EQ(settings.languageFile, "russian.zlf");
    EXPECT_EQ(settings.partsDir, "D:\\Data\\UC\\");
    EXPECT_EQ(settings.statisticsDir, "D:\\Stats\\");
    EXPECT_TRUE(fake.files.directoryExists("D:\\Data\\UC"));
    EXPECT_TRUE(fake.files.directoryExists("D:\\Stats"));
    EXPECT_TRUE(logged("UCdir: D:\\Data\\UC\\"));
    set("sLangFile", "");
    settings = Settings{};
    load();
    EXPECT_EQ(settings.languageFile, "english.zlf");
}

TEST_F(SettingsTest, UnusableFoldersFallBackUnderTheInstallation) {
    installed();
    set({{"StatDir", "Q:\\Locked\\Stats\\"}, {"UCdir", "Q:\\Locked\\UC"}});
    fake.files.unwritableFolders = {"q:\\locked"};
    load();
    EXPECT_EQ(settings.statisticsDir, "C:\\QBX\\Statistics\\");
    EXPECT_EQ(settings.partsDir, "C:\\QBX\\UC\\");
    EXPECT_TRUE(fake.files.directoryExists(settings.statisticsDir));
    EXPECT_TRUE(logged("Exception 1 (bad statistics directory, unable to use)"));
    EXPECT_TRUE(logged("Exception 2 (bad UC directory, unable to use)"));
    EXPECT_TRUE(logged("Cannot create folder Q:\\Locked\\Stats\\: Access is denied."));
    EXPECT_TRUE(logged("Cannot create folder Q:\\Locked\\UC\\: Access is denied."));
}

TEST_F(SettingsTest, ScriptsFolderThatCannotBeCreatedFailsTheLoad) {
    installed();
    fake.files.unwritableFolders = {"c:\\qbx\\scripts"};
    EXPECT_THROW(load(), std::runtime_error);
}

TEST_F(SettingsTest, OneBadValueLeavesItsNeighboursAlone) {
    installed();
    set({{"keysf1", "7"},
         {"keysf3", "9"},
         {"ucInterval", "30"},
         {"traymode", "two"},
         {"The MAD mask", "x.mbox"},
         {"noigspam", "0"}});
    for (const char* name : {"keysf2", "UCdir", "Statistics Flags"})
        fake.registry.setWrongType(kSettingsKey, name);
    load();
    const std::int64_t numbers[] = {settings.dialogChordKey1, settings.dialogChordKey2,
                                    settings.dialogChordKey3, settings.pendingPartsMaxAgeDays,
                                    settings.trayIconMode,    settings.statisticsFlags};
    EXPECT_THAT(numbers, ElementsAreArray({7, 0, 9, 30, 2, 256}));
    EXPECT_EQ(settings.partsDir, "C:\\QBX\\UC\\");
    EXPECT_EQ(settings.mailboxMask, "x.mbox");
    EXPECT_FALSE(settings.dialogNoIgnoreSpam);
    EXPECT_TRUE(logged("Registry value \"keysf2\" is not a text value, default used"));
    EXPECT_FALSE(logged("\"traymode\" is \"two\"")) << "no number, no range to tell";
}

// Each value outside its row's range takes the default with one line; values inside stay quiet.
TEST_F(SettingsTest, NumbersOutsideTheirRangeTakeTheirDefault) {
    struct Case {
        const char* name;
        const char* text;
        const char* value;  // afterwards, as it would be stored
        const char* line;   // the line's tail after the name; none when in range
    };
    const Case cases[] = {
        // one case a value
        {"traymode", "3", "2", "is \"3\", out of range 0..2, default 2 used"},
        {"stMinLen", "0", "5", "is \"0\", out of range 1..80, default 5 used"},
        {"stMin", "59", "59", nullptr},
        {"mmWidth", "70000", "320", "is \"70000\", out of range 1..65535, default 320 used"},
        {"ucInterval", "-1", "14", "is \"-1\", out of range 0..2147483647, default 14 used"},
        {"stMonth", "13", "3", "is \"13\", out of range 1..12, default 3 used"},
        {"stHour", "24", "12", "is \"24\", out of range 0..23, default 12 used"},
        {"stbKind", "258", "0", "is \"258\", out of range 0..4, default 0 used"},
        {"sttKind", "9", "9", nullptr},
        {"gk_KEY", "99999999999", "113",
         "is \"99999999999\", out of range 0..255, default 113 used"},
        {"stLetterCount", "-1", "1", "is \"-1\", out of range 0..2147483647, default 1 used"},
        {"osc", "2147483648", "0", "is \"2147483648\", out of range 0..2147483647, default 0 used"},
        // 3 GB as the earlier version stored it, in 32 bits; below them no count ever was
        {"stTotalSize", "-1294967296", "3000000000",
         "is \"-1294967296\", a count stored in 32 bits: read as 3000000000"},
        {"stHeaderSize", "-1", "4294967295",
         "is \"-1\", a count stored in 32 bits: read as 4294967295"},
        {"stTextSize", "-2147483648", "2147483648",
         "is \"-2147483648\", a count stored in 32 bits: read as 2147483648"},
        {"stSessionsLength", "-2147483649", "1",
         "is \"-2147483649\", out of range 0..9223372036854775807, default 1 used"},
        {"stStartCount", "9223372036854775808", "1",
         "is \"9223372036854775808\", out of range 0..9223372036854775807, default 1 used"},
        {"stEndCount", "9223372036854775807", "9223372036854775807", nullptr},
        {"CompressionLevel", "7", "7", nullptr},  // any other level: no compression
        {"Log level", "-9", "-9", nullptr},
        {"UUEC", "-7", "1", nullptr},  // a flag is on when it is not 0
        {"useTop10", "2", "1", nullptr},
    };
    installed();
    for (const Case& c : cases) set(c.name, c.text);
    load();
    save();
    std::ptrdiff_t expectedLines = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(stored(c.name), c.value) << c.name;
        if (c.line == nullptr) continue;
        if (std::string_view(c.line).find("out of range") != std::string_view::npos)
            ++expectedLines;
        EXPECT_TRUE(logged("Registry value \"" + std::string(c.name) + "\" " + c.line)) << c.name;
    }
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("out of range") != std::string::npos;
                            }),
              expectedLines);
}

// Every bounded row, at its edges: min and max are kept, one past either edge is refused. The
// edges are written out here, so a widened row in the table is caught too.
TEST_F(SettingsTest, EveryRangeKeepsItsEdgesAndRefusesOnePast) {
    constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
    struct Edges {
        const char* name;
        std::int64_t min, max;
        bool fromLow32 = false;  // a negative 32-bit number is the count the earlier version kept
    };
    const Edges edges[] = {
        {"keysf1", 0, 255},
        {"keysf2", 0, 255},
        {"keysf3", 0, 255},
        {"sortmode", kInt32Min, kInt32Max},
        {"stYear", 1, 9999},
        {"ucInterval", 0, kInt32Max},
        {"stDay", 1, 31},
        {"stMonth", 1, 12},
        {"stHour", 0, 23},
        {"stMin", 0, 59},
        {"stMinLen", 1, 80},
        {"stSec", 0, 59},
        {"stMsec", 0, 999},
        {"stLetterCount", 0, kInt32Max},
        {"OnlineTime", 0, kInt32Max},
        {"stStartCount", 0, kInt64Max, true},
        {"traymode", 0, 2},
        {"stEndCount", 0, kInt64Max, true},
        {"stTotalSize", 0, kInt64Max, true},
        {"tun", kInt32Min, kInt32Max},
        {"stHeaderSize", 0, kInt64Max, true},
        {"osc", 0, kInt32Max},
        {"stTextSize", 0, kInt64Max, true},
        {"stSessionsLength", 0, kInt64Max, true},
        {"Log level", kInt32Min, kInt32Max},
        {"mmWidth", 1, 65535},
        {"CompressionLevel", kInt32Min, kInt32Max},
        {"mmHeight", 1, 65535},
        {"gk_KEY", 0, 255},
        {"stbKind", 0, 4},
        {"sttKind", 0, 9},
        {"Statistics Flags", kInt32Min, kInt32Max},
    };
    const DateTimeFields now{};
    std::size_t bounded = 0;
    for (const ValueRow& row : valueRows()) {
        if (row.kind != ValueKind::Int || row.range.empty()) continue;
        ++bounded;
        const auto edge = std::find_if(std::begin(edges), std::end(edges), [&](const Edges& e) {
            return e.name == std::string(row.name);
        });
        ASSERT_NE(edge, std::end(edges)) << row.name << " has a range the test does not know";
        const auto read = [&](const std::string& text) {
            fake.registry.set(row.key, row.name, text);
            Settings fresh;
            return readValue(row, fresh, fake.registry, now).result;
        };
        EXPECT_EQ(read(decimal(edge->min)), ReadResult::Stored) << row.name;
        EXPECT_EQ(read(decimal(edge->max)), ReadResult::Stored) << row.name;
        if (edge->fromLow32) {
            EXPECT_EQ(read("-1"), ReadResult::FromLow32) << row.name;
            EXPECT_EQ(read(decimal(kInt32Min)), ReadResult::FromLow32) << row.name;
            EXPECT_EQ(read(decimal(kInt32Min - 1)), ReadResult::OutOfRange) << row.name;
        } else {
            EXPECT_EQ(read(edge->min == 0 ? "-1" : decimal(edge->min - 1)), ReadResult::OutOfRange)
                << row.name;
        }
        EXPECT_EQ(read(edge->max == kInt64Max ? "9223372036854775808" : decimal(edge->max + 1)),
                  ReadResult::OutOfRange)
            << row.name;
    }
    EXPECT_EQ(bounded, std::size(edges));
}

// A folder setting is a full folder ending in a backslash, taken from the module's folder when
// relative; one the system would read as a device, or cannot hold, gives way to its default.
TEST_F(SettingsTest, FolderSettingsAreResolvedOrRefused) {
    fake.environment.module = "C:\\Mail\\Plugins\\QBX.tbp";  // as the host loaded it
    fake.environment.variables["DATA"] = "Data";
    installed("Z:\\etc\\passwd");
    set({{"StatDir", "%DATA%\\Stats"},  // relative once expanded
         {"UCdir", "D:\\x\\CON\\"},
         {"ScriptingDir", "\\\\?\\D:\\s"}});
    load();
    EXPECT_EQ(settings.installDir, "Z:\\etc\\passwd\\");
    EXPECT_EQ(folders(), (Texts{"C:\\Mail\\Plugins\\Data\\Stats\\", "Z:\\etc\\passwd\\UC\\",
                                "Z:\\etc\\passwd\\Scripts\\"}));
    for (const char* line :
         {"Registry value \"UCdir\" is \"D:\\x\\CON\\\", refused: device name \"CON\", "
          "default used",
          "Registry value \"ScriptingDir\" is \"\\\\?\\D:\\s\", refused: device or namespace path, "
          "default used",
          "Statdir: C:\\Mail\\Plugins\\Data\\Stats\\", "UCdir: Z:\\etc\\passwd\\UC\\",
          "Scripting dir is: Z:\\etc\\passwd\\Scripts\\", "ZVX dir is Z:\\etc\\passwd\\"})
        EXPECT_TRUE(logged(line)) << line;
    EXPECT_FALSE(fake.files.directoryExists("D:\\x\\CON"));

    // A refused or relative installation folder: the module's folder is where it lies.
    fake.files.put(kPluginList, "[Plugins]\r\nCount=1\r\nPlugin #1=C:\\Mail\\Plugins\\QBX.tbp\r\n");
    for (const auto& [stored, used] :
         {std::pair{"NUL", "c:\\mail\\plugins\\"}, {"QBX", "C:\\Mail\\Plugins\\QBX\\"}}) {
        set({{"InstallDir", stored}, {"StatDir", ""}});
        settings = Settings{};
        load();
        EXPECT_EQ(settings.installDir, used) << stored;
        EXPECT_EQ(settings.statisticsDir, std::string(used) + "Statistics\\") << stored;
    }
    EXPECT_TRUE(
        logged("Registry value \"InstallDir\" is \"NUL\", refused: device name \"NUL\", "
               "default used"));
}

TEST_F(SettingsTest, ARefusedTextIsLoggedOnOneLineOfBoundedLength) {
    installed();
    set("UCdir", ("D:\\x\r\n" + std::string(500, 'y')).c_str());
    load();
    EXPECT_EQ(settings.partsDir, "C:\\QBX\\UC\\");
    EXPECT_TRUE(logged("Registry value \"UCdir\" is \"D:\\x  " + std::string(114, 'y') +
                       "...\", refused: control character, default used"));
}

TEST_F(SettingsTest, SaveWritesItsFixedOrder) {
    installed();
    load();
    fake.registry.writeOrder.clear();
    save();
    Texts expected;
    for (const SavedValue& value : saveOrder()) expected.push_back(value.name);
    EXPECT_EQ(fake.registry.writeOrder, expected);
    EXPECT_EQ(stored("Version"), std::string(kVersionText));
    EXPECT_TRUE(fake.registry.has(kViewerKey, "version"));
    EXPECT_FALSE(fake.registry.has(kViewerKey, "filename"));
    EXPECT_FALSE(fake.registry.has(kHostKey, "ProgramDir"));
    EXPECT_TRUE(logged("Data stored"));
}

TEST_F(SettingsTest, ARefusedWriteDoesNotStopTheOthers) {
    struct RefusingRegistry : test::FakeRegistry {
        bool writeString(std::string_view key, std::string_view name,
                         std::string_view value) override {
            return name != "Version" && FakeRegistry::writeString(key, name, value);
        }
    } registry;
    platform.registry = &registry;
    settings.installDir = "C:\\QBX\\";
    save();
    EXPECT_EQ(registry.writeOrder.size(), saveOrder().size() - 1);
    EXPECT_EQ(registry.writeOrder.back(), "sttKind");
    EXPECT_TRUE(logged("Cannot store \"Version\""));
    EXPECT_FALSE(logged("Data stored"));
}

TEST_F(SettingsTest, LoadSaveLoadKeepsEveryValue) {
    installed("C:\\Program Files\\QBX\\");
    fake.files.put("C:\\Viewer\\zvxv.exe", "MZ");
    fake.registry.set(kViewerKey, "filename", "C:\\Viewer\\zvxv.exe");
    fake.registry.set(kViewerKey, "version", "1.2");
    fake.registry.set(kHostKey, "ProgramDir", "C:\\Program Files\\The Bat!\\");
    for (const ValueRow& row : valueRows()) {
        const std::string name = row.name;
        if (row.key != std::string(kSettingsKey) || name == "InstallDir") continue;
        switch (row.kind) {
            case ValueKind::Bool: set(row.name, row.fallback.number != 0 ? "0" : "1"); break;
            case ValueKind::Int: {
                // In range and, where the range allows, not the default.
                const std::int64_t wanted = row.number + 1;
                const ValueRange r = row.range;
                set(row.name,
                    decimal(r.contains(wanted) ? wanted : r.min + wanted % (r.max - r.min + 1))
                        .c_str());
                break;
            }
            case ValueKind::Text:
            case ValueKind::Folder: set(row.name, ("C:\\Values\\" + name + "\\").c_str()); break;
        }
    }
    // Totals keep all 64 bits.
    const Values totals = {{"stStartCount", "4294967296"},
                           {"stEndCount", "5"},
                           {"stTotalSize", "9223372036854775807"},
                           {"stHeaderSize", "123456789012345"},
                           {"stSessionsLength", "8589934593"}};
    set(totals);
    set({{"Statistics Flags", "64"}, {"stTextSize", "7"}, {"sLangFile", "german.zlf"}});
    load();
    EXPECT_EQ(settings.dialogChordKey2, 3);
    EXPECT_EQ(settings.viewerFilename, "C:\\Viewer\\zvxv.exe");
    settings.bodyBytes += 5000000000LL;
    const Settings first = settings;
    save();
    for (const auto& [name, value] : totals) EXPECT_EQ(stored(name), value) << name;
    EXPECT_EQ(stored("stTextSize"), "5000000007");
    settings = Settings{};
    load();
    EXPECT_EQ(settings, first);
}

}  // namespace
}  // namespace qbx
