#include "statistics/stat_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/text.h"
#include "core/log.h"
#include "support/fakes.h"
#include "support/golden.h"

namespace qbx::statistics {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

const std::string kFile = "C:\\Mail\\Plugins\\Words.Stat";

// The fake that can also refuse to write (a full disk), to move files (a locked folder) or to
// read them for a reason of its choice.
class RefusingFiles : public test::FakeFileSystem {
public:
    bool writeFileAtomic(const std::string& path, std::string_view bytes) override {
        if (refuse) return fail("There is not enough space on the disk.");
        return FakeFileSystem::writeFileAtomic(path, bytes);
    }
    bool renameFile(const std::string& from, const std::string& to) override {
        if (refuseRename) return fail("Access is denied.");
        return FakeFileSystem::renameFile(from, to);
    }
    std::optional<std::string> readFile(const std::string& path, std::size_t maxBytes) override {
        if (readRefusal.empty()) return FakeFileSystem::readFile(path, maxBytes);
        fail(readRefusal);
        return std::nullopt;
    }
    bool refuse = false;
    bool refuseRename = false;
    std::string readRefusal;
};

StatEntry entry(std::string key, double cdate, double mdate, std::int32_t size, std::uint8_t marker,
                std::int32_t count) {
    return {std::move(key), mdate, cdate, size, marker, count};
}

// The records of a written file, inflated by zlib's one-shot reader.
std::vector<StatEntry> recordsOf(const std::string& file, std::size_t capacity = 1 << 20) {
    std::vector<std::uint8_t> raw(capacity);
    uLongf length = static_cast<uLongf>(raw.size());
    const int result = uncompress(raw.data(), &length, reinterpret_cast<const Bytef*>(file.data()),
                                  static_cast<uLong>(file.size()));
    EXPECT_EQ(result, Z_OK);
    EXPECT_EQ(length % kStatEntrySize, 0u);
    std::vector<StatEntry> out;
    for (std::size_t at = 0; at + kStatEntrySize <= length; at += kStatEntrySize)
        out.push_back(parseStatEntry(
            std::span<const std::uint8_t, kStatEntrySize>(raw.data() + at, kStatEntrySize)));
    return out;
}

std::string zstream(const std::vector<StatEntry>& records, std::string tail = {}) {
    std::string raw;
    for (const auto& r : records) {
        const auto bytes = serialiseStatEntry(r);
        raw.append(bytes.begin(), bytes.end());
    }
    raw += tail;
    std::string out(compressBound(static_cast<uLong>(raw.size())), '\0');
    uLongf length = static_cast<uLongf>(out.size());
    compress(reinterpret_cast<Bytef*>(out.data()), &length,
             reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
    out.resize(length);
    return out;
}

std::vector<StatEntry> treeOf(const StatStore& store) {
    std::vector<StatEntry> out;
    store.tree().forEachEntry([&](const StatEntry& e) { out.push_back(e); });
    return out;
}

class StatStoreTest : public ::testing::Test {
protected:
    StatStoreTest() {
        log.setMirror([this](const std::string& line) { lines.push_back(line); });
    }
    StoreContext context(std::size_t budget = WordTrie::kDefaultNodeBudget) {
        return {log, files, fake.clock, budget};
    }
    // A second store over the same files, as the next start of the module would make.
    std::vector<StatEntry> reread(const std::string& file = kFile) {
        StatStore next(context());
        EXPECT_TRUE(next.read(file));
        next.tree().clearRootEntry();
        return treeOf(next);
    }

    test::FakePlatform fake;
    RefusingFiles files;
    Log log{fake.platform()};
    std::vector<std::string> lines;
    StatStore store{context()};
};

TEST_F(StatStoreTest, RoundTripsAtEveryLevel) {
    store.addOrIncrement("abc", 10);
    store.addOrIncrement("abc", 10);
    store.addOrIncrement("\xEF\xF0\xE8\xE2\xE5\xF2", 3);
    store.addToTree("tree", 250000000);  // byte totals above 10^8 survive
    store.addToTree("abc", 1);
    const std::string words(4000, 'w');
    for (int i = 0; i < 200; ++i)
        store.addOrIncrement(words.substr(0, 20 + static_cast<std::size_t>(i % 60)), i);

    std::vector<std::size_t> sizes;
    for (const std::int32_t level : {0, 1, 2, 3, -1, 4}) {
        store.store(kFile, level);
        sizes.push_back(files.contents(kFile).size());
        const auto back = reread();
        ASSERT_EQ(back.size(), 63u) << level;
        EXPECT_EQ(back[0],
                  entry("abc", fake.clock.dateTime, fake.clock.dateTime, 21, kMarkerNode, 3));
        EXPECT_EQ(back[1].key, "tree");
        EXPECT_EQ(back[1].size, 250000000);
    }
    // Level 0 and unknown levels store, the others compress this repetitive content well.
    EXPECT_EQ(sizes[0], sizes[4]);
    EXPECT_EQ(sizes[0], sizes[5]);
    EXPECT_GT(sizes[0], 136u * 65);  // header, 62 plain records, 2 tree entries
    EXPECT_LT(sizes[1], sizes[0] / 4);
    EXPECT_LE(sizes[3], sizes[2]);
}

TEST_F(StatStoreTest, WritesHeaderThenNonBlankPlainRecordsThenTreeEntriesInPreOrder) {
    store.store(kFile, 3);  // an empty store writes the header alone
    EXPECT_THAT(
        recordsOf(files.contents(kFile)),
        ElementsAre(entry("", fake.clock.dateTime, fake.clock.dateTime, 0, kMarkerStored, 0)));
    EXPECT_THAT(lines, ElementsAre("Z-Stored 0 tree entries to " + kFile));
    lines.clear();

    store.addOrIncrement("abc", 10);
    store.addOrIncrement(" \t ", 1);  // counted, never written
    store.addOrIncrement("abc", 10);
    store.addToTree("zz", 2);
    store.addToTree("   ", 2);
    store.addToTree("z", 1);
    fake.clock.dateTime = 45100.25;
    store.store(kFile, 2);

    const double made = 45000.5;
    EXPECT_THAT(recordsOf(files.contents(kFile)),
                ElementsAre(entry("", 45100.25, 45100.25, 2, kMarkerStored, 0),
                            entry("abc", made, made, 20, kMarkerStored, 2),
                            entry("z", made, made, 1, kMarkerStored, 1),
                            entry("zz", made, made, 2, kMarkerStored, 1)));
    // The written entries are marked stored in memory too.
    EXPECT_EQ(store.tree().find("zz")->marker, kMarkerStored);
    EXPECT_EQ(store.treeEntriesWritten(), 2);
    EXPECT_FALSE(store.dirty());
    EXPECT_THAT(lines, ElementsAre("Z-Stored 2 plain entries to " + kFile,
                                   "Z-Stored 2 tree entries to " + kFile));
}

// Cleared records and a trailing partial record are skipped.
TEST_F(StatStoreTest, ReadingMergesPlainRecordsOfOneKeyIntoOneEntryAndIsClean) {
    files.put(kFile, zstream({entry("", 45000, 45000, 3, kMarkerStored, 0),
                              entry("key", 44000, 44200, 1, kMarkerStored, 1),
                              entry("key", 43000, 44100, 2, kMarkerStored, 2),
                              entry("cleared", 1, 1, 5, kMarkerEmpty, 2),
                              entry("key", 43500, 46000, 4, kMarkerStored, 3)},
                             std::string(135, '\x07')));
    fake.clock.dateTime = 45500;  // the moment the node is made; the latest mdate is later
    store.markDirty();
    ASSERT_TRUE(store.read(kFile));
    EXPECT_FALSE(store.dirty());
    EXPECT_THAT(lines,
                Contains("Ignored 135 bytes at the end of " + kFile + ": not a whole record"));
    EXPECT_EQ(lines.back(), "Z-Read 6 entries from " + kFile + ", br:3, lv:1");
    store.tree().clearRootEntry();
    EXPECT_THAT(treeOf(store), ElementsAre(entry("key", 43000, 46000, 7, kMarkerNode, 6)));
    fake.clock.dateTime = 47000;
    EXPECT_THAT(reread(), ElementsAre(entry("key", 43000, 47000, 7, kMarkerNode, 6)));
}

TEST_F(StatStoreTest, ReadsAFileWrittenByAnotherWriter) {
    std::ifstream in(test::testDataPath("data/stat/words.Stat"), std::ios::binary);
    ASSERT_TRUE(in) << "missing tests/data/stat/words.Stat";
    files.put(kFile, std::string(std::istreambuf_iterator<char>(in), {}));

    ASSERT_TRUE(store.read(kFile));
    EXPECT_TRUE(store.tree().rootIsEntry());  // the header, which the item clears
    EXPECT_EQ(store.tree().find("")->size, 3);
    const double made = fake.clock.dateTime;
    EXPECT_EQ(store.tree().find("hello"), entry("hello", 43000, 45100, 22, kMarkerNode, 7));
    EXPECT_EQ(store.tree().find("\xEF\xF0\xE8\xE2\xE5\xF2"),
              entry("\xEF\xF0\xE8\xE2\xE5\xF2", 44000.5, made, 1234, kMarkerNode, 9));
    EXPECT_EQ(store.tree().find("old"), entry("old", 43000, made, 42, kMarkerNode, 3));  // repaired
    EXPECT_FALSE(store.tree().find("gone").has_value());
    EXPECT_EQ(store.tree().find("big")->size, 250000000);
    for (const auto& [key, n] : std::vector<std::pair<std::string, std::int32_t>>{
             {std::string(80, 'x'), 1}, {"a\tb", 2}, {"   ", 1}})
        EXPECT_EQ(store.treeCount(key), n) << key;
    EXPECT_THAT(
        lines,
        ElementsAre("Z-Reading from " + kFile, "Creating file stream", "Creating Z-stream",
                    "Beginning read process",
                    "Ignored 8 bytes at the end of " + kFile + ": not a whole record",
                    "All entries were read", "Z-Read 12 entries from " + kFile + ", br:103, lv:7"));
}

TEST_F(StatStoreTest, AMissingFileIsNoFailure) {
    store.addToTree("kept", 1);
    store.addOrIncrement("plain", 1);
    EXPECT_TRUE(store.read(kFile));
    EXPECT_FALSE(store.dirty());
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(store.treeCount("kept"), 1);
    EXPECT_EQ(lines.back(), "File " + kFile + " does not exists");
    EXPECT_FALSE(files.has(kFile + ".bad"));
}

TEST_F(StatStoreTest, ADamagedFileIsKeptAsideUnderAFreeNameBeforeAnythingOverwritesIt) {
    std::vector<StatEntry> many{entry("", 45000, 45000, 10, kMarkerStored, 0)};
    for (int i = 0; i < 3000; ++i)
        many.push_back(entry("k" + decimal(i), 1, 1, i, kMarkerStored, 1));
    const std::string whole = zstream(many);
    std::string flipped = whole;
    flipped[flipped.size() / 2] = static_cast<char>(flipped[flipped.size() / 2] ^ 0x55);
    const std::string cut = "the compressed data end before their end mark";
    const struct {
        const char* what;
        std::string bytes;
        std::string reason;
    } cases[] = {
        {"not zlib", "this is not a zlib stream at all", "incorrect header check"},
        {"empty", "", cut},
        {"truncated", whole.substr(0, whole.size() / 2), cut},
        {"without end mark", whole.substr(0, whole.size() - 4), cut},
        {"damaged", flipped, ""},
    };
    // Older damaged files, and a folder, hold the first names: none of them is touched.
    files.put(kFile + ".bad", "an older damaged file");
    files.put(kFile + ".bad2", "another one");
    ASSERT_TRUE(files.createDirectories(kFile + ".bad4"));
    const std::vector<std::string> freeNames = {".bad3", ".bad5", ".bad6", ".bad7", ".bad8"};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        files.put(kFile, c.bytes);
        lines.clear();
        StatStore damaged(context());
        damaged.load("C:\\Mail\\Plugins\\Words");
        EXPECT_FALSE(files.has(kFile));
        EXPECT_EQ(files.contents(kFile + freeNames[i]), c.bytes);
        EXPECT_THAT(lines, Contains("Damaged file kept as " + kFile + freeNames[i]));
        EXPECT_THAT(lines.back(),
                    HasSubstr("Cannot load entry!!!!!!!!! " + kFile + ": " + c.reason));
        EXPECT_THAT(lines, Not(Contains("All entries were read")));
        EXPECT_FALSE(damaged.dirty());
        damaged.addOrIncrement("new", 1);
        damaged.store(kFile, 2);  // a fresh file: the damaged one is safe
    }
    EXPECT_EQ(files.contents(kFile + ".bad"), "an older damaged file");
    EXPECT_EQ(files.contents(kFile + ".bad2"), "another one");

    // What was merged before the damage stays, from the plain part as from the tree part.
    files.put(kFile, whole.substr(0, whole.size() / 2));
    StatStore partial(context());
    EXPECT_FALSE(partial.read(kFile));
    EXPECT_GT(partial.tree().countWords(), 100u);
    EXPECT_EQ(partial.treeCount("k0"), 1);
    EXPECT_EQ(partial.treeCount("k20"), 1);
}

TEST_F(StatStoreTest, ADamagedFileThatCannotBeMovedAsideIsNeverWrittenOver) {
    for (const bool allNamesTaken : {false, true}) {
        SCOPED_TRACE(allNamesTaken);
        files.put(kFile, "damaged");
        files.refuseRename = !allNamesTaken;
        for (int n = 1; allNamesTaken && n <= 100; ++n)
            files.put(kFile + ".bad" + (n == 1 ? "" : decimal(n)), "kept");
        lines.clear();
        StatStore guarded(context());
        EXPECT_FALSE(guarded.read(kFile));
        EXPECT_EQ(lines.back(),
                  allNamesTaken
                      ? "Cannot keep damaged file " + kFile + " (" + kFile + ".bad to " + kFile +
                            ".bad100 are taken): it is not written in this session"
                      : "Cannot keep damaged file " + kFile + " as " + kFile +
                            ".bad (Access is denied.): it is not written in this session");
        guarded.addOrIncrement("abc", 1);
        try {
            guarded.store(kFile, 2);
            ADD_FAILURE() << "written over";
        } catch (const std::runtime_error& refused) {
            EXPECT_THAT(refused.what(), HasSubstr("not written in this session, as it is damaged"));
        }
        EXPECT_EQ(files.contents(kFile), "damaged");
        EXPECT_TRUE(guarded.dirty());
        EXPECT_FALSE(files.has(kFile + ".bad101"));
    }
}

// A file that cannot be opened says nothing about its data: moving it aside and writing a
// new one would replace the user's store with this session's training.
TEST_F(StatStoreTest, AFileThatCannotBeOpenedIsLeftAloneAndNeverWrittenOver) {
    const std::string healthy = zstream(
        {entry("", 1, 1, 0, kMarkerStored, 0), entry("trained", 1, 1, 1, kMarkerStored, 1)});
    const struct {
        const char* what;
        std::function<void(RefusingFiles&)> prepare;
        std::string reason;
    } cases[] = {
        {"no permission", [](RefusingFiles& f) { f.makeUnreadable(kFile); }, "Access is denied."},
        {"locked", [](RefusingFiles& f) { f.readRefusal = "The process cannot access the file."; },
         "The process cannot access the file."},
        {"a folder",
         [](RefusingFiles& f) {
             f.deleteFile(kFile);
             f.createDirectories(kFile);
         },
         "a folder is in its place"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RefusingFiles own;
        own.put(kFile, healthy);
        c.prepare(own);
        lines.clear();
        StatStore guarded({log, own, fake.clock});
        guarded.load("C:\\Mail\\Plugins\\Words");
        EXPECT_THAT(lines, Contains("Cannot read " + kFile + " (" + c.reason +
                                    "): it is left as it is and not written in this session"));
        EXPECT_EQ(lines.back(), "Cannot load entry!!!!!!!!! " + kFile + ": " + c.reason);
        EXPECT_FALSE(own.has(kFile + ".bad"));

        guarded.addOrIncrement("this session", 1);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                guarded.store(kFile, 2);
                ADD_FAILURE() << "written over";
            } catch (const std::runtime_error& refused) {
                EXPECT_EQ(
                    std::string(refused.what()),
                    "not written in this session, as it could not be read (" + c.reason + ")");
            }
        }
        EXPECT_TRUE(guarded.dirty());
        if (own.has(kFile)) {
            EXPECT_EQ(own.contents(kFile), healthy);
        }
        EXPECT_EQ(own.has(kFile), !own.directoryExists(kFile));
    }

