// Stored scripts run through the dispatcher as the host calls them: names that find nothing,
// errors as results, variables seen by scripts, restarts and the disabled mode, and the way
// out to the JScript and VBScript engines.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "scripting/script_runner.h"
#include "support/script_fixture.h"

namespace qbx::scripting {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

// Records what it is given and answers from a script of its own.
struct EngineLog {
    std::vector<std::string> sources;
    std::vector<std::vector<std::string>> params;
    ActiveOutcome answer{true, "42"};
    bool throws = false;
};

class RecordingEngine final : public ActiveScriptEngine {
public:
    explicit RecordingEngine(EngineLog& log) : log_(log) {}
    ActiveOutcome run(std::string_view source, ActiveLanguage,
                      std::span<const std::string> params) override {
        log_.sources.emplace_back(source);
        log_.params.emplace_back(params.begin(), params.end());
        if (log_.throws) throw std::runtime_error("engine fell over");
        return log_.answer;
    }

private:
    EngineLog& log_;
};

class ScriptRunnerTest : public test::ScriptFixture {};

TEST_F(ScriptRunnerTest, NamesThatFindNothingAndScriptsWithoutALanguage) {
    put("a.s", "@SCRIPT PLAIN\r\nbegin end.\r\n@SCRIPT EMPTY\r\n@LANG PAS\r\n");
    start();
    EXPECT_EQ(run("FNMISSING"), "Script not found");
    EXPECT_EQ(run("FN"), "Script not found");  // the empty name
    EXPECT_EQ(run("S"), "Script not found");
    EXPECT_EQ(run("S", {""}), "Script not found");
    EXPECT_EQ(run("FNPLAIN"), "Unsupported scripting language");
    EXPECT_EQ(runner().scriptNameList(), "PLAIN");  // EMPTY has no text: not offered
}

// The user looks the line up in the file: header, directive, blank and comment lines count.
TEST_F(ScriptRunnerTest, ErrorLinesCountFromTheFilesFirstLine) {
    put("lines.s",
        "@SCRIPT LATE\r\n@LANG PAS\r\n\r\n{ adds up }\r\nvar n: Integer;\r\nbegin\r\n"
        "  Result := 10 div n\r\nend.\r\n"
        "@SCRIPT EARLY\r\n@LANG PAS\r\nbegin Result := end.\r\n");
    start();
    EXPECT_EQ(run("FNLATE"), "Script error: Line 7, column 16: Division by zero");
    EXPECT_THAT(run("FNEARLY"), StartsWith("Script error: Line 11, column "));
    // A source given to EPS counts from its own first line.
    EXPECT_EQ(run("EPS", {"\r\n{ adds up }\r\nvar n: Integer;\r\nbegin\r\n"
                          "  Result := 10 div n\r\nend."}),
              "Script error: Line 5, column 16: Division by zero");
}

TEST_F(ScriptRunnerTest, PascalErrorsBecomeTheResultWithTheirPlace) {
    put("bad.s",
        "@SCRIPT DIV\r\n@LANG PAS\r\nvar n: Integer;\r\nbegin\r\n  Result := 1 div n\r\nend.\r\n"
        "@SCRIPT SYNTAX\r\n@LANG PAS\r\nbegin Result := end.\r\n");
    start();
    // Lines count from the file's first line, the header and directive lines included.
    EXPECT_EQ(run("FNDIV"), "Script error: Line 5, column 15: Division by zero");
    EXPECT_THAT(run("FNSYNTAX"), StartsWith("Script error: Line 9, column "));
    EXPECT_EQ(run("EPS", {"UnknownThing"}),
              "Script error: Line 1, column 1: Undeclared identifier: 'UnknownThing'");
    EXPECT_EQ(run("EPS", {"2 * 21"}), "42");
    EXPECT_EQ(run("EPS", {"nl + IntToStr(tpxSubject) + ParamStr(0) + ParamStr(101) + Test('0')"}),
              "\r\n222");
}

TEST_F(ScriptRunnerTest, ScriptsSeeTheMacroCallAndTheVariablesOfTheirRun) {
    put("v.s", "@SCRIPT YEAR\r\n@LANG PAS\r\nzvx_year + '/' + GetTemplate(tpxSubject)\r\n");
    start();
    data.items[222] = "Hello";
    ASSERT_TRUE(plugin.variables.storeInt("year", 2024));
    EXPECT_EQ(run("FNYEAR"), "2024/Hello");
    ASSERT_TRUE(plugin.variables.storeStr("year", "2025"));
    EXPECT_EQ(run("FNYEAR"), "2025/Hello");
    // EPS publishes nothing of its own, but sees what the last stored run published.
    ASSERT_TRUE(plugin.variables.storeStr("year", "2026"));
    EXPECT_EQ(run("EPS", {"zvx_year"}), "2025");
}

TEST_F(ScriptRunnerTest, StartAndRestartReadTheFolderAgain) {
    put("one.s", "@SCRIPT A\r\n@LANG PAS\r\n'a'\r\n@SCRIPT B\r\n@LANG PAS\r\n'b'\r\n");
    put("notes.txt", "@SCRIPT C\r\n@LANG PAS\r\n'c'\r\n");
    start();
    EXPECT_TRUE(logged("Initiating scripting subsystem..."));
    EXPECT_TRUE(logged("2 scripts have been registered"));
    EXPECT_TRUE(logged("Scripting subsystem initiated successfully"));
    EXPECT_EQ(runner().scriptNameList(), "A\r\nB");
    EXPECT_EQ(run("FNB"), "b");

    ASSERT_TRUE(fake.files.deleteFile(std::string(kDir) + "one.s"));
    put("two.s", "@SCRIPT C\r\n@LANG PAS\r\n'c2'\r\n");
    runner().start();
    EXPECT_EQ(runner().scriptNameList(), "C");
    EXPECT_EQ(runner().table().entries.size(), 3u);  // the one script and two spare entries
    EXPECT_EQ(run("FNB"), "Script not found");
    EXPECT_EQ(run("FNC"), "c2");

    runner().stop();
    EXPECT_TRUE(logged("Stopping scripting system..."));
    EXPECT_TRUE(logged("Scripting system has been stopped"));
    EXPECT_EQ(run("FNC"), "Script error: Scripting is not started");
}

TEST_F(ScriptRunnerTest, DisabledModeRegistersNothing) {
    put("one.s", "@SCRIPT A\r\n@LANG PAS\r\n'a'\r\n");
    plugin.settings.needsRestart = true;
    start();
    EXPECT_EQ(runner().scriptNameList(), "");
    EXPECT_EQ(run("FNA"), "Script not found");
    EXPECT_EQ(run("EPS", {"'still here'"}), "still here");
}

TEST_F(ScriptRunnerTest, ActiveScriptsWithoutAnEngine) {
    put("js.s", "@SCRIPT J\r\n@LANG JS\r\n1+1\r\n@SCRIPT V\r\n@LANG VB\r\nx = 1\r\n");
    start();
    // A stored JScript script's failure is its result as it stands.
    EXPECT_EQ(run("FNJ"), "JScript is not available");
    EXPECT_EQ(run("FNV"), "Script error: VBScript is not available");
    EXPECT_EQ(run("EJS", {"1"}), "Script error: JScript is not available");
    EXPECT_EQ(run("EVS", {"1"}), "Script error: VBScript is not available");
}

TEST_F(ScriptRunnerTest, ActiveScriptsGoThroughTheEngine) {
    put("js.s",
        "@SCRIPT J\r\n@LANG JS\r\nGetParams(); ParamStr[1]\r\n@SCRIPT V\r\n@LANG VB\r\nx\r\n");
    EngineLog engine;
    start([&engine](Plugin&) { return std::make_unique<RecordingEngine>(engine); });

    EXPECT_EQ(run("FNJ", {"say \"hi\""}), "42");
    ASSERT_EQ(engine.sources.size(), 1u);
    EXPECT_THAT(engine.sources[0], StartsWith("var ParamCount=1;\r\n"));
    EXPECT_THAT(engine.sources[0], HasSubstr("ParamStr[1]=\"say \\\"hi\\\"\";"));
    EXPECT_THAT(engine.sources[0], HasSubstr(";};GetParams(); ParamStr[1]\r\n"));
    EXPECT_TRUE(logged("Running script lang \"JScript\""));
    EXPECT_TRUE(logged("\r\n*****************\r\n42\r\n*****************\r\n"));

    // VBScript's Main gets the parameters of the run: FN's arguments, or S's after the name.
    EXPECT_EQ(run("FNV", {"p1", "p2"}), "42");
    EXPECT_EQ(engine.params.back(), (std::vector<std::string>{"p1", "p2"}));
    EXPECT_EQ(run("S", {"v"}), "42");
    EXPECT_TRUE(engine.params.back().empty());

    engine.answer = {false, "Syntax error"};
    EXPECT_EQ(run("FNJ"), "Syntax error");
    EXPECT_EQ(run("FNV"), "Script error: Syntax error");
    EXPECT_TRUE(logged("VBS mode"));
    EXPECT_EQ(run("EJS", {"x"}), "Script error: Syntax error");
    EXPECT_EQ(engine.sources.back(), "x");  // EJS: the source alone, no prelude

    engine.throws = true;
    EXPECT_EQ(run("EVS", {"x"}), "Script error: engine fell over");
}

// The name S runs is code too: a name that the template produced (a variable's value, a
// header, a macro's result) runs nothing; one written in the template runs.
// Sleep holds the mail client: inside a macro call it may wait only what is left of the call's
// five seconds, and a run that asks for more stops at once instead of sleeping.
TEST_F(ScriptRunnerTest, ASleepInsideAMacroCallWaitsNoLongerThanTheCallMay) {
    start();
    EXPECT_EQ(run("EPS", {"begin Sleep(1); Result := 'slept' end."}), "slept");
    EXPECT_THAT(run("EPS", {"begin Sleep(9000); Result := 'slept' end."}),
                HasSubstr("Script stopped: time limit"));
}

TEST_F(ScriptRunnerTest, SRunsOnlyAScriptTheTemplateNames) {
    put("a.s", "@SCRIPT WIPE\r\n@LANG PAS\r\nbegin Result := 'wiped' end.\r\n");
    start();
    plugin.variables.storeStr("name", "wipe");
    const auto templ = [this](const std::string& text) {
        return run("ZVXFOR", {"i", "1", "1", text, ""});
    };
    for (const char* produced : {"$$name", "$ZVXVAR(name)", "$ZVXCUTON($ZVXVAR(name),x)"}) {
        logLines.clear();
        EXPECT_EQ(run("ZVXEVAL", {"$S(" + std::string(produced) + ")"}),
                  "\"Script error: Script name produced by another macro or a variable is not "
                  "run\"")
            << produced;
        EXPECT_TRUE(
            logged("***** ERROR!!! Macro S: script name produced by another macro or a "
                   "variable is not run"))
            << produced;
        EXPECT_FALSE(logged("wiped")) << produced;
    }
    EXPECT_EQ(templ("$S(wipe)"), "wiped");
    EXPECT_EQ(templ("$S( \"WIPE\" )"), "wiped");
    EXPECT_EQ(run("ZVXEVAL", {"$S(wipe,$ZVXVAR(name))"}), "\"wiped\"");  // data as a parameter
    EXPECT_EQ(run("S", {"wipe"}), "wiped");
}

}  // namespace
}  // namespace qbx::scripting
