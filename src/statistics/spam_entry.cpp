#include "statistics/spam_entry.h"

#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "base/byte_search.h"
#include "base/datetime.h"
#include "base/text.h"
#include "core/counters.h"
#include "core/formatting.h"
#include "core/guard.h"
#include "core/plugin.h"
#include "mail/encoded_blocks.h"
#include "mail/headers.h"
#include "mail/letters.h"
#include "mail/markup.h"
#include "mail/mime_words.h"
#include "statistics/spam_filter.h"
#include "statistics/spam_model.h"
#include "statistics/stat_item.h"
#include "statistics/word_trie.h"

namespace qbx::statistics {
namespace {

// A message's words fit easily; a body built to blow the scratch trie up stops counting here.
constexpr std::size_t kScratchKeyBytes = std::size_t{1} << 18;
constexpr int kNonSpamBit = 1 << static_cast<int>(Slot::NonSpam);

// Held while a score is being computed: a second call that arrives meanwhile (a window message
// of the host's that calls again) is turned away, and the flag drops on every way out.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
};

// An empty key would land on the trie's root, which is no entry: nothing to count. `time`
// dates the keys the message makes.
void addTo(Plugin& plugin, Slot slot, std::string_view key, std::int64_t amount, double time) {
    if (key.empty()) return;
    if (StatItem* item = statItem(plugin, slot))
        item->store().addToTree(key, static_cast<std::int32_t>(amount), time);
}

double now(const Plugin& plugin) {
    return plugin.platform.clock != nullptr ? plugin.platform.clock->now() : 0.0;
}

std::string twoDigits(int value) {
    const int v = ((value % 100) + 100) % 100;
    return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
}

// "DDMMYY" of the local date.
std::string trafficDay(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    return twoDigits(f.day) + twoDigits(f.month) + twoDigits(f.year);
}

bool saysKoi8(std::string_view header) {
    return mail::lowerContentType(header).find("koi8") != std::string::npos;
}

bool saysKoi8(const mail::HeaderIndex& headers) {
    return headers.lowerContentType().find("koi8") != std::string::npos;
}

using ByteMap = std::array<char, 256>;

ByteMap byteMapOf(const auto& map) {
    ByteMap table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = map(static_cast<char>(i));
    return table;
}

char koi8ToLower(char c) { return koi8ToLowerWin1251(std::string_view(&c, 1))[0]; }

const ByteMap& lowerCaseMap() {
    static const ByteMap kMap = byteMapOf([](char c) { return toLower1251(c); });
    return kMap;
}

// The Words item's text, byte by byte: lower-cased, quotes and apostrophes blanked, and with a
// KOI8 Content-Type the KOI8 letters folded after that. Every step is a byte map, so the whole
// is one table and one pass.
const ByteMap& wordsTextMap(bool koi8) {
    static const ByteMap kPlain = byteMapOf([](char c) {
        c = lowerCaseMap()[static_cast<unsigned char>(c)];
        return c == '"' || c == '\'' ? ' ' : c;
    });
    static const ByteMap kKoi8 =
        byteMapOf([](char c) { return koi8ToLower(kPlain[static_cast<unsigned char>(c)]); });
    return koi8 ? kKoi8 : kPlain;
}

// The score's text, byte by byte: prepareTrainingText without its separator folding, which
// moves no word (mail::spamWordsByteMap).
const ByteMap& scoreTextMap(bool koi8) {
    static const ByteMap kPlain =
        byteMapOf([](char c) { return mail::spamWordsByteMap()[static_cast<unsigned char>(c)]; });
    static const ByteMap kKoi8 = byteMapOf([](char c) {
        return mail::spamWordsByteMap()[static_cast<unsigned char>(koi8ToLower(c))];
    });
    return koi8 ? kKoi8 : kPlain;
}

// Past this a scoring buffer is given back after the message instead of kept for the next.
constexpr std::size_t kKeptBufferBytes = std::size_t{1} << 20;

void appendMapped(std::string& out, std::string_view text, const ByteMap& map) {
    const std::size_t at = out.size();
    out.resize(at + text.size());
    char* to = out.data() + at;
    for (const char c : text) *to++ = map[static_cast<unsigned char>(c)];
}

// How a body byte stands in the score's text beside the Words item's text. Bodies whose bytes
// are all alike split into the same words in both; a joining byte ("@": "user@host" is one word
// to the item, two to the score) is mended word by word; any other difference has the two texts
// counted apart.
enum WordByteKind : std::uint8_t {
    kAlike = 0,    // the same letter in both, or a letter in neither
    kJoins = 1,    // a letter to the item only
    kDiffers = 2,  // a letter to the score only, or two different letters
};
using ByteKinds = std::array<std::uint8_t, 256>;

const ByteKinds& wordByteKinds(bool koi8) {
    const auto kindsOf = [](const ByteMap& words, const ByteMap& score) {
        ByteKinds kinds{};
        for (std::size_t i = 0; i < kinds.size(); ++i) {
            const auto w = static_cast<unsigned char>(words[i]);
            const auto s = static_cast<unsigned char>(score[i]);
            if (isWordLetter(w) && !isWordLetter(s))
                kinds[i] = kJoins;
            else if (isWordLetter(w) != isWordLetter(s) || (isWordLetter(w) && w != s))
                kinds[i] = kDiffers;
        }
        return kinds;
    };
    static const ByteKinds kPlain = kindsOf(wordsTextMap(false), scoreTextMap(false));
    static const ByteKinds kKoi8 = kindsOf(wordsTextMap(true), scoreTextMap(true));
    return koi8 ? kKoi8 : kPlain;
}

// Maps the text in place and gathers the kinds of its bytes as they were (their bits ORed).
std::uint8_t mapNoting(std::span<char> text, const ByteMap& map, const ByteKinds& kinds) {
    std::uint8_t seen = 0;
    for (char& c : text) {
        const auto code = static_cast<unsigned char>(c);
        c = map[code];
        seen |= kinds[code];
    }
    return seen;
}

struct ScoreText {
    std::size_t bodyFrom = 0;    // where the body's text begins
    std::uint8_t bodyKinds = 0;  // the WordByteKind bits of the body's bytes
};

// The text a message is rated by: its Subject and its From line, each followed by a line break,
// and its body without its HTML markup (mail/markup.h), mapped as training maps the body.
// The sender's name and address are rated by the words trained bodies hold: a newsletter's
// sender appears in the newsletters the user kept, a spammer's in spam. `text` is cleared
// first.
ScoreText makeScoreText(std::string& text, std::string_view subject, std::string_view from,
                        std::string_view body, bool koi8) {
    const ByteMap& map = scoreTextMap(koi8);
    text.clear();
    text.reserve(subject.size() + from.size() + 4 + body.size());
    appendMapped(text, subject, map);
    appendMapped(text, "\r\n", map);
    appendMapped(text, from, map);
    appendMapped(text, "\r\n", map);
    ScoreText made;
    made.bodyFrom = text.size();
    text.append(body);
    const std::size_t blanked = mail::blankMarkup({text.data() + made.bodyFrom, body.size()});
    made.bodyKinds =
        mapNoting({text.data() + made.bodyFrom, body.size()}, map, wordByteKinds(koi8));
    // Without its markup the body no longer splits into the Words item's words.
    if (blanked > 0) made.bodyKinds |= kDiffers;
    return made;
}

// Whether the tokenizer with this minimum takes a word of `length` letters.
bool takesLength(std::size_t length, std::int32_t minWordLength) {
    return static_cast<std::int64_t>(length) >= std::int64_t{minWordLength} - 1;
}

struct JoinedWords {
    std::string_view body;       // as the host gave it
    std::string_view scoreBody;  // the same mapped for the score (of the same length)
    bool koi8 = false;
    std::int32_t countedMin = 0;  // the minimum the score's text was counted with
    std::int32_t itemMin = 0;     // the Words item's minimum
    std::int32_t weight = 0;
};

// Where the body holds joining bytes, the item's words across them are listed into `joined`
// (their keys written to `keys`, which is sized once so that the views stay put), and the
// score's pieces of them are taken back out of the body's counts in `counted`.
void separateJoinedWords(const JoinedWords& in, TextWords& counted, const WordCountRoom& room,
                         std::string& keys, std::vector<TextWord>& joined) {
    const ByteMap& itemMap = wordsTextMap(in.koi8);
    const ByteKinds& kinds = wordByteKinds(in.koi8);
    const auto itemLetter = [&](std::size_t i) {
        return isWordLetter(
            static_cast<unsigned char>(itemMap[static_cast<unsigned char>(in.body[i])]));
    };
    const auto scoreLetter = [&](std::size_t i) {
        return isWordLetter(static_cast<unsigned char>(in.scoreBody[i]));
    };
    keys.clear();
    keys.reserve(in.body.size());
    joined.clear();
    const std::size_t n = in.body.size();
    for (std::size_t i = 0; i < n;) {
        if (kinds[static_cast<unsigned char>(in.body[i])] != kJoins) {
            ++i;
            continue;
        }
        std::size_t start = i;
        while (start > 0 && itemLetter(start - 1)) --start;
        std::size_t end = i + 1;
        while (end < n && itemLetter(end)) ++end;
        for (std::size_t p = start; p < end;) {
            if (!scoreLetter(p)) {
                ++p;
                continue;
            }
            std::size_t q = p;
            while (q < end && scoreLetter(q)) ++q;
            if (takesLength(q - p, in.countedMin)) {
                const std::string_view piece =
                    in.scoreBody.substr(p, std::min(q - p, kMaxKeyLength));
                if (TextWord* word = findCountedWord(piece, counted, room)) {
                    word->count = wrappingSubtract(word->count, 1);
                    word->size = wrappingSubtract(word->size, in.weight);
                }
            }
            p = q;
        }
        if (takesLength(end - start, in.itemMin)) {
            const std::size_t at = keys.size();
            const std::size_t length = std::min(end - start, kMaxKeyLength);
            for (std::size_t k = start; k < start + length; ++k)
                keys.push_back(itemMap[static_cast<unsigned char>(in.body[k])]);
            const std::string_view key(keys.data() + at, length);
            joined.push_back(TextWord{key, 1, in.weight, KeyIndex::hashOf(key)});
        }
        i = end;
    }
}

// The words of `all` no shorter than the tokenizer's minimum would take them, into `kept`.
std::span<const TextWord> wordsOfAtLeast(std::span<const TextWord> all, std::int32_t minWordLength,
                                         std::vector<TextWord>& kept) {
    kept.clear();
    for (const TextWord& word : all)
        if (takesLength(word.key.size(), minWordLength)) kept.push_back(word);
    return kept;
}

std::string trimmed(std::string_view text) { return std::string(trimBlankOrControl(text)); }

// Attachments' base64 and uuencoded lines are no words: what is counted and scored goes
// without them, and the log says how much was left out.
mail::EncodedBlocksLeftOut leaveOutEncoded(std::string_view body, Log& log) {
    mail::EncodedBlocksLeftOut result = mail::leaveOutEncodedBlocks(body);
    if (result.lines > 0)
        log.write("Encoded data left out: " + decimal(static_cast<std::int64_t>(result.lines)) +
                  " lines (" + decimal(static_cast<std::int64_t>(result.bytes)) + " bytes)");
    return result;
}

// 100 · p to the nearest integer; anything that is no probability gives -1.
std::int32_t scoreOf(double p) {
    if (!(p >= 0.0)) return -1;  // NaN included
    if (p > 1.0) p = 1.0;
    return roundHalfEven(100.0 * p);
}

struct Sizes {
    std::int32_t header = 0;
    std::int32_t body = 0;
    std::int32_t raw = 0;
};

// The three length queries of the score; false when one of them fails or an item is too long
// to be read.
bool measure(std::intptr_t context, HostDataCallback callback, Sizes& sizes) {
    try {
        if (callback == nullptr) return false;
        sizes.header = hostItemLength(context, callback, kItemHeader);
        sizes.body = hostItemLength(context, callback, kItemBody);
        sizes.raw = hostItemLength(context, callback, kItemRawMessage);
    } catch (...) {
        return false;
    }
    return sizes.header <= kMaxHostItemBytes && sizes.body <= kMaxHostItemBytes &&
           sizes.raw <= kMaxHostItemBytes;
}

// One guarded step of the scoring: a failure is logged under the step's own line (none when
// it is empty) and the steps after it still run. True when the step completed.
template <typename Step>
bool guardedStep(Log& log, std::string_view failureLine, Step&& step) {
    try {
        step();
        return true;
    } catch (...) {
        if (!failureLine.empty()) log.write(failureLine);
        return false;
    }
}

// What the feeders of the statistics items share: the message's parts as read once, its size,
// and what one feeder found for the next.
struct MessageParts {
    MessageParts(std::string& headerBuffer, std::string& bodyBuffer)
        : header(headerBuffer), body(bodyBuffer) {}

