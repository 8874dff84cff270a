// Nested calls, templates and the FOR loop, run through the real dispatcher and the macros it
// answers itself.
#include "macros/templates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/version.h"
#include "macro_fixture.h"
#include "macros/call_token.h"
#include "macros/nested_arguments.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;

const std::string kVer = "Quilbex " + std::string(kVersionText) + " beta";

class TemplateTest : public test::MacroFixture {
protected:
    TemplateTest() {
        plugin.strings.reset();
        // The host knows one macro of its own; everything else it leaves as it is.
        data.expander = [](const std::string& text) {
            std::string out = text;
            for (auto at = out.find("%FROM"); at != std::string::npos; at = out.find("%FROM"))
                out.replace(at, 5, "\"John\" <j@x>");
            for (auto at = out.find("%SUBJ"); at != std::string::npos; at = out.find("%SUBJ"))
                out.replace(at, 5, "$ZVXVER");
            return out;
        };
    }
    ~TemplateTest() override {
        // The kept references must not outlive the containers declared here.
        plugin.curData.reset();
        plugin.curParams.reset();
    }

    std::string evaluate(std::string_view text) { return evaluateTemplate(outer, text); }
    std::string expandCalls(std::string_view text) { return expandMacroCalls(outer, text); }

    // The call the template runs in, with arguments of its own.
    FakeContainer outerParams{std::vector<std::string>{"zzz", "a", "b", "c"}};
    MacroCall outer{plugin, &data, &outerParams, "ZVXOUTER", kMacroResultId};
};

// ---- nested calls ------------------------------------------------------------------------

TEST_F(TemplateTest, CallWithoutArgumentsRunsAndItsTextTravelsQuoted) {
    EXPECT_EQ(expandCalls("$ZVXVER"), "\"" + kVer + "\"");
    EXPECT_EQ(evaluate("$ZVXVER"), kVer);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXVER]"));
    EXPECT_TRUE(logged("mname=ZVXVER"));
    EXPECT_TRUE(logged("Result: \"" + kVer + "\""));
}

TEST_F(TemplateTest, NumbersStayBareAndTextsAreQuoted) {
    EXPECT_EQ(expandCalls("x $ZVXSTRCMP( a , a ) y"), "x 1 y");
    EXPECT_EQ(expandCalls("$ZVXREPLACE( ab , b , c )"), "\"ac\"");
    EXPECT_EQ(expandCalls("$ZVXREPLACE( 0042 , 1 , 2 )"), "0042");
    EXPECT_EQ(expandCalls("$ZVXREPLACE( 99999999999 , 1 , 1 )"), "\"99999999999\"");
    EXPECT_EQ(expandCalls("$ZVXREPLACE( -7 , 1 , 2 )"), "-7");
    // Bare numbers take part in the arithmetic that follows.
    EXPECT_EQ(evaluate("$ZVXSTRCMP(a,a) + 41"), "42");
}

TEST_F(TemplateTest, SpacedCallIsReassembledAndTheTokensItTookVanish) {
    EXPECT_EQ(evaluate("$ZVXSTRCMP(abc,abc)"), "1");
    EXPECT_EQ(evaluate("\"<\" + $ZVXREPLACE(abc, b, x) + \">\""), "<axc>");
    // Left to right, no precedence: the call's value is an ordinary operand.
    EXPECT_EQ(evaluate("2 * $ZVXSTRCMP(q, q) + 3"), "5");
}

TEST_F(TemplateTest, QuotedArgumentKeepsItsCommasBracketsAndBlanks) {
    EXPECT_EQ(evaluate("$ZVXREPLACE(\"a, (b) ,c\", \",\", \";\")"), "a; (b) ;c");
    EXPECT_EQ(evaluate("$ZVXSTRINGS('x  y', \"(z)\")"), "x  y\r\n(z)");
}

TEST_F(TemplateTest, ResultWithQuotesComesThroughAsData) {
    EXPECT_EQ(evaluate("$ZVXREPLACE(%FROM, q, z)"), "\"John\" <j@x>");
    EXPECT_EQ(evaluate("$ZVXREPLACE(%FROM, q, z) + \" ok\""), "\"John\" <j@x> ok");
    // As the argument of a further call it is still the same text.
    EXPECT_EQ(evaluate("$ZVXSTRINGS($ZVXREPLACE(%FROM, q, z), end)"), "\"John\" <j@x>\r\nend");
}

