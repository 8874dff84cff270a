// The message macros, called as the host calls them: the header block's facts, the attachment
// count through the host's own expansion, and the message id.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "macros/macro_call.h"
#include "support/macro_fixture.h"

namespace qbx::functions::message {
namespace {

using Args = std::vector<std::string>;
using Row = std::tuple<const char*, Args, std::string>;

// Four hops, newest on top: tab- and blank-folded, one sender known only as "unknown" with a
// HELO name, and a first hop from a bare address whose "by" sits on the folded line.
const std::string kBlock =
    "Return-Path: <ivan@example.ru>\r\n"
    "Received: from mx2.example.net (mx2.example.net [192.0.2.25])\r\n"
    "\tby mail.example.org (Postfix) with ESMTPS id 4F2A1\r\n"
    "\tfor <petr@example.org>; Tue, 12 Mar 2024 10:15:02 +0300 (MSK)\r\n"
    "Received: from relay.example.net (relay.example.net [198.51.100.7])\r\n"
    " by mx2.example.net with ESMTP id x1; Tue, 12 Mar 2024 10:15:01 +0300\r\n"
    "Received: from unknown (HELO laptop.home) (203.0.113.9)\r\n"
    "  by relay.example.net with SMTP; 12 Mar 2024 07:14:58 -0000\r\n"
    "Received: from [10.0.0.5]\r\n"
    "\tby laptop.home with HTTP; Tue, 12 Mar 2024 07:14:50 -0000\r\n"
    "From: \"Ivan Petrov\" <Ivan@Example.RU>\r\n"
    "Subject: Quarterly\r\n"
    "\treport, version 1.2\r\n"
    "X-Relay: build 2.4.1 via 300.1.1.1 from 192.0.2.7\r\n"
    "X-Mailer: The Mail Program 9.1\r\n"
    "Content-Type: text/plain;\r\n"
    "\tcharset=\"KOI8-R\"\r\n"
    "X-Last: ends the block";

const std::string kServers = "laptop.home,relay.example.net,mx2.example.net,mail.example.org";

class MessageMacros : public test::MacroFixture {
protected:
    void useBlock(const std::string& block) { data.items[macros::kHeadersItem] = block; }
};

TEST_F(MessageMacros, ReadTheMessagesHeaderBlock) {
    useBlock(kBlock);
    const std::vector<Row> rows = {
        {"ZVXGETHEADER", {"Subject"}, "Quarterly report, version 1.2"},
        {"ZVXGETHEADER", {"Subject:"}, "Quarterly report, version 1.2"},
        {"ZVXGETHEADER", {"From"}, "\"Ivan Petrov\" <Ivan@Example.RU>"},
        {"ZVXGETHEADER", {"X-Last"}, "ends the block"},
        {"ZVXGETHEADER", {"Content-Type"}, "text/plain; charset=\"KOI8-R\""},
        {"ZVXGETHEADER", {"subject"}, ""},  // names are matched as typed
        {"ZVXGETHEADER", {"Cc"}, ""},
        {"ZVXGETHEADER", {}, ""},
        {"ZVXCHARSET", {}, "koi8-r"},
        {"ZVXMAILER", {}, "The Mail Program 9.1"},
        {"ZVXSERVLIST", {"C"}, kServers},
        {"ZVXSERVLIST", {"C", "ALL"}, "10.0.0.5," + kServers},
        {"ZVXSERVLIST", {"C", "all"}, kServers},
        {"ZVXDELIVERYFROMIP", {}, "10.0.0.5"},
        {"ZVXDELIVERYFROMIP", {"Received:"}, "10.0.0.5"},
        {"ZVXDELIVERYFROMIP", {"X-Relay:"}, "192.0.2.7"},  // 2.4.1 and 300.1.1.1 are no address
        {"ZVXDELIVERYFROMIP", {"X-Mailer:"}, ""},
        {"ZVXDELIVERYFROMIP", {"X-Spam:"}, ""},
        {"ZVXDELIVERYFROMSERVER", {}, "laptop.home"},
    };
    for (const auto& [name, args, expected] : rows)
        EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
}

TEST_F(MessageMacros, ServerListSeparatorLetters) {
    useBlock(kBlock);
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"c", ","}, {"L", "\r\n"}, {"l", "\r\n"}, {"M", "-"}, {"m", "-"},
        {"S", " "}, {"N", " "},    {"X", " "},    {"", " "},
    };
    for (const auto& [letter, separator] : rows)
        EXPECT_EQ(run("ZVXSERVLIST", {letter}), "laptop.home" + separator + "relay.example.net" +
                                                    separator + "mx2.example.net" + separator +
                                                    "mail.example.org")
            << letter;
}

TEST_F(MessageMacros, NothingToReportInABlockWithoutThoseHeaders) {
    for (const std::string& block : {std::string(), std::string("Subject: hi\r\n\r\n")}) {
        if (!block.empty()) useBlock(block);  // first round: the host has no header item
        EXPECT_EQ(run("ZVXCHARSET"), "unknown");
        EXPECT_EQ(run("ZVXMAILER"), "unknown");
        EXPECT_EQ(run("ZVXSERVLIST", {"C", "ALL"}), "");
        EXPECT_EQ(run("ZVXDELIVERYFROMIP"), "");
        EXPECT_EQ(run("ZVXDELIVERYFROMSERVER"), "");
        EXPECT_EQ(run("ZVXGETHEADER", {"X-Mailer"}), "");
    }
}

TEST_F(MessageMacros, OtherMailersAndAServerNameAtTheLineEnd) {
    useBlock(
        "X-Newsreader: Forte Agent 1.8/32.548\r\n"
        "Content-Type: text/plain; charset=windows-1251; format=flowed\r\n"
        "Received: from a.example (a.example [192.0.2.1]) by b.example\r\n");
    EXPECT_EQ(run("ZVXMAILER"), "Forte Agent 1.8/32.548");
    EXPECT_EQ(run("ZVXCHARSET"), "windows-1251");
    EXPECT_EQ(run("ZVXDELIVERYFROMSERVER"), "b.example");  // also where it ends the line
    EXPECT_EQ(run("ZVXDELIVERYFROMIP"), "192.0.2.1");
}

TEST_F(MessageMacros, AttachmentCountThroughTheHostsExpansion) {
    std::string answer;
    std::string asked;
    data.expander = [&](const std::string& text) {
        asked = text;
        return answer;
    };
    for (const auto& [list, expected] : std::vector<std::pair<std::string, std::string>>{
             {"<none>", "0"}, {"a.txt, b.zip, c.doc", "3"}, {"", "1"}, {"<NONE>", "1"}}) {
        answer = list;
        EXPECT_EQ(run("ZVXATTCOUNT"), expected) << list;
    }
    EXPECT_EQ(asked, "%OATTACHMENTS");
}

TEST_F(MessageMacros, RawSourceIsTheMessageId) {
    data.items[234] = "<id@example.org>";  // tpxMsgID
    EXPECT_EQ(run("ZVXRAWSOURCE"), "<id@example.org>");
}

}  // namespace
}  // namespace qbx::functions::message
