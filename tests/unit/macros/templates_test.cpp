// Nested calls, templates and the FOR loop, run through the real dispatcher and the macros it
// answers itself.
#include "macros/templates.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/version.h"
#include "macros/arguments.h"
#include "macros/call_token.h"
#include "macros/nested_arguments.h"
#include "support/macro_fixture.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;
using Cases = std::vector<std::pair<std::string, std::string>>;
using Texts = std::vector<std::string>;

const std::string kVer = "Quilbex " + std::string(kVersionText) + " beta";

class TemplateTest : public test::MacroFixture {
protected:
    TemplateTest() {
        // The host knows two macros of its own; everything else it leaves as it is.
        data.expander = [](std::string text) {
            for (auto at = text.find("%FROM"); at != std::string::npos; at = text.find("%FROM"))
                text.replace(at, 5, "\"John\" <j@x>");
            for (auto at = text.find("%SUBJ"); at != std::string::npos; at = text.find("%SUBJ"))
                text.replace(at, 5, "$ZVXVER");
            return text;
        };
    }
    ~TemplateTest() override {
        // The kept references must not outlive the containers declared here.
        plugin.curData.reset();
        plugin.curParams.reset();
    }
    std::string evaluate(std::string_view text) {
        return evaluateTemplate(outer, templateText(text));
    }
    // Variables and nested calls only, as ZVXEVAL takes its text.
    std::string calls(std::string_view text) { return evaluateCalls(outer, templateText(text)); }
    std::string loop(const char* name, int from, int to, std::string_view body,
                     std::string_view separator = ",") {
        return runForLoop(outer, name, from, to, templateText(body), separator);
    }
    // The call the template runs in, with arguments of its own.
    FakeContainer outerParams{Texts{"zzz", "a", "b", "c"}};
    MacroCall outer{plugin, &data, &outerParams, "ZVXOUTER", kMacroResultId};
};

TEST_F(TemplateTest, NestedCallsRunAndTravelAsNumbersOrQuotedTexts) {
    for (const auto& [text, expected] :
         Cases{{"$ZVXVER", "\"" + kVer + "\""},
               {"x $ZVXSTRCMP( a , a ) y", "x 1 y"},
               {"$ZVXREPLACE( ab , b , c )", "\"ac\""},
               {"$ZVXREPLACE( 0042 , 1 , 2 )", "0042"},
               {"$ZVXREPLACE( 99999999999 , 1 , 1 )", "\"99999999999\""},
               {"$ZVXREPLACE( -7 , 1 , 2 )", "-7"},
               {"$ZVXSTRCMP(a,a)", "1"}})  // unspaced: one token, answered under its own name
        EXPECT_EQ(calls(text), expected) << text;
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXVER]"));
    EXPECT_TRUE(logged("mname=ZVXVER"));
    EXPECT_TRUE(logged("Result: \"" + kVer + "\""));
}

// The log shows a call's name as its token stands in the template before the head takes its
// arguments in; the call itself goes by the name without the bracket.
TEST_F(TemplateTest, CallNamesAreLoggedAsTheirHeadsStand) {
    const auto lines = [this](const std::string& line) {
        return std::count(logLines.begin(), logLines.end(), line);
    };
    EXPECT_EQ(calls("$ZVXREPLACE( ab , b , c ) $ZVXSTRCMP(a,a) $ZVXVER"),
              "\"ac\" 1 \"" + kVer + "\"");
    EXPECT_EQ(lines("mname=ZVXREPLACE("), 2);  // the name, then the host's expansion of it
    EXPECT_EQ(lines("TBP_ExecMacro [%ZVXREPLACE]"), 1);
    EXPECT_EQ(lines("mname=ZVXSTRCMP(a,a)"), 2);  // one unspaced token, shown whole
    EXPECT_EQ(lines("mname=ZVXVER"), 2);
    // The host expands the name as the log shows it.
    logLines.clear();
    data.expander = [](const std::string& text) { return "[" + text + "]"; };
    calls("$ZVXSTRINGS( x )");
    EXPECT_EQ(lines("mname=ZVXSTRINGS("), 1);
    EXPECT_EQ(lines("mname=[ZVXSTRINGS(]"), 1);
    // Data in a name is shown as the data it stands for; such a name is never called.
    logLines.clear();
    data.expander = nullptr;
    plugin.variables.storeStr("tail", "VER");
    EXPECT_EQ(calls("$ZVX$$tail( 1 )"), "\"\"");
    EXPECT_EQ(lines("mname=ZVXVER("), 2);
    EXPECT_EQ(lines("@@ Nested macro name holds data, not called: ZVXVER"), 1);
}

