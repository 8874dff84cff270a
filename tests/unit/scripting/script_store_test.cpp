#include "scripting/script_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/log.h"
#include "support/fakes.h"

namespace qbx::scripting {
namespace {

using Texts = std::vector<std::string>;

const std::string kDir = "C:\\QBX\\Scripts\\";

struct HeaderCase {
    std::string line;
    bool isHeader;
    std::string name;
};

TEST(ScriptFile, HeaderLines) {
    const std::vector<HeaderCase> cases = {
        {"@script hello world", true, "HELLO"},
        {"@SCRIPT SUM", true, "SUM"},
        {"@Script \xEF\xF0\xE8\xE2\xE5\xF2", true, "\xCF\xD0\xC8\xC2\xC5\xD2"},  // Cyrillic
        {"@SCRIPT ", true, ""},
        {"@SCRIPT  LATE", true, ""},  // the name ends at the first blank
        {"@SCRIPT TAB\tBED", true, "TAB"},
        {"@SCRIPTX", false, ""},
        {"@SCRIPT", false, ""},
        {" @SCRIPT A", false, ""},
        {"", false, ""}};
    for (const HeaderCase& c : cases) {
        std::string name = "unchanged";
        EXPECT_EQ(headerName(c.line, name), c.isHeader) << c.line;
        EXPECT_EQ(name, c.isHeader ? c.name : "unchanged") << c.line;
    }
}

TEST(ScriptFile, BoundsRejectTheWholeFile) {
    ScriptFile file;
    EXPECT_FALSE(parseScriptFile(std::string(kMaxScriptFileBytes + 1, 'x'), file));
    EXPECT_FALSE(parseScriptFile(std::string(kMaxScriptFileLines + 1, '\n'), file));
    EXPECT_TRUE(parseScriptFile(std::string(kMaxScriptFileLines, '\n'), file));
    EXPECT_TRUE(file.sections.empty());
}

struct LinesCase {
    std::string bytes;
    std::vector<int> fileLines;  // of the text's lines 1, 2, ... of the first script
};

// Headers, directives and blank lines trimmed off the front are not in the text, yet the
// text's lines keep their places in the file.
TEST(ScriptFile, TextLinesKeepTheirPlaceInTheFile) {
    const std::vector<LinesCase> cases = {
        {"@SCRIPT A\r\nx\r\ny\r\n", {2, 3}},
        {"junk\n\n@SCRIPT A\n@LANG PAS\n\n  \n{ note }\nbegin\n", {7, 8}},
        {"@SCRIPT A\nx\n@LANG PAS\ny\n@SCRIPT A\nz\n", {2, 4, 6}},  // one run, three pieces
        {"@SCRIPT A\r\rx\ry", {3, 4}},                              // CR ends lines too
        {"@SCRIPT A\n\t\n \tx\n", {3}},                             // blanks and controls trimmed
    };
    for (const LinesCase& c : cases) {
        ScriptFile file;
        ASSERT_TRUE(parseScriptFile(c.bytes, file));
        const std::vector<ScriptSource> scripts = scriptsOf(file);
        ASSERT_FALSE(scripts.empty());
        for (std::size_t i = 0; i < c.fileLines.size(); ++i)
            EXPECT_EQ(scripts[0].lines.fileLine(static_cast<int>(i) + 1), c.fileLines[i])
                << c.bytes << " line " << i + 1;
    }
    EXPECT_EQ(SourceLines{}.fileLine(4), 4);  // a text not from a file: its own lines
}

class ScriptStore : public ::testing::Test {
protected:
    ScriptStore() {
        log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    }

    void put(const std::string& name, const std::string& bytes) {
        fake.files.put(kDir + name, bytes);
        entryNames.push_back(name);
    }
    ScriptTable registerAll(const std::string& dir = kDir) {
        return registerScripts({fake.files, log}, ScriptFolder{dir, entryNames});
    }
    static Texts names(const ScriptTable& table) {
        Texts out;
        for (const ZvxScript& entry : table.entries) out.push_back(entry.name);
        return out;
    }
    using Row = std::tuple<std::string, std::string, ScriptLang, std::string>;
    static std::vector<Row> rows(const ScriptTable& table) {
        std::vector<Row> out;
        for (const ZvxScript& e : table.entries)
            out.emplace_back(e.name, e.text, e.lang, e.fileName);
        return out;
    }

