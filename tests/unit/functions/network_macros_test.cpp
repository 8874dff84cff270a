// The network macros, called as the host calls them, over a network set by hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/cp1251.h"
#include "support/macro_fixture.h"

namespace qbx::functions::network {
namespace {

struct Case {
    std::vector<std::string> arguments;
    std::string expected;
};

class NetworkMacros : public test::MacroFixture {
protected:
    void expectAll(const char* name, const std::vector<Case>& cases) {
        for (const Case& c : cases)
            EXPECT_EQ(run(name, c.arguments), c.expected)
                << name << " " << (c.arguments.empty() ? "" : c.arguments[0]);
    }
    void goOnline(std::string name) {
        plugin.dialUp->isOnline = true;
        plugin.dialUp->name = std::move(name);
    }
};

TEST_F(NetworkMacros, DefaultAddressIsTheFirstOrLocalhost) {
    fake.network.addresses = {"10.0.0.5", "192.168.1.10"};
    EXPECT_EQ(run("ZVXIP"), "10.0.0.5");
    fake.network.addresses.clear();
    EXPECT_EQ(run("ZVXIP"), "localhost");
    EXPECT_FALSE(logged("@@ ZVXIP"));
    fake.network.failAddresses = true;
    EXPECT_EQ(run("ZVXIP"), "localhost");
    EXPECT_TRUE(logged("@@ ZVXIP: resolver broke"));
}

TEST_F(NetworkMacros, AddressByNumber) {
    fake.network.addresses = {"10.0.0.5", "192.168.1.10"};
    expectAll("ZVXLOCALIP", {{{"0"}, "10.0.0.5"},
                             {{"1"}, "192.168.1.10"},
                             {{"2"}, "n/a"},
                             {{"-1"}, "n/a"},
                             {{"-2147483648"}, "n/a"}});
    fake.network.failAddresses = true;
    EXPECT_EQ(run("ZVXLOCALIP", {"0"}), "n/a");
    EXPECT_TRUE(logged("@@ ZVXLOCALIP: resolver broke"));
}

// The list's own fallback is a line break, "N" included.
TEST_F(NetworkMacros, AddressListSeparators) {
    fake.network.addresses = {"10.0.0.5", "192.168.1.10"};
    expectAll("ZVXLOCALIPLIST", {{{"c"}, "10.0.0.5,192.168.1.10"},
                                 {{"S"}, "10.0.0.5 192.168.1.10"},
                                 {{"l"}, "10.0.0.5\r\n192.168.1.10"},
                                 {{"N"}, "10.0.0.5\r\n192.168.1.10"},
                                 {{}, "10.0.0.5\r\n192.168.1.10"}});
    fake.network.addresses.clear();
    EXPECT_EQ(run("ZVXLOCALIPLIST", {"c"}), "");
    fake.network.failAddresses = true;
    EXPECT_EQ(run("ZVXLOCALIPLIST", {"c"}), "");
    EXPECT_TRUE(logged("@@ ZVXLOCALIPLIST: resolver broke"));
}

TEST_F(NetworkMacros, HostNameLookUp) {
    fake.network.addresses = {"10.0.0.5"};
    fake.network.hosts = {{"mail.example.org", "203.0.113.7"}};
    expectAll("ZVXGETIP",
              {{{"mail.example.org"}, "203.0.113.7"}, {{"nowhere.invalid"}, ""}, {{}, "10.0.0.5"}});
    EXPECT_EQ(fake.network.lastResolved, "");
    // A name no resolver takes is refused before it reaches one.
    fake.network.lastResolved = "untouched";
    EXPECT_EQ(run("ZVXGETIP", {std::string(256, 'a')}), "");
    EXPECT_EQ(fake.network.lastResolved, "untouched");
    EXPECT_TRUE(logged("@@ ZVXGETIP: host name longer than 255 bytes"));
    fake.network.failAddresses = true;
    EXPECT_EQ(run("ZVXGETIP", {"mail.example.org"}), "");
    EXPECT_TRUE(logged("@@ ZVXGETIP: resolver broke"));
}

TEST_F(NetworkMacros, OnlineTimeInUnits) {
    plugin.settings.onlineSeconds = 5430;  // 1 h 30 min 30 s
    expectAll("ZVXONLINETIME", {{{}, "90"},
                                {{"", "u"}, "90 min"},
                                {{"H", "U"}, "1 h"},
                                {{"T", "x"}, "1:30:30"},
                                {{"s"}, "1 h 30 min 30 sec"}});
    EXPECT_EQ(run("ZVXONLINETIME", {"l"}), utf8ToCp1251("один час тридцать минут тридцать секунд"));
}

TEST_F(NetworkMacros, OnlineOrNot) {
    plugin.dialUp->name = "Old ISP";  // left from an earlier connection
    EXPECT_EQ(run("ZVXIFONLINE", {"yes", "no"}), "no");
    EXPECT_EQ(run("ZVXDIALUPNAME"), "No internet connection");
    goOnline("My ISP");
    EXPECT_EQ(run("ZVXIFONLINE", {"yes", "no"}), "yes");
    EXPECT_EQ(run("ZVXIFONLINE", {"yes"}), "yes");
    EXPECT_EQ(run("ZVXDIALUPNAME"), "My ISP");
    goOnline("");
    EXPECT_EQ(run("ZVXDIALUPNAME"), "n/a");
    // The watch gives way to none in the disabled mode: not on line.
    plugin.dialUp.reset();
    EXPECT_EQ(run("ZVXIFONLINE", {"yes", "no"}), "no");
    EXPECT_EQ(run("ZVXDIALUPNAME"), "No internet connection");
}

TEST_F(NetworkMacros, EntryNameIsBounded) {
    goOnline(std::string(300, 'x'));
    EXPECT_EQ(run("ZVXDIALUPNAME"), std::string(256, 'x'));
    EXPECT_TRUE(logged("@@ ZVXDIALUPNAME: result cut at 256 bytes"));
}

// A build without network services answers every macro's own fallback.
TEST_F(NetworkMacros, WithoutNetworkServices) {
    plugin.platform.network = nullptr;
    expectAll("ZVXIP", {{{}, "localhost"}});
    expectAll("ZVXLOCALIP", {{{"0"}, "n/a"}});
    expectAll("ZVXLOCALIPLIST", {{{"c"}, ""}});
    expectAll("ZVXGETIP", {{{"mail.example.org"}, ""}});
    EXPECT_TRUE(logged("@@ ZVXIP: no network services in this build"));
    EXPECT_TRUE(logged("@@ ZVXGETIP: no network services in this build"));
}

}  // namespace
}  // namespace qbx::functions::network