TEST_F(TemplateTest, TemplatesWithCalls) {
    plugin.variables.storeStr("title", "Say \"Hello\"");
    plugin.variables.storeStr("from", "\"John\" <j-d@x>");
    for (const auto& [text, expected] :
         Cases{{"$ZVXVER", kVer},
               {"$ZVXSTRCMP(a,a) + 41", "42"},
               {"2 * $ZVXSTRCMP(q, q) + 3", "5"},
               {"\"<\" + $ZVXREPLACE(abc, b, x) + \">\"", "<axc>"},
               {"$ZVXREPLACE(\"a, (b) ,c\", \",\", \";\")", "a; (b) ;c"},
               {"$ZVXSTRINGS('x  y', \"(z)\")", "x  y\r\n(z)"},
               // A result with quotes is data, also as the argument of a further call.
               {"$ZVXREPLACE(%FROM, q, z)", "\"John\" <j@x>"},
               {"$ZVXREPLACE(%FROM, q, z) + \" ok\"", "\"John\" <j@x> ok"},
               {"$ZVXSTRINGS($ZVXREPLACE(%FROM, q, z), end)", "\"John\" <j@x>\r\nend"},
               {"$ZVXSTRINGS($ZVXSTRCMP(a, a), b, c)", "1\r\nb\r\nc"},
               {"\"[\" + $ZVXREPLACE($ZVXREPLACE(abc, b, x), x, y) + \"]\"", "[ayc]"},
               {"$ZVXSTRINGS((1 + 2) * 3, 4)", "9\r\n4"},
               // A variable's text with quotes stays data through every step.
               {"Now: $$title", "Now: Say \"Hello\""},
               {"$$from", "\"John\" <j-d@x>"},
               // The outer call has "a" among its arguments; the nested call sees only its own.
               {"$ZVXSTRIN(a)", "0"},
               {"$ZVXSTRINGS(x)", "x"},
               {"$ZVXSTRINGS", ""}})
        EXPECT_EQ(evaluate(text), expected) << text;
    EXPECT_TRUE(outerParams.stores.empty());
    EXPECT_EQ(outerParams.items.size(), 4u);
    EXPECT_EQ(plugin.curParams.get(), nullptr);
    EXPECT_EQ(plugin.curData.get(), nullptr);
}

TEST_F(TemplateTest, LoneDollarAndMessageTextNeverBecomeCalls) {
    EXPECT_EQ(evaluate("5 $"), "5 $");
    EXPECT_FALSE(logged("TBP_ExecMacro"));
    EXPECT_EQ(evaluate("$ZVXREPLACE(%SUBJ, q, z)"), "$ZVXVER");
    // Also when it comes back from a call inside another call's arguments.
    EXPECT_EQ(evaluate("$ZVXREPLACE($ZVXREPLACE(%SUBJ, q, z), q, z)"), "$ZVXVER");
    EXPECT_FALSE(logged("TBP_ExecMacro [%ZVXVER]"));
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
    EXPECT_EQ(calls("$NOSUCHMACRO( 1 )"), "\"\"");
    EXPECT_EQ(evaluate("\"[\" + $NOSUCHMACRO + \"]\""), "[]");
    EXPECT_TRUE(logged("@@ Nested macro NOSUCHMACRO stored no result"));
    // Nor does the result item keep the previous text for whoever reads it next.
    EXPECT_EQ(data.items[kMacroResultId], "");
    // A macro whose result is the empty text is no failure.
    logLines.clear();
    EXPECT_EQ(calls("$ZVXREPLACE( \"\" , a , b )"), "\"\"");
    EXPECT_FALSE(logged("stored no result"));
}

// A host may keep the first of two texts stored under one item: the result item receives the
// results of the calls that have one and nothing else.
TEST_F(TemplateTest, OnlyResultsAreStoredInTheResultItem) {
    const auto resultStores = [this] {
        Texts texts;
        for (const auto& [id, text] : data.stores)
            if (id == kMacroResultId) texts.push_back(text);
        return texts;
    };
    EXPECT_EQ(evaluate("$NOSUCHMACRO( 1 ) + $NOSUCHEITHER"), "");
    EXPECT_EQ(resultStores(), Texts{});
    // A call without a result empties the item only when it holds an earlier call's text.
    EXPECT_EQ(evaluate("$ZVXREPLACE(ab, b, c) + $NOSUCHMACRO + $ZVXSTRCMP(a, a)"), "ac1");
    EXPECT_EQ(resultStores(), (Texts{"ac", "", "1"}));
    data.stores.clear();
    EXPECT_EQ(evaluate("$NOSUCHMACRO + $NOSUCHMACRO"), "");
    EXPECT_EQ(resultStores(), Texts{""});
    for (const auto& [id, text] : data.stores)
        EXPECT_EQ(text.find_first_of("\x01\x02"), std::string::npos) << id << ": " << text;
}

