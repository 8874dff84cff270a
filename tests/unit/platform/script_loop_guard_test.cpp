// The loop guard's rewriting of JScript and VBScript sources: a call where every loop turns, and
// nothing inside strings, comments or regular expressions; sources it cannot read with
// certainty stay as they are.
#include <gtest/gtest.h>

#include <string>

#include "platform/script_loop_guard.h"

namespace qbx {
namespace {

const std::string kTick = "QbxRunGuard.Tick";

std::string js(const std::string& source) {
    const std::optional<std::string> guarded = guardLoops(source, ActiveLanguage::JScript);
    EXPECT_TRUE(guarded.has_value()) << source;
    return guarded.value_or("<unread>");
}

std::string vbs(const std::string& source) {
    const std::optional<std::string> guarded = guardLoops(source, ActiveLanguage::VBScript);
    EXPECT_TRUE(guarded.has_value()) << source;
    return guarded.value_or("<unread>");
}

bool unread(const std::string& source, ActiveLanguage language = ActiveLanguage::JScript) {
    return !guardLoops(source, language).has_value();
}

TEST(ScriptLoopGuard, EveryJScriptLoopConditionCallsTheGuardFirst) {
    EXPECT_EQ(js("while(true){}"), "while(" + kTick + "(),(true)){}");
    EXPECT_EQ(js("while (a && (b || c)) x++;"), "while (" + kTick + "(),(a && (b || c))) x++;");
    EXPECT_EQ(js("for(;;){}"), "for(;" + kTick + "(),true;){}");
    EXPECT_EQ(js("for (var i = 0; i < f(3); i++) s += i;"),
              "for (var i = 0;" + kTick + "(),( i < f(3)); i++) s += i;");
    EXPECT_EQ(js("for (i = 0; /* none */ ; i++) {}"),
              "for (i = 0;" + kTick + "(),true /* none */ ; i++) {}");
    EXPECT_EQ(js("do { x(); } while (x < 3)"), "do { x(); } while (" + kTick + "(),(x < 3))");
    // for-in walks a finite list: nothing to guard.
    EXPECT_EQ(js("for (var k in o) n++;"), "for (var k in o) n++;");
    // Loops inside loops' heads and bodies.
    EXPECT_EQ(js("while(a){for(;b;){}}"),
              "while(" + kTick + "(),(a)){for(;" + kTick + "(),(b);){}}");
}

TEST(ScriptLoopGuard, FunctionBodiesCatchAndFinallyStartWithTheGuard) {
    EXPECT_EQ(js("function f(a, b) { return a; }"),
              "function f(a, b) {" + kTick + "(); return a; }");
    EXPECT_EQ(js("var g = function () { return 1; };"),
              "var g = function () {" + kTick + "(); return 1; };");
    // A catch or finally that could swallow the guard's stop calls it again.
    EXPECT_EQ(
        js("try { x(); } catch (e) { } finally { y(); }"),
        "try { x(); } catch (e) {if(" + kTick + "()); } finally {if(" + kTick + "()); y(); }");
    // A directive stays first; the body's loops are still guarded.
    EXPECT_EQ(js("function f() { 'use strict'; }"), "function f() { 'use strict'; }");
    // Properties with the keywords' names are no keywords.
    EXPECT_EQ(js("p.catch(function (e) { }); x.while(1); o.finally(); y.for(;;)"),
              "p.catch(function (e) {" + kTick + "(); }); x.while(1); o.finally(); y.for(;;)");
}

TEST(ScriptLoopGuard, StringsCommentsAndRegularExpressionsAreLeftAlone) {
    for (const char* source : {
             "var s = 'while(true){}' + \"for(;;){}\";",
             "var s = 'it\\'s while(1)';",
             "// while(true){}\r\nx = 1",
             "/* for(;;){} */ x",
             "var r = /while(1)\\/'/g;",
             "var r = /[/\"]for(;;)/;",
             "if (x) /'while(1)/.test(s)",
             "x = a / b / c",
             "x = (a) / 2 / (b)",
             "x = {while: 1, 'for': 2}",
             "i++ / 2 / 3",
             "s = 'a\\\r\nwhile(1)'",
         }) {
        const std::optional<std::string> guarded = guardLoops(source, ActiveLanguage::JScript);
        ASSERT_TRUE(guarded.has_value()) << source;
        EXPECT_EQ(*guarded, source);
    }
    // The loop after a regular expression or a block is still found.
    EXPECT_EQ(js("if (a) { } /x/.test(s); while(b);"),
              "if (a) { } /x/.test(s); while(" + kTick + "(),(b));");
    EXPECT_EQ(js("x = o / 2; while(b);"), "x = o / 2; while(" + kTick + "(),(b));");
}

TEST(ScriptLoopGuard, JScriptItCannotReadRunsAsItIs) {
    EXPECT_TRUE(unread("var s = 'open"));
    EXPECT_TRUE(unread("var s = 'line\r\nbreak'"));
    EXPECT_TRUE(unread("/* open"));
    EXPECT_TRUE(unread("x = /open"));
    EXPECT_TRUE(unread("/*@cc_on while(1); @*/"));
    EXPECT_TRUE(unread("//@cc_on"));
    EXPECT_TRUE(unread("@if (@_jscript) x @end"));
    EXPECT_TRUE(unread("var \\u0061 = 1"));
    // Division or a regular expression: the tokens before do not tell.
    EXPECT_TRUE(unread("function f() {}\r\n/x/g.test(s)"));
    EXPECT_TRUE(unread("a: {}\r\n/x/"));
    EXPECT_TRUE(unread("while (x) { )"));
    EXPECT_TRUE(unread("f(]"));
    EXPECT_TRUE(unread("{"));
    EXPECT_TRUE(unread(std::string(300, '(') + std::string(300, ')')));
    EXPECT_FALSE(unread(std::string(200, '(') + std::string(200, ')')));
    EXPECT_TRUE(unread(std::string(kMaxGuardedSourceBytes + 1, ' ')));
}

TEST(ScriptLoopGuard, EveryVBScriptLoopEndCallsTheGuardFirst) {
    EXPECT_EQ(vbs("Do: Loop"), "Do: " + kTick + ": Loop");
    EXPECT_EQ(vbs("While True: Wend"), "While True: " + kTick + ": Wend");
    EXPECT_EQ(vbs("Do While x < 3\r\n  x = x + 1\r\nloop"),
              "Do While x < 3\r\n  x = x + 1\r\n" + kTick + ": loop");
    EXPECT_EQ(vbs("For i = 1 To 3\r\n  s = s & i\r\nNext\r\nFor Each v In a: NEXT v"),
              "For i = 1 To 3\r\n  s = s & i\r\n" + kTick + ": Next\r\nFor Each v In a: " + kTick +
                  ": NEXT v");
    EXPECT_EQ(vbs("Do\r\nLoop Until x > 3"), "Do\r\n" + kTick + ": Loop Until x > 3");
}

TEST(ScriptLoopGuard, VBScriptWordsThatEndNoLoopAreLeftAlone) {
    for (const char* source : {
             "On Error Resume Next\r\nx = 1",
             "s = \"Do: Loop\" & \"a \"\"Loop\"\" b\"",
             "' Do: Loop\r\nRem While True: Wend\r\nx = 1: rem Loop",
             "rs.MoveNext: x = rs.Next: y = [Loop]",
             "With rs\r\n.Next\r\nEnd With",
             "x = 1 + _\r\n  Next_Value",
             "d = #1/2/2024#",
             "LoopCount = 3: NextOne = 4: Wending = 5",
         }) {
        const std::optional<std::string> guarded = guardLoops(source, ActiveLanguage::VBScript);
        ASSERT_TRUE(guarded.has_value()) << source;
        EXPECT_EQ(*guarded, source);
    }
    EXPECT_TRUE(unread("s = \"open", ActiveLanguage::VBScript));
    EXPECT_TRUE(unread("s = \"line\r\nbreak\"", ActiveLanguage::VBScript));
    EXPECT_TRUE(unread("d = #1/2/2024", ActiveLanguage::VBScript));
    EXPECT_TRUE(unread("x = [open", ActiveLanguage::VBScript));
}

}  // namespace
}  // namespace qbx
