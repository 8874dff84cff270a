// The attachment-part completer on the build's real services (the native stand-ins, real Win32
// under Wine): the calls it needs from them, and parts arriving through the module's spam entry
// point as the host calls it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/uu_codec.h"
#include "core/plugin.h"
#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "spam_run.h"
#include "statistics/attachment_completer.h"

namespace qbx {
namespace {

namespace fs = std::filesystem;
using test::slurp;
using test::spit;

std::string sampleBytes() {
    std::string bytes;
    for (int i = 0; i < 400; ++i) bytes += static_cast<char>(i * 101 + 7);
    return bytes;
}

// The sample's data lines cut into three sections, each a message body.
std::vector<std::string> partBodies(const std::string& name) {
    std::vector<std::string> lines = splitLines(uuEncodeFile(name, sampleBytes()));
    lines = std::vector<std::string>(lines.begin() + 1, lines.end() - 2);
    std::vector<std::string> bodies(3);
    for (std::size_t i = 0; i < bodies.size(); ++i)
        bodies[i] = "section " + std::to_string(i + 1) + " of 3 of file " + name + "\r\n";
    for (std::size_t i = 0; i < lines.size(); ++i)
        bodies[i * 3 / lines.size()] += lines[i] + "\r\n";
    return bodies;
}

// The completer switched on for a test; switched on afterwards too when the setting was missing,
// as its default is.
class CompleterOn {
public:
    CompleterOn() { registry().writeString("Software\\ZVX", "UUEC", "1"); }
    ~CompleterOn() {
        registry().writeString("Software\\ZVX", "UUEC",
                               saved_.status == RegStatus::Ok ? saved_.text : "1");
    }
    CompleterOn(const CompleterOn&) = delete;
    CompleterOn& operator=(const CompleterOn&) = delete;

private:
    static Registry& registry() { return *systemPlatform().registry; }
    const RegValue saved_ = registry().readString("Software\\ZVX", "UUEC");
};

// The whole messages of the sample's sections, as an mbox.
std::string partsMbox(const std::string& name) {
    std::string mbox;
    for (const std::string& body : partBodies(name))
        mbox += "From x\nFrom: a@example.org\nSubject: " + name + "\n\n" + body + "\n";
    return mbox;
}

// The host hands the module every message of the mbox for its score. The registry is shared
// by every test under Windows: the message counters the module saves go back as they were.
void scoreThroughTheModule(const test::HostHome& home, const std::string& mbox) {
    struct Counter {
        const char* name;
        const char* missing;  // the value when there was none
        RegValue saved;
    };
    Registry& registry = *systemPlatform().registry;
    std::vector<Counter> counters = {{"stLetterCount", "1", {}},
                                     {"stTotalSize", "0", {}},
                                     {"stHeaderSize", "0", {}},
                                     {"stTextSize", "0", {}}};
    for (Counter& counter : counters)
        counter.saved = registry.readString("Software\\ZVX", counter.name);
    test::spit(home.path() / "mbox", mbox);
    {
        qbxhost::Host host(test::kModule);
        host.initialize();
        std::ostringstream out, problems;
        qbxhost::scoreMessages(host.exports().getSpamScore, {(home.path() / "mbox").string()}, out,
                               problems);
        host.finalize();
    }
    for (const Counter& counter : counters)
        registry.writeString(
            "Software\\ZVX", counter.name,
            counter.saved.status == RegStatus::Ok ? counter.saved.text : counter.missing);
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CompleterOnTheSystem : public ::testing::Test {
protected:
    std::string folder() const { return toModulePath(scratch_.path.string()) + "\\"; }

    const test::ScratchFolder scratch_{"completer-"};
    Platform platform_ = systemPlatform();
};

TEST_F(CompleterOnTheSystem, NewFilesNeverReplaceOldOnesAndIniKeysGo) {
    FileSystem& files = *platform_.files;
    const std::string path = folder() + "abc1.tmp";
    auto created = files.createNewFile(path);
    ASSERT_NE(created, nullptr);
    EXPECT_TRUE(created->write("first"));
    created.reset();
    EXPECT_EQ(files.createNewFile(path), nullptr);
    EXPECT_EQ(slurp(scratch_.path / "abc1.tmp"), "first");

    ProfileStore& profiles = *platform_.profiles;
    const std::string ini = folder() + "UC.INI";
    for (const char* key : {"Count", "a.bin", "b.bin"})
        ASSERT_TRUE(profiles.writeString(ini, "PendingFiles", key, "1"));
    ASSERT_TRUE(profiles.writeString(ini, "a.bin", "1", path));
    EXPECT_TRUE(profiles.deleteKey(ini, "PendingFiles", "A.BIN"));
    EXPECT_TRUE(profiles.deleteKey(ini, "PendingFiles", "none"));
    EXPECT_TRUE(profiles.eraseSection(ini, "a.bin"));
    EXPECT_EQ(profiles.keyNames(ini, "PendingFiles"), (std::vector<std::string>{"Count", "b.bin"}));
    EXPECT_EQ(profiles.readString(ini, "a.bin", "1", "gone"), "gone");
}

// Every macro of the completer once through qbxhost: the module's entry point hands the
// sections to the completer, which keeps them in the installation's parts folder.
TEST(CompleterModule, PartsMailedToTheModuleAreKept) {
    const test::HostHome home("completer-module-");
    Registry& registry = *systemPlatform().registry;
    const char* const kept[] = {"UUEC", "stLetterCount", "stTotalSize", "stHeaderSize",
                                "stTextSize"};
    std::vector<RegValue> saved;
    for (const char* name : kept) saved.push_back(registry.readString("Software\\ZVX", name));
    registry.writeString("Software\\ZVX", "UUEC", "1");

    std::string mbox;
    for (const std::string& body : partBodies("pic.bin"))
        mbox += "From x\nFrom: a@example.org\nSubject: pic.bin\n\n" + body + "\n";
    spit(home.path() / "mbox", mbox);
    {
        qbxhost::Host host(test::kModule);
        host.initialize();
        std::ostringstream out, problems;
        EXPECT_EQ(qbxhost::scoreMessages(host.exports().getSpamScore,
                                         {(home.path() / "mbox").string()}, out, problems)
                      .messages,
                  3u);
        host.finalize();
    }
    std::optional<fs::path> ini;
    for (const auto& entry : fs::recursive_directory_iterator(home.path()))
        if (entry.path().filename() == "UC.INI") ini = entry.path();
    ASSERT_TRUE(ini.has_value());
    const std::string text = slurp(*ini);
    EXPECT_NE(text.find("pic.bin=3"), std::string::npos) << text;
    EXPECT_NE(text.find("CurrentCount=3"), std::string::npos) << text;
    std::size_t parts = 0;
    for (const auto& entry : fs::directory_iterator(ini->parent_path()))
        if (entry.path().extension() == ".tmp") ++parts;
    EXPECT_EQ(parts, 3u);

    for (std::size_t i = 0; i < saved.size(); ++i)
        registry.writeString("Software\\ZVX", kept[i],
                             saved[i].status == RegStatus::Ok ? saved[i].text
                             : i == 0                         ? "1"
                             : i == 1                         ? "1"
                                                              : "0");
}

// The longest path the system's file calls take (natively the path limit, under Windows the
// classic one of the ANSI calls).
#if defined(_WIN32)
constexpr std::size_t kSystemPathLimit = 259;
#else
constexpr std::size_t kSystemPathLimit = 4095;
#endif

TEST_F(CompleterOnTheSystem, AssemblyKeepsTheFileThereAndGoesOnPastASetItCannotWrite) {
    // A folder whose own files fit the limit while a long name in it does not.
    fs::path deep = scratch_.path;
    const std::size_t wanted = kSystemPathLimit - 60;
    for (std::size_t size = toModulePath(deep.string()).size(); size + 2 < wanted;
         size = toModulePath(deep.string()).size())
        deep /= std::string(std::min<std::size_t>(200, wanted - size - 2), 'd');
    fs::create_directories(deep);
    Plugin plugin(platform_);
    plugin.settings.partsDir = toModulePath(deep.string()) + "\\";
    plugin.settings.scriptsDir = folder() + "Scripts\\";
    std::vector<std::string> log;
    plugin.log.setMirror([&](const std::string& line) { log.push_back(line); });

    test::spit(deep / "pic.bin", "the user's own");
    const std::string longName = std::string(90, 'n') + ".bin";
    for (const std::string& name : {longName, std::string("PIC.BIN")})
        for (const std::string& body : partBodies(name)) statistics::addUuePart(plugin, body);
    statistics::completePendingUue(plugin, true);
    plugin.log.setMirror(nullptr);

    EXPECT_EQ(slurp(deep / "pic.bin"), "the user's own");
    EXPECT_EQ(slurp(deep / "PIC (2).BIN"), sampleBytes());
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "PIC.BIN is there already: the new one is kept as PIC (2).BIN"),
              log.end());
    EXPECT_NE(std::find_if(log.begin(), log.end(),
                           [&](const std::string& line) {
                               return line.rfind("Cannot assemble " + longName + ": ", 0) == 0;
                           }),
              log.end());
    // The long set waits with its three parts; nothing else is left.
    const std::vector<std::string> names = namesIn(deep);
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& name) { return name.ends_with(".tmp"); }),
              3);
    EXPECT_EQ(names.size(), 6u) << ::testing::PrintToString(names);
    const std::string ini = slurp(deep / "UC.INI");
    EXPECT_NE(ini.find("Count=1\r\n" + longName + "=3\r\n"), std::string::npos) << ini;
}