    std::string& header;                       // the scoring's own buffers, kept for the next
    std::optional<mail::HeaderIndex> headers;  // of `header`, made once it is read
    std::string& body;
    mail::EncodedBlocksLeftOut encoded;
    std::int32_t size = 0;               // of the raw message: the weight of every key
    std::optional<std::string> lastHop;  // the bottom-most Received value, looked for once
    std::string from;                    // the sender's address, "unknown" when there is none
    std::string to;                      // the recipient's address, "unknown" when there is none
    std::string reply;                   // the reply address, the sender's when there is none
    // The rating counted the body's words for the Words item too (ScoreBuffers::bodyWords).
    bool bodyWordsCounted = false;

    // The body without its encoded attachment lines: the words of the score and the items.
    std::string_view text() const { return encoded.textOf(body); }
    const mail::HeaderIndex& index() const { return *headers; }
};

class MessageScorer {
public:
    MessageScorer(Plugin& plugin, MonitorCounters& monitor, ScoreBuffers& buffers,
                  std::intptr_t context, HostDataCallback callback, const SpamEntryHooks& hooks)
        : plugin_(plugin),
          monitor_(monitor),
          buffers_(buffers),
          log_(plugin.log),
          context_(context),
          callback_(callback),
          hooks_(hooks) {}