    // A file over the size cap is damage, not a matter of access: it is kept aside.
    files.put(kFile, healthy);
    files.readRefusal = tooLongReason(256u << 20);
    lines.clear();
    StatStore tooLong(context());
    tooLong.load("C:\\Mail\\Plugins\\Words");
    EXPECT_EQ(files.contents(kFile + ".bad"), healthy);
    EXPECT_EQ(lines.back(),
              "Cannot load entry!!!!!!!!! " + kFile + ": longer than 268435456 bytes");
}

TEST_F(StatStoreTest, AFailedWriteThrowsAndKeepsTheOldFileAndTheDirtyFlag) {
    files.put(kFile, "the old file");
    store.addOrIncrement("abc", 1);
    files.refuse = true;
    EXPECT_THROW(store.store(kFile, 2), std::runtime_error);
    EXPECT_TRUE(store.dirty());
    EXPECT_EQ(files.contents(kFile), "the old file");
    EXPECT_THAT(lines, IsEmpty());
    files.refuse = false;
    store.store(kFile, 2);
    EXPECT_FALSE(store.dirty());
}

TEST_F(StatStoreTest, TreeCountFindsExactKeysOnly) {
    store.addToTree("abcdef", 1);
    store.addToTree("tab\there", 1);
    store.addToTree(std::string(100, 'y'), 1);  // counted under its first 80 characters
    EXPECT_TRUE(store.dirty());
    // "abc" is a node on the way, no entry.
    for (const auto& [key, n] :
         std::vector<std::pair<std::string, std::int32_t>>{{"abcdef", 1},
                                                           {"abc", 0},
                                                           {"abcdefg", 0},
                                                           {"tab\there", 1},
                                                           {"tab here", 0},
                                                           {std::string(80, 'y'), 1},
                                                           {std::string(81, 'y'), 0},
                                                           {"", 0}})
        EXPECT_EQ(store.treeCount(key), n) << key;
    store.addToTree("", 1);  // the root: never written
    EXPECT_EQ(store.treeCount(""), 1);
    store.store(kFile, 1);
    EXPECT_EQ(reread().size(), 3u);
}

