#include "platform/win32/win32_network.h"

#include <winsock2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "platform/win32/registry_text.h"

namespace qbx::win32 {
namespace {

constexpr const char* kInternetSettingsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
// Registry values are read whole; one larger than this is not read at all.
constexpr DWORD kMaxRegistryValueBytes = 64 * 1024;
constexpr std::size_t kFirstRasRecords = 4;
constexpr int kRasAttempts = 3;

// The socket library for the span of one look-up: every start is paired with its clean-up,
// whatever the host or other modules of the process did before.
class WinsockSession {
public:
    WinsockSession() { started_ = WSAStartup(MAKEWORD(1, 1), &data_) == 0; }
    ~WinsockSession() {
        if (started_) WSACleanup();
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;
    bool started() const { return started_; }

private:
    WSADATA data_{};
    bool started_ = false;
};

std::string localHostName() {
    std::array<char, Network::kMaxHostName + 1> name{};
    if (gethostname(name.data(), static_cast<int>(name.size() - 1)) != 0) return {};
    return std::string(name.data());
}

// The IPv4 addresses of a name, within the session's span (the resolver's record lives in
// the socket library's own memory until the next call).
std::vector<std::string> addressesOf(const std::string& hostName, std::size_t most) {
    std::vector<std::string> addresses;
    if (hostName.empty() || !resolvableHostName(hostName)) return addresses;
    const hostent* host = gethostbyname(hostName.c_str());
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4 ||
        host->h_addr_list == nullptr)
        return addresses;
    for (std::size_t i = 0;
         i < Network::kMaxAddresses && host->h_addr_list[i] != nullptr && addresses.size() < most;
         ++i) {
        in_addr address{};
        std::memcpy(&address, host->h_addr_list[i], sizeof address);
        const char* dotted = inet_ntoa(address);
        if (dotted != nullptr) addresses.emplace_back(dotted);
    }
    return addresses;
}

struct LibraryRelease {
    void operator()(HMODULE library) const { FreeLibrary(library); }
};

class Win32Network final : public Network {
public:
    std::vector<std::string> localAddresses() override {
        const WinsockSession session;
        if (!session.started()) return {};
        return addressesOf(localHostName(), kMaxAddresses);
    }

    std::string firstAddressOf(std::string_view hostName) override {
        if (!resolvableHostName(hostName)) return {};
        const WinsockSession session;
        if (!session.started()) return {};
        const std::string name = hostName.empty() ? localHostName() : std::string(hostName);
        std::vector<std::string> first = addressesOf(name, 1);
        return first.empty() ? std::string() : std::move(first.front());
    }

    ProxyValues internetProxy() override { return readProxyValues(kInternetSettingsKey); }

    std::optional<std::vector<RemoteConnection>> activeRemoteConnections() override {
        // From the system folder only: a "rasapi32.dll" beside the host is not ours to run.
        std::array<char, MAX_PATH + 1> folder{};
        const UINT length = GetSystemDirectoryA(folder.data(), MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return std::nullopt;
        const std::string path = std::string(folder.data(), length) + "\\rasapi32.dll";
        const std::unique_ptr<HINSTANCE__, LibraryRelease> library(LoadLibraryA(path.c_str()));
        if (!library) return std::nullopt;
        const auto enumerate = reinterpret_cast<RasEnumConnectionsFunction>(
            reinterpret_cast<void*>(GetProcAddress(library.get(), "RasEnumConnectionsA")));
        if (enumerate == nullptr) return std::nullopt;
        return enumerateRemoteConnections(enumerate);
    }
};

}  // namespace

std::optional<std::vector<RemoteConnection>> enumerateRemoteConnections(
    RasEnumConnectionsFunction enumerate) {
    std::size_t room = kFirstRasRecords;
    for (int attempt = 0; attempt < kRasAttempts; ++attempt) {
        std::vector<RASCONNA> records(room);
        std::memset(records.data(), 0, room * sizeof(RASCONNA));
        records[0].dwSize = sizeof(RASCONNA);
        DWORD bytes = static_cast<DWORD>(room * sizeof(RASCONNA));
        DWORD count = 0;
        const DWORD result = enumerate(records.data(), &bytes, &count);
        if (result == ERROR_SUCCESS) {
            std::vector<RemoteConnection> connections;
            const std::size_t listed = std::min<std::size_t>(count, room);
            for (std::size_t i = 0; i < listed; ++i) {
                const char* name = records[i].szEntryName;
                const std::size_t size = strnlen(name, sizeof records[i].szEntryName);
                connections.push_back({std::string(name, std::min(size, Network::kMaxEntryName))});
            }
            return connections;
        }
        if (result != ERROR_BUFFER_TOO_SMALL || room >= Network::kMaxConnections)
            return std::nullopt;
        // The size it asks for, or twice the room when it names none larger.
        const std::size_t asked = (bytes + sizeof(RASCONNA) - 1) / sizeof(RASCONNA);
        room = std::min(std::max(asked, room * 2), Network::kMaxConnections);
    }
    return std::nullopt;
}

ProxyValues readProxyValues(const char* keyPath) {
    ProxyValues values;
    const auto read = [keyPath](const char* name) {
        std::optional<RawRegistryValue> value =
            readRegistryValue(HKEY_CURRENT_USER, keyPath, name, kMaxRegistryValueBytes);
        if (value && !value->fits) value.reset();  // longer than the settings write
        return value;
    };
    if (const auto enable = read("ProxyEnable")) {
        // A number of another size than four bytes is not a number the settings write.
        if (enable->type == REG_BINARY ||
            (enable->type == REG_DWORD && enable->bytes.size() == sizeof(DWORD)))
            values.enable = proxyEnableFromBinary(enable->bytes);
    }
    if (const auto server = read("ProxyServer");
        server && (server->type == REG_SZ || server->type == REG_EXPAND_SZ)) {
        const std::string& text = server->bytes;
        const std::size_t end = std::min(text.find('\0'), Network::kMaxProxyServer);
        values.server = text.substr(0, std::min(end, text.size()));
    }
    return values;
}

}  // namespace qbx::win32

namespace qbx {

Network& systemNetwork() {
    static auto* network = new win32::Win32Network;  // never destroyed, as the other services
    return *network;
}

}  // namespace qbx
