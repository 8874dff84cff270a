// The play-count list through the built module: loaded by the start-up from the statistics
// folder, answered by NPTOP, written back by the shut-down.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "functions/playcount/play_count_table.h"
#include "host.h"
#include "hosted/host_home.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

using qbx::functions::playcount::PlayCountTable;
using qbx::test::kModule;
using qbxhost::Host;

using qbx::test::SettingForTheTest;

std::string fileText(const std::filesystem::path& path) {
    auto bytes = qbx::systemPlatform().files->readFile(qbx::toModulePath(path.string()), 1u << 24);
    return bytes ? *bytes : std::string();
}

TEST(HostedPlayCount, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-playcount-");
    const std::filesystem::path stats = home.path() / "stats";
    std::filesystem::create_directories(stats);
    PlayCountTable table;
    table.insert("Song", 3);
    table.insert("Tune", 1);
    std::ofstream(stats / "Top10.Statz", std::ios::binary) << table.writeStream({});
#if defined(_WIN32)
    const std::string folder = qbx::toModulePath(stats.string()) + "\\";
#else
    const std::string folder = stats.generic_string() + "/";
#endif
    // The home puts the folder settings back when it goes.
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "StatDir", folder);
    const SettingForTheTest useList("useTop10", "1");
    {
        Host host(kModule);
        host.initialize();
        EXPECT_EQ(host.callMacro(host.data(), "NPTOP", {"0", "$$cnt) $$entry ($$val)"}),
                  "1) Song (3)\r\n2) Tune (1)");
        host.finalize();
    }
    PlayCountTable back;
    const auto reading = back.readStream(fileText(stats / "Top10.Statz"));
    EXPECT_EQ(reading.inflate.damage, "");
    EXPECT_EQ(back.countEntries(), 2);
    EXPECT_EQ(back.totalCount(), 4u);
}

}  // namespace