    // Steps after the busy flag is taken; `score` holds what was reached when a failure ends
    // them early.
    void run(std::int32_t& score) {
        if (!measure(context_, callback_, sizes_)) {
            log_.write("@ Exception while determining size of mail parts; ignored");
            return;
        }
        Settings& settings = plugin_.settings;
        if (plugin_.dialUp) addToCounter(plugin_.dialUp->receivedBytes, sizes_.raw);
        addToCounter(settings.headerBytes, sizes_.header);
        addToCounter(settings.totalBytes, sizes_.raw);
        addToCounter(settings.bodyBytes, sizes_.body);
        addToCounter(settings.messagesCounted, 1);
        recipient_ = "---";
        // One reading of the clock dates all the message's keys: a dozen items are fed, and
        // under Wine every reading is a call into the system.
        time_ = now(plugin_);

        guardedStep(log_, "Exception 7", [&] { readAndCount(score); });
        guardedStep(log_, "Exception 5", [&] { backUp(); });
        guardedStep(log_, "Exception 6", [&] { countTraffic(); });
    }

private:
    std::string read(std::int32_t id, std::int32_t length, std::int32_t* copied = nullptr) {
        return readHostItem(context_, callback_, id, length, copied);
    }

    // The message read, scored and counted into the statistics items, stage by stage in the
    // classic order. A stage that fails ends the counting (the caller logs it); the steps that
    // may fail alone are guarded each by itself.
    void readAndCount(std::int32_t& score) {
        log_.write("Stage 1");
        MessageParts parts(buffers_.header, buffers_.body);
        parts.size = sizes_.raw;
        readHostItem(parts.body, context_, callback_, kItemBody, sizes_.body);
        readHostItem(parts.header, context_, callback_, kItemHeader, sizes_.header);
        parts.headers.emplace(parts.header);
        parts.encoded = leaveOutEncoded(parts.body, log_);
        scoreMessage(parts, score);

        using Feeder = void (MessageScorer::*)(MessageParts&);
        struct Stage {
            std::string_view line;  // logged before the feeder runs; none when empty
            Feeder feed;
        };
        static constexpr Stage kStages[] = {
            {"Stage 2", &MessageScorer::feedSenderIp},
            {"", &MessageScorer::feedSenderServer},
            {"", &MessageScorer::handOverUuePart},
            {"Stage 3", &MessageScorer::feedWords},
            {"Stage 4", &MessageScorer::feedCharsets},
            {"Stage 5", &MessageScorer::feedServers},
            {"", &MessageScorer::readSender},  // a host that fails here fails after "Stage 5"
            {"Stage 6", &MessageScorer::readRecipients},
            {"Stage 7a", &MessageScorer::feedMailers},
            {"Stage 7b", &MessageScorer::feedRecipients},
            {"Stage 7c", &MessageScorer::feedSenders},
            {"Stage 8", &MessageScorer::feedSenderNames},
            {"Stage 9", &MessageScorer::feedRecipientName},
        };
        for (const Stage& stage : kStages) {
            if (!stage.line.empty()) log_.write(stage.line);
            (this->*stage.feed)(parts);
        }
        log_.write("End 7");
        // A rare huge message's room is not held for the rest of the session.
        for (std::string* buffer : {&buffers_.header, &buffers_.body, &buffers_.hostItem,
                                    &buffers_.scoreText, &buffers_.joinedKeys})
            if (buffer->capacity() > kKeptBufferBytes) std::string().swap(*buffer);
        for (std::vector<TextWord>* words : {&buffers_.messageWords.words, &buffers_.ratedWords,
                                             &buffers_.bodyWords, &buffers_.joinedWords})
            if (words->capacity() * sizeof(TextWord) > kKeptBufferBytes)
                std::vector<TextWord>().swap(*words);
        std::vector<std::uint64_t>& slots = buffers_.wordRoom.slots;
        if (slots.capacity() * sizeof(std::uint64_t) > kKeptBufferBytes)
            std::vector<std::uint64_t>().swap(slots);
    }

