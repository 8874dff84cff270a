// The delivery-time macros called as the host calls them: dates of the header block, the mail
// client's receive time through its own expansion, the clock, and the answer when a date
// cannot be read.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/cp1251.h"
#include "base/datetime.h"
#include "macros/macro_call.h"
#include "support/macro_fixture.h"

namespace qbx::functions::dates {
namespace {

using Args = std::vector<std::string>;

// Hops 3725 seconds apart, written in three zones; the Date line is 1 h 2 min 35 s before the
// top-most hop.
const std::string kBlock =
    "Received: from relay.example.net (relay.example.net [198.51.100.7])\r\n"
    "\tby mx.example.org (Postfix) with ESMTPS id 4F2A1\r\n"
    "\tfor <petr@example.org>; Tue,  5 Dec 2006 11:02:05 +0300 (MSK)\r\n"
    "Received: from laptop.home by relay.example.net with SMTP; 5 Dec 2006 02:01:00 -0500\r\n"
    "Received: from [10.0.0.5]\r\n"
    "\tby laptop.home with HTTP; Tue, 5 Dec 2006 07:00:00 GMT\r\n"
    "Date: Tue, 5 Dec 2006 09:59:30 +0300\r\n"
    "Subject: Dates\r\n";

const std::string kUnknown = utf8ToCp1251("<неизвестно>");

class DeliveryMacros : public test::MacroFixture {
protected:
    void useBlock(const std::string& block) { data.items[macros::kHeadersItem] = block; }
    // The clock this many seconds after 2023-03-15 12:00:00 local time (09:00:00 universal).
    void clockAfter(int seconds) {
        fake.clock.dateTime = encodeDateTime({2023, 3, 15, 12, 0, seconds});
    }
};

TEST_F(DeliveryMacros, HopsAndDatesOfTheHeaderBlock) {
    useBlock(kBlock);
    const std::vector<std::tuple<const char*, Args, std::string>> rows = {
        {"ZVXDELIVERYTIME", {}, "1 h 2 min 5 sec"},
        {"ZVXDELIVERYTIMEBOX", {}, "1 h 2 min 35 sec"},
        {"ZVXDELIVERYFROMDATE", {}, "05.12.2006 07:00:00"},
        {"ZVXDELIVERYTODATE", {}, "05.12.2006 08:02:05"},
        {"ZVXDELIVTIME", {"3", "2", "S"}, "3725"},
        {"ZVXDELIVTIME", {"2", "3"}, "62"},  // minutes when no unit is named
        {"ZVXDELIVTIME", {"3", "2", "H", "U"}, "1 h"},
        {"ZVXDELIVTIME", {"1", "3", "S", "Units"}, "3755 sec"},
        {"ZVXDELIVTIME", {"1", "3", "S", "u"}, "3755"},
        {"ZVXDELIVTIME", {"3", "2", "s"}, "1 h 2 min 5 sec"},
        {"ZVXDELIVTIME", {"0", "0", "", "U"}, "0 min"},
        {"ZVXDELIVTIME", {"7", "-1", "S", "U"}, "0 sec"},
    };
    for (const auto& [name, args, expected] : rows)
        EXPECT_EQ(run(name, args), expected) << name << " " << testing::PrintToString(args);
}

TEST_F(DeliveryMacros, DurationsAtTheBordersOfTheirUnits) {
    useBlock("Date: Wed, 15 Mar 2023 09:00:00 +0000\r\n");
    const std::vector<std::tuple<int, std::string, std::string, std::string>> rows = {
        {59, "S", "U", "59 sec"},       {59, "M", "", "0"},
        {60, "M", "U", "1 min"},        {3599, "H", "", "0"},
        {3600, "H", "U", "1 h"},        {86399, "D", "", "0"},
        {86400, "D", "U", "1 d"},       {2628000, "m", "U", "1 mth"},
        {31556952, "Y", "U", "1 y"},    {3599, "T", "", "0:59:59"},
        {360000, "T", "", "100:00:00"}, {86400 * 31 + 3661, "L", "", "01/01/00 01:01:01"},
    };
    for (const auto& [seconds, unit, name, expected] : rows) {
        clockAfter(seconds);
        EXPECT_EQ(run("ZVXDELIVTIME", {"1", "5", unit, name}), expected) << seconds << unit;
    }
    clockAfter(90061);
    EXPECT_EQ(run("ZVXREPLYTIME"), "1 d 1 h 1 min 1 sec");
    clockAfter(0);
    EXPECT_EQ(run("ZVXREPLYTIME"), "0 sec");
    // Three hours east: a message dated in universal time is no younger for it.
    useBlock("Date: Wed, 15 Mar 2023 12:00:00 +0300\r\n");
    clockAfter(120);
    EXPECT_EQ(run("ZVXREPLYTIME"), "2 min");
}

TEST_F(DeliveryMacros, TheClientsReceiveTimeComesFromItsOwnMacros) {
    useBlock(kBlock);
    std::vector<std::string> asked;
    data.expander = [&asked](const std::string& text) -> std::string {
        asked.push_back(text);
        if (text == "%ORCVTIME=\"h:n:s\"") return "11:02:15";
        if (text == "%ORCVDATEEN") return "Tuesday, December 5, 2006";
        return text;
    };
    EXPECT_EQ(run("ZVXDELIVTIME", {"4", "3", "S"}), "10");
    EXPECT_EQ(asked, (std::vector<std::string>{"%ORCVTIME=\"h:n:s\"", "%ORCVDATEEN"}));
    clockAfter(0);
    EXPECT_EQ(run("ZVXDELIVTIME", {"5", "4", "D"}), "5944");
    asked.clear();
    EXPECT_EQ(run("ZVXDELIVTIME", {"1", "3", "S"}), "3755");
    EXPECT_TRUE(asked.empty());  // no receive time wanted, none asked for
}

TEST_F(DeliveryMacros, AnUnreadableDateAnswersUnknown) {
    useBlock("Received: by mx; soon\r\nDate: yesterday\r\n");
    for (const char* name : {"ZVXDELIVERYTIME", "ZVXDELIVERYTIMEBOX", "ZVXDELIVERYFROMDATE",
                             "ZVXDELIVERYTODATE", "ZVXREPLYTIME"})
        EXPECT_EQ(run(name), kUnknown) << name;
    EXPECT_EQ(run("ZVXDELIVTIME", {"1", "0", "S"}), kUnknown);
    EXPECT_TRUE(logged("ERROR: d1: 30.12.1899"));
    EXPECT_TRUE(logged("@@ ZVXDELIVTIME: no readable date for the date sources 1 and 0"));
    EXPECT_TRUE(logged("@@ ZVXDELIVERYFROMDATE: no readable date in the bottom-most Received"));
    EXPECT_TRUE(logged("@@ ZVXDELIVERYTIME: no readable date in the top-most or the bottom-most"));
    // A receive time that the client does not tell cannot be read.
    EXPECT_EQ(run("ZVXDELIVTIME", {"4", "5"}), kUnknown);
    useBlock("");
    EXPECT_EQ(run("ZVXDELIVERYTODATE"), kUnknown);
    EXPECT_EQ(run("ZVXDELIVERYTIME"), kUnknown);
}

}  // namespace
}  // namespace qbx::functions::dates
