// The delivery-time macros through the built module and the host emulator: each called once on
// a message whose header block and receive time the host holds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "base/datetime.h"
#include "base/text.h"
#include "host.h"
#include "hosted/host_home.h"
#include "item_table.h"
#include "platform/platform.h"

namespace {

using qbx::test::kModule;
using qbxhost::Host;

// Hops 3725 seconds apart; the Date line 3755 seconds before the top-most hop.
const std::string kHeaders =
    "Received: from relay.example.net (relay.example.net [198.51.100.7])\r\n"
    "\tby mx.example.org (Postfix) with ESMTPS id 4F2A1\r\n"
    "\tfor <petr@example.org>; Tue,  5 Dec 2006 11:02:05 +0300 (MSK)\r\n"
    "Received: from [10.0.0.5]\r\n"
    "\tby laptop.home with HTTP; Tue, 5 Dec 2006 07:00:00 GMT\r\n"
    "Date: Tue, 5 Dec 2006 09:59:30 +0300\r\n"
    "Subject: Dates\r\n";

TEST(HostedMailDates, EveryDeliveryMacroOnceThroughTheHost) {
    const qbx::test::HostHome home("hosted-dates-");
    Host host(kModule);
    host.initialize();
    qbxhost::ItemTable& data = host.data();
    data.set(243, kHeaders);
    // Received by the client ten seconds after the top-most hop, read on this machine's clock.
    const double topHop = qbx::encodeDateTime({2006, 12, 5, 8, 2, 5});
    const double received = qbx::encodeDateTime({2006, 12, 5, 8, 2, 15});
    data.setReceiveTime(received);
    EXPECT_EQ(host.expandTemplate(data, "%ORCVTIME=\"h:n:s\" %ORCVDATEEN"),
              "08:02:15 Tuesday, December 5, 2006");

    EXPECT_EQ(host.callMacro(data, "ZVXDELIVERYTIME", {}), "1 h 2 min 5 sec");
    EXPECT_EQ(host.callMacro(data, "ZVXDELIVERYTIMEBOX", {}), "1 h 2 min 35 sec");
    const std::string from = host.callMacro(data, "ZVXDELIVERYFROMDATE", {});
    const std::string to = host.callMacro(data, "ZVXDELIVERYTODATE", {});
    EXPECT_NE(from.find("7:00:00"), std::string::npos) << from;
    EXPECT_NE(to.find("8:02:05"), std::string::npos) << to;
    EXPECT_NE(to.find("06"), std::string::npos) << to;

    const double receivedUniversal = qbx::systemPlatform().clock->localToUniversal(received);
    EXPECT_EQ(host.expandTemplate(data, "%ZVXDELIVTIME(\"4\",\"3\",\"S\")"),
              qbx::decimal(qbx::secondsBetween(receivedUniversal, topHop)));
    EXPECT_EQ(host.expandTemplate(data, "%ZVXDELIVTIME(\"3\",\"2\",\"S\",\"U\")"), "3725 sec");

    // From 2006 to today: years first, in the short units.
    const std::string reply = host.callMacro(data, "ZVXREPLYTIME", {});
    ASSERT_FALSE(reply.empty());
    EXPECT_TRUE(reply.front() >= '1' && reply.front() <= '9') << reply;
    EXPECT_EQ(reply.find(" y "), reply.find(' ')) << reply;
}

}  // namespace