    test::FakePlatform fake;
    Log log{fake.platform()};
    Texts logLines;
    Texts entryNames;
};

TEST_F(ScriptStore, SectionsDirectivesAndText) {
    put("one.s",
        "a comment above every header\r\n"
        "@SCRIPT HELLO\r\n"
        "@lang js\r\n"
        "\r\n"
        "   var a = 1;\r\n"
        "a + 1\r\n"
        "\r\n"
        "@SCRIPT sum\r\n"
        "@LANG JS \r\n"  // a trailing blank: no match
        "@SCRIPTX\r\n"   // an unknown directive, ignored
        "x := 1;\r\n"
        "@SCRIPT LAST\r\n"
        "@LANG VB\r\n"
        "@LANG PAS\r\n"  // the later one wins
        "begin end;\r\n");
    EXPECT_EQ(rows(registerAll()),
              (std::vector<Row>{{"HELLO", "var a = 1;\r\na + 1", ScriptLang::JScript, "ONE.S"},
                                {"SUM", "x := 1;", ScriptLang::None, "ONE.S"},
                                {"LAST", "begin end;", ScriptLang::Pascal, "ONE.S"},
                                {"", "", ScriptLang::Pascal, ""},  // the spare entries
                                {"", "", ScriptLang::Pascal, ""}}));
}

TEST_F(ScriptStore, LineEndingsReadAlike) {
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        fake.files.put(kDir + "e.s",
                       "@SCRIPT E" + eol + "@LANG JS" + eol + "a" + eol + eol + "b" + eol);
        entryNames = {"e.s"};
        const ScriptTable table = registerAll();
        EXPECT_EQ(table.entries[0].text, "a\r\n\r\nb");
        EXPECT_EQ(table.entries[0].lang, ScriptLang::JScript);
    }
}

TEST_F(ScriptStore, NamelessSectionsCountOnlyBetweenNamedOnes) {
    put("n.s",
        "@SCRIPT \nlead\n"
        "@SCRIPT A\na\n"
        "@SCRIPT \nmid\n"
        "@SCRIPT B\nb\n"
        "@SCRIPT \ntail\n"
        "@SCRIPT \n");
    const ScriptTable table = registerAll();
    // A, the nameless one, B; of the two nameless headers at the end one is counted, none read.
    EXPECT_EQ(names(table), (Texts{"A", "", "B", "", "", ""}));
    EXPECT_EQ(table.entries[1].text, "mid");
    EXPECT_EQ(table.entries[1].fileName, "N.S");
    EXPECT_EQ(scriptNameList(table), "A\r\nB");
    EXPECT_EQ(findScript(table, "").index, -1);
}

TEST_F(ScriptStore, DuplicatesAndLookup) {
    put("d.s",
        "@SCRIPT A\nx\n"
        "@SCRIPT A\ny\n"  // consecutive: one script of both sections
        "@SCRIPT EMPTY\n@LANG JS\n"
        "@SCRIPT \xF2\xE5\xF1\xF2\nt\n"
        "@SCRIPT A\nz\n");
    const ScriptTable table = registerAll();
    EXPECT_EQ(names(table), (Texts{"A", "A", "EMPTY", "\xD2\xC5\xD1\xD2", "A", "", ""}));
    EXPECT_EQ(table.entries[0].text, "x\r\ny");
    EXPECT_EQ(table.entries[1].text, "x\r\ny");
    EXPECT_EQ(table.entries[4].text, "z");  // its own text, so that saving keeps it

    const FoundScript a = findScript(table, "a");
    EXPECT_EQ(a.index, 0);
    EXPECT_EQ(a.text, "x\r\ny");
    EXPECT_EQ(findScript(table, "\xF2\xC5\xF1\xD2").index, 3);  // 1251 case-insensitive
    EXPECT_EQ(findScript(table, "empty").index, 2);
    EXPECT_EQ(findScript(table, "missing").index, -1);
    // The empty script is kept but not offered to the host.
    EXPECT_EQ(scriptNameList(table), "A\r\nA\r\n\xD2\xC5\xD1\xD2\r\nA");
}

TEST_F(ScriptStore, FilesAndTheirListing) {
    put("b.s", "@SCRIPT B\nb\n");
    put("notes.txt", "@SCRIPT T\nt\n");
    put("a.S", "@SCRIPT A\na\n");
    put("sub\\x.s", "@SCRIPT X\nx\n");
    put("empty.s", "no header at all\n");
    EXPECT_EQ(listScriptFiles({kDir, entryNames}), (Texts{"b.s", "a.S", "empty.s"}));
    const ScriptTable table = registerAll();
    EXPECT_EQ(names(table), (Texts{"B", "A", "", ""}));
    EXPECT_EQ(scriptFileList(table), "\r\nA.S\r\nB.S\r\n");
}

TEST_F(ScriptStore, LogLines) {
    put("s.s", "@SCRIPT HI\n@LANG JS\n@foo\n1\n");
    registerAll();
    EXPECT_EQ(logLines,
              (Texts{"Registering scripts...", "Total scripts detected: 1", "##### @LANG JS",
                     "##### @foo", "Scripting Macro [s.s:HI] has been read",
                     "1 scripts have been registered"}));
}

TEST_F(ScriptStore, UnreadableFileIsSkipped) {
    put("big.s", "@SCRIPT BIG\n" + std::string(kMaxScriptFileBytes, 'x'));
    entryNames.push_back("gone.s");
    put("ok.s", "@SCRIPT OK\nok\n");
    const ScriptTable table = registerAll();
    EXPECT_EQ(names(table), (Texts{"OK", "", ""}));
    // Each skipped file is named with the reason.
    EXPECT_NE(
        std::find(logLines.begin(), logLines.end(),
                  "Exception on GetScriptNum: script file " + kDir + "big.s skipped: longer than " +
                      std::to_string(kMaxScriptFileBytes) + " bytes"),
        logLines.end());
    EXPECT_NE(std::find(logLines.begin(), logLines.end(),
                        "Exception on GetScriptNum: script file " + kDir +
                            "gone.s skipped: The system cannot find the file specified."),
              logLines.end());
    EXPECT_EQ(logLines.back(), "1 scripts have been registered");
}

TEST_F(ScriptStore, DisabledModeRegistersNothing) {
    put("s.s", "@SCRIPT HI\n1\n");
    const ScriptTable table = registerAll("");
    EXPECT_EQ(names(table), (Texts{"", ""}));
    EXPECT_EQ(logLines.back(), "0 scripts have been registered");
    EXPECT_FALSE(saveScripts({fake.files, log}, table, ""));
}

TEST_F(ScriptStore, RegistrationIsBounded) {
    std::string many;
    for (std::size_t i = 0; i < kMaxScripts + 10; ++i)
        many += "@SCRIPT S" + std::to_string(i) + "\nx\n";
    put("many.s", many);
    ScriptTable table = registerAll();
    EXPECT_EQ(table.entries.size(), kMaxScripts + kSpareScriptEntries);
    EXPECT_EQ(table.entries[kMaxScripts - 1].name, "S" + std::to_string(kMaxScripts - 1));
    EXPECT_TRUE(table.entries[kMaxScripts].name.empty());

    // Repeated headers share one large text: the copies stop at the text budget.
    entryNames.clear();
    fake.files.deleteFile(kDir + "many.s");
    std::string repeated = "@SCRIPT R\n" + std::string(900'000, 'y') + "\n";
    for (int i = 0; i < 100; ++i) repeated += "@SCRIPT R\n";
    put("rep.s", repeated);
    logLines.clear();
    table = registerAll();
    const std::size_t fit = kMaxScriptTextBytes / 900'000;
    EXPECT_EQ(table.entries.size(), 101u + kSpareScriptEntries);
    EXPECT_EQ(table.entries[fit - 1].name, "R");
    EXPECT_TRUE(table.entries[fit].name.empty());
    EXPECT_EQ(logLines.back(), std::to_string(fit) + " scripts have been registered");
}

TEST_F(ScriptStore, SaveWritesWholeFilesThatReadBackAlike) {
    put("one.s",
        "comment\n@SCRIPT HELLO\n@LANG JS\n  a + 1\n"
        "@SCRIPT A\nx\n@SCRIPT A\ny\n"
        "@SCRIPT \nmid\n"
        "@SCRIPT NOLANG\nq\n"
        "@SCRIPT A\nz\n");
    put("two.s", "@SCRIPT P\n@LANG PAS\nbegin end;\n@SCRIPT V\n@LANG VB\nv\n");
    const ScriptTable first = registerAll();
    logLines.clear();
    ASSERT_TRUE(saveScripts({fake.files, log}, first, kDir));

    EXPECT_EQ(fake.files.contents(kDir + "TWO.S"),
              "@SCRIPT P\r\n@LANG PAS\r\nbegin end;\r\n@SCRIPT V\r\n@LANG VB\r\nv\r\n");
    EXPECT_EQ(fake.files.contents(kDir + "ONE.S"),
              "@SCRIPT HELLO\r\n@LANG JS\r\na + 1\r\n"
              "@SCRIPT A\r\nx\r\ny\r\n@SCRIPT A\r\n"
              "@SCRIPT \r\nmid\r\n"
              "@SCRIPT NOLANG\r\nq\r\n"
              "@SCRIPT A\r\nz\r\n");
    EXPECT_EQ(Texts(logLines.begin(), logLines.begin() + 4),
              (Texts{"Assigning file: " + kDir + "ONE.S",
                     "Writing script HELLO at " + kDir + "ONE.S", "@SCRIPT HELLO", "a + 1"}));

    // Twice round: nothing grows, nothing is lost.
    for (int round = 0; round < 2; ++round) {
        const ScriptTable again = registerAll();
        EXPECT_EQ(rows(again), rows(first));
        ASSERT_TRUE(saveScripts({fake.files, log}, again, kDir));
    }
}

}  // namespace
}  // namespace qbx::scripting
