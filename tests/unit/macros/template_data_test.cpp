// What a template produces is data: the message's text, variables' values and the results of
// nested calls never run as calls, never reach the host's expander and never run as scripts;
// and one outermost call cannot make unbounded work.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "macros/templates.h"
#include "macros/work_budget.h"
#include "support/macro_fixture.h"

namespace qbx::macros {
namespace {

using Texts = std::vector<std::string>;

const std::string kHostile = "Hello %EJS(\"run()\") $ZVXVER $$who";

class TemplateDataTest : public test::MacroFixture {
protected:
    TemplateDataTest() {
        data.items[kHeadersItem] = "From: a@b\r\nSubject: " + kHostile + "\r\n";
        plugin.variables.storeStr("who", "$ZVXSVER %EVS(x)");
        // The host sees only the template's own text; it knows one macro of its own.
        data.expander = [this](std::string text) {
            hostSaw.push_back(text);
            for (auto at = text.find("%FROM"); at != std::string::npos; at = text.find("%FROM"))
                text.replace(at, 5, "$ZVXVER %EPS(1)");
            return text;
        };
    }
    bool hostSawAny(std::string_view text) const {
        for (const std::string& seen : hostSaw)
            if (seen.find(text) != std::string::npos) return true;
        return false;
    }
    bool ran(std::string_view macro) const {
        return logged("TBP_ExecMacro [%" + std::string(macro) + "]");
    }
    Texts hostSaw;
};

TEST_F(TemplateDataTest, MessageTextNeverRunsNorReachesTheHost) {
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXREPLACE($ZVXGETHEADER(Subject:),Hello,Hi)"}),
              "\"Hi %EJS(\"run()\") $ZVXVER $$who\"");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "2", "$ZVXGETHEADER(Subject:)", "C"}),
              kHostile + "," + kHostile);
    // The template's own host macro is expanded; the subject beside it is not shown to the host.
    const std::string reply =
        run("ZVXFOR", {"i", "1", "1", "Re: $ZVXGETHEADER(Subject:) by %FROM", "C"});
    EXPECT_NE(reply.find(kHostile), std::string::npos) << reply;
    EXPECT_NE(reply.find("by $ZVXVER %EPS(1)"), std::string::npos) << reply;
    EXPECT_TRUE(hostSawAny(" by %FROM"));
    // A call whose argument came from the message or the host gets it as data, also when it
    // evaluates its argument.
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXEVAL($ZVXGETHEADER(Subject:))"}), "\"" + kHostile + "\"");
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXEVAL(%FROM)"}), "\"$ZVXVER %EPS(1)\"");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "1", "$ZVXFOR(j, 1, 1, $ZVXGETHEADER(Subject:), C)", "C"}),
              kHostile);
    EXPECT_EQ(run("ZVXEV", {"$ZVXEV($ZVXGETHEADER(Subject:))"}),
              "$ZVXEV($ZVXGETHEADER(Subject:))");  // ZVXEV runs no calls at all
    EXPECT_FALSE(hostSawAny("%EJS"));
    EXPECT_FALSE(hostSawAny("%EVS"));
    EXPECT_FALSE(hostSawAny("%EPS"));
    for (const char* macro : {"ZVXVER", "ZVXSVER", "EJS", "EVS", "EPS"})
        EXPECT_FALSE(ran(macro)) << macro;
}

TEST_F(TemplateDataTest, ATemplatesOwnMarkByteIsTextNotAPlaceholder) {
    // The byte that marks held data, written by the user and followed by digits, comes back as
    // written: it is never taken for a placeholder of some other piece.
    const std::string marked = std::string("a\x98") + "000000b";
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "1", marked + " $$who", "C"}), marked + " $ZVXSVER %EVS(x)");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "1", std::string("\x98") + "000001", "C"}),
              std::string("\x98") + "000001");
    // A mark byte just before the template's own host macro leaves the macro to the host.
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "1", std::string("x\x98") + "%FROM", "C"}),
              std::string("x\x98") + "$ZVXVER %EPS(1)");
    EXPECT_TRUE(hostSawAny("%FROM"));
}