TEST_F(TemplateTest, MessageTextNeverBecomesACall) {
    EXPECT_EQ(evaluate("$ZVXREPLACE(%SUBJ, q, z)"), "$ZVXVER");
    // Also when it comes back from a call inside another call's arguments.
    EXPECT_EQ(evaluate("$ZVXREPLACE($ZVXREPLACE(%SUBJ, q, z), q, z)"), "$ZVXVER");
    EXPECT_FALSE(logged("TBP_ExecMacro [%ZVXVER]"));
}

TEST_F(TemplateTest, CallInsideAnArgumentKeepsItsOwnClosingBracket) {
    EXPECT_EQ(evaluate("$ZVXSTRINGS($ZVXSTRCMP(a, a), b, c)"), "1\r\nb\r\nc");
    EXPECT_EQ(evaluate("\"[\" + $ZVXREPLACE($ZVXREPLACE(abc, b, x), x, y) + \"]\""), "[ayc]");
}

TEST_F(TemplateTest, BracketedExpressionInAnArgumentIsEvaluatedFirst) {
    EXPECT_EQ(evaluate("$ZVXSTRINGS((1 + 2) * 3, 4)"), "9\r\n4");
}

TEST_F(TemplateTest, UnspacedCallIsAnsweredUnderItsOwnName) {
    // No spacing pass has run on this text: the call is one token.
    EXPECT_EQ(expandCalls("$ZVXSTRCMP(a,a)"), "1");
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXSTRCMP]"));
}

TEST_F(TemplateTest, NestedCallSeesOnlyItsOwnArgumentsAndLeavesTheOuterOnesAlone) {
    // The outer call has "a" among its arguments 1..3; the nested call has one argument.
    EXPECT_EQ(evaluate("$ZVXSTRIN(a)"), "0");
    EXPECT_EQ(evaluate("$ZVXSTRINGS(x)"), "x");
    EXPECT_EQ(evaluate("$ZVXSTRINGS"), "");
    EXPECT_TRUE(outerParams.stores.empty());
    EXPECT_EQ(outerParams.items.size(), 4u);
    // The running call keeps its own containers for the script functions.
    EXPECT_EQ(plugin.curParams.get(), nullptr);
    EXPECT_EQ(plugin.curData.get(), nullptr);
}

TEST_F(TemplateTest, KeptContainersOfTheRunningCallComeBackAfterANestedCall) {
    plugin.curData = HostRef<ITBPDataProvider>(&data);
    plugin.curParams = HostRef<ITBPDataProvider>(&outerParams);
    evaluate("$ZVXVER $ZVXSTRCMP(a, b)");
    EXPECT_EQ(plugin.curData.get(), &data);
    EXPECT_EQ(plugin.curParams.get(), &outerParams);
    plugin.curData.reset();
    plugin.curParams.reset();
    EXPECT_EQ(outerParams.references, 1);
    EXPECT_EQ(data.references, 1);
}

TEST_F(TemplateTest, UnknownNameGivesAnEmptyTextNotThePreviousResult) {
    data.items[kMacroResultId] = "previous result";
    EXPECT_EQ(expandCalls("$NOSUCHMACRO( 1 )"), "\"\"");
    EXPECT_EQ(evaluate("\"[\" + $NOSUCHMACRO + \"]\""), "[]");
    EXPECT_TRUE(logged("@@ Nested macro NOSUCHMACRO stored no result"));
    // What was put in the result item to tell "nothing stored" does not stay there.
    EXPECT_EQ(data.items[kMacroResultId], "");
    // A macro whose result is the empty text is no failure.
    logLines.clear();
    EXPECT_EQ(expandCalls("$ZVXREPLACE( \"\" , a , b )"), "\"\"");
    EXPECT_FALSE(logged("stored no result"));
}

TEST_F(TemplateTest, LoneDollarIsNoCall) {
    EXPECT_EQ(evaluate("5 $"), "5 $");
    EXPECT_FALSE(logged("TBP_ExecMacro"));
}

TEST_F(TemplateTest, DeepNestingStopsAtTheDispatcherBound) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "$ZVXSTRINGS(";
    text += "x";
    for (int i = 0; i < 200; ++i) text += ")";
    evaluate(text);
    EXPECT_TRUE(logged("nested deeper than 32 levels"));
    EXPECT_EQ(plugin.macroDepth, 0);
}

TEST_F(TemplateTest, HostMacrosGoThroughDataItemZero) {
    data.expander = [](const std::string& text) { return "<" + text + ">"; };
    EXPECT_EQ(expandHostMacros(outer, "%TO"), "<%TO>");
    EXPECT_EQ(data.expandCalls, 1);
    ASSERT_FALSE(data.stores.empty());
    EXPECT_EQ(data.stores.front(), std::make_pair(kScratchItem, std::string("%TO")));
    // The template's last step is the host's.
    EXPECT_EQ(evaluate("\"a\" + \"b\""), "<ab>");
}