    void scoreMessage(MessageParts& parts, std::int32_t& score) {
        if (!plugin_.settings.antispamActive) return;
        if (hooks_.probability)
            score = scoreOf(hooks_.probability(plugin_, parts.text(), parts.header));
        else if (hooks_.combiner == ScoreCombiner::Smoothed)
            score = rateWords(parts);
        else
            score = scoreOf(
                messageSpamProbability(plugin_, parts.text(), parts.header, hooks_.combiner));
        if (score < 0) {
            score = -1;
            log_.write("$$$ Missed!!");
            return;
        }
        if (score >= 60) addToCounter(monitor_.detectedSpam, 1);
        if (score <= 40) addToCounter(monitor_.detectedNonSpam, 1);
        std::string& line = buffers_.logLine;
        line.assign("&&& Spam score: ").append(decimal(score));
        log_.write(line);
    }

    // The score of the message's words. When the Words item would split the body into the same
    // words, they are counted once for both: the item's words wait in bodyWords for their stage.
    std::int32_t rateWords(MessageParts& parts) {
        const mail::HeaderIndex& headers = parts.index();
        const bool koi8 = saysKoi8(headers);
        const ScoreText made = makeScoreText(buffers_.scoreText, headers.headerValue("Subject:"),
                                             headers.headerValue("From:"), parts.text(), koi8);
        const std::int32_t rateMin = plugin_.settings.spamMinWordLength;
        const StatItem* item = statItem(plugin_, Slot::Words);
        const std::int32_t itemMin = item != nullptr ? item->store().tree().minWordLength() : 0;
        // Minimums below 2 take empty words, above the key length words longer than their keys:
        // those counts stay apart.
        const auto sharable = [](std::int32_t min) {
            return min >= 2 && static_cast<std::size_t>(min) <= kMaxKeyLength;
        };
        bool shared = item != nullptr && (made.bodyKinds & kDiffers) == 0 && sharable(rateMin) &&
                      sharable(itemMin);
        TextWords& words = buffers_.messageWords;
        const std::int32_t countedMin = std::min(rateMin, itemMin);
        if (shared) {
            countDistinctWords(buffers_.scoreText,
                               {countedMin, parts.size, kScratchKeyBytes, made.bodyFrom}, words,
                               buffers_.wordRoom);
            // The shorter words take budget the rating alone would have given to others.
            shared = !words.full;
        }
        if (!shared)
            countDistinctWords(buffers_.scoreText, {rateMin, 1, kScratchKeyBytes, 0}, words,
                               buffers_.wordRoom);
        std::span<const TextWord> rated = words.words;
        if (shared) {
            if (itemMin < rateMin) rated = wordsOfAtLeast(rated, rateMin, buffers_.ratedWords);
            listBodyWords(parts, made, koi8, countedMin, itemMin);
        }
        // The table made with the thresholds while it holds the trees' counts; the trees
        // themselves once either has changed (the table is not made again here: something
        // that changed them at every message would have every message make it).
        const WordTrie* spam = statTree(plugin_, Slot::Spam);
        const WordTrie* nonSpam = statTree(plugin_, Slot::NonSpam);
        const RatingCounts& table = buffers_.ratingCounts;
        return smoothedScore(spam, nonSpam, rated, table.current(spam, nonSpam) ? &table : nullptr);
    }

