// JScript and VBScript in the system's engines, both through the Script Control and hosted
// directly: result values as text, VBScript's Main and its parameters, errors, texts in code
// page 1251, long results and the apartment of the calling thread.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_active_script.h"

namespace qbx::win32 {
namespace {

using Params = std::vector<std::string>;

std::string wayName(const ::testing::TestParamInfo<ScriptEngineWay>& info) {
    return info.param == ScriptEngineWay::ScriptControl ? "ScriptControl" : "Direct";
}

class ActiveScriptTest : public ::testing::TestWithParam<ScriptEngineWay> {
protected:
    ActiveOutcome run(ActiveLanguage language, const std::string& source, const Params& params = {},
                      std::uint32_t deadlineMs = kScriptDeadlineMs) {
        ActiveScriptOptions options;
        options.way = GetParam();
        options.deadlineMs = deadlineMs;
        return makeActiveScriptEngine(options)->run(source, language, params);
    }
    std::string js(const std::string& source) {
        const ActiveOutcome outcome = run(ActiveLanguage::JScript, source);
        EXPECT_TRUE(outcome.ok) << source << ": " << outcome.text;
        return outcome.text;
    }
    std::string vbs(const std::string& source, const Params& params = {}) {
        const ActiveOutcome outcome = run(ActiveLanguage::VBScript, source, params);
        EXPECT_TRUE(outcome.ok) << source << ": " << outcome.text;
        return outcome.text;
    }
    std::string vbsMain(const std::string& value) {
        return vbs("Function Main()\r\nMain = " + value + "\r\nEnd Function\r\n");
    }
    std::string error(ActiveLanguage language, const std::string& source) {
        const ActiveOutcome outcome = run(language, source);
        EXPECT_FALSE(outcome.ok) << source << " gave " << outcome.text;
        return outcome.text;
    }
};

TEST_P(ActiveScriptTest, JScriptValuesAsText) {
    EXPECT_EQ(js("1 + 2"), "3");
    EXPECT_EQ(js("-7"), "-7");
    EXPECT_EQ(js("'abc' + 'def'"), "abcdef");
    EXPECT_EQ(js("''"), "");
    EXPECT_EQ(js("true"), "True");
    EXPECT_EQ(js("1 > 2"), "False");
    EXPECT_EQ(js("null"), "");
    EXPECT_EQ(js("undefined"), "");
    // Floats: at most 15 significant digits, the shortest form, a point whatever the locale.
    EXPECT_EQ(js("1.5 * 3"), "4.5");
    EXPECT_EQ(js("0.1 + 0.2"), "0.3");
    EXPECT_EQ(js("1 / 3"), "0.333333333333333");
    EXPECT_EQ(js("-2.5e-7"), "-2.5E-7");
    EXPECT_EQ(js("1e20"), "1E20");
    EXPECT_EQ(js("4294967296 * 2"), "8589934592");
    EXPECT_EQ(js("1 / 0"), "Infinity");
    EXPECT_EQ(js("0 / 0"), "NaN");
}

TEST_P(ActiveScriptTest, JScriptGivesTheValueOfItsLastStatement) {
    EXPECT_EQ(js("var a = 2;\r\nfunction triple(x) { return x * 3; }\r\ntriple(a) + 1"), "7");
    EXPECT_EQ(js("var s = '';\r\nfor (var i = 0; i < 3; i++) s += i;\r\ns"), "012");
    // A stored script's shape: the parameter prelude, then the script's own text.
    EXPECT_EQ(js("var ParamCount=2;\r\nvar ParamStr=new Array();\r\nfunction GetParams() {\r\n"
                 "ParamStr[1]=\"a\\n\"\r\n+\"b\\n\"\r\nParamStr[2]=\"c\";\r\n;};"
                 "GetParams(); ParamStr[1] + ParamStr[2] + ParamCount\r\n"),
              "a\nb\nc2");
    // Loops, handlers and functions give what they gave where the engines' loops are guarded.
    EXPECT_EQ(js("1; try { throw 2 } catch (e) { }"), "1");
    EXPECT_EQ(js("1; try { 3 } finally { }"), "3");
    EXPECT_EQ(js("var n = 0; do { n++ } while (n < 5); n"), "5");
    EXPECT_EQ(js("var s = ''; for (var i = 0; i < 4; i++) { if (i == 1) continue; s += i } s"),
              "023");
    EXPECT_EQ(js("var k = 0; for (var p in {a: 1, b: 2}) k++; k"), "2");
    EXPECT_EQ(js("function f(n) { return n < 2 ? n : f(n - 1) + f(n - 2); } f(10)"), "55");
}

TEST_P(ActiveScriptTest, VBScriptWithoutMainGivesNothing) {
    EXPECT_EQ(vbs("x = 1\r\ny = x + 1\r\n"), "");
    EXPECT_EQ(vbs("Function Other()\r\nOther = 5\r\nEnd Function\r\n", {"a"}), "");
    EXPECT_EQ(vbs("Dim Main\r\nMain = 3\r\n"), "");  // a variable, not a function
    EXPECT_EQ(vbs("Sub Main()\r\nx = 1\r\nEnd Sub\r\n"), "");
}

TEST_P(ActiveScriptTest, VBScriptMainGetsTheParametersItDeclares) {
    const std::string join =
        "Function Main(a, b)\r\nMain = a & \"-\" & b & \"-\" & "
        "TypeName(b)\r\nEnd Function\r\n";
    EXPECT_EQ(vbs(join, {"p", "q", "surplus"}), "p-q-String");
    EXPECT_EQ(vbs(join, {"p"}), "p--Empty");  // a missing parameter is empty
    EXPECT_EQ(vbs(join, {}), "--Empty");
    EXPECT_EQ(vbs("Function main()\r\nmain = 42\r\nEnd Function\r\n", {"ignored"}), "42");
    // The code outside any procedure runs first, once.
    EXPECT_EQ(vbs("Dim n\r\nn = 10\r\nFunction Main(a)\r\nn = n + 1\r\nMain = n & a\r\n"
                  "End Function\r\n",
                  {"!"}),
              "11!");
}

TEST_P(ActiveScriptTest, VBScriptLoopsRunAsWritten) {
    EXPECT_EQ(vbs("Function Main()\r\nFor i = 1 To 3: s = s & i: Next\r\n"
                  "Do While n < 2: n = n + 1: Loop\r\nWhile m < 4\r\nm = m + 2\r\nWend\r\n"
                  "Main = s & n & m\r\nEnd Function"),
              "12324");
    EXPECT_EQ(vbs("Function Main()\r\nOn Error Resume Next\r\nDo\r\nn = n + 1\r\n"
                  "If n = 3 Then Exit Do\r\nLoop\r\nMain = n\r\nEnd Function"),
              "3");
}

TEST_P(ActiveScriptTest, VBScriptValuesAsText) {
    EXPECT_EQ(vbsMain("\"text\""), "text");
    EXPECT_EQ(vbsMain("CByte(200)"), "200");
    EXPECT_EQ(vbsMain("CInt(-12)"), "-12");
    EXPECT_EQ(vbsMain("CLng(2147483647)"), "2147483647");
    EXPECT_EQ(vbsMain("1.25"), "1.25");
    EXPECT_EQ(vbsMain("CSng(0.5)"), "0.5");
    EXPECT_EQ(vbsMain("CCur(\"12\")"), "12");
    EXPECT_EQ(vbsMain("1 / 3"), "0.333333333333333");
    EXPECT_EQ(vbsMain("True"), "True");
    EXPECT_EQ(vbsMain("False"), "False");
    EXPECT_EQ(vbsMain("Null"), "");
    EXPECT_EQ(vbsMain("Empty"), "");
    EXPECT_FALSE(vbsMain("DateSerial(2024, 2, 29)").empty());  // the system's date text
}

TEST_P(ActiveScriptTest, ErrorsCarryTheEnginesDescription) {
    EXPECT_EQ(error(ActiveLanguage::JScript, "throw new Error('it broke')"), "it broke");
    EXPECT_EQ(
        error(ActiveLanguage::VBScript,
              "Function Main()\r\nErr.Raise 5, \"here\", \"it broke too\"\r\nEnd Function\r\n"),
        "it broke too");
    EXPECT_EQ(error(ActiveLanguage::VBScript, "Err.Raise 5, \"here\", \"at load\"\r\n"), "at load");
    // Syntax errors and unknown names: whatever the engine says, never an empty text.
    for (const char* source : {"1 +", "var = ;", "noSuchThing + 1"})
        EXPECT_FALSE(error(ActiveLanguage::JScript, source).empty()) << source;
    for (const char* source : {"If Then", "Function Main()\r\nMain = 1 / 0\r\nEnd Function"})
        EXPECT_FALSE(error(ActiveLanguage::VBScript, source).empty()) << source;
}

TEST_P(ActiveScriptTest, CyrillicTextGoesThroughInCodePage1251) {
    const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет"
    const std::string yo = "\xB8";                          // "ё"
    EXPECT_EQ(js("'" + privet + "' + '" + yo + "'"), privet + yo);
    EXPECT_EQ(js("'" + privet + "'.length"), "6");
    EXPECT_EQ(
        vbs("Function Main(a)\r\nMain = a & Len(a) & \"" + yo + "\"\r\nEnd Function\r\n", {privet}),
        privet + "6" + yo);
    // A character code page 1251 lacks.
    EXPECT_EQ(js("String.fromCharCode(0x4E2D)"), "?");
}

TEST_P(ActiveScriptTest, LongResultsAreCut) {
    const std::string text =
        js("var s = 'ab';\r\nwhile (s.length <= 16 * 1024 * 1024) s += s;\r\ns");
    EXPECT_EQ(text.size(), kMaxScriptResultBytes);
    EXPECT_EQ(text.substr(0, 4), "abab");
}

TEST_P(ActiveScriptTest, RunsInTheCallersOwnApartment) {
    // A caller whose thread is in the multi-threaded apartment: the run neither changes nor
    // ends it.
    ActiveOutcome outcome;
    HRESULT afterwards = E_FAIL;
    std::thread caller([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        outcome = run(ActiveLanguage::JScript, "6 * 7");
        afterwards = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // S_FALSE: still ours
        if (SUCCEEDED(afterwards)) CoUninitialize();
        CoUninitialize();
    });
    caller.join();
    EXPECT_TRUE(outcome.ok) << outcome.text;
    EXPECT_EQ(outcome.text, "42");
    EXPECT_EQ(afterwards, S_FALSE);
}

TEST_P(ActiveScriptTest, BothLanguagesRunRepeatedly) {
    // Every run creates and releases its objects; many in a row must not wear anything out.
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(js(std::to_string(i) + " * 2"), std::to_string(i * 2));
        ASSERT_EQ(vbs("Function Main(a)\r\nMain = a & a\r\nEnd Function", {"x"}), "xx");
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, ActiveScriptTest,
                         ::testing::Values(ScriptEngineWay::ScriptControl, ScriptEngineWay::Direct),
                         wayName);

TEST(ActiveScriptWays, BothWaysGiveTheSameErrorTexts) {
    const auto run = [](ScriptEngineWay way, ActiveLanguage language, const char* source) {
        ActiveScriptOptions options;
        options.way = way;
        return makeActiveScriptEngine(options)->run(source, language, {});
    };
    for (const char* source : {"1 +", "noSuchThing + 1", "throw new Error('x')"}) {
        const ActiveOutcome control =
            run(ScriptEngineWay::ScriptControl, ActiveLanguage::JScript, source);
        const ActiveOutcome direct = run(ScriptEngineWay::Direct, ActiveLanguage::JScript, source);
        EXPECT_FALSE(control.ok);
        EXPECT_EQ(control.text, direct.text) << source;
    }
    for (const char* source : {"If Then", "x = 1 / 0"}) {
        const ActiveOutcome control =
            run(ScriptEngineWay::ScriptControl, ActiveLanguage::VBScript, source);
        const ActiveOutcome direct = run(ScriptEngineWay::Direct, ActiveLanguage::VBScript, source);
        EXPECT_FALSE(control.ok);
        EXPECT_EQ(control.text, direct.text) << source;
    }
}

TEST(ActiveScriptWays, TheProductsWayRunsBothLanguages) {
    const auto engine = makeActiveScriptEngine({});
    EXPECT_EQ(engine->run("'ok'", ActiveLanguage::JScript, {}).text, "ok");
    const std::vector<std::string> params{"7"};
    EXPECT_EQ(engine
                  ->run("Function Main(a)\r\nMain = a * 6\r\nEnd Function",
                        ActiveLanguage::VBScript, params)
                  .text,
              "42");
}

}  // namespace
}  // namespace qbx::win32
