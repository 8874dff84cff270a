// The mail entry points over a fake host callback. "A query fails" means the callback threw or
// reported a part longer than the module reads; a negative length means "no such item": empty.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "core/plugin.h"
#include "platform/charset_converter.h"
#include "statistics/spam_entry.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "statistics/word_trie.h"
#include "support/encoded_samples.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

struct FakeMessage {
    std::map<std::int32_t, std::string> items;
    std::map<std::int32_t, std::int32_t> lengths, fillAnswers;  // answers to length queries, reads
    std::set<std::int32_t> throwing;
    std::vector<std::int32_t> calls;
    std::function<void()> onCall;
};

std::int32_t QBX_STDCALL hostCallback(std::intptr_t context, std::int32_t id, char* buffer,
                                      std::int32_t size) {
    auto& message = *reinterpret_cast<FakeMessage*>(context);
    message.calls.push_back(id);
    if (message.onCall) message.onCall();
    if (message.throwing.count(id) != 0) throw std::runtime_error("host failed");
    const std::string& text = message.items[id];
    const auto pick = [](const auto& answers, std::int32_t key, std::size_t otherwise) {
        const auto it = answers.find(key);
        return it != answers.end() ? it->second : static_cast<std::int32_t>(otherwise);
    };
    if (buffer == nullptr) return pick(message.lengths, id, text.size());
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), text.size());
    std::memcpy(buffer, text.data(), n);
    return pick(message.fillAnswers, id, n);
}

struct DialogStub : SettingsDialog {
    void showNonBlocking() override {}
    void killTimers() override {}
    void stopPlayerTimer() override {}
    void appendDebugLine(const std::string&) override {}
    UiComponent* components() override { return nullptr; }
};

const std::string kDay = "150323";  // the fake clock's date

SpamEntryHooks scoring(std::function<double()> probability) {
    SpamEntryHooks hooks;
    hooks.probability = [probability](Plugin&, std::string_view, std::string_view) {
        return probability();
    };
    return hooks;
}