    // The Words item's words from the shared count: the body's counted words, mended where
    // joining bytes make the item's words differ from the score's.
    void listBodyWords(MessageParts& parts, const ScoreText& made, bool koi8,
                       std::int32_t countedMin, std::int32_t itemMin) {
        TextWords& words = buffers_.messageWords;
        std::vector<TextWord>& joined = buffers_.joinedWords;
        joined.clear();
        if (made.bodyKinds & kJoins) {
            const JoinedWords in{
                parts.text(), std::string_view(buffers_.scoreText).substr(made.bodyFrom),
                koi8,         countedMin,
                itemMin,      parts.size};
            separateJoinedWords(in, words, buffers_.wordRoom, buffers_.joinedKeys, joined);
        }
        std::vector<TextWord>& body = buffers_.bodyWords;
        body.clear();
        for (const TextWord& word : words.words)
            if (word.count != 0 && takesLength(word.key.size(), itemMin)) body.push_back(word);
        body.insert(body.end(), joined.begin(), joined.end());
        parts.bodyWordsCounted = true;
    }

    const std::string& findLastHop(MessageParts& parts) {
        if (!parts.lastHop) parts.lastHop = parts.index().lastHeaderValue("Received:");
        return *parts.lastHop;
    }

    void feedSenderIp(MessageParts& parts) {
        guardedStep(log_, "2.b", [&] {
            addTo(plugin_, Slot::SenderIp, trimmed(mail::findIPv4InText(findLastHop(parts))),
                  parts.size, time_);
        });
    }

    void feedSenderServer(MessageParts& parts) {
        guardedStep(log_, "2.c", [&] {
            addTo(plugin_, Slot::SenderServer, trimmed(mail::receivedByServer(findLastHop(parts))),
                  parts.size, time_);
        });
    }

    // Not an item: the body that is one part of an encoded attachment goes to the completer.
    void handOverUuePart(MessageParts& parts) {
        guardedStep(log_, "2.d", [&] {
            if (!plugin_.settings.attachmentCompleterOn) return;
            if (hooks_.isUuePart && hooks_.isUuePart(plugin_, parts.body)) {
                if (hooks_.addUuePart) hooks_.addUuePart(plugin_, parts.body);
                log_.write("-++---- is UUE");
            } else {
                log_.write("------- is not UUE");
            }
        });
    }

