// STAT through the built module and the host emulator, with the Spam item switched on and still
// empty. (The registry under Wine is shared by every run, so a "fresh" installation may not be
// a first run: the test sets the flags itself.)
#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "hosted/host_home.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

TEST(HostedStat, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-stat-");
    const qbx::test::SettingForTheTest spamItem("Statistics Flags", "64");
    Host host(kModule);
    host.initialize();
    EXPECT_EQ(host.callMacro(host.data(), "STAT", {"16", ".", "$$entry", ","}),
              "statistics file is disabled or not present");
    EXPECT_EQ(host.callMacro(host.data(), "STAT", {"6", ".", "$$entry", ","}), "not found");
    EXPECT_EQ(host.callMacro(host.data(), "STAT", {"6", "(", "$$entry", ","})
                  .rfind("bad pattern specified (", 0),
              0u);
}

}  // namespace