class SpamEntry : public ::testing::Test {
protected:
    void SetUp() override {
        plugin.settings.statisticsDir = "C:\\QBX\\Statistics\\";
        plugin.settings.antispamActive = true;
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
        installSpamFilter(plugin);
        message.items = {
            {kItemHeader,
             "Received: from relay.example.org ([10.1.2.3]) by mx.example.net\r\n"
             "From: =?utf-8?Q?Ivan?= <ivan@example.org>\r\nTo: Petr <petr@example.net>\r\n"
             "X-Mailer: Mailer 1\r\nContent-Type: text/plain; charset=windows-1251\r\n"},
            {kItemBody, "Hello there friend"},
            {kItemRawMessage, std::string(300, 'r')},
            {kItemDecodedFrom, "Ivan <Ivan@Example.org>"},
            {kItemDecodedTo, "Petr <petr@example.net>"},
            {kItemReplyAddress, ""},
        };
    }
    void enable(std::initializer_list<Slot> slots) {
        for (Slot slot : slots) {
            const auto i = static_cast<std::size_t>(slot);
            plugin.settings.enabledItems |= 1 << i;
            plugin.statItems[i] = std::make_unique<StatItem>(
                plugin, plugin.settings.statisticsDir + kStatItemNames[i], static_cast<int>(i));
        }
        log.clear();
    }
    std::int32_t score(const SpamEntryHooks& hooks = {}) {
        return getSpamScore(plugin, reinterpret_cast<std::intptr_t>(&message), hostCallback, hooks);
    }
    void feed(std::int32_t isSpam) {
        feedSpam(plugin, reinterpret_cast<std::intptr_t>(&message), isSpam, hostCallback);
    }
    SpamFilterState& filter() { return *spamFilter(plugin); }
    std::int32_t count(Slot slot, std::string_view key) {
        return statItem(plugin, slot)->frequency(key);
    }
    std::int32_t size(Slot slot, std::string_view key) {
        const auto entry = statItem(plugin, slot)->store().tree().find(key);
        return entry ? entry->size : std::numeric_limits<std::int32_t>::min();
    }
    bool logged(const std::string& line) const {
        return std::find(log.begin(), log.end(), line) != log.end();
    }
    std::map<std::string, std::int32_t> plain(Slot slot) {  // a trained item's plain list
        std::map<std::string, std::int32_t> out;
        const StatStore& store = statItem(plugin, slot)->store();
        for (std::size_t i = 0; i < store.count(); ++i) out[store.key(i)] = store.cnt(i);
        return out;
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    FakeMessage message;
    std::vector<std::string> log;
};

TEST_F(SpamEntry, NoItemEnabledCountsTheLetterAndReadsNothing) {
    // The host's way in: the hooks installed with the filter.
    EXPECT_EQ(getSpamScore(plugin, reinterpret_cast<std::intptr_t>(&message), hostCallback), -1);
    EXPECT_EQ(filter().monitor.incomingScored, 1);
    EXPECT_EQ(filter().monitor.messagesProcessed, 1);
    EXPECT_TRUE(message.calls.empty());
}

// The filter is installed with the module; without one there is nothing to count into.
TEST_F(SpamEntry, WithoutAFilterNothingIsScoredTrainedOrRead) {
    enable({Slot::Spam, Slot::NonSpam, Slot::Charsets});
    plugin.spamFilter.reset();
    EXPECT_EQ(score(), -1);
    EXPECT_EQ(getSpamScore(plugin, reinterpret_cast<std::intptr_t>(&message), hostCallback), -1);
    feed(1);
    EXPECT_TRUE(message.calls.empty());
    EXPECT_TRUE(plain(Slot::Spam).empty());
    EXPECT_EQ(count(Slot::Charsets, "windows-1251"), 0);
}

TEST_F(SpamEntry, ACallWhileBusyIsRejectedAndFeedsNothing) {
    enable({Slot::Charsets});
    std::int32_t nested = 0;
    message.onCall = [&] {
        if (message.calls.size() == 1) nested = score();
    };
    score();
    EXPECT_EQ(nested, -1);
    EXPECT_TRUE(logged("Rejected!"));
    EXPECT_EQ(filter().monitor.incomingScored, 2);
    EXPECT_EQ(count(Slot::Charsets, "windows-1251"), 1);  // the outer call's only
    EXPECT_FALSE(filter().scoreBusy);                     // dropped by the outer call

    filter().scoreBusy = true;  // left set by a call still running: not ours to clear
    EXPECT_EQ(score(), -1);
    EXPECT_TRUE(filter().scoreBusy);
}

TEST_F(SpamEntry, FailingSizeQueriesEndTheCallAndFreeTheFlag) {
    enable({Slot::Charsets, Slot::Traffic});
    const std::function<std::int32_t()> variants[] = {
        [&] { return message.throwing = {kItemBody}, score(); },
        [&] { return message.lengths[kItemRawMessage] = kMaxHostItemBytes + 1, score(); },
        [&] { return getSpamScore(plugin, 0, nullptr); },  // no callback: nothing to measure
    };
    for (const auto& run : variants) {
        log.clear();
        message.throwing.clear();
        message.lengths.clear();
        EXPECT_EQ(run(), -1);
        EXPECT_TRUE(logged("@ Exception while determining size of mail parts; ignored"));
        EXPECT_FALSE(filter().scoreBusy);
        EXPECT_EQ(plugin.dialUp->receivedBytes, 0);
        EXPECT_EQ(count(Slot::Charsets, "windows-1251"), 0);
    }
}

TEST_F(SpamEntry, NegativeLengthsReadAsEmptyItems) {
    enable({Slot::Senders, Slot::Recipients});
    message.lengths = {{kItemDecodedTo, -5}, {kItemBody, -1}};
    score(scoring([] { return 0.5; }));
    EXPECT_EQ(count(Slot::Senders, "unknown"), 1);
    EXPECT_EQ(count(Slot::Recipients, "ivan@example.org"), 1);
    EXPECT_FALSE(logged("@ Exception while determining size of mail parts; ignored"));
}

TEST_F(SpamEntry, FilterOffStillFeedsEveryItem) {
    plugin.settings.antispamActive = false;
    enable({Slot::Words, Slot::Charsets, Slot::Mailers, Slot::Recipients, Slot::Senders,
            Slot::SenderIp, Slot::SenderNames, Slot::RecipientName, Slot::SenderServer,
            Slot::Servers});
    EXPECT_EQ(score(), -1);
    const std::pair<Slot, const char*> fed[] = {
        {Slot::Words, "hello"},
        {Slot::Charsets, "windows-1251"},
        {Slot::Mailers, "Mailer 1"},
        {Slot::Recipients, "ivan@example.org"},  // From, reply empty: once
        {Slot::Senders, "petr@example.net"},
        {Slot::SenderIp, "10.1.2.3"},
        {Slot::SenderServer, "mx.example.net"},
        {Slot::SenderNames, "Ivan"},  // word decoded
        {Slot::RecipientName, "Petr"}};
    for (const auto& [slot, key] : fed) EXPECT_EQ(count(slot, key), 1) << key;
    EXPECT_EQ(size(Slot::Words, "hello"), 300);  // weighted by the raw size
    for (const std::string& line : log) {
        EXPECT_EQ(line.find("&&& Spam score"), std::string::npos);
        EXPECT_NE(line, "$$$ Missed!!");
    }
    EXPECT_TRUE(statItem(plugin, Slot::Words)->store().dirty());  // the words are kept
}

// The names are decoded by the system's converter into the module's text, which is 1251
// natively and the ANSI code page (1252 under Wine) in the DLL.
TEST_F(SpamEntry, NamesOfEveryCharsetTheSystemKnowsAreCountedDecoded) {
    const unsigned page = moduleTextCodePage();
    if (page != 1251 && page != 1252) GTEST_SKIP() << "no expectations for code page " << page;
    enable({Slot::SenderNames, Slot::RecipientName});
    message.items[kItemHeader] =
        "From: =?koi8-u?B?8NLJ18XU?= <olena@example.org>\r\n"
        "To: =?iso-8859-2?Q?=A9koda?= =?x-no-such-charset?Q?=E9?= <s@example.net>\r\n";
    score();
    EXPECT_EQ(count(Slot::SenderNames, page == 1251 ? "\xCF\xF0\xE8\xE2\xE5\xF2" : "??????"), 1);
    EXPECT_EQ(count(Slot::RecipientName, page == 1251 ? "?koda\xE9" : "\x8Akoda\xE9"), 1);
}

TEST_F(SpamEntry, OneReadingOfTheClockDatesAllTheKeysOfAMessage) {
    // A clock a second further at every reading: the items' new keys still share one date,
    // the message's.
    struct MovingClock : test::FakeClock {
        double now() override { return dateTime += 1.0 / 86400; }
    } clock;
    plugin.platform.clock = &clock;
    enable({Slot::Words, Slot::Charsets, Slot::Mailers, Slot::Senders, Slot::SenderIp,
            Slot::Servers, Slot::Traffic});
    score();
    std::set<double> dates;
    for (Slot slot : {Slot::Words, Slot::Charsets, Slot::Mailers, Slot::Senders, Slot::SenderIp,
                      Slot::Servers, Slot::Traffic}) {
        statItem(plugin, slot)->store().tree().forEachEntry([&](const StatEntry& entry) {
            dates.insert(entry.cdate);
            dates.insert(entry.mdate);
        });
    }
    EXPECT_EQ(dates.size(), 1u);
}

TEST_F(SpamEntry, ScoreEdgesAndRounding) {
    enable({Slot::Charsets});
    const struct {
        double p;
        std::int32_t score, spam, nonSpam;
    } rows[] = {
        {0.6, 60, 1, 0},  {0.4, 40, 0, 1},   {0.41, 41, 0, 0},
        {0.59, 59, 0, 0}, {0.125, 12, 0, 1}, {0.375, 38, 0, 1},
        {1.0, 100, 1, 0}, {-1.0, -1, 0, 0},  {std::nan(""), -1, 0, 0},
    };
    for (const auto& row : rows) {
        filter().monitor.detectedSpam = filter().monitor.detectedNonSpam = 0;
        log.clear();
        const double p = row.p;
        EXPECT_EQ(score(scoring([p] { return p; })), row.score) << p;
        EXPECT_EQ(filter().monitor.detectedSpam, row.spam) << p;
        EXPECT_EQ(filter().monitor.detectedNonSpam, row.nonSpam) << p;
        EXPECT_TRUE(
            logged(row.score < 0 ? "$$$ Missed!!" : "&&& Spam score: " + decimal(row.score)));
    }
}

TEST_F(SpamEntry, TrafficKeysAndAmounts) {
    enable({Slot::Traffic});
    message.items[kItemHeader] = "From: a@b\r\n";  // 11 bytes
    message.items[kItemBody] = "body";             // 4
    message.items[kItemRawMessage] = "raw";        // 3: less than its parts
    score();
    for (const auto& [kind, bytes] : {std::pair{"T", 3}, {"H", 11}, {"X", 4}, {"A", 3 - 4 - 11}})
        EXPECT_EQ(size(Slot::Traffic, kDay + kind), bytes) << kind;
    EXPECT_EQ(count(Slot::Traffic, kDay + "A"), 1);
    EXPECT_TRUE(logged("Incrementing traffic counter " + kDay));
    EXPECT_TRUE(logged("Done" + kDay));
    const auto& s = plugin.settings;
    EXPECT_EQ(std::vector<std::int64_t>(
                  {s.headerBytes, s.totalBytes, s.bodyBytes, std::int64_t{s.messagesCounted}}),
              std::vector<std::int64_t>({11, 3, 4, 2}));
    EXPECT_EQ(plugin.dialUp->receivedBytes, 3);
}

// Totals from a damaged or hostile registry, or a very long run, stop at their maximum: a
// wrapped total would be stored negative.
TEST_F(SpamEntry, TotalsAndMonitorCountersStopAtTheirMaximum) {
    constexpr std::int64_t kMax64 = std::numeric_limits<std::int64_t>::max();
    constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
    Settings& s = plugin.settings;
    s.headerBytes = s.totalBytes = s.bodyBytes = kMax64 - 1;
    s.messagesCounted = kMax32;
    plugin.dialUp->receivedBytes = kMax64 - 1;
    filter().monitor.incomingScored = filter().monitor.messagesProcessed = kMax32;
    filter().monitor.bytesProcessed = kMax32 - 1;
    enable({Slot::Spam, Slot::NonSpam});
    score();
    feed(1);
    EXPECT_EQ(std::vector<std::int64_t>(
                  {s.headerBytes, s.totalBytes, s.bodyBytes, plugin.dialUp->receivedBytes}),
              std::vector<std::int64_t>(4, kMax64));
    const MonitorCounters& monitor = filter().monitor;
    EXPECT_EQ(std::vector<std::int32_t>({s.messagesCounted, monitor.incomingScored,
                                         monitor.messagesProcessed, monitor.bytesProcessed,
                                         monitor.spamFed}),
              std::vector<std::int32_t>({kMax32, kMax32, kMax32, kMax32, 1}));
}

TEST_F(SpamEntry, RecipientRulesSeeTheToAddressBeforeUnknown) {
    enable({Slot::Traffic, Slot::RawTraffic, Slot::Senders});
    plugin.settings.lookForRecipients = true;
    std::vector<std::string> asked;
    // Matches every address, noting what it was asked.
    struct AskedFilter : RecipientFilter {
        explicit AskedFilter(std::vector<std::string>& asked) : asked_(asked) {}
        bool matches(std::string_view address) const override {
            asked_.emplace_back(address);
            return true;
        }
        std::vector<std::string>& asked_;
    };
    plugin.recipientFilter = std::make_unique<AskedFilter>(asked);
    score();
    EXPECT_TRUE(asked.empty());  // no dialog, no list to look for

    plugin.settingsDialog = std::make_unique<DialogStub>();
    score();
    EXPECT_EQ(asked, std::vector<std::string>{"petr@example.net"});
    EXPECT_EQ(size(Slot::RawTraffic, kDay + "Tpetr@example.net"), 300);
    EXPECT_TRUE(logged("Adding address petr@example.net into temporary statistics"));

    message.items[kItemDecodedTo] = "";
    score();
    EXPECT_EQ(asked, (std::vector<std::string>{"petr@example.net", ""}));
    EXPECT_EQ(count(Slot::Senders, "unknown"), 1);

    plugin.statItems[static_cast<std::size_t>(Slot::RawTraffic)].reset();
    score();
    EXPECT_TRUE(logged("!!!!!!!!!!@@!@!@!@!@!@!"));
}

TEST_F(SpamEntry, ADistinctReplyAddressIsCountedBesideFrom) {
    enable({Slot::Recipients});
    message.items[kItemReplyAddress] = "List <list@example.org>";
    score();
    EXPECT_EQ(count(Slot::Recipients, "ivan@example.org"), 1);
    EXPECT_EQ(count(Slot::Recipients, "list@example.org"), 1);
    message.items[kItemDecodedFrom] = message.items[kItemReplyAddress] = "";
    score();
    EXPECT_EQ(count(Slot::Recipients, "unknown"), 1);
}

TEST_F(SpamEntry, Koi8ContentTypeConvertsTheBodyOnlyWhenTheHeaderSaysSo) {
    enable({Slot::Words});
    const std::string koi8Privet = "\xF0\xD2\xC9\xD7\xC5\xD4",
                      privet1251 = "\xEF\xF0\xE8\xE2\xE5\xF2";
    message.items[kItemHeader] = "Content-Type: text/plain; Charset=\"KOI8-R\"\r\n";
    message.items[kItemBody] = koi8Privet;
    score();
    EXPECT_EQ(count(Slot::Words, privet1251), 1);

    message.items[kItemHeader] = "Subject: koi8\r\n";
    message.items[kItemBody] = koi8Privet + " koi8";
    score();
    EXPECT_EQ(count(Slot::Words, privet1251), 1);
    EXPECT_EQ(count(Slot::Words, toLower1251(koi8Privet)), 1);
}

// The score and the Words item share one count of the message's words where they can: whatever
// the text (joined words such as "user@host", Cyrillic letters the score reads as Latin ones,
// words past 80 letters, short words only the item takes, a Subject only the score reads, any
// minimum word length), the item ends as counting its own text would leave it and the score is
// the rating's own.
// A huge message's words (joined ones among them) are counted in the scoring's kept buffers,
// which give their room back afterwards instead of holding it for the session.
TEST_F(SpamEntry, AHugeMessageLeavesNoHugeBuffersBehind) {
    enable({Slot::Words, Slot::Spam, Slot::NonSpam});
    std::string body;
    for (int i = 0; body.size() < (std::size_t{3} << 20); ++i) {
        std::string word;
        for (int n = i; n > 0 || word.empty(); n /= 26) word += static_cast<char>('a' + n % 26);
        body += word + (i % 2 == 0 ? "@" : " \r\n");
    }
    message.items[kItemBody] = body;
    message.items[kItemRawMessage] = body;
    EXPECT_EQ(score(), -1);  // nothing trained: no word says anything
    EXPECT_GT(statItem(plugin, Slot::Words)->store().tree().countWords(), 100'000u);
    const ScoreBuffers& kept = filter().buffers;
    EXPECT_LE(kept.joinedKeys.capacity(), std::size_t{1} << 20);
    EXPECT_LE(kept.scoreText.capacity(), std::size_t{1} << 20);
    for (const std::vector<TextWord>* words :
         {&kept.messageWords.words, &kept.ratedWords, &kept.bodyWords, &kept.joinedWords})
        EXPECT_LE(words->capacity() * sizeof(TextWord), std::size_t{1} << 20);
    EXPECT_LE(kept.wordRoom.slots.capacity() * sizeof(std::uint64_t), std::size_t{1} << 20);
}

TEST_F(SpamEntry, ScoringCountsTheWordsItemAsItsOwnTextWould) {
    enable({Slot::Words, Slot::Spam, Slot::NonSpam});
    const std::string vocabulary[] = {"mail",    "user",      "host",         "cheap", "pills",
                                      "meeting", "user@host", "\xEA\xEE\xF2", "koti",  "abc"};
    for (int i = 0; i < 12; ++i) {
        for (std::size_t w = 0; w < std::size(vocabulary); ++w) {
            WordTrie& side =
                statItem(plugin, w % 2 == 0 ? Slot::Spam : Slot::NonSpam)->store().tree();
            side.addWord(vocabulary[w], 1, 0);
            if (w % 3 == 0) side.addWord(vocabulary[(w + 5) % std::size(vocabulary)], 1, 0);
        }
    }
    // The scorer rates from the table made with the thresholds; messageSpamScore from the trees.
    filter().updateThresholds();
    ASSERT_TRUE(filter().buffers.ratingCounts.current(statTree(plugin, Slot::Spam),
                                                      statTree(plugin, Slot::NonSpam)));
    static const std::string pieces[] = {"ab",
                                         "abc",
                                         "Mail",
                                         "user",
                                         "@",
                                         "@@",
                                         "a@b",
                                         "host",
                                         "\xCA\xCE\xD2",
                                         "\xA8",
                                         " ",
                                         ",",
                                         "'",
                                         "\"",
                                         "\r\n",
                                         std::string(83, 'z'),
                                         "Cheap",
                                         "pills",
                                         "<b>",
                                         "&amp;",
                                         "<a href='cheap'>",
                                         "<!--",
                                         "-->"};
    std::mt19937 random(7);
    WordTrie expected(0.0);
    for (int round = 0; round < 300; ++round) {
        const auto text = [&](int most) {
            std::string t;
            for (int n = static_cast<int>(random() % most); n > 0; --n)
                t += pieces[random() % std::size(pieces)];
            return t;
        };
        const std::string subject = text(6);
        const std::string body = text(40);
        const std::string header = "Subject: " + subject + "\r\nFrom: " + text(4) + "\r\n";
        plugin.settings.spamMinWordLength = static_cast<std::uint16_t>(1 + random() % 7);
        message.items[kItemHeader] = header;
        message.items[kItemBody] = body;

        const std::int32_t rated = messageSpamScore(plugin, body, header);
        EXPECT_EQ(score(), rated) << "[" << subject << "] [" << body << "]";
        std::string itemText = toLower1251(body);
        std::replace(itemText.begin(), itemText.end(), '"', ' ');
        std::replace(itemText.begin(), itemText.end(), '\'', ' ');
        expected.addText(itemText, 300, 0.0);
        std::vector<std::tuple<std::string, std::int32_t, std::int32_t>> want, got;
        expected.forEachEntry(
            [&](const StatEntry& e) { want.emplace_back(e.key, e.count, e.size); });
        statItem(plugin, Slot::Words)->store().tree().forEachEntry([&](const StatEntry& e) {
            got.emplace_back(e.key, e.count, e.size);
        });
        ASSERT_EQ(got, want) << "[" << subject << "] [" << body << "] min "
                             << plugin.settings.spamMinWordLength;
    }
}

// The Words item takes the body lower-cased with its quotes blanked ("@" stays a letter); the
// score's words are the normalised ones, where "@" and the apostrophe split words and Cyrillic
// letters become their Latin look-alikes.
TEST_F(SpamEntry, TheWordsItemAndTheScoreSplitTheBodyEachTheirWay) {
    enable({Slot::Words, Slot::Spam, Slot::NonSpam});
    const std::string body = "Don't STOP \"Quoted\" user@Mail.Example \xCA\xCE\xD2";  // КОТ
    message.items[kItemBody] = body;
    score();
    const std::vector<std::pair<std::string, std::int32_t>> words = {
        {"don", 1},          {"stop", 1}, {"quoted", 1}, {"user@mail", 1}, {"example", 1},
        {"\xEA\xEE\xF2", 1}, {"user", 0}, {"mail", 0},   {"don't", 0},     {"t", 0},
    };
    for (const auto& [key, expected] : words) EXPECT_EQ(count(Slot::Words, key), expected) << key;

    filter().thresholds = {.spamMin = 3, .maxSpam = 10, .nonSpamMin = 3, .maxNonSpam = 10};
    for (int i = 0; i < 10; ++i) statItem(plugin, Slot::Spam)->store().tree().addWord("mail", 1, 0);
    EXPECT_EQ(messageSpamScore(plugin, "user@mail", ""), 89);  // "mail" is a word of its own
    EXPECT_EQ(messageSpamScore(plugin, "usermail", ""), -1);
    for (int i = 0; i < 10; ++i)
        statItem(plugin, Slot::NonSpam)->store().tree().addWord("kowka", 1, 0);
    // КОШКА in the Subject: 1251 bytes in a 1251 letter, KOI8 bytes in a KOI8 one; the same
    // bytes read the other way are another word.
    const std::string cp1251 = "Subject: \xCA\xCE\xD8\xCA\xC0\r\n";
    const std::string koi8 = "Subject: \xEB\xEF\xFB\xEB\xE1\r\n";
    const std::string saysKoi8 = "Content-Type: text/plain; charset=koi8-r\r\n";
    EXPECT_EQ(messageSpamScore(plugin, "", cp1251), 1);
    EXPECT_EQ(messageSpamScore(plugin, "", koi8 + saysKoi8), 1);
    EXPECT_EQ(messageSpamScore(plugin, "", koi8), -1);
    EXPECT_EQ(messageSpamScore(plugin, "", cp1251 + saysKoi8), -1);

    // The scorer's kept buffers: nothing of the message before is rated with the next one.
    for (const auto& [messageBody, header, expected] :
         {std::tuple<std::string, std::string, std::int32_t>{"user@mail and more words", "", 89},
          {"usermail", "", -1},
          {"", cp1251, 1},
          {"", koi8, -1},
          {"", koi8 + saysKoi8, 1}}) {
        message.items[kItemBody] = messageBody;
        message.items[kItemHeader] = header;
        EXPECT_EQ(score(), expected) << messageBody << header;
    }
}

TEST_F(SpamEntry, AFailingStageSkipsToBackupAndTraffic) {
    enable({Slot::Senders, Slot::Traffic});
    EXPECT_EQ(score(scoring([]() -> double { throw std::runtime_error("boom"); })), -1);
    EXPECT_TRUE(logged("Exception 7"));
    EXPECT_EQ(count(Slot::Senders, "petr@example.net"), 0);
    EXPECT_EQ(count(Slot::Traffic, kDay + "T"), 1);
    EXPECT_FALSE(filter().scoreBusy);
    // A host that fails while the fields are read: the score reached is still returned.
    message.throwing = {kItemDecodedFrom};
    EXPECT_EQ(score(scoring([] { return 0.7; })), 70);
}

// The scoring's log line by line: the stage lines in their classic order with the lines of the
// steps between them. A step guarded by itself fails alone; any other failure ends the feeding
// of the items, and the backup and the traffic still run.
TEST_F(SpamEntry, TheStagesAreLoggedInTheirClassicOrder) {
    enable({Slot::Words, Slot::Charsets, Slot::Senders, Slot::Traffic});
    plugin.settings.attachmentCompleterOn = true;
    const auto expected = [](const std::string& uueLine, const std::vector<std::string>& fed) {
        std::vector<std::string> lines = {"Stage 1", "&&& Spam score: 25", "Stage 2", uueLine};
        lines.insert(lines.end(), fed.begin(), fed.end());
        lines.push_back("Incrementing traffic counter " + kDay);
        lines.push_back("Done" + kDay);
        return lines;
    };
    const std::vector<std::string> upToStage5 = {"Stage 3", "Adding 18 byte to mad", "Done",
                                                 "Stage 4", "Stage 5"};
    std::vector<std::string> allFed = upToStage5;
    for (const char* line :
         {"Stage 6", "Stage 7a", "Stage 7b", "Stage 7c", "Stage 8", "Stage 9", "End 7"})
        allFed.emplace_back(line);

    SpamEntryHooks hooks = scoring([] { return 0.25; });
    score(hooks);
    EXPECT_EQ(log, expected("------- is not UUE", allFed));

    log.clear();
    hooks.isUuePart = [](Plugin&, std::string_view) -> bool { throw std::runtime_error("x"); };
    score(hooks);
    EXPECT_EQ(log, expected("2.d", allFed));
    EXPECT_EQ(count(Slot::Senders, "petr@example.net"), 2);

    log.clear();
    message.throwing = {kItemDecodedFrom};
    score(hooks);
    std::vector<std::string> cutShort = upToStage5;
    cutShort.emplace_back("Exception 7");
    EXPECT_EQ(log, expected("2.d", cutShort));
    EXPECT_EQ(count(Slot::Senders, "petr@example.net"), 2);
}

TEST_F(SpamEntry, UuePartsGoToTheCompleterWithTheirQuotes) {
    enable({Slot::Words});
    message.items[kItemBody] = "section 1 of 2 of file \"a.zip\"";
    std::string handed;
    SpamEntryHooks hooks;
    hooks.isUuePart = [](Plugin&, std::string_view) { return true; };
    hooks.addUuePart = [&](Plugin&, std::string_view body) { handed = body; };
    score(hooks);
    EXPECT_EQ(handed, message.items[kItemBody]);
    EXPECT_TRUE(logged("-++---- is UUE"));

    for (const bool attachmentCompleterOn : {true, false}) {
        plugin.settings.attachmentCompleterOn = attachmentCompleterOn;
        log.clear();
        score();
        EXPECT_EQ(logged("------- is not UUE"), attachmentCompleterOn);
    }
}

TEST_F(SpamEntry, BackupTakesTheHostsCopiedSizeAsTheMessageSize) {
    enable({Slot::Traffic});
    plugin.settings.mailboxBackupOn = true;
    message.fillAnswers[kItemRawMessage] = 120;
    score();
    EXPECT_TRUE(logged("Begin 5"));
    EXPECT_TRUE(logged("End 5"));
    EXPECT_EQ(size(Slot::Traffic, kDay + "T"), 120);
}

TEST_F(SpamEntry, TheMessageScoreComesFromTheTrainedWords) {
    enable({Slot::Spam, Slot::NonSpam, Slot::Charsets});
    plugin.settings.enabledItems |= 1 << 7;
    filter().thresholds = {.spamMin = 3, .maxSpam = 10, .nonSpamMin = 3, .maxNonSpam = 10};
    for (int i = 0; i < 10; ++i) {
        statItem(plugin, Slot::Spam)->store().tree().addWord("viagra", 1, 0);
        statItem(plugin, Slot::NonSpam)->store().tree().addWord("meeting", 1, 0);
    }
    const std::string spamBody = "Cheap VIAGRA, viagra!";
    EXPECT_NEAR(messageSpamProbability(plugin, spamBody, "", ScoreCombiner::Products), 0.9801,
                1e-9);
    EXPECT_GT(messageSpamProbability(plugin, spamBody, "", ScoreCombiner::Fisher), 0.6);
    EXPECT_GT(messageSpamProbability(plugin, "", "Subject: viagra\r\n"), 0.5);  // Subject counts
    EXPECT_LT(messageSpamProbability(plugin, "the meeting", "", ScoreCombiner::Fisher), 0.4);
    EXPECT_EQ(messageSpamProbability(plugin, "nothing known here", ""), -1.0);

    // One informative word seen twice, f = 2.156 / 2.3 = 0.937, below the spam cut: unsure,
    // 40.5 + 19 * (f - 0.45) / 0.5 = 59.02.
    for (int i = 0; i < 2; ++i)
        statItem(plugin, Slot::Spam)->store().tree().addWord("casino", 1, 0);
    message.items[kItemBody] = "Cheap casino";
    EXPECT_EQ(score(), 59);
    EXPECT_EQ(filter().monitor.detectedSpam, 0);
    EXPECT_EQ(filter().monitor.detectedNonSpam, 0);
    // Seen ten times: f = 10.156 / 10.3 = 0.986, 59.5 + 40.5 * (f - 0.95) / 0.05 = 88.68.
    message.items[kItemBody] = spamBody;
    EXPECT_EQ(messageSpamScore(plugin, spamBody, ""), 89);
    EXPECT_EQ(score(), 89);
    EXPECT_EQ(filter().monitor.detectedSpam, 1);
    message.items[kItemBody] = "unknown words only";
    EXPECT_EQ(score(), -1);
    EXPECT_TRUE(logged("$$$ Missed!!"));
}

// The score rates the sender's line with the body's words, and the body's text, not its HTML:
// tags that trained spam is full of say nothing of a newsletter, its link's target does.
TEST_F(SpamEntry, TheScoreRatesTheSenderAndTheTextNotTheMarkup) {
    enable({Slot::Words, Slot::Spam, Slot::NonSpam});
    for (int i = 0; i < 10; ++i) {
        for (const char* word : {"font", "color", "table", "nbsp", "pharmacy"})
            statItem(plugin, Slot::Spam)->store().tree().addWord(word, 1, 0);
        for (const char* word : {"meeting", "agenda", "johnson"})
            statItem(plugin, Slot::NonSpam)->store().tree().addWord(word, 1, 0);
    }
    const std::string newsletter =
        "<table><tr><td><font color=red>Meeting&nbsp;agenda</font></td></tr></table>";
    EXPECT_EQ(messageSpamScore(plugin, newsletter, ""), 0);
    EXPECT_EQ(messageSpamScore(plugin, "<table><font color=red>&nbsp;</font></table>", ""), -1);
    EXPECT_EQ(messageSpamScore(plugin, "<a href=\"http://pharmacy.example\">here</a>", ""), 89);
    EXPECT_EQ(messageSpamScore(plugin, "", "From: Mary Johnson <mary@example.com>\r\n"), 1);
    EXPECT_EQ(messageSpamScore(plugin, "font color table", ""), 100);  // plain words count

    // The Words item still counts the body as it came, tags and all.
    message.items[kItemBody] = newsletter;
    message.items[kItemHeader] = "From: Mary Johnson <mary@example.com>\r\n";
    EXPECT_EQ(score(), 0);  // the sender's name is a third word of the user's
    for (const auto& [word, times] : {std::pair<const char*, int>{"table", 2},
                                      {"font", 2},
                                      {"color", 1},
                                      {"meeting", 1},
                                      {"nbsp", 1},
                                      {"agenda", 1}})
        EXPECT_EQ(count(Slot::Words, word), times) << word;
    EXPECT_EQ(count(Slot::Words, "johnson"), 0);
}

TEST_F(SpamEntry, FeedingTrainsTheChosenItemAndCounts) {
    enable({Slot::Spam, Slot::NonSpam});
    message.items[kItemBody] = "Buy cheap pills now, cheap!";
    feed(2);
    EXPECT_EQ(plain(Slot::Spam)[" cheap"] + plain(Slot::Spam)["cheap"], 1);
    EXPECT_EQ(filter().monitor.spamFed + filter().monitor.nonSpamFed, 0);
    EXPECT_EQ(filter().monitor.messagesProcessed, 1);
    EXPECT_EQ(filter().monitor.bytesProcessed, 300);
    feed(1);
    feed(0);
    EXPECT_EQ(filter().monitor.spamFed, 1);
    EXPECT_EQ(filter().monitor.nonSpamFed, 1);
    EXPECT_NE(plain(Slot::NonSpam).count("pills"), 0u);
    EXPECT_EQ(plain(Slot::Spam)["pills"], 2);

    plugin.settings.antispamActive = false;
    feed(1);
    EXPECT_EQ(filter().monitor.messagesProcessed, 3);
}

TEST_F(SpamEntry, FeedingWithoutTheNonSpamBitOrWithAFailingHostTrainsNothing) {
    enable({Slot::Spam});
    message.items[kItemBody] = "pills pills";
    feed(1);
    EXPECT_EQ(filter().monitor.messagesProcessed, 1);
    EXPECT_TRUE(plain(Slot::Spam).empty());

    enable({Slot::NonSpam});
    message.throwing = {kItemHeader};
    feed(1);  // must not throw
    EXPECT_TRUE(logged("***** ERROR!!! Exception in TBP_FeedSpam: host failed"));
    EXPECT_TRUE(plain(Slot::Spam).empty());
}

// A letter with a zipped file: the attachment's 270 lines of base64 split into thousands of
// random letter runs if they were words.
struct LetterWithAttachment {
    std::string text =
        "Cheap pills here, order now\r\n\r\n--b\r\n"
        "Content-Type: application/zip\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    std::string attachment = test::base64Lines(test::noiseBytes(15390));
    std::string tail = "--b--\r\n";
    std::string body() const { return text + attachment + tail; }
    std::string bodyWithout() const { return text + tail; }
    std::string logLine() const {
        return "Encoded data left out: 270 lines (" + decimal(std::int64_t(attachment.size())) +
               " bytes)";
    }
};

TEST_F(SpamEntry, TrainingLeavesEncodedAttachmentsOut) {
    enable({Slot::Spam, Slot::NonSpam});
    const LetterWithAttachment letter;
    message.items[kItemBody] = letter.bodyWithout();
    feed(0);
    EXPECT_TRUE(log.empty());  // nothing left out, nothing said
    message.items[kItemBody] = letter.body();
    feed(1);
    EXPECT_EQ(plain(Slot::Spam), plain(Slot::NonSpam));  // the text's words, and no more
    EXPECT_EQ(plain(Slot::Spam)["pills"], 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), letter.logLine()), 1);
    EXPECT_EQ(filter().monitor.bytesProcessed, 600);  // the whole message still counts as processed
}

