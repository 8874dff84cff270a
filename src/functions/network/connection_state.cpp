#include "functions/network/connection_state.h"

#include <algorithm>
#include <cstddef>

namespace qbx::functions::network {
namespace {

bool proxyInUse(Network& network) {
    try {
        const ProxyValues proxy = network.internetProxy();
        return proxy.enable != 0 && !proxy.server.empty();
    } catch (...) {
        return false;
    }
}

}  // namespace

ConnectionState connectionState(Network& network) {
    if (proxyInUse(network)) return ConnectionState::ThroughProxy;
    if (countRemoteConnections(network) > 0) return ConnectionState::ThroughRemoteAccess;
    return ConnectionState::Offline;
}

int countRemoteConnections(Network& network) {
    try {
        const auto connections = network.activeRemoteConnections();
        if (!connections) return 0;
        return static_cast<int>(std::min(connections->size(), Network::kMaxConnections));
    } catch (...) {
        return 0;
    }
}

std::string joinAddresses(const std::vector<std::string>& addresses, std::string_view separator) {
    std::string joined;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        if (i > 0) joined += separator;
        joined += addresses[i];
    }
    return joined;
}

std::optional<std::string> addressAt(const std::vector<std::string>& addresses,
                                     std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= addresses.size()) return std::nullopt;
    return addresses[static_cast<std::size_t>(index)];
}

}  // namespace qbx::functions::network
