// The attachment-part completer on the build's real services (the native stand-ins, real Win32
// under Wine): the calls it needs from them, and parts arriving through the module's spam entry
// point as the host calls it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "base/uu_codec.h"
#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "spam_run.h"

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

}  // namespace
}  // namespace qbx