TEST_F(TemplateTest, DeepNestingStopsAtTheDispatcherBound) {
    evaluate([] {
        std::string text;
        for (int i = 0; i < 200; ++i) text += "$ZVXSTRINGS(";
        return text + "x" + std::string(200, ')');
    }());
    EXPECT_TRUE(logged("nested deeper than 32 levels"));
    EXPECT_EQ(plugin.macroDepth, 0);
}

TEST_F(TemplateTest, HostMacrosGoThroughDataItemZero) {
    data.expander = [](const std::string& text) { return "<" + text + ">"; };
    EXPECT_EQ(expandHostMacros(outer, "%TO"), "<%TO>");
    EXPECT_EQ(data.expandCalls, 1);
    ASSERT_FALSE(data.stores.empty());
    EXPECT_EQ(data.stores.front(), std::make_pair(kScratchItem, std::string("%TO")));
    EXPECT_EQ(evaluate("\"a\" + \"b\""), "<ab>");  // the template's last step is the host's
}

TEST_F(TemplateTest, LoopJoinsTheTemplateForEveryValue) {
    EXPECT_EQ(loop("i", 1, 3, "$$i"), "1,2,3");
    EXPECT_EQ(loop("i", -1, 1, "$$i * 2", " "), "-2 0 2");
    // The loop variable stays, temporary, with the last value.
    const int index = plugin.variables.find("i");
    ASSERT_GT(index, 0);
    EXPECT_EQ(plugin.variables.entry(index).value, 1);
    EXPECT_TRUE(plugin.variables.entry(index).noSave);
    EXPECT_EQ(loop("i", 3, 1, "$$i"), "");
    EXPECT_EQ(plugin.variables.text("i"), "3");
    EXPECT_EQ(loop("i", 2147483647, 2147483647, "$$i"), "2147483647");
    EXPECT_EQ(loop("i", 2147483646, 2147483647, "$$i"), "2147483646,2147483647");
    EXPECT_EQ(loop("i", -2147483647 - 1, -2147483647, "x", ""), "xx");
    EXPECT_EQ(loop("i", 1, 3, "$ZVXSTRCMP( $$i , 2 )"), "0,1,0");
    EXPECT_EQ(loop("i", 1, 2, "$ZVXREPLACE(x_y, _, \",\")", "|"), "x,y|x,y");
    // A saved variable stays saved.
    plugin.variables.storeStr("n", "text");
    EXPECT_EQ(loop("n", 1, 2, "$$n"), "1,2");
    const VarRec& entry = plugin.variables.entry(plugin.variables.find("n"));
    EXPECT_FALSE(entry.noSave);
    EXPECT_EQ(entry.kind, VarKind::Integer);
}

TEST_F(TemplateTest, LoopLimits) {
    // The line that says where the loop stopped is written also past the call's share of the
    // log, which a long loop's own lines may have used up.
    plugin.log.open();
    plugin.log.beginWork();
    for (int i = 0; i < 20000; ++i) plugin.log.write(std::string(100, 'x') + std::to_string(i));
    EXPECT_EQ(loop("i", 1, 2147483647, "", ""), "");
    plugin.log.endWork();
    plugin.log.close();
    EXPECT_TRUE(logged("@@ FOR loop stopped after 10000 turns"));
    EXPECT_EQ(plugin.variables.text("i"), "10000");
    plugin.variables.storeStr("big", std::string(300000, 'w'));
    EXPECT_EQ(loop("i", 1, 100, "$$big", "").size(), std::size_t{1} << 20);
    EXPECT_TRUE(logged("@@ FOR loop result cut at 1048576 bytes"));
    EXPECT_EQ(plugin.variables.text("i"), "4");
    fillVariables();
    EXPECT_EQ(loop("j", 1, 3, "$$j"), "<Too many variables>");
    EXPECT_EQ(loop("v5", 1, 2, "$$v5"), "1,2");  // one that exists needs no new entry
}