TEST_F(SpamEntry, ScoringLeavesEncodedAttachmentsOutOfTheScoreAndTheWordsItem) {
    enable({Slot::Words});
    const LetterWithAttachment letter;
    message.items[kItemBody] = letter.bodyWithout();
    score(scoring([] { return 0.5; }));
    const std::size_t textWords = statItem(plugin, Slot::Words)->store().tree().countWords();
    ASSERT_EQ(count(Slot::Words, "pills"), 1);

    log.clear();
    message.items[kItemBody] = letter.body();
    std::string rated, handed;
    SpamEntryHooks hooks;
    hooks.probability = [&](Plugin&, std::string_view body, std::string_view) {
        rated = body;
        return 0.5;
    };
    hooks.isUuePart = [](Plugin&, std::string_view) { return true; };
    hooks.addUuePart = [&](Plugin&, std::string_view body) { handed = body; };
    score(hooks);
    EXPECT_EQ(rated, letter.bodyWithout());
    EXPECT_EQ(handed, letter.body());  // the attachment-part completer needs the data itself
    EXPECT_EQ(statItem(plugin, Slot::Words)->store().tree().countWords(), textWords);
    EXPECT_EQ(count(Slot::Words, "pills"), 2);
    EXPECT_EQ(std::count(log.begin(), log.end(), letter.logLine()), 1);
    EXPECT_TRUE(
        logged("Adding " + decimal(std::int64_t(letter.bodyWithout().size())) + " byte to mad"));

    // The default rating reads the same text: with the attachment's letter runs known as spam
    // and the text's words as ham, the letter still scores as ham.
    enable({Slot::Spam, Slot::NonSpam});
    filter().thresholds = {.spamMin = 3, .maxSpam = 10, .nonSpamMin = 3, .maxNonSpam = 10};
    const std::string runs = prepareTrainingText(letter.attachment, "");
    const std::string words = prepareTrainingText(letter.bodyWithout(), "");
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(statItem(plugin, Slot::Spam)->store().tree().addText(runs, 1, 0));
        ASSERT_TRUE(statItem(plugin, Slot::NonSpam)->store().tree().addText(words, 1, 0));
    }
    EXPECT_LT(score(), 40);
}

