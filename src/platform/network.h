// The machine's network as the macros and the tray's connection watch see it: the addresses of
// this computer's host name, a host name's address, the user's proxy settings and the active
// remote-access (dial-up) connections. Every list and text taken from the system is bounded
// here, so the callers never see more than these limits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

// The values "ProxyEnable" and "ProxyServer" of the user's Internet settings key. A value that
// is missing or cannot be read leaves its field zero or empty.
struct ProxyValues {
    std::uint32_t enable = 0;
    std::string server;  // at most Network::kMaxProxyServer bytes
};

// One active remote-access connection.
struct RemoteConnection {
    std::string entryName;  // at most Network::kMaxEntryName bytes
};

class Network {
public:
    static constexpr std::size_t kMaxAddresses = 64;
    static constexpr std::size_t kMaxHostName = 255;
    static constexpr std::size_t kMaxProxyServer = 1024;
    static constexpr std::size_t kMaxConnections = 64;
    static constexpr std::size_t kMaxEntryName = 256;

    virtual ~Network() = default;
    // The IPv4 addresses of this computer's host name as dotted text, in the resolver's order,
    // at most kMaxAddresses; none when the name cannot be read or resolved.
    virtual std::vector<std::string> localAddresses() = 0;
    // The first IPv4 address of a host name as dotted text (an empty name is this computer);
    // the empty text when it cannot be resolved or is longer than kMaxHostName.
    virtual std::string firstAddressOf(std::string_view hostName) = 0;
    virtual ProxyValues internetProxy() = 0;
    // The active remote-access connections, at most kMaxConnections; nothing when the system
    // cannot tell (no remote-access library, or it failed).
    virtual std::optional<std::vector<RemoteConnection>> activeRemoteConnections() = 0;
};

// "ProxyEnable" stored as binary data: its first four bytes as a little-endian number; shorter
// data counts the bytes there are.
inline std::uint32_t proxyEnableFromBinary(std::string_view bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    return value;
}

// Whether a host name may be handed to the resolver: within kMaxHostName bytes and without
// zero bytes (which would cut it short unseen).
inline bool resolvableHostName(std::string_view name) {
    return name.size() <= Network::kMaxHostName && name.find('\0') == std::string_view::npos;
}

// The services of this build (Win32 sockets, registry and rasapi32.dll in the DLL; the POSIX
// resolver natively, where neither proxy settings nor remote access exist). Lives as long as
// the process.
Network& systemNetwork();

}  // namespace qbx