    void feedWords(MessageParts& parts) {
        std::string& words = buffers_.words;
        words.clear();
        if (!parts.bodyWordsCounted)
            appendMapped(words, parts.text(), wordsTextMap(saysKoi8(parts.index())));
        guardedStep(log_, "Can't add words!", [&] {
            if (StatItem* item = statItem(plugin_, Slot::Words)) {
                std::string& line = buffers_.logLine;
                // The item's text is the body's, byte for byte.
                line.assign("Adding ")
                    .append(decimal(static_cast<std::int64_t>(parts.text().size())))
                    .append(" byte to mad");
                log_.write(line);
                if (parts.bodyWordsCounted)
                    item->addCountedWordsToTree(buffers_.bodyWords, time_);
                else
                    item->addTextToTree(words, parts.size, time_);
                log_.write("Done");
            }
        });
        // A rare huge message's room is not held for the rest of the session.
        if (words.capacity() > kKeptBufferBytes) std::string().swap(words);
    }

    void feedCharsets(MessageParts& parts) {
        addTo(plugin_, Slot::Charsets, parts.index().charset(), parts.size, time_);
    }

    void feedServers(MessageParts& parts) {
        if (statItem(plugin_, Slot::Servers) == nullptr) return;
        std::string& servers = buffers_.servers;
        parts.index().serverList("\r\n", true, buffers_.serverParts, servers);
        const ByteMap& lower = lowerCaseMap();
        for (char& c : servers) c = lower[static_cast<unsigned char>(c)];
        // Its lines as splitLines gives them, each looked at where it stands.
        const std::string_view text = servers;
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\r' && text[i] != '\n') continue;
            addTo(plugin_, Slot::Servers, trimBlankOrControl(text.substr(start, i - start)),
                  parts.size, time_);
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
        if (start < text.size())
            addTo(plugin_, Slot::Servers, trimBlankOrControl(text.substr(start)), parts.size,
                  time_);
    }

    // An address the host decodes from the header, without its display name.
    std::string hostAddress(std::int32_t id) {
        std::string& item = buffers_.hostItem;
        readHostItem(item, context_, callback_, id, hostItemLength(context_, callback_, id));
        return mail::addressOnly(item);
    }

    void readSender(MessageParts& parts) {
        parts.from = hostAddress(kItemDecodedFrom);
        if (parts.from.empty()) parts.from = "unknown";
    }

    void readRecipients(MessageParts& parts) {
        parts.to = hostAddress(kItemDecodedTo);
        recipient_ = parts.to;  // the traffic rules see it before it becomes "unknown"
        if (parts.to.empty()) parts.to = "unknown";
        parts.reply = hostAddress(kItemReplyAddress);
        if (parts.reply.empty()) parts.reply = parts.from;
    }

    void feedMailers(MessageParts& parts) {
        addTo(plugin_, Slot::Mailers, parts.index().mailer(), parts.size, time_);
    }

    // The Recipients item counts the From address (and a reply address of its own), the Senders
    // item the To address: the classic files hold them so.
    void feedRecipients(MessageParts& parts) {
        addTo(plugin_, Slot::Recipients, parts.from, parts.size, time_);
        if (parts.reply != parts.from)
            addTo(plugin_, Slot::Recipients, parts.reply, parts.size, time_);
    }

    void feedSenders(MessageParts& parts) {
        addTo(plugin_, Slot::Senders, parts.to, parts.size, time_);
    }

    void feedSenderNames(MessageParts& parts) {
        const std::string fromValue = parts.index().headerValue("From:");
        std::string name;
        if (!guardedStep(log_, {}, [&] { name = mail::addressDisplayName(fromValue); }))
            name = fromValue;
        guardedStep(log_, {}, [&] { name = mail::decodeMimeWords(name); });
        addTo(plugin_, Slot::SenderNames, name, parts.size, time_);
    }

    void feedRecipientName(MessageParts& parts) {
        const std::string toValue = parts.index().headerValue("To:");
        std::string name;
        if (!guardedStep(log_, {}, [&] { name = mail::addressDisplayName(toValue); })) {
            log_.write("Exception while cutting name, using " + toValue);
            name = toValue;
        }
        guardedStep(log_, "Exception while decoding name",
                    [&] { name = mail::decodeMimeWords(name); });
        guardedStep(log_, "Unable to add words!",
                    [&] { addTo(plugin_, Slot::RecipientName, name, parts.size, time_); });
    }

    void backUp() {
        if (!plugin_.settings.mailboxBackupOn || statItem(plugin_, Slot::Traffic) == nullptr)
            return;
        log_.write("Begin 5");
        const std::string header = read(kItemHeader, sizes_.header);
        std::int32_t copied = 0;
        const std::string raw = read(kItemRawMessage, sizes_.raw, &copied);
        // The host's own count of what it copied is the message's size from here on.
        sizes_.raw = copied;
        // Looked up again: the host had the thread while it filled the buffers.
        if (StatItem* traffic = statItem(plugin_, Slot::Traffic)) traffic->addMessage(raw, header);
        log_.write("End 5");
    }

