// The network macros through the built module: what the system of the run (Linux natively,
// Wine in the Windows builds) tells of this computer's name and addresses, and a module just
// loaded, which no connection watch has yet seen on line.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "item_table.h"
#include "platform/network.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

// Four numbers joined by dots (the look of the addresses the systems give).
bool isDottedAddress(const std::string& text) {
    unsigned parts[4];
    char end = 0;
    return std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &parts[0], &parts[1], &parts[2],
                       &parts[3], &end) == 4;
}

TEST(HostedNetwork, EveryMacroOnceThroughTheModule) {
    const qbx::test::HostHome home("hosted-network-");
    Host host(kModule);
    host.initialize();
    auto call = [&](const char* name, const std::vector<std::string>& arguments = {}) {
        return host.callMacro(host.data(), name, arguments);
    };

    // This computer as the system of the run tells it.
    const std::vector<std::string> expected = qbx::systemNetwork().localAddresses();
    const std::string ip = call("ZVXIP");
    if (expected.empty()) {
        EXPECT_EQ(ip, "localhost");
        EXPECT_EQ(call("ZVXLOCALIPLIST", {"c"}), "");
    } else {
        EXPECT_EQ(ip, expected.front());
        EXPECT_TRUE(isDottedAddress(ip)) << ip;
        std::string list = expected.front();
        for (std::size_t i = 1; i < expected.size(); ++i) list += "," + expected[i];
        EXPECT_EQ(call("ZVXLOCALIPLIST", {"c"}), list);
        EXPECT_EQ(call("ZVXLOCALIP", {"0"}), ip);
        EXPECT_EQ(call("ZVXGETIP", {""}), ip);
    }
    EXPECT_EQ(call("ZVXLOCALIP", {"-1"}), "n/a");
    EXPECT_EQ(call("ZVXLOCALIP", {std::to_string(expected.size())}), "n/a");

    // Names every resolver knows, and one that none does.
    EXPECT_EQ(call("ZVXGETIP", {"localhost"}), "127.0.0.1");
    EXPECT_EQ(call("ZVXGETIP", {"127.0.0.1"}), "127.0.0.1");
    EXPECT_EQ(call("ZVXGETIP", {"nowhere.invalid"}), "");
    EXPECT_EQ(call("ZVXGETIP", {std::string(300, 'a')}), "");

    // Not on line: the watch has seen no connection.
    EXPECT_EQ(call("ZVXIFONLINE", {"on", "off"}), "off");
    EXPECT_EQ(call("ZVXDIALUPNAME"), "No internet connection");
    EXPECT_EQ(call("ZVXONLINETIME"), "0");
    EXPECT_EQ(call("ZVXONLINETIME", {"S", "u"}), "0 sec");
}

// The remote-access state as the platform itself reads it: natively there is none to read,
// and Wine's remote-access library lists no connection (or is missing).
TEST(HostedNetwork, NoRemoteAccessConnectionsHere) {
    const auto connections = qbx::systemNetwork().activeRemoteConnections();
    EXPECT_TRUE(!connections || connections->empty());
}

}  // namespace
