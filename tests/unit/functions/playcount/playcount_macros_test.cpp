// The play-count list of a running module: its file over the fake platform, NPTOP and the
// report's top list through the dispatcher.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "functions/playcount/play_count_list.h"
#include "support/macro_fixture.h"
#include "support/zlib_once.h"

namespace qbx::functions::playcount {
namespace {

const std::string kFile = "C:\\QBX\\Statistics\\Top10.Statz";

std::string record(const std::string& text, std::uint32_t count) {
    std::string bytes = text;
    bytes.resize(kTitleBytes, '\0');
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(count >> (8 * i)));
    return bytes;
}

std::string stored(const std::string& plain) { return test::zlibOnce(plain, 0); }

class PlayCountMacros : public test::MacroFixture {
protected:
    PlayCountStore& makeList() {
        plugin.top10List = std::make_unique<PlayCountStore>(plugin);
        return *playCountList(plugin);
    }
    void count(const std::string& title, int times) {
        for (int i = 0; i < times; ++i) playCountList(plugin)->add(title);
    }
    std::string titlesIn(const std::string& file) {
        PlayCountTable table;
        table.readStream(fake.files.contents(file));
        std::string out;
        table.forEachEntry([&](std::string_view text, std::uint32_t n) {
            out += std::string(text) + "=" + std::to_string(n) + ";";
        });
        return out;
    }
};

TEST_F(PlayCountMacros, SavesAndLoadsTheList) {
    PlayCountStore& list = makeList();
    list.add("Song");
    list.add("Song");
    list.add("Abc");
    list.saveToFile(kFile);
    EXPECT_EQ(titlesIn(kFile), "Abc=1;Song=2;");

    PlayCountStore again(plugin);
    again.loadFromFile(kFile);
    EXPECT_EQ(again.countNodes(), 7);
    EXPECT_EQ(again.countEntries(), 2);
    EXPECT_EQ(again.totalCount(), 3u);
    again.loadFromFile(kFile + ".missing");
    EXPECT_FALSE(logged("Top10"));  // a missing file is the first start, no failure
}

TEST_F(PlayCountMacros, SavesWithTheUsersNormalisation) {
    plugin.settings.playCountTrimExtensions = true;
    PlayCountStore& list = makeList();
    list.add("Song.mp3");
    list.saveToFile(kFile);
    EXPECT_EQ(titlesIn(kFile), "Song=1;");
    EXPECT_EQ(run("NPTOP"), "Song");
}

TEST_F(PlayCountMacros, KeepsADamagedFileAsideBeforeTheNextSave) {
    const std::string plain = record("First", 3) + record("Second", 2);
    const std::string damaged = stored(plain).substr(0, kRecordBytes + 100);
    fake.files.put(kFile, damaged);
    PlayCountStore& list = makeList();
    list.loadFromFile(kFile);
    EXPECT_TRUE(logged("Top10: " + kFile + " is damaged ("));
    EXPECT_EQ(list.countEntries(), 1);
    EXPECT_TRUE(fake.files.contents(kFile) == damaged);  // nothing moved before a save

    list.add("Third");
    list.saveToFile(kFile);
    EXPECT_TRUE(fake.files.contents(kFile + ".bad") == damaged);
    EXPECT_TRUE(logged("Top10: the file that could not be read is kept as " + kFile + ".bad"));
    EXPECT_EQ(titlesIn(kFile), "First=3;Third=1;");
    list.saveToFile(kFile);  // kept once: the next save replaces our own file
    EXPECT_FALSE(fake.files.has(kFile + ".bad2"));
}

TEST_F(PlayCountMacros, KeepsAnUnreadableOrCutFileAside) {
    for (const bool unreadable : {true, false}) {
        fake.files.deleteFile(kFile + ".bad");
        const std::string bytes = stored(record("Old", 1) + "xyz");
        fake.files.put(kFile, bytes);
        if (unreadable) fake.files.makeUnreadable(kFile);
        PlayCountStore& list = makeList();
        list.loadFromFile(kFile);
        list.saveToFile(kFile);
        EXPECT_TRUE(fake.files.contents(kFile + ".bad") == bytes) << unreadable;
        fake.files.unreadableFiles.clear();
    }
    EXPECT_TRUE(logged("Top10: cannot read " + kFile + ": "));
    EXPECT_TRUE(logged("3 bytes at its end are not a whole record"));
}

#if !defined(_WIN32)
// A real list of more titles than the list takes: the file goes aside whole, under a name that
// says it was sound, before the save writes the titles that were taken in its place.
TEST_F(PlayCountMacros, KeepsAFileOfMoreTitlesThanTheListTakesWholeBeforeTheNextSave) {
    FileSystem& files = *systemPlatform().files;
    plugin.platform.files = &files;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("qbx-top10-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Top10.Statz").string();
    std::string plain;
    constexpr std::size_t kTitles = kMaxTitles + 500;
    plain.reserve(kTitles * kRecordBytes);
    for (std::size_t i = 0; i < kTitles; ++i) plain += record("Title " + std::to_string(i), 1);
    const std::string bytes = test::zlibOnce(plain, 1);
    plain.clear();
    ASSERT_TRUE(files.writeFileAtomic(path, bytes));

    PlayCountStore& list = makeList();
    list.loadFromFile(path);
    EXPECT_EQ(list.countEntries(), static_cast<std::int64_t>(kMaxTitles));
    EXPECT_TRUE(logged("500 records left out; the file is kept whole before the list is saved"));
    list.saveToFile(path);
    EXPECT_TRUE(files.readFile(path + ".full", 1 << 26) == bytes);
    EXPECT_TRUE(logged("Top10: the file whose titles the list could not all take is kept as " +
                       path + ".full"));
    EXPECT_TRUE(files.fileExists(path));
    list.saveToFile(path);  // the list's own file is written over from now on
    EXPECT_FALSE(files.fileExists(path + ".full2"));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
#endif

TEST_F(PlayCountMacros, LogsAFailedSave) {
    PlayCountStore& list = makeList();
    list.add("Song");
    fake.files.failWrites = true;
    list.saveToFile(kFile);
    EXPECT_TRUE(logged("Top10: cannot save " + kFile + ": "));
    EXPECT_FALSE(fake.files.has(kFile));
}

TEST_F(PlayCountMacros, NpTopWithoutTheListOrTitles) {
    EXPECT_EQ(run("NPTOP"), "n/a");
    EXPECT_EQ(plugin.variables.text("nl"), "\r\n");
    makeList();
    EXPECT_EQ(run("NPTOP", {"5"}), "");
}

TEST_F(PlayCountMacros, NpTopListsTheMostPlayed) {
    makeList();
    for (int i = 1; i <= 55; ++i) count("T" + std::to_string(100 + i), i);
    const std::string all = run("NPTOP", {"60", "$$cnt", ","});
    std::string fifty;
    for (int k = 1; k <= 50; ++k) fifty += (k > 1 ? "," : "") + std::to_string(k);
    EXPECT_EQ(all, fifty);
    EXPECT_EQ(run("NPTOP", {"0", "$$entry=$$val"}),
              "T155=55\r\nT154=54\r\nT153=53\r\nT152=52\r\nT151=51\r\n"
              "T150=50\r\nT149=49\r\nT148=48\r\nT147=47\r\nT146=46");
    EXPECT_EQ(run("NPTOP", {"2", "", "$$nl-$$nl"}), "T155\r\n-\r\nT154");
}

TEST_F(PlayCountMacros, NpTopKeepsTiesInTheWalksOrder) {
    makeList();
    count("Aa", 1);
    count("Bb", 1);
    count("Cc", 2);
    EXPECT_EQ(run("NPTOP", {"3", "$$cnt) $$entry ($$val)"}), "1) Cc (2)\r\n2) Aa (1)\r\n3) Bb (1)");
}

TEST_F(PlayCountMacros, ATitleIsNeverExpandedAgain) {
    makeList();
    const std::string title = "x $$entry $$val $$nl %TO $ZVXVAR(nl) y";
    count(title, 1);
    EXPECT_EQ(run("NPTOP", {"1"}), title);
    EXPECT_EQ(run("NPTOP", {"1", "[$$entry]"}), "[" + title + "]");
}

TEST_F(PlayCountMacros, TheReportEndsWithTheTopList) {
    makeList();
    count("Song", 3);
    count("Tune", 1);
    const std::string report = run("ZVXBRIEF");
    EXPECT_NE(report.find("Top NP :)\r\n=======\r\n1) Song (3)\r\n2) Tune (1)\r\n"),
              std::string::npos)
        << report;
}

}  // namespace
}  // namespace qbx::functions::playcount