    void countTraffic() {
        if (statItem(plugin_, Slot::Traffic) == nullptr) return;
        const std::string day = trafficDay(time_);
        const std::int64_t r = sizes_.raw, h = sizes_.header, x = sizes_.body;
        log_.write("Incrementing traffic counter " + day);
        addTo(plugin_, Slot::Traffic, day + "T", r, time_);
        addTo(plugin_, Slot::Traffic, day + "H", h, time_);
        addTo(plugin_, Slot::Traffic, day + "X", x, time_);
        addTo(plugin_, Slot::Traffic, day + "A", r - x - h, time_);
        log_.write("Done" + day);

        if (!plugin_.settings.lookForRecipients || plugin_.settingsDialog == nullptr) return;
        if (statItem(plugin_, Slot::RawTraffic) == nullptr) log_.write("!!!!!!!!!!@@!@!@!@!@!@!");
        // The settings dialog gives the filter its expression from its recipient list; without
        // the filter no address is collected.
        if (!plugin_.recipientFilter || !plugin_.recipientFilter->matches(recipient_)) return;
        if (statItem(plugin_, Slot::RawTraffic) == nullptr) return;
        log_.write("Adding address " + recipient_ + " into temporary statistics");
        addTo(plugin_, Slot::RawTraffic, day + "T" + recipient_, r, time_);
        addTo(plugin_, Slot::RawTraffic, day + "H" + recipient_, h, time_);
        addTo(plugin_, Slot::RawTraffic, day + "X" + recipient_, x, time_);
        addTo(plugin_, Slot::RawTraffic, day + "A" + recipient_, r - x - h, time_);
    }

    Plugin& plugin_;
    MonitorCounters& monitor_;
    ScoreBuffers& buffers_;
    Log& log_;
    std::intptr_t context_;
    HostDataCallback callback_;
    const SpamEntryHooks& hooks_;
    Sizes sizes_;
    std::string recipient_;
    double time_ = 0.0;  // the message's, read once
};

void feedSteps(Plugin& plugin, MonitorCounters& monitor, std::intptr_t context, std::int32_t isSpam,
               HostDataCallback callback, const SpamEntryHooks& hooks) {
    if (!plugin.settings.antispamActive) return;
    addToCounter(monitor.messagesProcessed, 1);
    if (hooks.showMonitor) hooks.showMonitor(plugin);
    if ((plugin.settings.enabledItems & kNonSpamBit) == 0) return;

    if (callback == nullptr) throw std::runtime_error("no host callback");
    const std::int32_t raw = hostItemLength(context, callback, kItemRawMessage);
    const std::int32_t bodyLength = hostItemLength(context, callback, kItemBody);
    const std::int32_t headerLength = hostItemLength(context, callback, kItemHeader);
    const std::string header = readHostItem(context, callback, kItemHeader, headerLength);
    const std::string message = readHostItem(context, callback, kItemBody, bodyLength);
    const std::string body =
        prepareTrainingText(leaveOutEncoded(message, plugin.log).textOf(message), header);

    if (isSpam == 1) addToCounter(monitor.spamFed, 1);
    if (isSpam == 0) addToCounter(monitor.nonSpamFed, 1);
    addToCounter(monitor.bytesProcessed, raw);

    const Slot slot = isSpam != 0 ? Slot::Spam : Slot::NonSpam;
    if (StatItem* item = statItem(plugin, slot))
        item->addText(body, plugin.settings.spamMinWordLength, false, -1);
}

}  // namespace

std::int32_t hostItemLength(std::intptr_t context, HostDataCallback callback, std::int32_t id) {
    if (callback == nullptr) return 0;
    const std::int32_t length = callback(context, id, nullptr, -1);
    return length > 0 ? length : 0;
}

void readHostItem(std::string& buffer, std::intptr_t context, HostDataCallback callback,
                  std::int32_t id, std::int32_t length, std::int32_t* copied) {
    buffer.clear();
    if (copied != nullptr) *copied = 0;
    if (callback == nullptr || length <= 0) return;
    if (length > kMaxHostItemBytes) length = kMaxHostItemBytes;
    // One byte more than offered, all zero: a host that writes a full buffer without a
    // terminator still leaves the text ended.
    buffer.resize(static_cast<std::size_t>(length) + 1, '\0');
    const std::int32_t answer = callback(context, id, buffer.data(), length);
    const std::int32_t limit = answer >= 0 && answer <= length ? answer : length;
    if (copied != nullptr) *copied = limit;
    buffer.resize(findByte(std::string_view(buffer.data(), static_cast<std::size_t>(limit)), '\0'));
}

std::string readHostItem(std::intptr_t context, HostDataCallback callback, std::int32_t id,
                         std::int32_t length, std::int32_t* copied) {
    std::string buffer;
    readHostItem(buffer, context, callback, id, length, copied);
    return buffer;
}

std::string readHostItem(std::intptr_t context, HostDataCallback callback, std::int32_t id) {
    return readHostItem(context, callback, id, hostItemLength(context, callback, id));
}