TEST_F(TemplateDataTest, VariablesAreSplicedOnceAsData) {
    EXPECT_EQ(run("ZVXEVAL", {"$$who"}), "$ZVXSVER %EVS(x)");
    EXPECT_EQ(run("ZVXEV", {"[$$who]"}), "[$ZVXSVER %EVS(x)]");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "2", "$$who", "C"}), "$ZVXSVER %EVS(x),$ZVXSVER %EVS(x)");
    // A value cannot complete a name the template began.
    plugin.variables.storeStr("tail", "VER");
    EXPECT_EQ(run("ZVXEVAL", {"$ZVX$$tail"}), "\"\"");
    EXPECT_TRUE(logged("@@ Nested macro name holds data, not called: ZVXVER"));
    EXPECT_FALSE(ran("ZVXVER"));
    EXPECT_FALSE(ran("ZVXSVER"));
    EXPECT_FALSE(hostSawAny("%EVS"));
    // The template's own calls still run, with variables as their arguments.
    plugin.variables.storeStr("word", "abc");
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXREPLACE($$word,b,x)"}), "\"axc\"");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "3", "$ZVXSTRCMP( $$i , 2 )", "C"}), "0,1,0");
}

TEST_F(TemplateDataTest, ASelfCallingVariableIsTextNotABomb) {
    run("ZVXSET", {"a", "$ZVXEVAL($$a)$ZVXEVAL($$a)"});
    EXPECT_EQ(run("ZVXEVAL", {"$$a"}), "$ZVXEVAL($$a)$ZVXEVAL($$a)");
    EXPECT_EQ(run("ZVXFOR", {"i", "1", "3", "$$a", "S"}).size(), 3 * 26 + 2);
    int calls = 0;
    for (const std::string& line : logLines)
        calls += line.find("TBP_ExecMacro") != std::string::npos;
    EXPECT_EQ(calls, 3);  // ZVXSET, ZVXEVAL and ZVXFOR, nothing nested
}

TEST_F(TemplateDataTest, ScriptMacrosNeverRunProducedText) {
    for (const char* macro : {"EPS", "EJS", "EVS"}) {
        logLines.clear();
        const std::string result =
            run("ZVXEVAL", {"$" + std::string(macro) + "($ZVXGETHEADER(Subject:))"});
        EXPECT_NE(result.find("is not run"), std::string::npos) << result;
        EXPECT_TRUE(logged("script text produced by another macro or a variable is not run"));
        logLines.clear();
        run("ZVXEVAL", {"$" + std::string(macro) + "($$who)"});
        EXPECT_TRUE(logged("is not run")) << macro;
    }
}

TEST_F(TemplateDataTest, OneOutermostCallHasABudgetOfWork) {
    // Many calls per turn: past the budget every further call answers empty, said once.
    std::string body;
    for (int i = 0; i < 12; ++i) body += "$ZVXSTRCMP(a,a) ";
    const std::string result = run("ZVXFOR", {"i", "1", "10000", body, ""});
    EXPECT_LT(result.size(), 10000u * 24);
    int limitLines = 0;
    for (const std::string& line : logLines)
        limitLines += line.find("Macro work limit reached") != std::string::npos;
    EXPECT_EQ(limitLines, 1);
    // The next outermost call has a budget of its own.
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXSTRCMP(a,a)"}), "1");

    // Time counts too: a host that takes 10 ms per expansion stops the loop at 5 s.
    logLines.clear();
    data.expander = [this](std::string text) {
        fake.clock.advanceMs(10);
        return text;
    };
    const std::string timed = run("ZVXFOR", {"i", "1", "10000", "x", ""});
    EXPECT_LE(timed.size(), kMaxWorkMilliseconds / 10 + 2);
    EXPECT_GE(timed.size(), kMaxWorkMilliseconds / 10 / 2);
    EXPECT_TRUE(logged("Macro work limit reached"));
}

