// The engine's own macros: variables, expressions and conditions, and the FOR loop.
#include "macros/engine_macros.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "macro_fixture.h"
#include "macros/dispatcher.h"
#include "macros/expressions.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;

class EngineMacroTest : public test::MacroFixture {
protected:
    EngineMacroTest() {
        plugin.strings.reset();
        data.expander = [](const std::string& text) {
            std::string out = text;
            for (auto at = out.find("%N"); at != std::string::npos; at = out.find("%N"))
                out.replace(at, 2, "5");
            return out;
        };
    }

    // The branch itself, with these arguments.
    std::string apply(Branch branch, const std::vector<std::string>& arguments) {
        FakeContainer& params = parameters.emplace_back(arguments);
        MacroCall call{plugin, &data, &params, "ZVXTEST", kMacroResultId};
        return branch(call);
    }

    // The branch as the dispatcher runs it: what it stores, and whether it failed.
    std::string store(Branch branch, const std::vector<std::string>& arguments, bool& ok) {
        FakeContainer& params = parameters.emplace_back(arguments);
        MacroCall call{plugin, &data, &params, "ZVXTEST", kMacroResultId};
        data.items.erase(kMacroResultId);
        ok = runBranch(call, branch);
        return data.items.count(kMacroResultId) ? data.items[kMacroResultId] : "<nothing>";
    }

    VarTable& vars = plugin.variables;
};

// ---- variables ---------------------------------------------------------------------------

TEST_F(EngineMacroTest, SetMakesAnIntegerOnlyFromTheExactIntegerText) {
    for (const char* value : {"42", "-7", "0", "2147483647", "-2147483648"}) {
        EXPECT_EQ(apply(engine::zvxSet, {"v", value}), "");
        EXPECT_EQ(vars.type("v"), 1) << value;
        EXPECT_EQ(vars.text("v"), value);
    }
    for (const char* value :
         {"042", "+42", " 42", "42 ", "4.2", "abc", "", "-0", "-", "2147483648", "-2147483649"}) {
        EXPECT_EQ(apply(engine::zvxSet, {"v", value}), "");
        EXPECT_EQ(vars.type("v"), 0) << value;
        EXPECT_EQ(vars.text("v"), value);
    }
}

TEST_F(EngineMacroTest, SetChangesTheKindInTheSameEntryAndVarReadsIt) {
    apply(engine::zvxSet, {"n", "12"});
    const int index = vars.find("n");
    EXPECT_EQ(apply(engine::zvxVar, {"n"}), "12");
    apply(engine::zvxSet, {"n", "twelve"});
    EXPECT_EQ(vars.find("n"), index);
    EXPECT_EQ(apply(engine::zvxVar, {"n"}), "twelve");
    EXPECT_FALSE(vars.entry(index).noSave);
    EXPECT_EQ(apply(engine::zvxVar, {"absent"}), "");
    EXPECT_EQ(apply(engine::zvxVar, {}), "");
}

TEST_F(EngineMacroTest, NamesAreCaseSensitive) {
    apply(engine::zvxSet, {"Year", "1"});
    apply(engine::zvxSet, {"year", "2"});
    EXPECT_EQ(apply(engine::zvxVar, {"Year"}), "1");
    EXPECT_EQ(apply(engine::zvxVar, {"year"}), "2");
}

TEST_F(EngineMacroTest, SetOnAFullTableStoresNothingAndStillAnswersEmpty) {
    for (int i = vars.count(); i < VarTable::kCapacity; ++i)
        ASSERT_TRUE(vars.storeStr("v" + std::to_string(i), "x"));
    EXPECT_EQ(apply(engine::zvxSet, {"one more", "1"}), "");
    EXPECT_EQ(vars.find("one more"), -1);
    apply(engine::zvxSet, {"v7", "7"});
    EXPECT_EQ(vars.text("v7"), "7");
}

TEST_F(EngineMacroTest, IncAddsTheDeltaToAnIntegerOnly) {
    apply(engine::zvxSet, {"n", "10"});
    EXPECT_EQ(apply(engine::zvxInc, {"n"}), "");
    EXPECT_EQ(vars.text("n"), "11");
    apply(engine::zvxInc, {"n", "-3"});
    EXPECT_EQ(vars.text("n"), "8");
    apply(engine::zvxInc, {"n", " 2 "});
    EXPECT_EQ(vars.text("n"), "10");

    apply(engine::zvxSet, {"s", "text"});
    apply(engine::zvxInc, {"s", "5"});
    EXPECT_EQ(vars.type("s"), 0);
    EXPECT_EQ(vars.text("s"), "text");

    const int before = vars.count();
    apply(engine::zvxInc, {"absent", "1"});
    EXPECT_EQ(vars.count(), before);
    EXPECT_EQ(vars.find("absent"), -1);
}

TEST_F(EngineMacroTest, IncWrapsAtTheEndOfThe32BitRange) {
    apply(engine::zvxSet, {"n", "2147483647"});
    apply(engine::zvxInc, {"n"});
    EXPECT_EQ(vars.text("n"), "-2147483648");
}

