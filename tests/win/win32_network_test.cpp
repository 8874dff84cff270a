// The Win32 network services that Wine cannot play for real: the remote-access enumeration
// through entry points of our own, and the proxy values read from a key of the test's own.
#include "platform/win32/win32_network.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hosted/scratch.h"
#include "support/platform_under_test.h"
#include "win/raw_registry.h"

namespace qbx::win32 {
namespace {

// What the stand-in entry points saw and are to answer.
struct RasScript {
    std::vector<std::string> names;  // the active connections
    DWORD countReported = 0;         // when not zero, the count claimed instead
    DWORD failure = ERROR_SUCCESS;   // answered on every call when set
    DWORD bytesAsked = 0;            // for a failure of ERROR_BUFFER_TOO_SMALL
    std::vector<DWORD> bytesSeen;
    std::vector<DWORD> recordSizesSeen;
};
RasScript script;

// Lists the connections when the records fit, else asks for room, as rasapi32 does.
DWORD WINAPI listConnections(RASCONNA* records, DWORD* bytes, DWORD* count) {
    script.bytesSeen.push_back(*bytes);
    script.recordSizesSeen.push_back(records[0].dwSize);
    if (script.failure != ERROR_SUCCESS) {
        if (script.failure == ERROR_BUFFER_TOO_SMALL) *bytes = script.bytesAsked;
        *count = 0;
        return script.failure;
    }
    const DWORD needed = static_cast<DWORD>(script.names.size() * sizeof(RASCONNA));
    if (*bytes < needed) {
        *bytes = needed;
        *count = static_cast<DWORD>(script.names.size());
        return ERROR_BUFFER_TOO_SMALL;
    }
    for (std::size_t i = 0; i < script.names.size(); ++i) {
        const std::string& name = script.names[i];
        const std::size_t size = std::min(name.size(), sizeof records[i].szEntryName);
        std::memcpy(records[i].szEntryName, name.data(), size);  // unended when it is full
    }
    *count =
        script.countReported != 0 ? script.countReported : static_cast<DWORD>(script.names.size());
    return ERROR_SUCCESS;
}

std::vector<std::string> namesOf(const std::optional<std::vector<RemoteConnection>>& listed) {
    std::vector<std::string> names;
    if (listed)
        for (const RemoteConnection& connection : *listed) names.push_back(connection.entryName);
    return names;
}

class RemoteAccessEnumeration : public ::testing::Test {
protected:
    void SetUp() override { script = RasScript{}; }
};

TEST_F(RemoteAccessEnumeration, ListsWithRecordsOfThisBuild) {
    script.names = {"Home", "Work"};
    const auto listed = enumerateRemoteConnections(listConnections);
    ASSERT_TRUE(listed.has_value());
    EXPECT_EQ(namesOf(listed), (std::vector<std::string>{"Home", "Work"}));
    ASSERT_EQ(script.bytesSeen.size(), 1u);
    EXPECT_EQ(script.bytesSeen[0], 4 * sizeof(RASCONNA));
    EXPECT_EQ(script.recordSizesSeen[0], sizeof(RASCONNA));
#if defined(_WIN64)
    EXPECT_GT(sizeof(RASCONNA), 412u);  // the 32-bit layout's size would be refused
#endif
    script.names.clear();
    EXPECT_EQ(enumerateRemoteConnections(listConnections)->size(), 0u);
}

TEST_F(RemoteAccessEnumeration, GrowsWhenAskedForRoom) {
    for (int i = 0; i < 10; ++i) script.names.push_back("Line " + std::to_string(i));
    const auto listed = enumerateRemoteConnections(listConnections);
    ASSERT_TRUE(listed.has_value());
    EXPECT_EQ(listed->size(), 10u);
    EXPECT_EQ(listed->back().entryName, "Line 9");
    EXPECT_EQ(script.bytesSeen, (std::vector<DWORD>{4 * sizeof(RASCONNA), 10 * sizeof(RASCONNA)}));
}

TEST_F(RemoteAccessEnumeration, BoundedWhateverItAnswers) {
    // Room asked for without end: a few tries within the cap, then nothing.
    script.failure = ERROR_BUFFER_TOO_SMALL;
    script.bytesAsked = 0xFFFFFFF0u;
    EXPECT_FALSE(enumerateRemoteConnections(listConnections).has_value());
    EXPECT_LE(script.bytesSeen.size(), 3u);
    for (const DWORD bytes : script.bytesSeen)
        EXPECT_LE(bytes, Network::kMaxConnections * sizeof(RASCONNA));
    // Any other failure is no answer.
    script = RasScript{};
    script.failure = ERROR_INVALID_SIZE;
    EXPECT_FALSE(enumerateRemoteConnections(listConnections).has_value());
    // A count beyond the records given, and a name that fills its field unended.
    script = RasScript{};
    script.names = {std::string(400, 'x')};
    script.countReported = 1000;
    const auto listed = enumerateRemoteConnections(listConnections);
    ASSERT_TRUE(listed.has_value());
    ASSERT_EQ(listed->size(), 4u);
    EXPECT_EQ(listed->front().entryName, std::string(Network::kMaxEntryName, 'x'));
}

// The look-ups start the socket library themselves, none leaving it started: with every earlier
// start undone, they still answer, and a clean-up after them finds nothing to clean.
TEST(SocketLibrary, EachLookUpPairsItsStartWithItsCleanUp) {
    for (int i = 0; i < 100 && WSACleanup() == 0; ++i) {
    }
    EXPECT_FALSE(systemNetwork().localAddresses().empty());
    EXPECT_EQ(systemNetwork().firstAddressOf("localhost"), "127.0.0.1");
    EXPECT_NE(WSACleanup(), 0);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

// Values of any type are stored bypassing the code under test.
class ProxyValuesTest : public ::testing::Test {
protected:
    void TearDown() override { test::removeRegistryKey(key_); }
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        test::setRawRegistryValue(key_, name, type, data, size);
    }
    void setEnable(DWORD type, const std::string& bytes) {
        setRaw("ProxyEnable", type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    void setServer(const std::string& text, DWORD type = REG_SZ) {
        setRaw("ProxyServer", type, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }
    ProxyValues read() { return readProxyValues(key_.c_str()); }

    std::string key_ = "Software\\QBXTest\\" + test::uniqueName();
};

TEST_F(ProxyValuesTest, EnableAsANumberOrBinaryData) {
    EXPECT_EQ(read().enable, 0u);  // no key at all
    EXPECT_EQ(read().server, "");
    struct Case {
        DWORD type;
        std::string bytes;
        std::uint32_t expected;
    };
    const std::vector<Case> cases = {
        {REG_DWORD, std::string("\x01\x00\x00\x00", 4), 1},
        {REG_BINARY, std::string("\x00\x01\x00\x00\x07\x07", 6), 0x100},
        {REG_SZ, std::string("1\0", 2), 0},  // a text is not a number
        {REG_QWORD, std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8), 0},
    };
    for (const Case& c : cases) {
        setEnable(c.type, c.bytes);
        EXPECT_EQ(read().enable, c.expected) << c.type << " " << c.bytes.size();
    }
}

TEST_F(ProxyValuesTest, ServerTextBounded) {
    setServer("proxy.example.org:3128");
    EXPECT_EQ(read().server, "proxy.example.org:3128");
    setServer(std::string(5000, 'p'));
    EXPECT_EQ(read().server, std::string(Network::kMaxProxyServer, 'p'));
    const DWORD number = 1;
    setRaw("ProxyServer", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(read().server, "");
}

}  // namespace
}  // namespace qbx::win32
