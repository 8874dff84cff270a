// The script macros, called as the host calls them: how FN and S hand their arguments to the
// script they run, and what each answers when scripting has not started.
#include <gtest/gtest.h>

#include "support/script_fixture.h"

namespace qbx::functions::scripts {
namespace {

class ScriptsMacros : public test::ScriptFixture {};

TEST_F(ScriptsMacros, FnAndSHandTheirArgumentsToTheScript) {
    put("args.s",
        "@SCRIPT ARGS\r\n@LANG PAS\r\nbegin\r\n  Result := IntToStr(ParamCount) + ':' + "
        "ParamStr(1) + ':' + ParamStr(2) + ':' + GetParams(0)\r\nend.\r\n");
    start();
    EXPECT_EQ(run("FNARGS", {"a", "b", "c"}), "3:a:b:a");
    // FN overwrites only as many parameters as it gets; the macro name ignores case.
    EXPECT_EQ(run("fnArgs", {"x"}), "1:x:b:x");
    // S: the first argument names the script; the others are its parameters, cleared first.
    EXPECT_EQ(run("S", {"args", "p"}), "1:p::args");
    EXPECT_TRUE(logged("Result: 1:p::args"));
    EXPECT_EQ(run("S", {"ARGS"}), "0:::ARGS");
}

TEST_F(ScriptsMacros, WithoutScriptingTheMacrosAnswerWithTexts) {
    EXPECT_EQ(run("FNA"), "Script not found");
    EXPECT_EQ(run("S", {"A"}), "Script not found");
    EXPECT_EQ(run("EPS", {"1"}), "Script error: Scripting is not started");
}

// A script that reads the message, or a variable set from it, answers message text: no file
// of its naming is read.
TEST_F(ScriptsMacros, AScriptsAnswerFromTheMessageNamesNoFile) {
    plugin.settings.installDir = "C:\\QBX\\";
    fake.files.put("C:\\QBX\\secret.txt", "k top secret\r\n");
    data.items[241] = "secret.txt";  // the message's text
    put("names.s",
        "@SCRIPT MINE\r\n@LANG PAS\r\nbegin\r\n  Result := 'secret.txt'\r\nend.\r\n"
        "@SCRIPT FROMMAIL\r\n@LANG PAS\r\nbegin\r\n  Result := GetTemplate(241)\r\nend.\r\n"
        "@SCRIPT FROMVAR\r\n@LANG PAS\r\nbegin\r\n  Result := zvx_p\r\nend.\r\n");
    start();
    const auto loop = [this](const std::string& text) {
        return run("ZVXFOR", {"i", "1", "1", text, ""});
    };
    EXPECT_EQ(loop("$ZVXGETSTR($FNMINE(),k)"), "top secret");
    EXPECT_EQ(loop("$ZVXGETSTR($FNFROMMAIL(),k)"), "");
    EXPECT_TRUE(
        logged("***** ERROR!!! Macro ZVXGETSTR: file name (argument 0) produced from the "
               "message is refused"));
    plugin.variables.storeStr("p", "secret.txt", true);
    logLines.clear();
    EXPECT_EQ(loop("$ZVXGETSTR($FNFROMVAR(),k)"), "");
    EXPECT_TRUE(logged("produced from the message is refused"));
    plugin.variables.storeStr("p", "secret.txt");
    EXPECT_EQ(loop("$ZVXGETSTR($FNFROMVAR(),k)"), "top secret");
}

}  // namespace
}  // namespace qbx::functions::scripts
