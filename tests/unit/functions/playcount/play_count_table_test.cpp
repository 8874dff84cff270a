// The play-count list's counting, normalising and file, against values worked out by hand for
// the trie the file describes.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "functions/playcount/play_count_table.h"
#include "support/zlib_once.h"

namespace qbx::functions::playcount {
namespace {

std::string record(const std::string& text, std::uint32_t count) {
    std::string bytes = text.substr(0, kTitleBytes);
    bytes.resize(kTitleBytes, '\0');
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(count >> (8 * i)));
    return bytes;
}

std::string deflated(const std::string& plain, int level = 9) {
    return test::zlibOnce(plain, level);
}

std::string inflated(const std::string& stream) {
    std::string out;
    const InflateOutcome outcome = inflateRecords(
        stream, 1, std::uint64_t{1} << 30, [&](std::uint64_t, std::span<const std::uint8_t> b) {
            out.push_back(static_cast<char>(b[0]));
            return true;
        });
    EXPECT_EQ(outcome.damage, "");
    return out;
}

std::vector<std::string> texts(const PlayCountTable& table) {
    std::vector<std::string> out;
    table.forEachEntry([&](std::string_view text, std::uint32_t count) {
        out.push_back(std::string(text) + "=" + std::to_string(count));
    });
    return out;
}

TEST(PlayCountTable, NormalizesTrackNames) {
    const TitleOptions none, ext{false, false, true}, num{false, true, false},
        trim{true, false, false}, extNum{false, true, true}, all{true, true, true};
    const struct {
        const char* text;
        TitleOptions options;
        const char* expected;
    } rows[] = {
        {"[03]-Song.mp3", extNum, "Song"},
        {"01 - Song.mp3", extNum, " - Song"},  // the blank stops the removal
        {"01 - Song.mp3", all, "- Song"},
        {"01 - Song.mp3", none, "01 - Song.mp3"},
        {"Song.flac", ext, "Song.flac"},  // only a four-character extension goes
        {"abc", ext, "abc"},
        {"a.mp3", ext, "a"},
        {".mp3", ext, ".mp3"},  // nothing left: the text itself
        {"123", num, "123"},
        {"12.", num, "."},
        {"1.ab.", extNum, "1.ab"},  // nothing left: the text without its final dot
        {".", all, "."},
        {" \t Song \x01", trim, "Song"},
        {"   ", trim, "   "},
        {"", all, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(normalizeTrackName(row.text, row.options), row.expected) << row.text;
}

TEST(PlayCountTable, CountsLikeTheTrie) {
    const struct {
        std::vector<std::string> titles;
        std::int64_t nodes, entries;
        std::uint64_t total;
    } rows[] = {
        {{"Song", "Song"}, 4, 1, 2},
        {{"ab", "abc", "b"}, 3, 2, 2},  // "b" is too short to count
        {{"abc", "abd", "bc"}, 6, 3, 3},
        {{"x", "y"}, 0, 0, 0},  // shorter than 2: ignored
        {{"Song", "Songs", "Sun", "Song"}, 7, 3, 4},
        {{std::string(3000, 'a')}, 2047, 1, 1},
        {{}, 0, 0, 0},
    };
    for (const auto& row : rows) {
        PlayCountTable table;
        for (const std::string& title : row.titles) table.add(title);
        EXPECT_EQ(table.countNodes(), row.nodes) << ::testing::PrintToString(row.titles);
        EXPECT_EQ(table.countEntries(), row.entries) << ::testing::PrintToString(row.titles);
        EXPECT_EQ(table.totalCount(), row.total) << ::testing::PrintToString(row.titles);
    }
}

// A text ends at its first byte below 32; one that starts with such a byte counts at the root,
// which is no entry "below" the root and is never written.
TEST(PlayCountTable, KeysEndAtAControlByte) {
    PlayCountTable table;
    table.add("Song\x01tail");
    table.add("Song");
    table.add("\x02Intro");
    EXPECT_EQ(texts(table), (std::vector<std::string>{"=1", "Song=2"}));
    EXPECT_EQ(table.countNodes(), 4);
    EXPECT_EQ(table.countEntries(), 1);
    EXPECT_EQ(table.totalCount(), 3u);
    EXPECT_TRUE(inflated(table.writeStream({})) == record("Song", 2));
}

TEST(PlayCountTable, SavesRecordsInPreOrder) {
    PlayCountTable table;
    table.insert("Song", 0x01020304);
    table.add("Abc");
    table.add("Song two");
    table.add("Song \xE0");  // 1251 letters come after ASCII
    table.add("Song two");
    const std::string expected = record("Abc", 1) + record("Song", 0x01020304) +
                                 record("Song two", 2) + record("Song \xE0", 1);
    EXPECT_TRUE(inflated(table.writeStream({})) == expected);
}

// Saving stores the normalised text in the entry itself; an entry it leaves empty is not written.
TEST(PlayCountTable, SavingNormalisesTheEntries) {
    PlayCountTable table;
    table.add("01 Tune.mp3");
    table.insert("\x01x", 4);
    table.add("Other");
    const TitleOptions all{true, true, true};
    EXPECT_TRUE(inflated(table.writeStream(all)) == record("Tune", 1) + record("Other", 1));
    EXPECT_EQ(texts(table), (std::vector<std::string>{"=4", "Tune=1", "Other=1"}));
    EXPECT_EQ(table.countNodes(), 16);  // the trie keeps its paths
}

TEST(PlayCountTable, LoadingSumsEqualTitlesAndSaturates) {
    PlayCountTable table;
    const auto reading = table.readStream(deflated(
        record("Song", 3) + record("Other", 1) + record("Song", 4) + record("Big", 0xFFFFFFF0) +
        record("Big", 0x20) + record(std::string("Tail\0junk", 9), 1) + record("", 7)));
    EXPECT_EQ(reading.inflate.damage, "");
    EXPECT_EQ(reading.inflate.records, 7u);
    EXPECT_EQ(texts(table),
              (std::vector<std::string>{"=7", "Big=4294967295", "Other=1", "Song=7", "Tail=1"}));
    EXPECT_EQ(table.countEntries(), 4);
}

// A record of 2048 letters lies at depth 2047 but keeps its whole text.
TEST(PlayCountTable, AFullTextRecordKeepsItsLastByte) {
    PlayCountTable table;
    table.readStream(
        deflated(record(std::string(2047, 'z'), 1) + record(std::string(2048, 'z'), 1)));
    EXPECT_EQ(texts(table), (std::vector<std::string>{std::string(2048, 'z') + "=2"}));
    EXPECT_EQ(table.countNodes(), 2047);
}

TEST(PlayCountTable, DamagedStreamKeepsTheRecordsBeforeIt) {
    const std::string stream = deflated(record("First", 1) + record("Second", 2), 0);
    const struct {
        std::string bytes;
        std::vector<std::string> kept;
        bool damaged;
    } rows[] = {
        {stream.substr(0, stream.size() - 4), {"First=1", "Second=2"}, true},  // no checksum
        {stream.substr(0, kRecordBytes + kRecordBytes / 2), {"First=1"}, true},
        {"not a zlib stream", {}, true},
        {"", {}, true},
        {deflated(record("First", 1) + "abc"), {"First=1"}, false},
    };
    for (const auto& row : rows) {
        PlayCountTable table;
        const auto reading = table.readStream(row.bytes);
        EXPECT_EQ(!reading.inflate.damage.empty(), row.damaged) << reading.inflate.damage;
        EXPECT_EQ(texts(table), row.kept);
    }
}

TEST(PlayCountTable, TakesAtMostItsBoundOfTitles) {
    PlayCountTable table;
    for (std::size_t i = 0; i < kMaxTitles; ++i)
        ASSERT_EQ(table.add("t" + std::to_string(i)), Counted::New);
    EXPECT_EQ(table.add("one more"), Counted::Full);
    EXPECT_EQ(table.add("t7"), Counted::Again);
    EXPECT_EQ(table.countEntries(), static_cast<std::int64_t>(kMaxTitles));
    EXPECT_EQ(table.totalCount(), kMaxTitles + 1);
}

TEST(PlayCountTable, AddsWordsAsTheStringExtractionCutsThem) {
    PlayCountTable table;
    table.addWords("Pink Floyd - Money (live).mp3, \"The Wall; Part\" x 'a b'\r\nEnd");
    EXPECT_EQ(texts(table),
              (std::vector<std::string>{"\"The Wall; Part\"=1", "'a b'=1", "End=1", "Floyd=1",
                                        "Money=1", "Pink=1", "live=1", "mp3=1"}));
}

// Past the slots, a title takes the slot of the smallest count only when it counts more.
TEST(PlayCountTable, TopReplacesTheSmallestSlot) {
    PlayCountTable table;
    table.insert("Aa", 5);
    table.insert("Bb", 1);
    table.insert("Cc", 1);
    table.insert("Dd", 3);
    table.insert("Ee", 1);
    std::vector<std::string> shown;
    for (const TitleCount& t : table.top(2)) shown.push_back(t.text);
    EXPECT_EQ(shown, (std::vector<std::string>{"Aa", "Dd"}));
}

}  // namespace
}  // namespace qbx::functions::playcount