TEST_F(StatStoreTest, AKeyTheTreeRefusesIsLoggedAndLeavesTheDirtyFlag) {
    StatStore small(context(3));
    small.addToTree("abc", 1);
    for (const bool dirtyBefore : {false, true}) {
        small.store(kFile, 0);
        if (dirtyBefore) small.markDirty();
        lines.clear();
        EXPECT_EQ(small.addToTree("abcd", 5), 0);
        EXPECT_EQ(small.dirty(), dirtyBefore);
        EXPECT_EQ(lines.back(), "@@ Error while adding [abcd] [5]");
    }
    small.addToTree("abc", 1);  // known keys go on counting
    EXPECT_EQ(small.treeCount("abc"), 2);
}

TEST_F(StatStoreTest, APlainListHoldsNoMoreNewKeysThanTheTreeHasNodesAndSaysSo) {
    StatStore small(context(3));
    for (const char* key : {"a", "b", "c", "d", "e", "a"}) small.addOrIncrement(key, 1);
    EXPECT_EQ(small.count(), 3u);
    EXPECT_EQ(small.cnt(0), 2);  // a known key still counts
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "@@@ Plain list is full at 3 records: new keys are left out"),
              1);
    small.store(kFile, 0);
    EXPECT_EQ(lines.back(),
              "@@@ 2 new keys of " + kFile + " were left out: its plain list is full at 3 records");
}

