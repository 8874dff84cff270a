// The native stand-in: the resolver of the C library tells this computer's name and
// addresses; there are no Internet settings and no remote-access connections to ask about.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "platform/network.h"

namespace qbx {
namespace {

// A resolver that lists the same address once per line of the hosts file would otherwise make
// one computer look like several.
constexpr std::size_t kMaxResolverEntries = 4 * Network::kMaxAddresses;

std::string localHostName() {
    std::array<char, Network::kMaxHostName + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0) return {};
    return std::string(name.data());  // zero-filled, so always ended
}

std::vector<std::string> addressesOf(const std::string& hostName, std::size_t most) {
    std::vector<std::string> addresses;
    if (hostName.empty() || !resolvableHostName(hostName)) return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName.c_str(), nullptr, &hints, &found) != 0) return addresses;
    std::size_t seen = 0;
    for (const addrinfo* at = found;
         at != nullptr && addresses.size() < most && seen < kMaxResolverEntries;
         at = at->ai_next, ++seen) {
        if (at->ai_family != AF_INET || at->ai_addr == nullptr ||
            at->ai_addrlen < sizeof(sockaddr_in))
            continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(at->ai_addr);
        std::array<char, INET_ADDRSTRLEN> text{};
        if (::inet_ntop(AF_INET, &address->sin_addr, text.data(), text.size()) == nullptr) continue;
        std::string dotted(text.data());
        if (std::find(addresses.begin(), addresses.end(), dotted) == addresses.end())
            addresses.push_back(std::move(dotted));
    }
    ::freeaddrinfo(found);
    return addresses;
}

class PosixNetwork final : public Network {
public:
    std::vector<std::string> localAddresses() override {
        return addressesOf(localHostName(), kMaxAddresses);
    }
    std::string firstAddressOf(std::string_view hostName) override {
        if (!resolvableHostName(hostName)) return {};
        const std::string name = hostName.empty() ? localHostName() : std::string(hostName);
        std::vector<std::string> first = addressesOf(name, 1);
        return first.empty() ? std::string() : std::move(first.front());
    }
    ProxyValues internetProxy() override { return {}; }
    std::optional<std::vector<RemoteConnection>> activeRemoteConnections() override {
        return std::nullopt;
    }
};

}  // namespace

Network& systemNetwork() {
    static PosixNetwork network;
    return network;
}

}  // namespace qbx
