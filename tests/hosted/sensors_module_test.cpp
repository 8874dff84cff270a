// The sensor macros through the built module. No monitor runs beside the tests, natively or
// under Wine, so both answer the monitor's absence; the Windows tests publish a block of
// their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

TEST(HostedSensors, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-sensors-");
    Host host(kModule);
    host.initialize();
    EXPECT_EQ(host.callMacro(host.data(), "MBMSENSORNAME", {"1", "T"}), "---");
    EXPECT_EQ(host.callMacro(host.data(), "MBMSENSORVAL", {"1", "V", "H"}), "---");
}

}  // namespace