// Distinct words of letters drawn from the alphabet, shortest..longest letters long.
std::vector<std::string> randomWords(std::size_t n, std::size_t shortest, std::size_t longest,
                                     std::string_view alphabet, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> length(shortest, longest);
    std::uniform_int_distribution<std::size_t> letter(0, alphabet.size() - 1);
    std::set<std::string> seen;
    std::vector<std::string> words;
    while (words.size() < n) {
        std::string word;
        for (std::size_t i = length(random); i > 0; --i) word += alphabet[letter(random)];
        if (seen.insert(word).second) words.push_back(word);
    }
    return words;
}

constexpr std::string_view kLower = "abcdefghijklmnopqrstuvwxyz";
constexpr std::string_view kBase64Letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// A session trained the words into the tree, a later one added junk (the words of attachments)
// to the plain list, more than the budget holds: after the next load every trained word is
// still there, and only junk was left out.
class FullTreeTest : public StatStoreTest {
protected:
    FullTreeTest() {
        StatStore first(context());
        for (const std::string& word : trained) first.addToTree(word, 1);
        first.store(kFile, 2);
        budget = first.tree().countNodes() + 300;
    }
    std::size_t trainedKept(const StatStore& s) const {
        std::size_t kept = 0;
        for (const std::string& word : trained) kept += s.treeCount(word) > 0 ? 1 : 0;
        return kept;
    }