TEST_F(EngineMacroTest, IncWithADeltaThatIsNoIntegerFailsAndChangesNothing) {
    apply(engine::zvxSet, {"n", "1"});
    for (const char* delta : {"abc", "1.5", "2147483648", "+", "0x10"})
        EXPECT_THROW(apply(engine::zvxInc, {"n", delta}), std::invalid_argument) << delta;
    EXPECT_EQ(vars.text("n"), "1");

    bool ok = true;
    EXPECT_EQ(store(engine::zvxInc, {"n", "abc"}, ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXTEST: 'abc' is not a valid integer"));
}

// ---- expressions and conditions ----------------------------------------------------------

TEST_F(EngineMacroTest, EvExpandsVariableReferences) {
    vars.storeStr("x", "1");
    EXPECT_EQ(apply(engine::zvxEv, {"a $$x b"}), "a 1 b");
    EXPECT_EQ(apply(engine::zvxEv, {"a $$unknown b"}), "a  b");
    EXPECT_EQ(apply(engine::zvxEv, {"  no reference  "}), "  no reference  ");
}

TEST_F(EngineMacroTest, EvalRunsTheCallsAfterTheVariables) {
    vars.storeInt("x", 1);
    EXPECT_EQ(apply(engine::zvxEval, {"$ZVXSTRCMP( $$x , 1 )"}), "1");
    EXPECT_EQ(apply(engine::zvxEval, {"$ZVXSTRCMP($$x,2)"}), "0");
    // Texts stay quoted as the calls leave them.
    EXPECT_EQ(apply(engine::zvxEval, {"$ZVXREPLACE( ab , b , c )"}), "\"ac\"");
    EXPECT_EQ(apply(engine::zvxEval, {"n=$$x"}), "n=1");
}

TEST_F(EngineMacroTest, IfChoosesByTheConditionAfterHostExpansion) {
    auto when = [&](const std::string& condition) {
        return apply(engine::zvxIf, {condition, "then", "else"});
    };
    EXPECT_EQ(when("3*0.5"), "then");
    EXPECT_EQ(when("2-2"), "else");
    EXPECT_EQ(when("%N > 4"), "then");
    EXPECT_EQ(when("%N < 4"), "else");
    EXPECT_EQ(apply(engine::zvxIf, {"0"}), "");
}

TEST_F(EngineMacroTest, IfWithAConditionThatDoesNotParseIsAReportedFailure) {
    EXPECT_THROW(apply(engine::zvxIf, {"abc", "then", "else"}), ExpressionError);
    bool ok = true;
    EXPECT_EQ(store(engine::zvxIf, {"1 +", "then", "else"}, ok), "");
    EXPECT_FALSE(ok);
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXTEST"));
}

TEST_F(EngineMacroTest, CaseRoundsHalvesToEven) {
    const std::vector<std::string> choices = {"", "one", "two", "three", "four"};
    auto pick = [&](const std::string& selector) {
        std::vector<std::string> arguments = choices;
        arguments[0] = selector;
        return apply(engine::zvxCase, arguments);
    };
    EXPECT_EQ(pick("1"), "one");
    EXPECT_EQ(pick("2.5"), "two");
    EXPECT_EQ(pick("3.5"), "four");
    EXPECT_EQ(pick("1.5"), "two");
    EXPECT_EQ(pick("0.5"), "");
    EXPECT_EQ(pick("2.4999"), "two");
    EXPECT_EQ(pick("0"), "");
    EXPECT_EQ(pick("-1"), "");
    EXPECT_EQ(pick("5"), "");
    EXPECT_EQ(pick("10000000000000"), "");
    EXPECT_EQ(pick("%N - 1"), "four");
}

TEST_F(EngineMacroTest, CaseWithoutAFiniteValueIsAReportedFailure) {
    EXPECT_THROW(apply(engine::zvxCase, {"1/0", "a"}), ExpressionError);
    bool ok = true;
    EXPECT_EQ(store(engine::zvxCase, {"x", "a"}, ok), "");
    EXPECT_FALSE(ok);
}

// ---- the FOR loop ------------------------------------------------------------------------

TEST_F(EngineMacroTest, ForJoinsWithTheSeparatorOfItsLetter) {
    auto loop = [&](const std::string& letter) {
        return apply(engine::zvxFor, {"i", "1", "3", "$$i", letter});
    };
    EXPECT_EQ(loop("C"), "1,2,3");
    EXPECT_EQ(loop("c"), "1,2,3");
    EXPECT_EQ(loop("L"), "1\r\n2\r\n3");
    EXPECT_EQ(loop("s"), "1 2 3");
    EXPECT_EQ(loop("N"), "123");
    EXPECT_EQ(loop("X"), "123");
    EXPECT_EQ(loop(""), "123");
    EXPECT_EQ(apply(engine::zvxFor, {"i", "1", "3", "$$i"}), "123");
}

TEST_F(EngineMacroTest, ForEdges) {
    EXPECT_EQ(apply(engine::zvxFor, {"i", "3", "1", "$$i", "C"}), "");
    EXPECT_EQ(apply(engine::zvxFor, {"i", "2147483647", "2147483647", "$$i", "C"}), "2147483647");
    EXPECT_EQ(apply(engine::zvxFor, {"i", "1", "3", "$ZVXSTRCMP( $$i , 2 )", "C"}), "0,1,0");
    for (int i = vars.count(); i < VarTable::kCapacity; ++i)
        ASSERT_TRUE(vars.storeStr("v" + std::to_string(i), "x"));
    EXPECT_EQ(apply(engine::zvxFor, {"j", "1", "3", "$$j", "C"}), "<Too many variables>");
}

}  // namespace
}  // namespace qbx::macros