// ---- the FOR loop ------------------------------------------------------------------------

TEST_F(TemplateTest, LoopJoinsTheTemplateForEveryValue) {
    EXPECT_EQ(runForLoop(outer, "i", 1, 3, "$$i", ","), "1,2,3");
    EXPECT_EQ(runForLoop(outer, "i", -1, 1, "$$i * 2", " "), "-2 0 2");
    // The loop variable stays, temporary, with the last value.
    const int index = plugin.variables.find("i");
    ASSERT_GT(index, 0);
    EXPECT_EQ(plugin.variables.entry(index).value, 1);
    EXPECT_TRUE(plugin.variables.entry(index).noSave);
}

TEST_F(TemplateTest, LoopWithToBelowFromGivesNothingButSetsTheVariable) {
    EXPECT_EQ(runForLoop(outer, "i", 3, 1, "$$i", ","), "");
    EXPECT_EQ(plugin.variables.text("i"), "3");
}

TEST_F(TemplateTest, LoopUpToTheLargestValueEnds) {
    EXPECT_EQ(runForLoop(outer, "i", 2147483647, 2147483647, "$$i", ","), "2147483647");
    EXPECT_EQ(runForLoop(outer, "i", 2147483646, 2147483647, "$$i", ","),
              "2147483646,2147483647");
    EXPECT_EQ(runForLoop(outer, "i", -2147483647 - 1, -2147483647, "x", ""), "xx");
}

TEST_F(TemplateTest, LoopKeepsASavedVariableSaved) {
    plugin.variables.storeStr("n", "text");
    EXPECT_EQ(runForLoop(outer, "n", 1, 2, "$$n", ","), "1,2");
    const VarRec& entry = plugin.variables.entry(plugin.variables.find("n"));
    EXPECT_FALSE(entry.noSave);
    EXPECT_EQ(entry.kind, VarKind::Integer);
}

TEST_F(TemplateTest, LoopWithAFullTableAnswersTooManyVariables) {
    for (int i = plugin.variables.count(); i < VarTable::kCapacity; ++i)
        ASSERT_TRUE(plugin.variables.storeStr("v" + std::to_string(i), "x"));
    EXPECT_EQ(runForLoop(outer, "i", 1, 3, "$$i", ","), "<Too many variables>");
    // A variable that exists needs no new entry.
    EXPECT_EQ(runForLoop(outer, "v5", 1, 2, "$$v5", ","), "1,2");
}

TEST_F(TemplateTest, LoopTemplateWithANestedCall) {
    EXPECT_EQ(runForLoop(outer, "i", 1, 3, "$ZVXSTRCMP( $$i , 2 )", ","), "0,1,0");
    EXPECT_EQ(runForLoop(outer, "i", 1, 2, "$ZVXREPLACE(x_y, _, \",\")", "|"), "x,y|x,y");
}

TEST_F(TemplateTest, LoopStopsAtItsTurnLimit) {
    const std::string result = runForLoop(outer, "i", 1, 2147483647, "", "");
    EXPECT_EQ(result, "");
    EXPECT_TRUE(logged("@@ FOR loop stopped after 10000 turns"));
    EXPECT_EQ(plugin.variables.text("i"), "10000");
}

TEST_F(TemplateTest, LoopStopsAtItsLengthLimit) {
    plugin.variables.storeStr("big", std::string(300000, 'w'));
    const std::string result = runForLoop(outer, "i", 1, 100, "$$big", "");
    EXPECT_EQ(result.size(), std::size_t{1} << 20);
    EXPECT_TRUE(logged("@@ FOR loop result cut at 1048576 bytes"));
    EXPECT_EQ(plugin.variables.text("i"), "4");
}

// ---- the pieces of a call token ----------------------------------------------------------

TEST(CallToken, AbsorbTakesTokensUpToTheClosingBracket) {
    std::vector<std::string> tokens = {"$F(", "a", "(", "b", ")", ",", "$G(", "c", ")", ")", "d"};
    absorbCallArguments(tokens, 0);
    EXPECT_EQ(tokens, (std::vector<std::string>{"$F(a(b),$G(c))", "", "", "", "", "", "", "",
                                                "", "", "d"}));
    std::vector<std::string> open = {"$F(", "a", "(", "b"};
    absorbCallArguments(open, 0);
    EXPECT_EQ(open, (std::vector<std::string>{"$F(a(b", "", "", ""}));
    // Only a head whose first bracket is its last character takes anything.
    std::vector<std::string> whole = {"$F(a)", "b", ")"};
    absorbCallArguments(whole, 0);
    EXPECT_EQ(whole, (std::vector<std::string>{"$F(a)", "b", ")"}));
}

