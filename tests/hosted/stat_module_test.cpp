// STAT through the built module and the host emulator, in a fresh installation: the first run
// switches on the Recipients, Senders and Spam items, all still empty.
#include <gtest/gtest.h>

#include <string>

#include "host.h"
#include "hosted/host_home.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

TEST(HostedStat, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-stat-");
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
