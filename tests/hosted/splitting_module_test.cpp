// ZVXSPLIT through the built module. Natively no host program can be started: the part files
// are written, the failed start is logged, and the shut-down takes the files away.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "item_table.h"
#include "platform/platform.h"
#include "platform/process.h"

namespace {

using qbx::test::kModule;
using qbx::test::slurp;
using qbxhost::Host;

TEST(HostedSplitting, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-splitting-");
    const std::filesystem::path temp = home.path() / "tmp";
    {
        Host host(kModule);
        host.initialize();
        EXPECT_EQ(host.callMacro(host.data(), "ZVXSPLIT", {"abcdefghijk", "a@b.c", "5"}), "abcde");
        const std::string* to = host.data().find(218);
        ASSERT_NE(to, nullptr);
        EXPECT_EQ(*to, "a@b.c");
        EXPECT_EQ(slurp(temp / "temp0001.tzvx"), "fghij%TO=\"a@b.c\"%SUBJECT=\"[2/3]\r\n");
        EXPECT_EQ(slurp(temp / "temp0002.tzvx"), "k%TO=\"a@b.c\"%SUBJECT=\"[3/3]\r\n");
#if !defined(_WIN32)
        const std::string log = slurp(temp / "-QBX.log");
        EXPECT_NE(log.find("mk: /MAILT=\"" + qbx::toModulePath(temp.string()) +
                           "\\temp0001.tzvx\";QUEUE"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("@@ ZVXSPLIT: cannot start " +
                           qbx::toModulePath((home.path() / "TheBat").string()) +
                           "\\thebat.exe: starting programs is not available here; 2 part(s) "
                           "not queued"),
                  std::string::npos)
            << log;
#endif
        host.finalize();
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "temp0001.tzvx"));
    EXPECT_FALSE(std::filesystem::exists(temp / "temp0002.tzvx"));
}

}  // namespace
