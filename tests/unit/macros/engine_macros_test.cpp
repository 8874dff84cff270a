// The engine's own macros: variables, expressions and conditions, and the FOR loop.
#include "macros/engine_macros.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "macros/dispatcher.h"
#include "macros/expressions.h"
#include "support/macro_fixture.h"

namespace qbx::macros {
namespace {

using namespace engine;

class EngineMacroTest : public test::MacroFixture {
protected:
    EngineMacroTest() {
        data.expander = [](std::string text) {
            for (auto at = text.find("%N"); at != std::string::npos; at = text.find("%N"))
                text.replace(at, 2, "5");
            return text;
        };
    }
    // The branch itself, with these arguments.
    std::string apply(Branch branch, const std::vector<std::string>& arguments) {
        MacroCall call{plugin, &data, &parameters.emplace_back(arguments), "ZVXTEST"};
        return branch(call);
    }
    // The branch as the dispatcher runs it: false when it failed, storing an empty text.
    bool runs(Branch branch, const std::vector<std::string>& arguments) {
        MacroCall call{plugin, &data, &parameters.emplace_back(arguments), "ZVXTEST"};
        data.items.erase(kMacroResultId);
        const bool ok = runBranch(call, branch);
        EXPECT_EQ(data.items.count(kMacroResultId), 1u);
        EXPECT_EQ(data.items[kMacroResultId], "");
        return ok;
    }
    VarTable& vars = plugin.variables;
};

TEST_F(EngineMacroTest, SetMakesAnIntegerOnlyFromTheExactIntegerText) {
    apply(zvxSet, {"v", "1"});
    const int index = vars.find("v");
    for (const auto& [value, type] : std::vector<std::pair<std::string, int>>{{"42", 1},
                                                                              {"-7", 1},
                                                                              {"0", 1},
                                                                              {"2147483647", 1},
                                                                              {"-2147483648", 1},
                                                                              {"042", 0},
                                                                              {"+42", 0},
                                                                              {" 42", 0},
                                                                              {"42 ", 0},
                                                                              {"4.2", 0},
                                                                              {"abc", 0},
                                                                              {"", 0},
                                                                              {"-0", 0},
                                                                              {"-", 0},
                                                                              {"2147483648", 0},
                                                                              {"-2147483649", 0}}) {
        EXPECT_EQ(apply(zvxSet, {"v", value}), "");
        EXPECT_EQ(vars.type("v"), type) << value;
        EXPECT_EQ(apply(zvxVar, {"v"}), value);
    }
    EXPECT_EQ(vars.find("v"), index);
    EXPECT_FALSE(vars.entry(index).noSave);
    EXPECT_EQ(apply(zvxVar, {"absent"}), "");
    EXPECT_EQ(apply(zvxVar, {}), "");
    fillVariables();
    EXPECT_EQ(apply(zvxSet, {"one more", "1"}), "");  // no room: nothing stored, no failure
    EXPECT_EQ(vars.find("one more"), -1);
}

TEST_F(EngineMacroTest, IncAddsTheDeltaToAnIntegerOnly) {
    apply(zvxSet, {"n", "10"});
    EXPECT_EQ(apply(zvxInc, {"n"}), "");
    EXPECT_EQ(vars.text("n"), "11");
    apply(zvxInc, {"n", "-3"});
    apply(zvxInc, {"n", " 2 "});
    EXPECT_EQ(vars.text("n"), "10");
    apply(zvxSet, {"s", "text"});
    apply(zvxInc, {"s", "5"});
    EXPECT_EQ(vars.type("s"), 0);
    EXPECT_EQ(vars.text("s"), "text");
    const int before = vars.count();
    apply(zvxInc, {"absent", "1"});
    EXPECT_EQ(vars.count(), before);
    for (const char* delta : {"abc", "1.5", "2147483648", "+", "0x10"})
        EXPECT_THROW(apply(zvxInc, {"n", delta}), std::invalid_argument) << delta;
    EXPECT_EQ(vars.text("n"), "10");
    EXPECT_FALSE(runs(zvxInc, {"n", "abc"}));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXTEST: 'abc' is not a valid integer"));
}

TEST_F(EngineMacroTest, EvAndEvalExpandVariablesThenCalls) {
    vars.storeInt("x", 1);
    EXPECT_EQ(apply(zvxEv, {"a $$x b $ZVXVER"}), "a 1 b $ZVXVER");
    EXPECT_EQ(apply(zvxEval, {"$ZVXSTRCMP( $$x , 1 )"}), "1");
    EXPECT_EQ(apply(zvxEval, {"$ZVXREPLACE( ab , b , c )"}), "\"ac\"");  // texts stay quoted
}

TEST_F(EngineMacroTest, IfAndCaseChooseAfterHostExpansion) {
    for (const auto& [condition, expected] : std::vector<std::pair<std::string, std::string>>{
             {"3*0.5", "then"}, {"2-2", "else"}, {"%N > 4", "then"}, {"%N < 4", "else"}})
        EXPECT_EQ(apply(zvxIf, {condition, "then", "else"}), expected) << condition;
    EXPECT_EQ(apply(zvxIf, {"0"}), "");
    // The selector is rounded half to even.
    for (const auto& [selector, expected] :
         std::vector<std::pair<std::string, std::string>>{{"1", "one"},
                                                          {"2.5", "two"},
                                                          {"3.5", "four"},
                                                          {"1.5", "two"},
                                                          {"0.5", ""},
                                                          {"2.4999", "two"},
                                                          {"0", ""},
                                                          {"-1", ""},
                                                          {"5", ""},
                                                          {"10000000000000", ""},
                                                          {"%N - 1", "four"}})
        EXPECT_EQ(apply(zvxCase, {selector, "one", "two", "three", "four"}), expected) << selector;
}

TEST_F(EngineMacroTest, ConditionsThatDoNotEvaluateAreReportedFailures) {
    EXPECT_THROW(apply(zvxIf, {"abc", "then", "else"}), ExpressionError);
    EXPECT_THROW(apply(zvxCase, {"1/0", "a"}), ExpressionError);
    EXPECT_FALSE(runs(zvxIf, {"1 +", "then", "else"}));
    EXPECT_FALSE(runs(zvxCase, {"x", "a"}));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXTEST"));
}

TEST_F(EngineMacroTest, ForReadsItsBoundsAndSeparatorLetter) {
    EXPECT_EQ(apply(zvxFor, {"i", "1", "3", "$$i", "L"}), "1\r\n2\r\n3");
    EXPECT_EQ(apply(zvxFor, {"i", "1", "3", "$$i", ""}), "123");
    EXPECT_EQ(apply(zvxFor, {"i", "1", "3", "$$i"}), "123");
    EXPECT_EQ(apply(zvxFor, {"i", "3", "1", "$$i", "C"}), "");
    EXPECT_EQ(apply(zvxFor, {"i", "2147483647", "2147483647", "$$i", "C"}), "2147483647");
}

}  // namespace
}  // namespace qbx::macros