    const std::vector<std::string> trained = randomWords(400, 4, 9, kLower, 1);
    const std::vector<std::string> junk = randomWords(200, 40, 76, kBase64Letters, 2);
    std::size_t budget = 0;
};

TEST_F(FullTreeTest, NewKeysAreLeftOutNeverTrainedOnesAndKnownKeysGoOnCounting) {
    StatStore second(context(budget));
    ASSERT_TRUE(second.read(kFile));
    for (const std::string& word : junk) second.addOrIncrement(word, 1);
    second.addOrIncrement(trained[7], 1);
    second.store(kFile, 2);
    const std::size_t records = recordsOf(files.contents(kFile)).size();

    lines.clear();
    StatStore third(context(budget));
    ASSERT_TRUE(third.read(kFile));
    EXPECT_EQ(trainedKept(third), trained.size());
    EXPECT_EQ(third.treeCount(trained[7]), 2);
    EXPECT_LE(third.tree().countNodes(), budget);
    third.tree().clearRootEntry();
    const std::size_t junkKept = third.tree().countWords() - trained.size();
    EXPECT_GT(junkKept, 0u);
    EXPECT_LT(junkKept, junk.size());
    EXPECT_THAT(lines, Contains("@@@ Word tree of " + kFile + " is full at " +
                                decimal(static_cast<std::int64_t>(budget)) + " nodes: " +
                                decimal(static_cast<std::int64_t>(junk.size() - junkKept)) +
                                " new and 0 trained keys left out, kept in the file as they are"));
    // The read counts as it always did: every record, and the final short read.
    EXPECT_THAT(
        lines.back(),
        HasSubstr("Z-Read " + decimal(static_cast<std::int64_t>(records + 1)) + " entries"));
}