std::int32_t getSpamScore(Plugin& plugin, std::intptr_t context, HostDataCallback callback,
                          const SpamEntryHooks& hooks) {
    FpuShield shield;
    std::int32_t score = -1;
    try {
        SpamFilterState* filter = spamFilter(plugin);
        if (filter == nullptr) return -1;
        addToCounter(filter->monitor.incomingScored, 1);
        addToCounter(filter->monitor.messagesProcessed, 1);
        if (plugin.settings.enabledItems == 0) return -1;
        if (filter->scoreBusy) {
            plugin.log.write("Rejected!");
            return -1;
        }
        BusyFlag busy(filter->scoreBusy);
        try {
            MessageScorer(plugin, filter->monitor, filter->buffers, context, callback, hooks)
                .run(score);
        } catch (...) {
            plugin.log.write("GENERAL UNCATCHED EXCEPTION WHILE PROCESSING THE INCOMING MAIL");
        }
    } catch (...) {
        plugin.log.write("GENERAL UNCATCHED EXCEPTION WHILE PROCESSING THE INCOMING MAIL");
    }
    return score;
}

std::int32_t getSpamScore(Plugin& plugin, std::intptr_t context, HostDataCallback callback) {
    // The filter lives from the module's load to its unload: its hooks outlast the call.
    const SpamFilterState* filter = spamFilter(plugin);
    return filter != nullptr ? getSpamScore(plugin, context, callback, filter->hooks) : -1;
}

void feedSpam(Plugin& plugin, std::intptr_t context, std::int32_t isSpam, HostDataCallback callback,
              const SpamEntryHooks& hooks) {
    guardedVoid(&plugin.log, "TBP_FeedSpam", [&] {
        if (SpamFilterState* filter = spamFilter(plugin))
            feedSteps(plugin, filter->monitor, context, isSpam, callback, hooks);
    });
}

void feedSpam(Plugin& plugin, std::intptr_t context, std::int32_t isSpam,
              HostDataCallback callback) {
    if (const SpamFilterState* filter = spamFilter(plugin))
        feedSpam(plugin, context, isSpam, callback, filter->hooks);
}

std::string prepareTrainingText(std::string_view body, std::string_view header) {
    // Lower-cased while normalised: one pass over the text instead of a lower-cased copy.
    if (saysKoi8(header)) return mail::normalizeSpamText(koi8ToLowerWin1251(body), true);
    return mail::normalizeSpamText(body, true);
}

std::string messageScoreText(std::string_view body, const mail::HeaderIndex& headers) {
    std::string text;
    makeScoreText(text, headers.headerValue("Subject:"), headers.headerValue("From:"), body,
                  saysKoi8(headers));
    return text;
}

namespace {

// The distinct words a message is rated by (makeScoreText), no shorter than training takes
// them. `text` holds what the words view.
TextWords messageWords(const Plugin& plugin, std::string_view body,
                       const mail::HeaderIndex& headers, std::string& text) {
    makeScoreText(text, headers.headerValue("Subject:"), headers.headerValue("From:"), body,
                  saysKoi8(headers));
    return distinctWords(text, plugin.settings.spamMinWordLength, 1, kScratchKeyBytes);
}

}  // namespace

std::int32_t messageSpamScore(Plugin& plugin, std::string_view body,
                              const mail::HeaderIndex& headers) {
    if (!plugin.settings.antispamActive) return -1;
    std::string text;
    const TextWords words = messageWords(plugin, body, headers, text);
    return smoothedScore(statTree(plugin, Slot::Spam), statTree(plugin, Slot::NonSpam),
                         words.words);
}

std::int32_t messageSpamScore(Plugin& plugin, std::string_view body, std::string_view header) {
    if (!plugin.settings.antispamActive) return -1;
    return messageSpamScore(plugin, body, mail::HeaderIndex(header));
}

double messageSpamProbability(Plugin& plugin, std::string_view body, std::string_view header,
                              ScoreCombiner combiner) {
    if (!plugin.settings.antispamActive) return -1.0;
    if (combiner == ScoreCombiner::Smoothed) {
        const std::int32_t score = messageSpamScore(plugin, body, header);
        return score < 0 ? -1.0 : score / 100.0;
    }
    std::string text;
    const TextWords words = messageWords(plugin, body, mail::HeaderIndex(header), text);
    const SpamFilterState* filter = spamFilter(plugin);
    const SpamThresholds thresholds = filter != nullptr ? filter->thresholds : SpamThresholds{};
    const std::vector<WordEvidence> evidence = textEvidence(
        thresholds, statTree(plugin, Slot::Spam), statTree(plugin, Slot::NonSpam), words.words);
    if (evidence.empty()) return -1.0;
    const std::span<const WordEvidence> all(evidence);
    return combiner == ScoreCombiner::Fisher ? combineFisher(all) : combineScore(all);
}

}  // namespace qbx::statistics