// The minutes a user spends in the SMS prompt are not the call's work: what the template holds
// after the prompt still runs.
TEST_F(TemplateDataTest, TimeInThePromptIsNotSpentFromTheBudget) {
    fake.clock.advanceMs(60000);  // long past the load: the prompt is shown
    fake.textPrompt.answers = {"typed"};
    fake.textPrompt.whileOpen = [this] { fake.clock.advanceMs(20000); };
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXGETSMS(10) $ZVXSTRCMP(a,a)"}), "\"typed\" 1");
    EXPECT_EQ(fake.textPrompt.shown(), 1);
    EXPECT_FALSE(logged("Macro work limit reached"));
}

// Exactly the budget runs; the limit line is whole and is written once, also past the call's
// share of the log.
TEST_F(TemplateDataTest, TheBudgetIsExactlyItsUnitsAndItsMilliseconds) {
    beginOutermostCall(plugin);
    for (std::int64_t i = 0; i < kMaxWorkUnits; ++i) ASSERT_TRUE(spendMacroWork(plugin, "X"));
    EXPECT_FALSE(macroWorkSpent(plugin));
    EXPECT_FALSE(spendMacroWork(plugin, "ZVXRND"));
    EXPECT_TRUE(macroWorkSpent(plugin));
    EXPECT_FALSE(spendMacroWork(plugin, "ZVXRND"));
    ASSERT_FALSE(logLines.empty());
    EXPECT_EQ(logLines.back(),
              "***** ERROR!!! Macro work limit reached at ZVXRND (100000 nested steps, 0 ms): the "
              "rest of this call is skipped");
    EXPECT_EQ(std::count_if(logLines.begin(), logLines.end(),
                            [](const std::string& l) { return l.find("limit reached") != l.npos; }),
              1);

    logLines.clear();
    beginOutermostCall(plugin);
    fake.clock.advanceMs(kMaxWorkMilliseconds);
    EXPECT_TRUE(spendMacroWork(plugin, "FOR turn"));
    fake.clock.advanceMs(1);
    EXPECT_FALSE(spendMacroWork(plugin, "FOR turn"));
    EXPECT_EQ(logLines, (Texts{"***** ERROR!!! Macro work limit reached at FOR turn (1 nested "
                               "steps, 5001 ms): the rest of this call is skipped"}));
}

// Once the budget is spent the rest of the call costs nothing: no further call runs, no
// argument is evaluated and nothing but the limit line is logged.
TEST_F(TemplateDataTest, ASpentBudgetSkipsTheRestOfTheCall) {
    // The first host expansion takes the whole time: the first nested call is already too late.
    int expansions = 0;
    data.expander = [&](std::string text) {
        if (++expansions == 1) fake.clock.advanceMs(kMaxWorkMilliseconds + 1);
        return text;
    };
    std::string calls;
    for (int i = 0; i < 50; ++i) calls += "$ZVXSTRCMP($ZVXVER,$$who) ";
    for (const char* macro : {"ZVXEVAL", "ZVXFOR"}) {
        logLines.clear();
        expansions = 0;
        const std::string result = std::string(macro) == "ZVXEVAL"
                                       ? run(macro, {calls})
                                       : run(macro, {"i", "1", "3", calls, "C"});
        EXPECT_EQ(result, "") << macro;
        EXPECT_EQ(expansions, 1) << macro;
        const auto limit = std::find_if(logLines.begin(), logLines.end(), [](const auto& line) {
            return line.find("Macro work limit reached") != std::string::npos;
        });
        ASSERT_NE(limit, logLines.end()) << macro;
        EXPECT_EQ(limit + 1, logLines.end()) << macro << ": " << logLines.back();
        EXPECT_FALSE(ran("ZVXSTRCMP")) << macro;
    }
    // The next call has a budget of its own.
    data.expander = nullptr;
    EXPECT_EQ(run("ZVXEVAL", {"$ZVXSTRCMP(a,a)"}), "1");
}

}  // namespace
}  // namespace qbx::macros
