// The connection test of the tray's watch, over a network set by hand.
#include "functions/network/connection_state.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fake_network.h"

namespace qbx::functions::network {
namespace {

using Connections = std::optional<std::vector<RemoteConnection>>;

struct StateCase {
    const char* what;
    std::uint32_t enable;
    std::string server;
    Connections connections;
    bool failProxy;
    bool failConnections;
    ConnectionState expected;
};

TEST(ConnectionState, ProxyFirstThenRemoteAccess) {
    const Connections none = std::nullopt;
    const Connections one = std::vector<RemoteConnection>{{"My ISP"}};
    using enum ConnectionState;
    const std::vector<StateCase> cases = {
        {"nothing known", 0, "", none, false, false, Offline},
        {"proxy enabled without a server", 1, "", none, false, false, Offline},
        {"proxy server named but disabled", 0, "proxy:8080", none, false, false, Offline},
        {"proxy", 1, "proxy:8080", none, false, false, ThroughProxy},
        {"proxy wins over remote access", 1, "proxy:8080", one, false, false, ThroughProxy},
        {"remote access", 0, "", one, false, false, ThroughRemoteAccess},
        {"empty proxy server, remote access", 1, "", one, false, false, ThroughRemoteAccess},
        {"registry failure is no proxy", 1, "proxy:8080", one, true, false, ThroughRemoteAccess},
        {"remote-access failure is no connection", 0, "", one, false, true, Offline},
    };
    for (const StateCase& c : cases) {
        test::FakeNetwork network;
        network.proxy = {c.enable, c.server};
        network.connections = c.connections;
        network.failProxy = c.failProxy;
        network.failConnections = c.failConnections;
        EXPECT_EQ(connectionState(network), c.expected) << c.what;
    }
}

TEST(ConnectionState, CountsConnections) {
    test::FakeNetwork network;
    EXPECT_EQ(countRemoteConnections(network), 0);
    network.connections = std::vector<RemoteConnection>{{"A"}, {"B"}};
    EXPECT_EQ(countRemoteConnections(network), 2);
    network.failConnections = true;
    EXPECT_EQ(countRemoteConnections(network), 0);
}

TEST(NetworkValues, ProxyEnableFromBinaryData) {
    const std::vector<std::pair<std::string, std::uint32_t>> cases = {
        {std::string("\x01\x00\x00\x00", 4), 1},
        {std::string("\x00\x00\x00\x01", 4), 0x01000000},
        {std::string("\x01\x02\x03\x04\xff\xff", 6), 0x04030201},  // the first four only
        {std::string("\x01\x02", 2), 0x0201},
        {"", 0},
    };
    for (const auto& [bytes, expected] : cases)
        EXPECT_EQ(proxyEnableFromBinary(bytes), expected) << bytes.size();
}

}  // namespace
}  // namespace qbx::functions::network