TEST(CallToken, NameEndsAtTheFirstBracket) {
    EXPECT_EQ(callName("$ZVXVER"), "ZVXVER");
    EXPECT_EQ(callName("$ZVXSTRCMP("), "ZVXSTRCMP");
    EXPECT_EQ(callName("$ZVXSTRCMP(a,b)"), "ZVXSTRCMP");
    EXPECT_EQ(callName("$"), "");
}

TEST(CallToken, BracketGroupIsTheOutermostOneBeforeAnyQuote) {
    const auto simple = findBracketGroup("$F(a,b)");
    ASSERT_TRUE(simple);
    EXPECT_EQ(simple->open, 2u);
    EXPECT_EQ(simple->close, 6u);
    const auto nested = findBracketGroup("$F(a(b)c)");
    ASSERT_TRUE(nested);
    EXPECT_EQ(nested->open, 2u);
    EXPECT_EQ(nested->close, 8u);
    EXPECT_FALSE(findBracketGroup("$F(\"a)\")"));
    EXPECT_FALSE(findBracketGroup("$F(a"));
    const auto stray = findBracketGroup("$F)(a)");
    ASSERT_TRUE(stray);
    EXPECT_EQ(stray->open, 3u);
}

TEST(CallToken, ArgumentSplit) {
    EXPECT_EQ(splitCallItems("$F( a ,\"b, (c)\" , 'd,e')"),
              (std::vector<std::string>{"$F", "a ", "\"b, (c)\" ", "'d,e'"}));
    EXPECT_EQ(splitCallItems("$F(a,,b)\r\n c"), (std::vector<std::string>{"$F", "a", "b", "c"}));
    EXPECT_EQ(splitCallItems("$F(\"unclosed, x)"),
              (std::vector<std::string>{"$F", "\"unclosed, x)"}));
    EXPECT_EQ(splitCallItems("$F(\"\"\"J\"\" <j>\")"),
              (std::vector<std::string>{"$F", "\"\"\"J\"\" <j>\""}));
}

TEST(CallToken, IntegerResults) {
    for (const char* yes : {"0", "-7", "+5", "0042", "2147483647", "-2147483648"})
        EXPECT_TRUE(readsAsInteger(yes)) << yes;
    for (const char* no : {"", "-", "2147483648", "-2147483649", " 5", "5 ", "1.5", "$1F", "1e3"})
        EXPECT_FALSE(readsAsInteger(no)) << no;
    EXPECT_EQ(trimControls(" \t\r\nx y\x01 "), "x y");
}

// ---- the nested call's argument container ------------------------------------------------

TEST(NestedArguments, AnswersItsOwnItemsAndCountOnly) {
    HostRef<ITBPDataProvider> args = makeNestedArguments({"first", "", "-12"});
    ITBPDataProvider* p = args.get();
    EXPECT_EQ(p->GetItemCount(), 3);
    EXPECT_EQ(p->GetItemText(0, nullptr, -1), 5);
    char buffer[8] = {};
    EXPECT_EQ(p->GetItemText(0, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer), "fir");
    EXPECT_EQ(p->GetItemText(1, nullptr, -1), 0);
    EXPECT_EQ(p->GetItemText(3, nullptr, -1), 0);
    EXPECT_EQ(p->GetItemText(-1, buffer, 8), 0);
    EXPECT_EQ(p->GetItemInt(2), -12);
    EXPECT_EQ(p->GetItemInt(0), 0);
    EXPECT_EQ(p->GetItemInt(9), 0);
    p->SetItemText(1, "x", 1);
    p->SetItemText(7, "y", 1);  // past the count: ignored
    EXPECT_EQ(p->GetItemText(1, nullptr, -1), 1);
    EXPECT_EQ(p->GetItemCount(), 3);
    void* other = &buffer;
    EXPECT_NE(p->QueryInterface(nullptr, &other), 0);
    EXPECT_EQ(other, nullptr);
}

TEST(NestedArguments, LivesUntilItsLastReference) {
    HostRef<ITBPDataProvider> kept;
    {
        HostRef<ITBPDataProvider> args = makeNestedArguments({"a"});
        kept = HostRef<ITBPDataProvider>(args.get());
    }
    // Still readable through the reference left (the sanitizers see a use after free).
    EXPECT_EQ(kept.get()->GetItemCount(), 1);
}

}  // namespace
}  // namespace qbx::macros