TEST(HostItems, ReadsStopAtZeroAndAtTheCopiedCount) {
    FakeMessage message;
    message.items = {{1, std::string("abc\0def", 7)}, {2, "abcdef"}};
    const auto context = reinterpret_cast<std::intptr_t>(&message);
    EXPECT_EQ(readHostItem(context, hostCallback, 1), "abc");
    std::int32_t copied = -1;
    const struct {
        std::int32_t answer;
        const char* text;
        std::int32_t copied;
    } rows[] = {{2, "ab", 2}, {-7, "abcdef", 6}, {1000, "abcdef", 6}};
    for (const auto& row : rows) {
        message.fillAnswers[2] = row.answer;
        EXPECT_EQ(readHostItem(context, hostCallback, 2, 6, &copied), row.text) << row.answer;
        EXPECT_EQ(copied, row.copied) << row.answer;
    }
    message.calls.clear();
    EXPECT_EQ(readHostItem(context, hostCallback, 2, 0), "");
    EXPECT_TRUE(message.calls.empty());
    message.lengths[3] = -1;
    EXPECT_EQ(readHostItem(context, hostCallback, 3), "");
}

// The scoring reads every message into the same buffers: a host that copies less than it says
// must not leave the bytes of an earlier, longer message in the text.
TEST(HostItems, AReusedBufferKeepsNothingOfTheLastRead) {
    FakeMessage message;
    message.items = {{1, "a longer first message"}, {2, "xy"}, {3, ""}};
    message.fillAnswers[2] = 6;  // claims six bytes, copies two
    const auto context = reinterpret_cast<std::intptr_t>(&message);
    std::string buffer = "left over";
    std::int32_t copied = -1;
    const struct {
        std::int32_t id, length;
        const char* text;
        std::int32_t copied;
    } rows[] = {{1, 22, "a longer first message", 22},
                {2, 6, "xy", 6},
                {1, 8, "a longer", 8},
                {3, 0, "", 0},
                {1, 22, "a longer first message", 22},
                {3, 4, "", 0}};
    for (const auto& row : rows) {
        readHostItem(buffer, context, hostCallback, row.id, row.length, &copied);
        EXPECT_EQ(buffer, row.text) << row.id << " " << row.length;
        EXPECT_EQ(copied, row.copied) << row.id << " " << row.length;
    }
}

}  // namespace
}  // namespace qbx::statistics
