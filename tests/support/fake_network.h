// A network that tests set by hand: this computer's addresses, the names it resolves, the
// proxy values and the remote-access connections; each can also be made to throw.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/network.h"

namespace qbx::test {

class FakeNetwork : public Network {
public:
    std::vector<std::string> localAddresses() override {
        ++addressQueries;
        if (failAddresses) throw std::runtime_error("resolver broke");
        return addresses;
    }
    std::string firstAddressOf(std::string_view hostName) override {
        lastResolved = std::string(hostName);
        if (failAddresses) throw std::runtime_error("resolver broke");
        if (hostName.empty()) return addresses.empty() ? std::string() : addresses.front();
        const auto it = hosts.find(std::string(hostName));
        return it == hosts.end() ? std::string() : it->second;
    }
    ProxyValues internetProxy() override {
        if (failProxy) throw std::runtime_error("registry broke");
        return proxy;
    }
    std::optional<std::vector<RemoteConnection>> activeRemoteConnections() override {
        if (failConnections) throw std::runtime_error("remote access broke");
        return connections;
    }

    std::vector<std::string> addresses = {"192.168.1.10"};
    std::map<std::string, std::string> hosts;  // name -> first address
    ProxyValues proxy;
    std::optional<std::vector<RemoteConnection>> connections;  // unknown by default
    bool failAddresses = false;
    bool failProxy = false;
    bool failConnections = false;
    int addressQueries = 0;
    std::string lastResolved;
};

}  // namespace qbx::test