TEST_F(TemplateTest, LoopTurnsAreCountedPerModuleContext) {
    // A second module context runs a loop of the whole turn limit while a loop of this one is
    // in its first turn: the turns of one context never count against the other.
    test::FakePlatform otherFake;
    Plugin other{otherFake.platform()};
    other.log.setMirror([this](const std::string& line) { logLines.push_back(line); });
    FakeContainer otherData;
    FakeContainer otherParams;
    MacroCall otherCall{other, &otherData, &otherParams, "ZVXFOR", kMacroResultId};
    std::string otherResult;
    data.expander = [&](const std::string& text) {
        otherResult = runForLoop(otherCall, "k", 1, 10000, templateText("x"), "");
        return text;
    };
    EXPECT_EQ(loop("i", 1, 1, "y"), "y");
    EXPECT_EQ(otherResult, std::string(10000, 'x'));
    EXPECT_EQ(other.variables.text("k"), "10000");
    EXPECT_FALSE(logged("FOR loop stopped"));
    other.curData.reset();
    other.curParams.reset();
}

TEST(CallToken, HostileTokensAndIntegerResults) {
    const auto stray = findBracketGroup("$F)(a)");
    ASSERT_TRUE(stray);
    EXPECT_EQ(stray->open, 3u);
    EXPECT_FALSE(findBracketGroup("$F(\"a)\")"));
    EXPECT_FALSE(findBracketGroup("$F(a"));
    EXPECT_EQ(splitCallItems("$F(a,,b)\r\n c"), (Texts{"$F", "a", "b", "c"}));
    EXPECT_EQ(splitCallItems("$F(\"unclosed, x)"), (Texts{"$F", "\"unclosed, x)"}));
    EXPECT_EQ(splitCallItems("$F(\"\"\"J\"\" <j>\")"), (Texts{"$F", "\"\"\"J\"\" <j>\""}));
    for (const char* yes : {"0", "-7", "+5", "0042", "2147483647", "-2147483648"})
        EXPECT_TRUE(readsAsInteger(yes)) << yes;
    for (const char* no : {"", "-", "2147483648", "-2147483649", " 5", "5 ", "1.5", "$1F", "1e3"})
        EXPECT_FALSE(readsAsInteger(no)) << no;
}

TEST(NestedArguments, AnswersItsOwnItemsAndCountOnlyAndLivesUntilItsLastReference) {
    HostRef<ITBPDataProvider> kept;
    {
        HostRef<ITBPDataProvider> args =
            makeNestedArguments({templateText("first"), templateText(""), dataText("-12")});
        kept = HostRef<ITBPDataProvider>(args.get());
    }
    // Still readable through the reference left (the sanitizers see a use after free).
    ITBPDataProvider* p = kept.get();
    EXPECT_EQ(p->GetItemCount(), 3);
    char buffer[8] = {};
    EXPECT_EQ(p->GetItemText(0, buffer, 3), 3);
    EXPECT_EQ(std::string(buffer), "fir");
    EXPECT_EQ(std::make_tuple(p->GetItemText(1, nullptr, -1), p->GetItemText(3, nullptr, -1),
                              p->GetItemText(-1, buffer, 8)),
              std::make_tuple(0, 0, 0));
    EXPECT_EQ(std::make_pair(p->GetItemInt(2), p->GetItemInt(9)), std::make_pair(-12, 0));
    p->SetItemText(1, "x", 1);
    p->SetItemText(7, "y", 1);  // past the count: ignored
    EXPECT_EQ(p->GetItemText(1, nullptr, -1), 1);
    EXPECT_EQ(p->GetItemCount(), 3);
    void* other = &buffer;
    EXPECT_NE(p->QueryInterface(nullptr, &other), 0);
    EXPECT_EQ(other, nullptr);
}

// What a handler writes into a nested call's container is a result, never the user's template:
// read back for evaluation it is data, and ZVXEVAL does not run it.
TEST_F(TemplateTest, TextWrittenIntoANestedContainerIsData) {
    const HostRef<ITBPDataProvider> args = makeNestedArguments({templateText("plain")});
    args.get()->SetItemText(0, "$ZVXVER", 7);
    EXPECT_EQ(getParamTemplate(args.get(), 0), dataText("$ZVXVER"));
    const std::string name = "ZVXEVAL";
    execMacro(plugin, name.data(), static_cast<std::int32_t>(name.size()), &data, args.get());
    EXPECT_EQ(data.items[kMacroResultId], "$ZVXVER");
    EXPECT_FALSE(logged("TBP_ExecMacro [%ZVXVER]"));
    plugin.curParams.reset();
}

}  // namespace
}  // namespace qbx::macros
