// The player macros through the built module. No player runs beside the tests (natively there
// are no windows at all), so each answers the players' absence; the Windows tests start
// stand-in players of their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

TEST(HostedPlayers, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-players-");
    Host host(kModule);
    host.initialize();
    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"NP", {}, "silence"},
        {"NPP", {}, ""},
        {"NPIF", {"yes", "no"}, "no"},
        {"WAIF", {"yes", "no"}, "no"},
        {"FBIF", {"yes", "no"}, "no"},
        {"STPIF", {"yes", "no"}, "no"},
        {"QCDIF", {"yes", "no"}, "no"},
        {"1B1IF", {"yes", "no"}, "no"},
        {"APIF", {"yes", "no"}, "no"},
        {"WANP", {}, "WinAMP is not active"},
        {"FBNP", {}, "Foobar2000 is not active"},
        {"STPNP", {}, "System Tray Player is not active"},
        {"APNP", {}, "Apollo Player is not active"},
        {"QCDNP", {}, "Quintessential Player is not active"},
        {"1B1NP", {}, "1by1 is not active"},
        {"QCDTIME", {}, ""},
        {"QCDPLPOS", {}, ""},
        {"1B1TIME", {}, ""},
        {"WAVER", {}, ""},
        {"WASTATUS", {}, ""},
        {"WAPOS", {}, ""},
        {"WAPLLEN", {}, ""},
        {"WAPLPOS", {}, ""},
        {"WARATE", {}, ""},
        {"WABITRATE", {}, ""},
        {"WACH", {}, ""},
        {"WAEQ", {"5"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(host.callMacro(host.data(), c.name, c.arguments), c.expected) << c.name;
    EXPECT_EQ(host.expandTemplate(host.data(), "%NP(\"quiet\")"), "quiet");
}

}  // namespace
