// ZVXSPLIT through the dispatcher over the fake platform: the files written, the host program's
// runs, and the calls that queue nothing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "functions/splitting/split_files.h"
#include "support/macro_fixture.h"

namespace qbx::functions::splitting {
namespace {

constexpr const char* kProgramDir = "C:\\Bat";  // no backslash at the end on purpose
constexpr const char* kProgram = "C:\\Bat\\thebat.exe";
constexpr const char* kIpc = "C:\\Bat\\thebat.ipc";

std::string temp(const char* name) { return std::string("C:\\Temp\\") + name; }

class ZvxSplit : public test::MacroFixture {
protected:
    ZvxSplit() {
        plugin.settings.programDir = kProgramDir;
        fake.files.put(kIpc, "");
        plugin.splitFiles = std::make_unique<SplitFiles>(plugin);
    }

    std::string split(const std::string& text, const std::string& recipient,
                      const std::string& size) {
        data.items.erase(macros::kFullTextItem);
        EXPECT_EQ(call("ZVXSPLIT", {text, recipient, size}), macros::kFullTextItem);
        EXPECT_EQ(data.items[macros::kToItem], recipient);
        return data.items[macros::kFullTextItem];
    }

    std::vector<std::string> parameters() const {
        std::vector<std::string> all;
        for (const auto& run : fake.programRunner.runs) all.push_back(run.parameters);
        return all;
    }

