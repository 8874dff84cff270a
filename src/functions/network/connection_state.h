// Whether the machine is on line and how, as the tray's connection watch asks on its timer, and
// the addresses of this computer as the network macros give them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/network.h"

namespace qbx::functions::network {

enum class ConnectionState : std::uint8_t {
    Offline = 0,
    ThroughProxy = 1,         // the Internet settings name an enabled proxy
    ThroughRemoteAccess = 2,  // no proxy, and a remote-access connection is active
};

// Nothing the system answers (or fails to) escapes: an unreadable proxy setting counts as no
// proxy, an unknown remote-access state as no connection.
ConnectionState connectionState(Network& network);

// The number of active remote-access connections; 0 when it cannot be told.
int countRemoteConnections(Network& network);

// The addresses, the first alone, then each further one after the separator.
std::string joinAddresses(const std::vector<std::string>& addresses, std::string_view separator);

// Address number `index` (from 0); nothing when there is no such number.
std::optional<std::string> addressAt(const std::vector<std::string>& addresses, std::int32_t index);

}  // namespace qbx::functions::network