// Records of the plain list that a sort merged away stay in the header's count but are not
// written: the count then reaches into the tree's entries, which are still trained ones.
TEST_F(FullTreeTest, TreeEntriesWithinTheHeadersCountAreTakenForTrainedOnes) {
    StatStore second(context(budget));
    ASSERT_TRUE(second.read(kFile));
    for (const std::string& word : junk) second.addOrIncrement(word, 1);
    constexpr std::size_t kMerged = 60;
    for (std::size_t i = 0; i < kMerged; ++i) second.clearRecord(second.count() - 1 - i);
    second.store(kFile, 2);
    const std::vector<StatEntry> written = recordsOf(files.contents(kFile));
    ASSERT_EQ(written[0].size, static_cast<std::int32_t>(junk.size()));
    // The first tree entries stand within the count.
    ASSERT_EQ(written[junk.size() - kMerged + 1].key,
              *std::min_element(trained.begin(), trained.end()));

    StatStore third(context(budget));
    ASSERT_TRUE(third.read(kFile));
    EXPECT_EQ(trainedKept(third), trained.size());
}

// What a full tree has no room for goes back into the file as it was: nothing the user
// trained is lost when the file is written again, and a tree with room takes it all.
TEST_F(FullTreeTest, RecordsTheTreeHasNoRoomForAreWrittenBackAsTheyWere) {
    StatStore second(context(budget));
    ASSERT_TRUE(second.read(kFile));
    for (const std::string& word : junk) second.addOrIncrement(word, 1);
    second.store(kFile, 2);
    StatStore third(context(budget));
    ASSERT_TRUE(third.read(kFile));
    const std::size_t carried = third.carriedRecords();
    ASSERT_GT(carried, 0u);
    third.addToTree(trained[0], 5);
    lines.clear();
    third.store(kFile, 2);
    EXPECT_THAT(lines, Contains("Z-Stored " + decimal(static_cast<std::int64_t>(carried)) +
                                " entries the full tree left out to " + kFile + " as they were"));
    // Again and again: the same records, never twice.
    StatStore fourth(context(budget));
    ASSERT_TRUE(fourth.read(kFile));
    EXPECT_EQ(fourth.carriedRecords(), carried);
    fourth.markDirty();
    fourth.store(kFile, 2);
    std::set<std::string> keys;
    for (const StatEntry& e : reread()) keys.insert(e.key);
    for (const std::string& word : junk) EXPECT_EQ(keys.count(word), 1u) << word;
    for (const std::string& word : trained) EXPECT_EQ(keys.count(word), 1u) << word;
    // Only into the file it came from.
    third.store(kFile + ".copy", 2);
    EXPECT_EQ(recordsOf(files.contents(kFile + ".copy")).size(),
              recordsOf(files.contents(kFile)).size() - carried);
}