    const std::vector<std::string>& listed() { return splitFiles(plugin)->files(); }
};

TEST_F(ZvxSplit, KeepsTheFirstPartAndQueuesTheRest) {
    EXPECT_EQ(split("abcdefghij", "a@b.c", "5"), "abcde");
    EXPECT_EQ(fake.files.contents(temp("temp0001.tzvx")), "fghij%TO=\"a@b.c\"%SUBJECT=\"[2/2]\r\n");
    EXPECT_EQ(split("ABCDEFGHIJK", "x@y.z", "5"), "ABCDE");
    EXPECT_EQ(fake.files.contents(temp("temp0002.tzvx")), "FGHIJ%TO=\"x@y.z\"%SUBJECT=\"[2/3]\r\n");
    EXPECT_EQ(fake.files.contents(temp("temp0003.tzvx")), "K%TO=\"x@y.z\"%SUBJECT=\"[3/3]\r\n");

    ASSERT_EQ(fake.programRunner.runs.size(), 3u);
    for (const auto& run : fake.programRunner.runs) {
        EXPECT_EQ(run.program, kProgram);
        EXPECT_EQ(run.maxWaitMilliseconds, 60000u);
    }
    const std::vector<std::string> expected = {
        "/MAILT=\"C:\\Temp\\temp0001.tzvx\";QUEUE",
        "/MAILT=\"C:\\Temp\\temp0002.tzvx\";QUEUE",
        "/MAILT=\"C:\\Temp\\temp0003.tzvx\";QUEUE",
    };
    EXPECT_EQ(parameters(), expected);
    EXPECT_TRUE(logged("mk: /MAILT=\"C:\\Temp\\temp0003.tzvx\";QUEUE"));
    EXPECT_EQ(listed().size(), 3u);
}

TEST_F(ZvxSplit, EveryPartIsOnDiskBeforeTheHostIsStarted) {
    std::vector<bool> allThere;
    fake.programRunner.onRun = [&](const test::FakeProgramRunner::Run&) {
        allThere.push_back(fake.files.has(temp("temp0001.tzvx")) &&
                           fake.files.has(temp("temp0002.tzvx")));
    };
    split("abcdefghijk", "a@b.c", "5");
    EXPECT_EQ(allThere, (std::vector<bool>{true, true}));
}

TEST_F(ZvxSplit, TextThatFitsWritesNothing) {
    EXPECT_EQ(split("abcde", "a@b.c", "5"), "abcde");
    EXPECT_EQ(split("", "a@b.c", "5"), "");
    EXPECT_TRUE(fake.programRunner.runs.empty());
    EXPECT_TRUE(fake.files.listFiles("C:\\Temp", "").empty());
}

TEST_F(ZvxSplit, SizeZeroOrLessIsTheDefault) {
    const std::string text(170, 'x');
    for (const char* size : {"0", "-5"}) {
        EXPECT_EQ(split(text, "a@b.c", size), std::string(168, 'x')) << size;
    }
    EXPECT_EQ(fake.files.contents(temp("temp0002.tzvx")), "xx%TO=\"a@b.c\"%SUBJECT=\"[2/2]\r\n");
}

TEST_F(ZvxSplit, TheFifthFileSinceTheStartIsNumberFive) {
    split("aabbcc", "r", "2");  // 0001, 0002
    split("aabb", "r", "2");    // 0003
    split("aabb", "r", "2");    // 0004
    split("aabb", "r", "2");
    EXPECT_EQ(fake.programRunner.runs.back().parameters,
              "/MAILT=\"C:\\Temp\\temp0005.tzvx\";QUEUE");
    EXPECT_EQ(fake.files.contents(temp("temp0005.tzvx")), "bb%TO=\"r\"%SUBJECT=\"[2/2]\r\n");
}

TEST_F(ZvxSplit, AFailedWriteDeletesTheCallsFilesAndQueuesNothing) {
    split("aabb", "r", "2");  // 0001 from an earlier call stays
    fake.programRunner.runs.clear();
    // The second part's file cannot be written: a folder has its name.
    ASSERT_TRUE(fake.files.createDirectories(temp("temp0003.tzvx")));
    // Three part files, the second of which fails.
    EXPECT_EQ(split("abcdefghijklmnop", "a@b.c", "5"), "abcdefghijklmnop");
    EXPECT_FALSE(fake.files.has(temp("temp0002.tzvx")));
    EXPECT_FALSE(fake.files.has(temp("temp0004.tzvx")));
    EXPECT_TRUE(fake.files.has(temp("temp0001.tzvx")));
    EXPECT_TRUE(fake.programRunner.runs.empty());
    EXPECT_EQ(listed(), std::vector<std::string>{temp("temp0001.tzvx")});
    EXPECT_TRUE(logged("@@ ZVXSPLIT: cannot write C:\\Temp\\temp0003.tzvx: Access is denied."));
}

TEST_F(ZvxSplit, RefusedTextsAndRecipientsQueueNothing) {
    struct Row {
        std::string text;
        std::string recipient;
        std::string size;
        const char* why;
    };
    const Row rows[] = {
        {"abcdef %FROMNAME", "a@b.c", "5", "the text holds a macro"},
        {"abcdefghij", "%TO", "5", "the recipient holds a macro"},
        {"abcdefghij", "a\"b", "5", "the recipient holds a quote or a line break"},
        {"abcdefghij", "a\r\nb", "5", "the recipient holds a quote or a line break"},
        // The host would read "%%TO=" as text and queue the part without its recipient.
        {"abcde50%", "a@b.c", "5", "part 2 ends in \"%\""},
        {"abcdefghij%", "a@b.c", "5", "part 3 ends in \"%\""},
        {"abcdefghij", "a@b.c\\", "5", "the recipient ends in a backslash"},
        {"abcdefghij", "%%", "5", "the recipient is \"%%\""},
        // Each part starts the host program: more than one call's time can hold.
        {std::string(101, 'x'), "a@b.c", "1",
         "the text makes 101 parts, more than the 100 one call can hand over"},
    };
    for (const Row& row : rows) {
        logLines.clear();
        EXPECT_EQ(split(row.text, row.recipient, row.size), row.text) << row.why;
        EXPECT_TRUE(logged(std::string("@@ ZVXSPLIT: nothing queued, ") + row.why)) << row.why;
    }
    EXPECT_TRUE(fake.programRunner.runs.empty());
    EXPECT_TRUE(fake.files.listFiles("C:\\Temp", "").empty());
    // A hundred parts are still queued, and a part of its own that ends in "%" stays here.
    EXPECT_EQ(split(std::string(100, 'x'), "a@b.c", "1"), "x");
    EXPECT_EQ(fake.programRunner.runs.size(), 99u);
    EXPECT_EQ(split("abcd%12345", "a@b.c", "5"), "abcd%");
    EXPECT_EQ(fake.programRunner.runs.size(), 100u);
}

TEST_F(ZvxSplit, AHostNotRunningTakesTheEarlierFilesAway) {
    split("aabb", "r", "2");
    fake.files.deleteFile(kIpc);
    split("ccdd", "r", "2");
    EXPECT_FALSE(fake.files.has(temp("temp0001.tzvx")));
    EXPECT_TRUE(fake.files.has(temp("temp0002.tzvx")));
    EXPECT_EQ(listed(), std::vector<std::string>{temp("temp0002.tzvx")});
}

TEST_F(ZvxSplit, AStartThatFailsIsLoggedAndStopsTheRest) {
    fake.programRunner.failWith = "The system cannot find the file specified.";
    EXPECT_EQ(split("abcdefghijk", "a@b.c", "5"), "abcde");
    EXPECT_EQ(fake.programRunner.runs.size(), 1u);
    EXPECT_TRUE(
        logged("@@ ZVXSPLIT: cannot start C:\\Bat\\thebat.exe: The system cannot find the "
               "file specified.; 2 part(s) not queued"));
    EXPECT_EQ(listed().size(), 2u);  // deleted at shut-down

    fake.programRunner.failWith.clear();
    fake.programRunner.outlivesTheWait = true;
    fake.programRunner.runs.clear();
    split("abcdefghijk", "a@b.c", "5");
    EXPECT_EQ(fake.programRunner.runs.size(), 1u);
    EXPECT_TRUE(
        logged("@@ ZVXSPLIT: C:\\Bat\\thebat.exe has not ended within 60 s; 1 part(s) "
               "not queued"));
}

TEST_F(ZvxSplit, ACallFromTheHostsMessagesMeanwhileQueuesNothing) {
    std::vector<std::string> nested;
    fake.programRunner.onRun = [&](const test::FakeProgramRunner::Run&) {
        if (!nested.empty()) return;
        fake.files.deleteFile(kIpc);  // would otherwise take the files being handed over
        for (const char* text : {"0123456789", "012"}) {
            call("ZVXSPLIT", {text, "n@b.c", "5"});
            nested.push_back(data.items[macros::kFullTextItem]);
        }
    };
    EXPECT_EQ(call("ZVXSPLIT", {"abcdefghijk", "a@b.c", "5"}), macros::kFullTextItem);
    EXPECT_EQ(data.items[macros::kFullTextItem], "abcde");
    EXPECT_EQ(nested, (std::vector<std::string>{"0123456789", "012"}));
    EXPECT_EQ(fake.programRunner.runs.size(), 2u);
    EXPECT_TRUE(fake.files.has(temp("temp0002.tzvx")));
    EXPECT_TRUE(logged("@@ ZVXSPLIT: nothing queued, another text is being queued"));
}

TEST_F(ZvxSplit, NoProgramFolderStartsNothing) {
    plugin.settings.programDir.clear();
    EXPECT_EQ(split("abcdefghij", "a@b.c", "5"), "abcde");
    EXPECT_TRUE(fake.programRunner.runs.empty());
    EXPECT_TRUE(
        logged("@@ ZVXSPLIT: the host's program folder is not known; 1 part(s) not queued"));
}

TEST_F(ZvxSplit, ShutDownDeletesTheListedFiles) {
    split("abcdefghijk", "a@b.c", "5");
    fake.files.deleteFile(temp("temp0001.tzvx"));  // one already gone is no matter
    plugin.splitFiles->deleteTempFiles();
    EXPECT_FALSE(fake.files.has(temp("temp0002.tzvx")));
    EXPECT_TRUE(listed().empty());
}

TEST_F(ZvxSplit, WithoutTheObjectTheTextComesBackWhole) {
    plugin.splitFiles.reset();
    EXPECT_EQ(split("abcdefghij", "a@b.c", "5"), "abcdefghij");
    EXPECT_TRUE(fake.programRunner.runs.empty());
}

}  // namespace
}  // namespace qbx::functions::splitting
