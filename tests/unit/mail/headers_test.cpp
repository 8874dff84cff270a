#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "mail/headers.h"

namespace qbx::mail {
namespace {

// Three hops (the first from a client that gave only its address), a folded DKIM signature
// between them, an encoded sender name and a tab-folded Content-Type.
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
const std::string kLastHop =
    "Received: from unknown (HELO laptop.home) (203.0.113.9) by relay.example.net with "
    "SMTP; 12 Mar 2024 07:14:58 -0000";

TEST(HeaderValue, FirstMatchLastMatchFoldingAndLog) {
    EXPECT_EQ(getHeaderValue(kChain, "Subject:"), "Subject: Hello world");
    EXPECT_EQ(getHeaderValue(kChain, "Content-Type:"),
              "Content-Type: text/plain; charset=\"KOI8-R\"");
    EXPECT_EQ(getHeaderValue(kChain, "Received:"),
              "Received: from mx2.example.net (mx2.example.net [192.0.2.25]) by mail.example.org "
              "(Postfix) with ESMTPS id 4F2A1 for <petr@example.org>; Tue, 12 Mar 2024 10:15:02 "
              "+0300 (MSK)");
    EXPECT_EQ(getHeaderValue(kChain, "subject:"), "");  // names compare case-sensitively
    for (const std::string br : {"\r\n", "\n", "\r"}) {
        const std::string block =
            "Subject: one" + br + "   two  " + br + "\tthree" + br + "Subject: again" + br;
        EXPECT_EQ(getHeaderValue(block, "Subject"), "Subject: one two three") << int(br.back());
    }
    EXPECT_EQ(getHeaderValue("X-A: 1\n\n  2\n", "X-A"), "X-A: 1");
    // A line that begins with a digit continues the value (stored statistics rely on it).
    EXPECT_EQ(getHeaderValue("Date: Tue,\n12 Mar 2024\nX: y\n", "Date:"), "Date: Tue, 12 Mar 2024");
    EXPECT_EQ(getHeaderValue("X-A: 1\n   \n\t2\n", "X-A"), "X-A: 1 2");

    EXPECT_EQ(getLastHeaderValue(kChain, "Received:"), kLastHop);
    EXPECT_EQ(getLastHeaderValue("X-Original-Received: a\nB: b\n", "Received:"),
              "X-Original-Received: a");
    for (const auto& [block, name] : {std::pair<std::string, const char*>{kChain, "Cc:"},
                                      {kChain, ""},
                                      {"", "Subject:"},
                                      {kChain, "X-Spam-Flag:"}}) {
        EXPECT_EQ(getHeaderValue(block, name), "") << name;
        EXPECT_EQ(getLastHeaderValue(block, name), "") << name;
    }

    std::vector<std::string> lines;
    const HeaderLog log = [&lines](std::string_view line) { lines.emplace_back(line); };
    getHeaderValue("A: 1\nB: 2\n", "B:", log);
    getHeaderValue("A: 1\n", "B:", log);
    EXPECT_EQ(lines, (std::vector<std::string>{"10", "gfh5", "5"}));
}

TEST(HeaderFunctions, OneArgumentTable) {
    using Rows = std::vector<std::pair<std::string, std::string>>;
    const std::pair<std::string (*)(std::string_view), Rows> tables[] = {
        {receivedByServer,
         {{"from a by mx.example.com (Postfix)", "mx.example.com"},
          {"from a by mx.example.com", "mx.example.com"},
          {"from a by mx.example.com; Tue", "mx.example.com;"},  // ";" is a host-name byte
          {"from hot-standby (192.0.2.1) by mx.example", "mx.example"},
          {"from a by [192.0.2.1]", ""},
          {"from nearby relay with SMTP", ""},
          {"from a BY mx", ""},
          {"by ", ""}}},
        {findIPv4InText,
         {{"from mx2.example.net (mx2.example.net [192.0.2.25]) by x", "192.0.2.25"},
          {"from 10.0.0.1 ([198.51.100.7])", "198.51.100.7"},  // from the first bracket on
          {"by mx (Exim 4.96.1) id 300.1.1.1 from 192.0.2.4 x", "192.0.2.4"},
          {"(HELO laptop.home) 203.0.113.9", "203.0.113.9"},
          {"[x] 192.0.2.45", "192.0.2.45"},
          {"from [1.2.3.4.5] 1.2.3 x", ""},
          {"", ""},
          {"....", ""}}},
        {getMailer,
         {{kChain, "The Mail Program 9.1"},
          {"X-FTN-PID: GoldED+ 1.1.5\nX-Newsreader: Knews\n", "GoldED+ 1.1.5"},
          {"X-Mailer:   \nX-Newsreader: Forte Agent 1.93\n", "Forte Agent 1.93"},
          {"x-mailer: lower\n", "unknown"},
          {"", "unknown"}}},
        {getCharset,
         {{kChain, "koi8-r"},
          {"CONTENT-TYPE: text/plain; CHARSET=Windows-1251\n", "windows-1251"},
          {"Content-Type: text/plain; charset=\"utf-8\"; format=flowed\n", "utf-8"},
          {"Content-Type: text/plain; charset='us-ascii'\n", "us-ascii"},
          {"Content-Type: multipart/mixed; boundary=x\n", "unknown"},
          {"Content-Type: text/plain; charset=;\n", "unknown"},
          {"Subject: charset=x\n", "unknown"}}},
        {addressDisplayName,
         {{"To: \"Petr Sidorov\" <petr@example.org>", "Petr Sidorov"},
          {"From: =?koi8-r?B?6dfBzg==?= <Ivan@Example.RU>", "=?koi8-r?B?6dfBzg==?="},
          {"From: \"Re: the list\" <list@example.org>", "Re: the list"},
          {"From: <ivan@example.ru>", ""},
          {"<ivan@example.ru>", "<ivan@example.ru>"},
          {"From: \xC8\xE2\xE0\xED <i@example.ru>", "\xC8\xE2\xE0\xED"}}},
        {addressOnly,
         {{"\"Petr Sidorov\" <Petr@Example.ORG>", "petr@example.org"},
          {"Ivan@Example.RU (Ivan Petrov)", "ivan@example.ru"},
          {" a@example.org, b@example.org", "a@example.org"},
          {"\xC8\xE2\xE0\xED <\xC8@x.ru>", "\xE8@x.ru"} /* 1251 casing */,
          {"\xC8\xE2 <\t\xA8X@Y.RU\xC0 > \xC0", "\xB8x@y.ru\xE0"},
          {"\xDF\xDF@X.RU; \xC0@b.ru", "\xFF\xFF@x.ru"},
          {"", ""}}},
    };
    for (const auto& [fn, rows] : tables)
        for (const auto& [in, out] : rows) EXPECT_EQ(fn(in), out) << in;
}

TEST(HeaderFunctions, PredicatesAndStrippers) {
    for (const char* good : {"0.0.0.0", "255.255.255.255", "010.1.1.1"})
        EXPECT_TRUE(isValidIPv4(good)) << good;
    for (const char* bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..3.4", "1.2.3.", "a.b.c.d",
                            " 1.2.3.4", "99999999999999999999.1.1.1", ""})
        EXPECT_FALSE(isValidIPv4(bad)) << bad;
    EXPECT_TRUE(isDottedDigits("") && isDottedDigits("192.0.2.1"));
    EXPECT_FALSE(isDottedDigits("192.0.2.1x"));
    using Strip = std::string_view (*)(std::string_view);
    for (const auto& [fn, in, out] :
         {std::tuple<Strip, const char*, const char*>{stripBrackets, "(a)", "a"},
          {stripBrackets, "[[a]]", "[a]"},
          {stripBrackets, "?a?", "a"},
          {stripBrackets, "(", "("},
          {stripBrackets, "(a]", "(a]"},
          {stripQuotes, "\"'Ivan'\"", "Ivan"},
          {stripQuotes, "\"Ivan", "Ivan"},
          {stripQuotes, "\"", ""}})
        EXPECT_EQ(fn(in), out) << in;
}

TEST(ReceivedChain, HopsAndServerList) {
    for (const auto& [in, out] :
         {std::pair<const char*, const char*>{
              "from unknown (HELO relay.example) (203.0.113.9) by mx.example with SMTP",
              "mx.example|relay.example"},
          {"from [192.0.2.1] (helo=client.example) by mx", "mx|helo=client.example"},
          {"from 192.0.2.1 (client.example) by mx.example", "mx.example|client.example"},
          {"from mail.example (other.example) by mx.example", "mx.example|mail.example"},
          {"from unknown (HELO relay.example [192.0.2.1]) by mx", "mx|relay.example"},
          {"from  \t a.example\tby\tb.example", "b.example|a.example"},
          {"from a.example by", "|a.example"},
          {"with SMTP by", "|"},
          {"from \"odd name\" by mx", "mx|\"odd name\""}}) {
        const ReceivedHop h = receivedHops(in);
        EXPECT_EQ(h.by + "|" + h.from, out) << in;
    }

    EXPECT_EQ(serverList(kChain, ",", true),
              "laptop.home,relay.example.net,mx2.example.net,mail.example.org");
    EXPECT_EQ(serverList(kChain, "\r\n", true),
              "laptop.home\r\nrelay.example.net\r\nmx2.example.net\r\nmail.example.org");
    EXPECT_EQ(serverList("", ",", true) + serverList("Subject: x\n", ",", false), "");
    const std::string block =
        "Received: from [192.0.2.1] by mx.example;\n"
        "Received: from 192.0.2.7 by 192.0.2.1\n"
        "Received: by local.example with LMTP\n"  // not a "from" hop
        "Received: from 192.0.2.8 (helo=client.example) by relay.example,\n"
        "X-Header: folded\n"
        " by wrong.example\n"  // continues X-Header, not the hop above
        "Received:from tight by x\n";
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

TEST(HeaderBounds, HugeAndHostileBlocksStayLinearAndBounded) {
    // A name that almost matches everywhere must not make the search quadratic.
    const std::string letters(10u << 20, 'a');
    EXPECT_EQ(getLastHeaderValue(letters, std::string(500, 'a') + "b"), "");
    EXPECT_EQ(receivedByServer(letters), "");
    EXPECT_EQ(findIPv4InText(std::string(10u << 20, '1')), "");
    EXPECT_EQ(findIPv4InText(std::string(10u << 20, '.')), "");

    std::string folded = "Subject: x\n";
    while (folded.size() < (10u << 20)) folded += " continued line of the subject\n";
    EXPECT_LE(getHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength);
    EXPECT_GT(getHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength - 64);
    EXPECT_LE(getLastHeaderValue(folded, "Subject:").size(), kMaxHeaderValueLength);
    EXPECT_EQ(getHeaderValue(std::string(10u << 20, '\n'), "X:"), "");

    // A chain of a hundred thousand hops keeps its newest ones.
    std::string chain;
    for (int i = 0; i < 100000; ++i) chain += "Received: from a" + std::to_string(i) + " by b\n";
    std::string newest;
    for (int i = static_cast<int>(kMaxReceivedHops) - 1; i >= 0; --i)
        newest += "a" + std::to_string(i) + ",b,";
    newest.pop_back();
    EXPECT_EQ(serverList(chain, ",", true), newest);
}

// The index answers every lookup as the bare block does: folded, repeated, missing and
// case-different headers, every kind of line end, digit continuation lines, a name found only
// inside a longer one ("X-Received:"), a long name (another search) and an empty block.
TEST(HeaderIndex, AnswersAsTheBlockLookups) {
    const std::string longName(70, 'R');
    const std::vector<std::string> blocks = {
        kChain,
        "",
        "Subject: one\r\nSubject: two\r\n",
        "Subject: a\n b\n\tc\n2nd line\nFrom: x@y\n",
        "Subject: cr\rFrom: cr@only\r 1\rTo: t\r",
        "X-Received: by 10.0.0.1 with SMTP\r\nReceived: from a by b\r\nX-Received: by c\r\n",
        "CONTENT-TYPE: Text/Plain; CHARSET=KOI8-R\r\nX-FTN-PID: Fido 2\r\n",
        "X-Mailer:\r\nX-Newsreader: News 3\r\n\r\nSubject: after the blank\r\n",
        "Received: from h1 (h1 [192.0.2.1]) by h2\r\nReceived: from 192.0.2.9 by h1\r\n" +
            longName + ": tail\r\n",
    };
    const std::vector<std::string> names = {
        "Subject:", "From:", "To:", "Received:", "X-Received:", "Missing:", longName, ""};
    for (const std::string& block : blocks) {
        const HeaderIndex index(block);
        for (const std::string& name : names) {
            EXPECT_EQ(index.headerValue(name), getHeaderValue(block, name)) << block << name;
            EXPECT_EQ(index.lastHeaderValue(name), getLastHeaderValue(block, name))
                << block << name;
        }
        EXPECT_EQ(index.serverList(",", true), serverList(block, ",", true)) << block;
        EXPECT_EQ(index.serverList(" ", false), serverList(block, " ", false)) << block;
        EXPECT_EQ(index.mailer(), getMailer(block)) << block;
        EXPECT_EQ(index.charset(), getCharset(block)) << block;
        EXPECT_EQ(index.lowerContentType(), lowerContentType(block)) << block;
    }
}

// One set of buffers serves message after message: nothing of a longer chain before shows in
// the next one's list, folded hops included.
TEST(HeaderIndex, ServerListBuffersCarryNothingOver) {
    ServerListBuffers buffers;
    std::string result = "stale";
    for (const auto& [block, out] : {
             std::pair<std::string, std::string>{kChain,
                                                 "laptop.home,relay.example.net,mx2.example.net,"
                                                 "mail.example.org"},
             {"Received: from a.example\r\n\tby b.example\r\nReceived: from c.example\r\n"
              " (helo=d.example) by a.example;\r\nSubject: x\r\n",
              "c.example,a.example,a.example,b.example"},
             {"Received: from 192.0.2.1 by 192.0.2.2\r\n", ""},
             {"Subject: none\r\n", ""},
             {"Received: from x by y\r\n", "x,y"},
         }) {
        HeaderIndex(block).serverList(",", true, buffers, result);
        EXPECT_EQ(result, out) << block;
    }
}

TEST(HeaderIndex, FoldedRepeatedAndMissingValues) {
    const HeaderIndex index(
        "Subject: first\r\n  folded\r\nSubject: second\r\nX-Received: late\r\n");
    EXPECT_EQ(index.headerValue("Subject:"), "Subject: first folded");
    EXPECT_EQ(index.headerValue("To:"), "");
    EXPECT_EQ(index.lastHeaderValue("Received:"), "X-Received: late");
    EXPECT_EQ(index.lastHeaderValue("Subject:"), "Subject: second");
    EXPECT_EQ(index.lineCount(), 4u);
    EXPECT_EQ(HeaderIndex(std::string(kMaxHeaderLines + 5, '\n')).lineCount(), kMaxHeaderLines);
}

}  // namespace
}  // namespace qbx::mail