#if !defined(_WIN32)
// A real file of the size users reach: 14,000 keys of 80 characters need more nodes than a tree
// takes (the default budget). Saved again, the file still holds every one of them.
TEST(StatStoreOnDisk, AFileLargerThanTheTreeLosesNoKeyWhenWrittenAgain) {
    test::FakePlatform fake;
    Log log{fake.platform()};
    std::vector<std::string> lines;
    log.setMirror([&](const std::string& line) { lines.push_back(line); });
    FileSystem& files = *systemPlatform().files;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("qbx-full-tree-" + std::to_string(reinterpret_cast<std::uintptr_t>(&lines)));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Words.Stat").string();

    const std::vector<std::string> keys = randomWords(14000, 80, 80, kBase64Letters, 5);
    std::vector<StatEntry> records{entry("", 1, 1, 0, kMarkerStored, 0)};
    for (const std::string& key : keys) records.push_back(entry(key, 1, 2, 10, kMarkerStored, 3));
    ASSERT_TRUE(files.writeFileAtomic(path, zstream(records)));

    StatStore store({log, files, fake.clock, WordTrie::kDefaultNodeBudget});
    ASSERT_TRUE(store.read(path));
    ASSERT_GT(store.carriedRecords(), 0u);
    EXPECT_THAT(lines,
                Contains("@@@ Word tree of " + path + " is full at 1000000 nodes: 0 new and " +
                         decimal(static_cast<std::int64_t>(store.carriedRecords())) +
                         " trained keys left out, kept in the file as they are"));
    store.addToTree(keys[0], 7);
    store.store(path, 3);

    std::set<std::string> written;
    for (const StatEntry& e : recordsOf(files.readFile(path, 1 << 26).value_or(""), 4 << 20))
        written.insert(e.key);
    for (const std::string& key : keys) EXPECT_EQ(written.count(key), 1u);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
#endif

TEST_F(StatStoreTest, RecordAccessAnswersOutOfRangeWithoutFailing) {
    store.appendRecord(entry("  padded\t", 1, 2, 30, kMarkerStored, 4));
    store.appendRecord(entry("old", 1, 2, 30, 17, 4));
    store.appendRecord(entry(std::string(90, 'k'), 1, 2, 30, kMarkerStored, 4));
    EXPECT_EQ(store.key(0), "padded");
    EXPECT_EQ(store.size(0), 30);
    EXPECT_EQ(store.size(1), 0);  // older layout
    EXPECT_EQ(store.cnt(1), 4);
    EXPECT_EQ(store.record(2).key, std::string(80, 'k'));  // the file keeps no more
    EXPECT_EQ(store.key(3), "");
    EXPECT_EQ(store.size(3) + store.cnt(3), -2);  // both -1
    EXPECT_EQ(store.record(3), StatEntry{});

    store.putRecord(5, entry("x", 1, 1, 1, kMarkerStored, 1));
    store.clearRecord(5);
    store.swap(1, 7);
    EXPECT_EQ(store.count(), 3u);
    EXPECT_THAT(lines, ElementsAre("Warning: can't retrieve index #7"));
    store.swap(0, 1);
    EXPECT_EQ(store.key(0), "old");
    store.clearRecord(0);
    EXPECT_EQ(store.record(0), StatEntry{});
}

// The index behind AddOrIncrement against the plain search it replaces.
TEST_F(StatStoreTest, AddOrIncrementAgreesWithALinearSearchUnderEveryOperation) {
    std::vector<StatEntry> model;
    const auto modelAdd = [&](const std::string& key, std::int32_t amount) -> std::int32_t {
        for (std::size_t i = 0; i < model.size(); ++i) {
            if (trimBlankOrControl(model[i].key) != key) continue;
            ++model[i].count;
            model[i].size += amount;
            model[i].mdate = fake.clock.dateTime;
            return static_cast<std::int32_t>(i);
        }
        model.push_back(entry(key.substr(0, 80), fake.clock.dateTime, fake.clock.dateTime, amount,
                              kMarkerStored, 1));
        return 0;
    };
    const std::vector<std::string> keys = {"a",
                                           "b",
                                           " a",
                                           "a ",
                                           "",
                                           "\t",
                                           "abc",
                                           "ABC",
                                           std::string(80, 'q'),
                                           std::string(81, 'q'),
                                           " b\r\n"};
    std::mt19937 random(20240601);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (int step = 0; step < 4000; ++step) {
        fake.clock.dateTime += 0.001;
        const std::size_t op = pick(10);
        if (op < 6 || model.empty()) {
            const std::string& key = keys[pick(keys.size())];
            const auto amount = static_cast<std::int32_t>(pick(100));
            ASSERT_EQ(store.addOrIncrement(key, amount), modelAdd(key, amount)) << step;
        } else if (op == 6) {
            const std::size_t i = pick(model.size()), j = pick(model.size());
            store.swap(i, j);
            std::swap(model[i], model[j]);
        } else if (op == 7) {
            const std::size_t i = pick(model.size());
            store.clearRecord(i);
            model[i] = StatEntry{};
        } else {  // 8 puts a record over an old one, 9 appends one
            const auto r = entry(keys[pick(keys.size())].substr(0, 80), 1, 1, 1, kMarkerStored, 1);
            if (op == 8) {
                const std::size_t i = pick(model.size());
                store.putRecord(i, r);
                model[i] = r;
            } else {
                store.appendRecord(r);
                model.push_back(r);
            }
        }
    }
    ASSERT_EQ(store.count(), model.size());
    for (std::size_t i = 0; i < model.size(); ++i) EXPECT_EQ(store.record(i), model[i]) << i;
}

}  // namespace
}  // namespace qbx::statistics