// "UC.INI" with a line longer than the module reads: kept aside unchanged before the parts
// that the module is handed are registered in a new one, which carries over what was read.
TEST(CompleterModule, AnIniNotReadWholeIsKeptAsideBeforeTheModuleWritesIt) {
    const test::HostHome home("completer-aside-");
    const fs::path parts = home.path() / "parts";
    fs::create_directories(parts);
    const CompleterOn on;
    const test::SettingForTheTest folder("UCdir", toModulePath(parts.string()) + "\\");
    const std::string original =
        "[PendingFiles]\r\nCount=1\r\nold.bin=1\r\n[old.bin]\r\nCount=2\r\nCurrentCount=1\r\n"
        "DateStamp=45000.5\r\nnote=" +
        std::string(70000, 'x') + "\r\n";
    test::spit(parts / "UC.INI", original);

    scoreThroughTheModule(home, partsMbox("pic.bin"));

    EXPECT_TRUE(slurp(parts / "UC.INI.full") == original);
    const std::string ini = slurp(parts / "UC.INI");
    EXPECT_NE(ini.find("[PendingFiles]\r\nCount=2\r\nold.bin=1\r\npic.bin=3\r\n"),
              std::string::npos)
        << ini.substr(0, 300);
    EXPECT_NE(ini.find("[pic.bin]\r\nCount=3\r\nCurrentCount=3\r\n"), std::string::npos);
    // Written whole under a temporary name and renamed: no such name is left.
    for (const std::string& name : namesIn(parts))
        EXPECT_TRUE(name == "UC.INI" || name == "UC.INI.full" || name.ends_with(".tmp")) << name;
}

// A parts folder that is the scripts folder: a mailed "x.s" would become a script.
TEST(CompleterModule, APartsFolderThatIsTheScriptsFolderGetsNothing) {
    const test::HostHome home("completer-scripts-");
    const fs::path scripts = home.path() / "Scripts";
    fs::create_directories(scripts);
    const CompleterOn on;
    const test::SettingForTheTest parts("UCdir", toModulePath(scripts.string()) + "\\");
    const test::SettingForTheTest scriptsFolder("ScriptingDir",
                                                toModulePath(scripts.string()) + "\\");
    scoreThroughTheModule(home, partsMbox("x.s"));
    for (const std::string& name : namesIn(scripts))
        EXPECT_TRUE(name != "UC.INI" && !name.ends_with(".tmp") && name != "x.s") << name;
}

}  // namespace
}  // namespace qbx
