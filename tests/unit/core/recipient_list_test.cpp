// The recipient list's lines, rules and file: bounds, and the user's file never lost.
#include "core/recipient_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fakes.h"

namespace qbx {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kInstall = "C:\\QBX\\";
const std::string kFile = std::string(kInstall) + "recipients.txt";

TEST(RecipientRule, NameBeforeTheFirstEqualsSignExpressionAfterIt) {
    struct Case {
        const char* line;
        const char* name;
        const char* expression;
    };
    const Case cases[] = {
        {"work=@work\\.com$", "work", "@work\\.com$"}, {"a=b=c", "a", "b=c"},
        {"=only expression", "", "only expression"},   {"name only=", "name only", ""},
        {"no sign at all", "", "no sign at all"},
    };
    for (const Case& c : cases) {
        const RecipientRule rule = parseRecipientRule(c.line);
        EXPECT_EQ(rule.name, c.name) << c.line;
        EXPECT_EQ(rule.expression, c.expression) << c.line;
    }
}

TEST(RecipientLines, BlankLinesGoAndEveryLineEndSplits) {
    EXPECT_EQ(recipientLinesOf("a=1\r\n\r\n  \t\nb=2\rc=3\n"), (Lines{"a=1", "b=2", "c=3"}));
    EXPECT_EQ(recipientLinesOf("last=x"), (Lines{"last=x"}));
    EXPECT_EQ(recipientLinesOf(""), Lines{});
}

TEST(RecipientLines, AtMostTheBoundOfRulesIsKept) {
    std::string text(3 * 1000 * 1000, '\n');  // a million line ends hold no rule
    for (std::size_t i = 0; i < kMaxRecipientLines + 5; ++i) text += "r" + std::to_string(i) + "\n";
    const Lines lines = recipientLinesOf(text);
    ASSERT_EQ(lines.size(), kMaxRecipientLines);
    EXPECT_EQ(lines.back(), "r9999");
}

TEST(RecipientListFile, LoadsAndSavesTheRulesWithCrLf) {
    test::FakeFileSystem files;
    RecipientList list;
    EXPECT_FALSE(loadRecipientList(list, files, kInstall));  // no file yet: an empty list
    EXPECT_TRUE(list.lines.empty());

    files.put(kFile, "me=me@home\n\nwork=@work\\.com");
    ASSERT_TRUE(loadRecipientList(list, files, kInstall));
    EXPECT_EQ(list.lines, (Lines{"me=me@home", "work=@work\\.com"}));
    list.lines.push_back("new");
    std::string error;
    ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
    EXPECT_EQ(files.contents(kFile), "me=me@home\r\nwork=@work\\.com\r\nnew\r\n");

    files.failWrites = true;
    EXPECT_FALSE(saveRecipientList(list, files, kInstall, error));
    EXPECT_EQ(error.rfind(kFile + ": ", 0), 0u) << error;
}

// A file too large to read is the user's all the same: it goes aside before the first save, and
// only once.
TEST(RecipientListFile, AFileThatCouldNotBeReadIsKeptAsideNotOverwritten) {
    test::FakeFileSystem files;
    const std::string huge(kMaxRecipientFileBytes + 1, 'x');
    files.put(kFile, huge);
    RecipientList list;
    EXPECT_FALSE(loadRecipientList(list, files, kInstall));
    EXPECT_TRUE(list.lines.empty());
    EXPECT_FALSE(list.unreadReason.empty());

    list.lines = {"a=1"};
    std::string error;
    ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
    EXPECT_EQ(files.contents(kFile + ".bad"), huge);
    EXPECT_EQ(files.contents(kFile), "a=1\r\n");
    list.lines = {"b=2"};
    ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
    EXPECT_FALSE(files.has(kFile + ".bad2"));
    EXPECT_EQ(files.contents(kFile), "b=2\r\n");
}

// More rules than the list keeps, or a rule longer than the dialog keeps: the file is read as
// far as it is kept, and the first save puts the whole file aside before it writes the list.
TEST(RecipientListFile, AFileNotTakenWholeIsKeptWholeAtTheFirstSave) {
    const std::string longValue(kMaxRecipientTextBytes + 1, 'v');
    std::string manyRules;
    for (std::size_t i = 0; i <= kMaxRecipientLines; ++i)
        manyRules += "r" + std::to_string(i) + "=a" + std::to_string(i) + "\r\n";
    struct Case {
        std::string file;
        std::string why;
    };
    const Case cases[] = {
        {manyRules, "more than 10000 rules"},
        {"a=1\r\nlong=" + longValue + "\r\n", "a rule longer than 1000 characters"},
        {std::string(kMaxRecipientTextBytes + 1, 'n') + "=x\r\n",
         "a rule longer than 1000 characters"},
    };
    for (const Case& c : cases) {
        test::FakeFileSystem files;
        files.put(kFile, c.file);
        RecipientList list;
        EXPECT_TRUE(loadRecipientList(list, files, kInstall));
        EXPECT_EQ(list.notTakenWhole, c.why);
        EXPECT_LE(list.lines.size(), kMaxRecipientLines);
        std::string error;
        ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
        EXPECT_EQ(files.contents(kFile + ".full"), c.file);
        EXPECT_EQ(list.keptNote,
                  kFile + " was not read whole (" + c.why + "): kept as " + kFile + ".full");
        ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
        EXPECT_FALSE(files.has(kFile + ".full2"));
        EXPECT_TRUE(list.keptNote.empty());
    }
    // Exactly the bounds: taken whole, nothing kept.
    test::FakeFileSystem files;
    std::string atTheBound;
    for (std::size_t i = 1; i < kMaxRecipientLines; ++i) atTheBound += "r=a\r\n";
    atTheBound += "r=" + std::string(kMaxRecipientTextBytes, 'v') + "\r\n\r\n";
    files.put(kFile, atTheBound);
    RecipientList list;
    EXPECT_TRUE(loadRecipientList(list, files, kInstall));
    EXPECT_EQ(list.notTakenWhole, "");
}

TEST(RecipientListFile, AnUnreadableFileGoesAsideUnderAFreeName) {
    test::FakeFileSystem files;
    files.put(kFile, "secret=rules");
    files.makeUnreadable(kFile);
    files.put(kFile + ".bad", "taken");
    RecipientList list;
    EXPECT_FALSE(loadRecipientList(list, files, kInstall));
    list.lines = {"a=1"};
    std::string error;
    ASSERT_TRUE(saveRecipientList(list, files, kInstall, error)) << error;
    EXPECT_EQ(files.contents(kFile + ".bad"), "taken");
    EXPECT_TRUE(files.has(kFile + ".bad2"));
    EXPECT_EQ(files.contents(kFile), "a=1\r\n");
}

}  // namespace
}  // namespace qbx
