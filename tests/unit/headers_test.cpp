#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "functions/headers.h"

namespace qbx::functions {
namespace {

// A message as it arrives: three hops, the first from a client that gave only its address,
// a folded DKIM signature between them, an encoded sender name and a tab-folded Content-Type.
const std::string kChain =
    "Return-Path: <ivan@example.ru>\r\n"
    "Received: from mx2.example.net (mx2.example.net [192.0.2.25])\r\n"
    " by mail.example.org (Postfix) with ESMTPS id 4F2A1\r\n"
    " for <petr@example.org>; Tue, 12 Mar 2024 10:15:02 +0300 (MSK)\r\n"
    "DKIM-Signature: v=1; a=rsa-sha256; d=example.net;\r\n"
    " by fake.dkim.example; h=from:to\r\n"
    "Received: from relay.example.net (relay.example.net [198.51.100.7])\r\n"
    "\tby mx2.example.net with ESMTP id x1; Tue, 12 Mar 2024 10:15:01 +0300\r\n"
    "Received: from unknown (HELO laptop.home) (203.0.113.9)\r\n"
    "  by relay.example.net with SMTP; 12 Mar 2024 07:14:58 -0000\r\n"
    "From: =?koi8-r?B?6dfBzg==?= <Ivan@Example.RU>\r\n"
    "To: \"Petr Sidorov\" <petr@example.org>\r\n"
    "Subject: Hello world\r\n"
    "X-Mailer: The Mail Program 9.1\r\n"
    "Content-Type: text/plain;\r\n"
    "\tcharset=\"KOI8-R\"\r\n"
    "\r\n";

TEST(HeaderValue, FirstMatchingLineWithItsFoldedLines) {
    EXPECT_EQ(getHeaderValue(kChain, "Subject:"), "Subject: Hello world");
    EXPECT_EQ(getHeaderValue(kChain, "Content-Type:"),
              "Content-Type: text/plain; charset=\"KOI8-R\"");
    EXPECT_EQ(getHeaderValue(kChain, "Received:"),
              "Received: from mx2.example.net (mx2.example.net [192.0.2.25]) by mail.example.org "
              "(Postfix) with ESMTPS id 4F2A1 for <petr@example.org>; Tue, 12 Mar 2024 10:15:02 "
              "+0300 (MSK)");
    EXPECT_EQ(getHeaderValue(kChain, "subject:"), "");  // names compare case-sensitively
    EXPECT_EQ(getHeaderValue(kChain, "Cc:"), "");
    EXPECT_EQ(getHeaderValue(kChain, ""), "");
    EXPECT_EQ(getHeaderValue("", "Subject:"), "");
}

TEST(HeaderValue, LineBreaksEmptyLinesDuplicatesAndTheDigitRule) {
    for (const std::string br : {"\r\n", "\n", "\r"}) {
        const std::string block =
            "Subject: one" + br + "   two  " + br + "\tthree" + br + "Subject: again" + br;
        EXPECT_EQ(getHeaderValue(block, "Subject"), "Subject: one two three") << int(br.back());
    }
    // An empty line ends the value even when an indented line follows.
    EXPECT_EQ(getHeaderValue("X-A: 1\n\n  2\n", "X-A"), "X-A: 1");
    // A line that begins with a digit is taken as a continuation (stored statistics rely on it).
    EXPECT_EQ(getHeaderValue("Date: Tue,\n12 Mar 2024\nX: y\n", "Date:"), "Date: Tue, 12 Mar 2024");
    // A line of blanks adds nothing but the joint.
    EXPECT_EQ(getHeaderValue("X-A: 1\n   \n\t2\n", "X-A"), "X-A: 1 2");
}

TEST(HeaderValue, LogsTheBlockLengthAndTheMatch) {
    std::vector<std::string> lines;
    const HeaderLog log = [&lines](std::string_view line) { lines.emplace_back(line); };
    getHeaderValue("A: 1\nB: 2\n", "B:", log);
    EXPECT_EQ(lines, (std::vector<std::string>{"10", "gfh5"}));
    lines.clear();
    getHeaderValue("A: 1\n", "B:", log);
    EXPECT_EQ(lines, (std::vector<std::string>{"5"}));
}

TEST(HeaderValue, LastLineContainingTheName) {
    EXPECT_EQ(getLastHeaderValue(kChain, "Received:"),
              "Received: from unknown (HELO laptop.home) (203.0.113.9) by relay.example.net with "
              "SMTP; 12 Mar 2024 07:14:58 -0000");
    // The name may stand anywhere in the line.
    EXPECT_EQ(getLastHeaderValue("X-Original-Received: a\nB: b\n", "Received:"),
              "X-Original-Received: a");
    // No line holds it: nothing, not the block's first line.
    EXPECT_EQ(getLastHeaderValue(kChain, "X-Spam-Flag:"), "");
    EXPECT_EQ(getLastHeaderValue(kChain, ""), "");
    EXPECT_EQ(getLastHeaderValue("", "Received:"), "");
}

TEST(ReceivedChain, ServerAfterBy) {
    EXPECT_EQ(receivedByServer(getLastHeaderValue(kChain, "Received:")), "relay.example.net");
    EXPECT_EQ(receivedByServer("from a by mx.example.com (Postfix)"), "mx.example.com");
    // A name that ends the line is found.
    EXPECT_EQ(receivedByServer("from a by mx.example.com"), "mx.example.com");
    // ";" is a host-name character; "[" is not, and is not part of the result.
    EXPECT_EQ(receivedByServer("from a by mx.example.com; Tue"), "mx.example.com;");
    EXPECT_EQ(receivedByServer("from a by [192.0.2.1]"), "");
    // The word "by", not the end of another word.
    EXPECT_EQ(receivedByServer("from hot-standby (192.0.2.1) by mx.example"), "mx.example");
    EXPECT_EQ(receivedByServer("from nearby relay with SMTP"), "");
    EXPECT_EQ(receivedByServer("from a BY mx"), "");
    EXPECT_EQ(receivedByServer("by "), "");
}

TEST(ReceivedChain, FirstValidIPv4) {
    EXPECT_EQ(findIPv4InText("from mx2.example.net (mx2.example.net [192.0.2.25]) by x"),
              "192.0.2.25");
    // Search starts at the first bracket: the HELO name's digits before it do not count.
    EXPECT_EQ(findIPv4InText("from 10.0.0.1 ([198.51.100.7])"), "198.51.100.7");
    // A version with two dots and an out-of-range run are skipped and the search goes on.
    EXPECT_EQ(findIPv4InText("by mx (Exim 4.96.1) id 300.1.1.1 from 192.0.2.4 x"), "192.0.2.4");
    EXPECT_EQ(findIPv4InText("from [1.2.3.4.5] 1.2.3 x"), "");
    // An address that is the very last thing of the line is found, and found whole.
    EXPECT_EQ(findIPv4InText("(HELO laptop.home) 203.0.113.9"), "203.0.113.9");
    EXPECT_EQ(findIPv4InText("[x] 192.0.2.45"), "192.0.2.45");
    EXPECT_EQ(findIPv4InText(getLastHeaderValue(kChain, "Received:")), "203.0.113.9");
    EXPECT_EQ(findIPv4InText(""), "");
    EXPECT_EQ(findIPv4InText("...."), "");
}

TEST(ReceivedChain, SmallPredicatesAndStrippers) {
    for (const char* good : {"0.0.0.0", "255.255.255.255", "010.1.1.1"}) {
        EXPECT_TRUE(isValidIPv4(good)) << good;
    }
    for (const char* bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", "a.b.c.d",
                            " 1.2.3.4", "99999999999999999999.1.1.1", ""}) {
        EXPECT_FALSE(isValidIPv4(bad)) << bad;
    }
    EXPECT_TRUE(isDottedDigits(""));
    EXPECT_TRUE(isDottedDigits("192.0.2.1"));
    EXPECT_FALSE(isDottedDigits("192.0.2.1x"));
    EXPECT_EQ(stripBrackets("(a)"), "a");
    EXPECT_EQ(stripBrackets("[[a]]"), "[a]");  // one pair only
    EXPECT_EQ(stripBrackets("?a?"), "a");
    EXPECT_EQ(stripBrackets("(a]"), "(a]");
    EXPECT_EQ(stripBrackets("("), "(");
    EXPECT_EQ(stripQuotes("\"'Ivan'\""), "Ivan");
    EXPECT_EQ(stripQuotes("\"Ivan"), "Ivan");
    EXPECT_EQ(stripQuotes("\""), "");
}

TEST(ReceivedChain, HopsNameTheSenderBehindAnAddress) {
    const auto hop = [](std::string_view value) {
        const ReceivedHop h = receivedHops(value);
        return h.by + "|" + h.from;
    };
    EXPECT_EQ(hop("from unknown (HELO relay.example) (203.0.113.9) by mx.example with SMTP"),
              "mx.example|relay.example");
    EXPECT_EQ(hop("from [192.0.2.1] (helo=client.example) by mx.example"),
              "mx.example|helo=client.example");
    EXPECT_EQ(hop("from 192.0.2.1 (client.example) by mx.example"), "mx.example|client.example");
    EXPECT_EQ(hop("from mail.example (other.example) by mx.example"), "mx.example|mail.example");
    // A name after "(HELO" that has no closing bracket keeps its last letter.
    EXPECT_EQ(hop("from unknown (HELO relay.example [192.0.2.1]) by mx"), "mx|relay.example");
    EXPECT_EQ(hop("from  \t a.example\tby\tb.example"), "b.example|a.example");
    // A keyword that ends the hop has nothing to name.
    EXPECT_EQ(hop("from a.example by"), "|a.example");
    EXPECT_EQ(hop("with SMTP by"), "|");
    // A quoted stretch is one word.
    EXPECT_EQ(hop("from \"odd name\" by mx"), "mx|\"odd name\"");
}

TEST(ReceivedChain, ServerListRunsFromOriginToLastReceiver) {
    EXPECT_EQ(serverList(kChain, ",", true),
              "laptop.home,relay.example.net,mx2.example.net,mail.example.org");
    EXPECT_EQ(serverList(kChain, "\r\n", true),
              "laptop.home\r\nrelay.example.net\r\nmx2.example.net\r\nmail.example.org");
    EXPECT_EQ(serverList("", ",", true), "");
    EXPECT_EQ(serverList("Subject: x\n", ",", false), "");
}

TEST(ReceivedChain, ServerListAddressesNeighboursAndForeignContinuations) {
    const std::string block =
        "Received: from [192.0.2.1] by mx.example;\n"
        "Received: from 192.0.2.7 by 192.0.2.1\n"
        "Received: by local.example with LMTP\n"  // not a "from" hop: left out
        "Received: from 192.0.2.8 (helo=client.example) by relay.example,\n"
        "X-Header: folded\n"
        " by wrong.example\n"  // a continuation of X-Header, not of the hop above
        "Received:from tight by x\n";  // no blank after the colon: the name is cut into
    EXPECT_EQ(serverList(block, " ", true), "client.example relay.example mx.example");
    EXPECT_EQ(serverList(block, " ", false),
              "client.example relay.example 192.0.2.7 192.0.2.1 mx.example");
    // Equal neighbours collapse, also once an address between them is dropped.
    const std::string repeats =
        "Received: from a.example by b.example\n"
        "Received: from 192.0.2.3 by a.example\n"
        "Received: from a.example by 192.0.2.3\n";
    EXPECT_EQ(serverList(repeats, ",", true), "a.example,b.example");
    EXPECT_EQ(serverList(repeats, ",", false), "a.example,192.0.2.3,a.example,b.example");
}

TEST(MailerAndCharset, FirstNamedHeaderWins) {
    EXPECT_EQ(getMailer(kChain), "The Mail Program 9.1");
    EXPECT_EQ(getMailer("X-FTN-PID: GoldED+ 1.1.5\nX-Newsreader: Knews\n"), "GoldED+ 1.1.5");
    EXPECT_EQ(getMailer("X-Mailer:   \nX-Newsreader: Forte Agent 1.93\n"), "Forte Agent 1.93");
    EXPECT_EQ(getMailer("x-mailer: lower\n"), "unknown");
    EXPECT_EQ(getMailer(""), "unknown");

    EXPECT_EQ(getCharset(kChain), "koi8-r");
    EXPECT_EQ(getCharset("CONTENT-TYPE: text/plain; CHARSET=Windows-1251\n"), "windows-1251");
    EXPECT_EQ(getCharset("Content-Type: text/plain; charset=\"utf-8\"; format=flowed\n"), "utf-8");
    EXPECT_EQ(getCharset("Content-Type: text/plain; charset='us-ascii'\n"), "us-ascii");
    EXPECT_EQ(getCharset("Content-Type: multipart/mixed; boundary=x\n"), "unknown");
    EXPECT_EQ(getCharset("Content-Type: text/plain; charset=;\n"), "unknown");
    EXPECT_EQ(getCharset("Subject: charset=x\n"), "unknown");
}

TEST(Addresses, DisplayNameAndBareAddress) {
    EXPECT_EQ(addressDisplayName(getHeaderValue(kChain, "To:")), "Petr Sidorov");
    // Encoded words stay as they are: decoding them is the caller's step.
    EXPECT_EQ(addressDisplayName(getHeaderValue(kChain, "From:")), "=?koi8-r?B?6dfBzg==?=");
    EXPECT_EQ(addressDisplayName("From: \"Re: the list\" <list@example.org>"), "Re: the list");
    EXPECT_EQ(addressDisplayName("From: <ivan@example.ru>"), "");
    EXPECT_EQ(addressDisplayName("<ivan@example.ru>"), "<ivan@example.ru>");
    EXPECT_EQ(addressDisplayName("From: \xC8\xE2\xE0\xED <i@example.ru>"), "\xC8\xE2\xE0\xED");

    EXPECT_EQ(addressOnly("\"Petr Sidorov\" <Petr@Example.ORG>"), "petr@example.org");
    EXPECT_EQ(addressOnly("Ivan@Example.RU (Ivan Petrov)"), "ivan@example.ru");
    EXPECT_EQ(addressOnly(" a@example.org, b@example.org"), "a@example.org");
    EXPECT_EQ(addressOnly("\xC8\xE2\xE0\xED <\xC8@x.ru>"), "\xE8@x.ru");  // 1251 casing
    EXPECT_EQ(addressOnly(""), "");
}

TEST(HeaderBounds, HugeAndHostileBlocksStayLinearAndBounded) {
    // Ten megabytes of one letter: a name that almost matches everywhere must not make the
    // search quadratic.
    std::string letters(10u << 20, 'a');
    const std::string nearMiss = std::string(500, 'a') + "b";
    EXPECT_EQ(getLastHeaderValue(letters, nearMiss), "");
    EXPECT_EQ(receivedByServer(letters), "");
    EXPECT_EQ(findIPv4InText(std::string(10u << 20, '1')), "");
    EXPECT_EQ(findIPv4InText(std::string(10u << 20, '.')), "");

    // One folded value of ten megabytes stops growing at its bound.
    std::string folded = "Subject: x\n";
    while (folded.size() < (10u << 20)) folded += " continued line of the subject\n";
    EXPECT_LE(getHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength);
    EXPECT_GT(getHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength - 64);
    EXPECT_LE(getLastHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength);

    // Empty lines only: the line budget ends the walk.
    EXPECT_EQ(getHeaderValue(std::string(10u << 20, '\n'), "X:"), "");

    // A chain of a hundred thousand hops keeps its newest ones.
    std::string chain;
    for (int i = 0; i < 100000; ++i) chain += "Received: from a" + std::to_string(i) + " by b\n";
    const std::string servers = serverList(chain, ",", true);
    std::string newest;
    for (int i = static_cast<int>(kMaxReceivedHops) - 1; i >= 0; --i) {
        newest += "a" + std::to_string(i) + ",b,";
    }
    newest.pop_back();
    EXPECT_EQ(servers, newest);
}

}  // namespace
}  // namespace qbx::functions
