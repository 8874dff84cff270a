// The host emulator's side of the spam entry points: how message files become messages, how
// the data callback answers, and what the feed and score commands count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "mail_source.h"
#include "message_items.h"
#include "platform/platform.h"
#include "spam_run.h"

namespace {

using namespace qbxhost;
using qbx::test::ScratchFolder;
using qbx::test::spit;

std::vector<std::string> asStrings(const std::vector<std::string_view>& views) {
    return {views.begin(), views.end()};
}

TEST(QbxhostMailSource, SplitsAnMboxAtFromLinesAfterAnEmptyLine) {
    const std::string mbox =
        "From alice Mon Jan  1 00:00:00 2024\nSubject: one\n\nbody one\n"
        "From here on: not after an empty line\n\n"
        "From bob Tue Jan  2 00:00:00 2024\r\nSubject: two\r\n\r\nbody two\r\n\r\n"
        "From carol\n\nFrom dave\nSubject: last";
    ASSERT_TRUE(isMbox(mbox));
    EXPECT_EQ(asStrings(splitMbox(mbox)),
              (std::vector<std::string>{
                  "Subject: one\n\nbody one\nFrom here on: not after an empty line\n",
                  "Subject: two\r\n\r\nbody two\r\n", "", "Subject: last"}));
    EXPECT_FALSE(isMbox("Subject: x\n\nFrom y\n"));
    EXPECT_FALSE(isMbox(">From x\n"));
    EXPECT_TRUE(splitMbox("").empty());
}

TEST(QbxhostMailSource, VisitsFilesFoldersAndMboxesInOrder) {
    const ScratchFolder scratch("mail-source-");
    const std::string dir = scratch.path.string();
    std::filesystem::create_directories(scratch.path / "corpus" / "nested");
    spit(scratch.path / "corpus" / "b", "Subject: b\n\nB");
    spit(scratch.path / "corpus" / "a", "Subject: a\n\nA");
    spit(scratch.path / "corpus" / "nested" / "c", "Subject: c\n\nC");
    spit(scratch.path / "corpus" / "m", "From x\nSubject: m1\n\nM1\n\nFrom y\nSubject: m2\n\nM2\n");
    spit(scratch.path / "single", "From x\nSubject: s\n\nS\n");
    // Sparse where the file system allows: only its size matters.
    spit(scratch.path / "huge", "");
    std::filesystem::resize_file(scratch.path / "huge", kMaxMessageFileBytes + 1);

    std::vector<std::string> visited, problems;
    const std::string corpus = dir + "/corpus";
    const bool allRead = forEachMessage(
        {corpus, dir + "/single", dir + "/huge"},
        [&](const std::string& label, std::string_view raw) {
            visited.push_back(label + "=" + std::string(raw));
        },
        [&](const std::string& line) { problems.push_back(line); });
    EXPECT_TRUE(allRead);  // an oversized file is skipped, not a failure
    EXPECT_EQ(visited, (std::vector<std::string>{
                           corpus + "/a=Subject: a\n\nA", corpus + "/b=Subject: b\n\nB",
                           corpus + "/m#1=Subject: m1\n\nM1\n", corpus + "/m#2=Subject: m2\n\nM2\n",
                           dir + "/single=Subject: s\n\nS\n"}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("skipped " + dir + "/huge"), std::string::npos);

    problems.clear();
    EXPECT_FALSE(forEachMessage(
        {dir + "/missing"}, [](const std::string&, std::string_view) {},
        [&](const std::string& line) { problems.push_back(line); }));
    EXPECT_EQ(problems.size(), 1u);
}

TEST(QbxhostMessageItems, SplitsTheHeaderBlockFromTheBodyAndTakesTheAddresses) {
    const std::string crlf =
        "Received: by x\r\nFROM: Alice <alice@example.org>\r\nFrom-Extra: not this\r\n"
        "reply-to: <replies@example.org>,\r\n\t<more@example.org>\r\n"
        "To: bob@example.org\r\nTo: second@example.org\r\n\r\n"
        "Body line\r\n\r\nFrom: not a header\r\n";
    const MessageItems items = parseMessage(crlf);
    EXPECT_EQ(items.raw, crlf);
    EXPECT_EQ(items.header, crlf.substr(0, crlf.find("\r\n\r\n")));
    EXPECT_EQ(items.body, "Body line\r\n\r\nFrom: not a header\r\n");
    EXPECT_EQ(items.from, "Alice <alice@example.org>");
    EXPECT_EQ(items.replyTo, "<replies@example.org>, <more@example.org>");
    EXPECT_EQ(items.to, "bob@example.org");

    // Bare LF lines, a header block with no body, a body with no header block.
    const struct {
        const char *raw, *header, *body;
    } cases[] = {{"Subject: s\nTo:\n\nbody\n", "Subject: s\nTo:", "body\n"},
                 {"Subject: only headers\r\n", "Subject: only headers\r\n", ""},
                 {"\r\nbody only", "", "body only"}};
    for (const auto& c : cases) {
        const MessageItems parsed = parseMessage(c.raw);
        EXPECT_EQ(parsed.header, c.header) << c.raw;
        EXPECT_EQ(parsed.body, c.body) << c.raw;
        EXPECT_EQ(parsed.from + parsed.to, "") << c.raw;
    }
}

TEST(QbxhostMessageItems, CallbackAnswersLengthQueriesAndShortBuffers) {
    const std::string raw = "From: a@b\nReply-To: r@b\n\n0123456789";
    const MessageItems items = parseMessage(raw);
    const auto context = reinterpret_cast<std::intptr_t>(&items);
    const std::pair<std::int32_t, std::int32_t> lengths[] = {
        {kItemBody, 10},
        {kItemHeader, 23},
        {kItemRawMessage, static_cast<std::int32_t>(raw.size())},
        {kItemDecodedFrom, 3},
        {kItemReplyAddress, 3},
        {kItemDecodedTo, 0},
        {12345, 0}};
    for (const auto& [id, length] : lengths)
        EXPECT_EQ(messageItemCallback(context, id, nullptr, -1), length) << id;

    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(messageItemCallback(context, kItemBody, buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 5), "0123#");  // short: no byte past size, no terminator
    EXPECT_EQ(messageItemCallback(context, kItemBody, buffer, 16), 10);
    EXPECT_EQ(std::string(buffer, 11), "0123456789#");
    EXPECT_EQ(messageItemCallback(context, kItemBody, buffer, 0), 0);
    EXPECT_EQ(messageItemCallback(context, kItemBody, buffer, -5), 0);
    EXPECT_EQ(messageItemCallback(context, kItemBody, nullptr, 10), 0);
    EXPECT_EQ(messageItemCallback(0, kItemBody, nullptr, -1), 0);
    EXPECT_EQ(std::string(buffer, 11), "0123456789#");
}

// Stand-ins for the module's exports: they read the message through the callback the way the
// module does (length query, then a buffer of that size).
std::string fetch(std::intptr_t context, qbx::HostDataCallback callback, std::int32_t id) {
    const std::int32_t length = callback(context, id, nullptr, -1);
    std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
    text.resize(static_cast<std::size_t>(callback(context, id, text.data(), length)));
    return text;
}

std::int32_t QBX_STDCALL scoreFromBody(std::intptr_t context, qbx::HostDataCallback callback) {
    return std::stoi(fetch(context, callback, kItemBody));
}

std::vector<std::string> fedAs;
std::int32_t QBX_STDCALL recordFeed(std::intptr_t context, std::int32_t isSpam,
                                    qbx::HostDataCallback callback) {
    fedAs.push_back(std::to_string(isSpam) + ":" + fetch(context, callback, kItemDecodedFrom));
    return 1;
}

TEST(QbxhostSpamRun, ScoresAndFeedsEveryMessageAndCountsTheResults) {
    const ScratchFolder scratch("spam-run-");
    const std::string mbox = (scratch.path / "mbox").string();
    spit(mbox,
         "From a\n\n60\n\nFrom b\n\n40\n\nFrom c\n\n50\n\nFrom d\n\n-1\n\nFrom e\n\n100\n\n"
         "From f\n\n0\n\nFrom g\n\n-7\n");
    std::ostringstream out, problems;
    const SpamRun scored = scoreMessages(&scoreFromBody, {mbox}, out, problems);
    EXPECT_EQ(std::vector<std::size_t>({scored.messages, scored.spam, scored.ham, scored.unknown}),
              std::vector<std::size_t>({7, 2, 2, 2}));
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("60\t" + mbox + "#1\n40\t" + mbox + "#2\n50\t" + mbox + "#3\n", 0), 0u);
    EXPECT_NE(text.find("\n-7\t" + mbox + "#7\nscored 7 messages in "), std::string::npos);
    EXPECT_NE(text.find(" msg/s; spam>=60: 2, ham<=40: 2, unknown(-1): 2\n"), std::string::npos);
    EXPECT_EQ(problems.str(), "");

    const std::string single = (scratch.path / "single").string();
    spit(single, "From: x@y\n\nbody");
    fedAs.clear();
    std::ostringstream fedOut;
    EXPECT_TRUE(feedMessages(&recordFeed, true, {single}, fedOut, problems).allRead);
    EXPECT_FALSE(
        feedMessages(&recordFeed, false, {single, single + "-missing"}, fedOut, problems).allRead);
    EXPECT_EQ(fedAs, (std::vector<std::string>{"1:x@y", "0:x@y"}));
    EXPECT_EQ(fedOut.str().rfind("fed 1 messages (spam) in ", 0), 0u);
    EXPECT_NE(fedOut.str().find("\nfed 1 messages (ham) in "), std::string::npos);
    EXPECT_NE(problems.str().find("qbxhost: cannot read " + single + "-missing"),
              std::string::npos);
}

// The real module through the real callback: every message is answered, with a score in range.
TEST(QbxhostSpamRun, DrivesTheModulesSpamEntryPoints) {
    const qbx::test::HostHome home("spam-module-");
    qbx::Registry& registry = *qbx::systemPlatform().registry;
    // Under Windows the registry outlives the test: the period totals scoring adds to are put
    // back afterwards, so that later tests see the installation as they left it.
    const char* const totals[] = {"stLetterCount", "stTotalSize", "stHeaderSize", "stTextSize"};
    std::vector<qbx::RegValue> saved;
    for (const char* name : totals) saved.push_back(registry.readString("Software\\ZVX", name));
    const std::string mbox = (home.path() / "mbox").string();
    spit(mbox,
         "From a\nFrom: Alice <alice@example.org>\nTo: bob@example.org\nSubject: hi\n\n"
         "Cheap watches, buy now\n\n"
         "From b\r\nFrom: =?koi8-r?B?8NLJ18XU?= <c@d>\r\n"
         "Content-Type: text/plain; charset=KOI8-R\r\n"
         "\r\n\xf0\xd2\xc9\xd7\xc5\xd4 \"quoted\" 'text'\r\n\r\n"
         "From c\n\n\n\nFrom d\nSubject: no body\n");
    Host host(qbx::test::kModule);
    host.initialize();
    std::ostringstream out, problems;
    for (const bool spam : {true, false})
        EXPECT_EQ(feedMessages(host.exports().feedSpam, spam, {mbox}, out, problems).messages, 4u);
    EXPECT_EQ(scoreMessages(host.exports().getSpamScore, {mbox}, out, problems).messages, 4u);
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        if (line.find('\t') == std::string::npos) continue;
        const int score = std::stoi(line);
        EXPECT_TRUE(score >= -1 && score <= 100) << line;
    }
    EXPECT_EQ(problems.str(), "");
    host.finalize();
    for (std::size_t i = 0; i < saved.size(); ++i)
        registry.writeString(
            "Software\\ZVX", totals[i],
            saved[i].status == qbx::RegStatus::Ok ? saved[i].text : (i == 0 ? "1" : "0"));
}

}  // namespace
