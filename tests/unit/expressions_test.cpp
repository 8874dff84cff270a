#include "macros/expressions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "core/strings.h"
#include "core/variables.h"

namespace qbx::macros {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsSupersetOf;
using ::testing::Not;

const std::string kDivByZero = "\"<division by zero>\"";
const std::string kUnpaired = "\"<Unpaired brackets!>\"";

class ExpressionsTest : public ::testing::Test {
protected:
    ExpressionsTest() {
        strings.reset();
        log.setMirror([this](const std::string& line) { lines.push_back(line); });
    }

    bool logged(std::string_view part) const {
        for (const auto& line : lines)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }

    Log log{Platform{}};
    StringTable strings;
    VarTable vars;
    ExpressionContext ctx{vars, strings, log};
    std::vector<std::string> lines;
};

// ---- tokens -------------------------------------------------------------------------------

TEST(ExpressionTokens, QuotedPartsAreNotSplitAndRunsOfSeparatorsGiveNoEmptyTokens) {
    EXPECT_THAT(tokenizeExpression("  a\r\n\r\nb   c "), ElementsAre("a", "b", "c"));
    EXPECT_THAT(tokenizeExpression("x\"a b\"y 'c \" d' e"), ElementsAre("x\"a b\"y", "'c \" d'", "e"));
    EXPECT_THAT(tokenizeExpression("1 \"open + 2 3"), ElementsAre("1", "\"open + 2 3"));
    EXPECT_THAT(tokenizeExpression("a\tb"), ElementsAre("a\tb"));  // a tab does not separate
    EXPECT_TRUE(tokenizeExpression(" \r\n ").empty());
}

TEST(ExpressionTokens, JoiningUsesSingleBlanksAndDropsEmptyAndControlTokens) {
    EXPECT_EQ(joinTokens({"", "a", "", "\t", "b\t", "\x01", "c"}), "a b c");
    EXPECT_EQ(joinTokens({}), "");
    EXPECT_EQ(keepTokenRange("a  b c d", 1, 2), "b c");
    EXPECT_EQ(keepTokenRange("a b c", -5, 1), "a b");
    EXPECT_EQ(keepTokenRange("a b c", 2, 99), "c");
    EXPECT_EQ(keepTokenRange("a b c", 2, 1), "");
}

// ---- quoting ------------------------------------------------------------------------------

TEST(ExpressionQuoting, TextsWithoutInnerQuotesGetTheMissingOuterQuotes) {
    EXPECT_EQ(quoteText(""), "\"\"");
    EXPECT_EQ(quoteText("\""), "\"");
    EXPECT_EQ(quoteText("abc"), "\"abc\"");
    EXPECT_EQ(quoteText("\"abc"), "\"abc\"");
    EXPECT_EQ(quoteText("abc\""), "\"abc\"");
    EXPECT_EQ(quoteText("\"abc\""), "\"abc\"");
    EXPECT_EQ(quoteText("\"a \"\"b\"\"\""), "\"a \"\"b\"\"\"");  // already quoted
}

TEST(ExpressionQuoting, UnquotingStripsDoubleThenSingleQuotes) {
    EXPECT_EQ(unquoteText("\"\""), "");
    EXPECT_EQ(unquoteText("'x'"), "x");
    EXPECT_EQ(unquoteText("\"'x'\""), "x");
    EXPECT_EQ(unquoteText("\""), "");
    EXPECT_EQ(unquoteText("it's"), "it's");
    EXPECT_EQ(unquoteText("a\"\"b"), "a\"\"b");  // not a quoted text: left alone
}

TEST(ExpressionQuoting, DataWithInnerQuotesIsOneTokenAndComesBackWhole) {
    EXPECT_EQ(quoteText("\"John\" <j@x>"), "\"\"\"John\"\" <j@x>\"");
    for (const std::string data :
         {"\"John\" <j@x>", "say \"hi\" + $X(1)", "a\"b", "\"\"\"", "x \"y\" 'z'", "'a\"b'",
          "a\"\"b", "(\" , \")"}) {
        const std::string quoted = quoteText(data);
        EXPECT_EQ(tokenizeExpression(quoted).size(), 1u) << data;
        EXPECT_EQ(unquoteText(quoted), data);
    }
}

// ---- variables ----------------------------------------------------------------------------
// These need the variable table (core/variables.cpp).

TEST_F(ExpressionsTest, ExpandVariablesReplacesReferencesAndTrimsOnlyWhenItDid) {
    vars.storeStr("x", "1");
    vars.storeInt("n", -42);
    vars.storeStr("a", "5");
    EXPECT_EQ(expandVariables(ctx, "a $$x b"), "a 1 b");
    EXPECT_EQ(expandVariables(ctx, "a $$unknown b"), "a  b");
    EXPECT_EQ(expandVariables(ctx, "$$x2"), "12");
    EXPECT_EQ(expandVariables(ctx, "$$a+1"), "5+1");
    EXPECT_EQ(expandVariables(ctx, " \t$$n "), "-42");
    EXPECT_EQ(expandVariables(ctx, "  no reference $ here  "), "  no reference $ here  ");
    EXPECT_EQ(expandVariables(ctx, "$$$x"), "$x");  // empty name, then a lone "$"
}

TEST_F(ExpressionsTest, ExpandVariablesFollowsValuesThatReferToOthers) {
    vars.storeStr("outer", "[$$inner]");
    vars.storeStr("inner", "in");
    vars.storeStr("dollar", "$");
    EXPECT_EQ(expandVariables(ctx, "$$outer!"), "[in]!");
    // A value ending in "$" forms a reference with the "$name" after it.
    EXPECT_EQ(expandVariables(ctx, "$$dollar$inner"), "in");
}

TEST_F(ExpressionsTest, SelfReferringVariablesStopAtTheLimitsAndSayWhy) {
    vars.storeStr("self", "$$self");
    EXPECT_EQ(expandVariables(ctx, "<$$self>"), "<$$self>");
    EXPECT_TRUE(logged("Expanding variables: too many references"));

    lines.clear();
    vars.storeStr("grow", "abcdefghij$$grow$$grow");
    const std::string grown = expandVariables(ctx, "$$grow");
    EXPECT_LE(grown.size(), kMaxExpressionText);
    EXPECT_EQ(grown.substr(0, 20), "abcdefghijabcdefghij");
    EXPECT_TRUE(logged("Expanding variables:"));

    vars.storeStr("ping", "$$pong");
    vars.storeStr("pong", "$$ping");
    EXPECT_EQ(evaluateExpression(ctx, "1+1"), 2.0);
    EXPECT_THROW(evaluateExpression(ctx, "$$ping"), ExpressionError);
}

TEST_F(ExpressionsTest, EvaluateVarsQuotesTheWholeTextWhenAStringWasUsed) {
    vars.storeStr("name", "John");
    vars.storeInt("five", 5);
    vars.storeStr("empty", "");
    EXPECT_EQ(evaluateVars(ctx, "$$five + 1"), "5 + 1");
    EXPECT_EQ(evaluateVars(ctx, "Hello   $$name !"), "\"Hello John !\"");
    EXPECT_EQ(evaluateVars(ctx, "$$five+1"), "");  // the name is "five+1"
    EXPECT_EQ(evaluateVars(ctx, "$$nobody x"), "x");
    EXPECT_EQ(evaluateVars(ctx, "$$empty"), "\"\"");
    EXPECT_EQ(evaluateVars(ctx, "\"Dear \" + $$name"), "\"Dear \" + John\"");
    EXPECT_THAT(lines, IsSupersetOf({"Evaluating vars: $$five + 1", "Result evaluating vars: 5 + 1"}));
}

TEST_F(ExpressionsTest, AStringValueWithQuotesStaysDataThroughTheTemplateSteps) {
    vars.storeStr("from", "\"John\" <j-d@x>");
    const std::string expanded = evaluateVars(ctx, "$$from");
    EXPECT_EQ(expanded, "\"\"\"John\"\" <j-d@x>\"");
    // The nested-call step between spacing and evaluation joins the tokens again.
    const auto tokens = tokenizeExpression(dospaces(ctx, expanded));
    EXPECT_EQ(tokens.size(), 1u);
    EXPECT_EQ(unquoteText(evaluateTokens(ctx, joinTokens(tokens))), "\"John\" <j-d@x>");

    vars.storeStr("title", "Say \"Hello\"");
    const std::string spaced = dospaces(ctx, evaluateVars(ctx, "Now: $$title"));
    EXPECT_EQ(unquoteText(evaluateTokens(ctx, joinTokens(tokenizeExpression(spaced)))),
              "Now: Say \"Hello\"");
}

// ---- spacing ------------------------------------------------------------------------------

TEST_F(ExpressionsTest, DospacesSpacesOperatorsAndKeepsCallHeadsAndQuotedParts) {
    EXPECT_EQ(dospaces(ctx, "1+2*(3-4)"), "1 + 2 * ( 3 - 4 )  ");
    EXPECT_EQ(dospaces(ctx, "$ZVXVAR(a,b)"), "$ZVXVAR( a , b )  ");
    EXPECT_EQ(dospaces(ctx, "-5 + 3"), "- 5 +  3 ");
    EXPECT_EQ(dospaces(ctx, "(-5+3)"), "( -5 + 3 )  ");
    EXPECT_EQ(dospaces(ctx, "2.5*x"), "2.5 * x ");
    EXPECT_EQ(dospaces(ctx, "\"a+(b)\"+c"), "\"a+(b)\" + c ");
    EXPECT_EQ(dospaces(ctx, "\"a\"\"-b\"-c"), "\"a\"\"-b\" - c ");  // a doubled quote is no end
    EXPECT_EQ(dospaces(ctx, ""), "  ");
}

TEST_F(ExpressionsTest, DospacesLogsEachStage) {
    dospaces(ctx, "\"q\"+1");
    EXPECT_THAT(lines, ElementsAre("Dospaces: \"q\"+1", "ISQUOT:  \"q", "NOQUOT:  \"q\"",
                                   "Dospaces result: \"q\" + 1 "));
}

// ---- token evaluation ---------------------------------------------------------------------

TEST_F(ExpressionsTest, ArithmeticRunsStrictlyLeftToRight) {
    EXPECT_EQ(evaluateTokens(ctx, "2 + 3 * 4"), "20");
    EXPECT_EQ(evaluateTokens(ctx, "( 2 + 3 ) * 4"), "20");
    EXPECT_EQ(evaluateTokens(ctx, "2 + ( 3 * 4 )"), "14");
    EXPECT_EQ(evaluateTokens(ctx, "10 / 3"), "3");
    EXPECT_EQ(evaluateTokens(ctx, "-7 / 2"), "-3");
    EXPECT_EQ(evaluateTokens(ctx, "5 / 0"), kDivByZero);
    EXPECT_EQ(evaluateTokens(ctx, dospaces(ctx, "-5 + 3")), "-2");
    EXPECT_EQ(evaluateTokens(ctx, dospaces(ctx, "(-5+3)")), " -2 ");
    EXPECT_EQ(evaluateTokens(ctx, "+ 5 + 3"), "8");
    EXPECT_EQ(evaluateTokens(ctx, "* 5"), "0");
    EXPECT_EQ(evaluateTokens(ctx, "7"), "7");
    EXPECT_EQ(evaluateTokens(ctx, "a b"), "a b");
    EXPECT_EQ(evaluateTokens(ctx, ""), "");
}

TEST_F(ExpressionsTest, ArithmeticIs32BitAndOddOperandsReadAsZero) {
    EXPECT_EQ(evaluateTokens(ctx, "2147483647 + 1"), "-2147483648");
    EXPECT_EQ(evaluateTokens(ctx, "-2147483648 - 1"), "2147483647");
    EXPECT_EQ(evaluateTokens(ctx, "65536 * 65536"), "0");
    EXPECT_EQ(evaluateTokens(ctx, "-2147483648 / -1"), "-2147483648");
    EXPECT_EQ(evaluateTokens(ctx, "-2147483648 + 0"), "-2147483648");
    EXPECT_EQ(evaluateTokens(ctx, "2147483648 + 1"), "1");  // out of range: 0
    EXPECT_EQ(evaluateTokens(ctx, "+7 + 007"), "14");
    EXPECT_EQ(evaluateTokens(ctx, "abc + 2"), "2");
    EXPECT_EQ(evaluateTokens(ctx, "0x10 + 1"), "1");
    EXPECT_EQ(evaluateTokens(ctx, "2.5 * 2"), "0");
    EXPECT_EQ(evaluateTokens(ctx, "- / 3"), "-/ 3");  // the minus glues to "/"
}

TEST_F(ExpressionsTest, AQuotedOperandConcatenatesWhateverTheOperator) {
    EXPECT_EQ(evaluateTokens(ctx, "\"ab\" + \"cd\""), "\"abcd\"");
    EXPECT_EQ(evaluateTokens(ctx, "\"a\" + \"long\""), "\"along\"");
    EXPECT_EQ(evaluateTokens(ctx, "\"x\" * 3"), "\"x3\"");
    EXPECT_EQ(evaluateTokens(ctx, "+ \"a\""), "\"a\"");
    EXPECT_EQ(evaluateTokens(ctx, "\"Dear \" + John\""), "\"Dear John\"");
    // Data quoted on its own joins with other data and comes back whole.
    const std::string joined =
        evaluateTokens(ctx, quoteText("\"a\" b") + " + " + quoteText("c \"d\""));
    EXPECT_EQ(unquoteText(joined), "\"a\" bc \"d\"");
}

TEST_F(ExpressionsTest, OnlyBracketsAroundTheWholeExpressionAreChecked) {
    EXPECT_EQ(evaluateTokens(ctx, "( ( 1 + 2 )"), kUnpaired);
    EXPECT_EQ(evaluateTokens(ctx, "( 1 + 2"), "( 3");
    EXPECT_EQ(evaluateTokens(ctx, "( ( 1 + 2 ) * ( 3 ) )"), " 9 ");
    EXPECT_EQ(evaluateTokens(ctx, "( )"), "  ");
    strings.set(97, "open \" + 1");
    EXPECT_EQ(evaluateTokens(ctx, "( ( 1 )"), "\"open \"\" + 1\"");
}

TEST_F(ExpressionsTest, ListsAndPlainWords) {
    vars.storeInt("a", 7);
    EXPECT_EQ(evaluateTokens(ctx, "$$a , 2+3"), "7 , 5");
    EXPECT_EQ(evaluateTokens(ctx, "a b c"), " a b c ");
    EXPECT_TRUE(logged("Result evaluating tokens:  a b c "));
}

TEST_F(ExpressionsTest, EachRuleLogsItsMark) {
    evaluateTokens(ctx, "( 1 )");
    evaluateTokens(ctx, "- 1 + 2");
    evaluateTokens(ctx, "+ 1 2 3");
    evaluateTokens(ctx, "* 1");
    evaluateTokens(ctx, "+ \"x\" y");
    evaluateTokens(ctx, "1 + ( 2 ) + 3");
    EXPECT_THAT(lines, IsSupersetOf({"Evaluating tokens: ( 1 )", "k=2", "-", "+", "*/", "else",
                                     ")", "synops", "...", "Result evaluating tokens:  1 2 3 "}));
}

TEST_F(ExpressionsTest, RebuildsThatChangeNothingStop) {
    EXPECT_EQ(evaluateTokens(ctx, "a b +"), "a b +");
    EXPECT_EQ(evaluateTokens(ctx, "( (5 )"), "( (5 )");
    const std::string inner = evaluateTokens(ctx, "x ( (5 ) y");
    EXPECT_FALSE(inner.empty());
}

TEST_F(ExpressionsTest, LongExpressionsNeitherRecurseDeeplyNorRunForEver) {
    std::string pluses;
    for (int i = 0; i < 2000; ++i) pluses += "+ ";
    EXPECT_EQ(evaluateTokens(ctx, pluses + "5"), "5");

    std::string sum = "1";
    for (int i = 0; i < 999; ++i) sum += " + 1";
    EXPECT_EQ(evaluateTokens(ctx, sum), "1000");

    std::string stars;
    for (int i = 0; i < 1000; ++i) stars += "* 1 ";
    EXPECT_EQ(evaluateTokens(ctx, stars), std::string(1000, '0'));

    lines.clear();
    std::string huge = "1";
    for (int i = 0; i < 30000; ++i) huge += " + 1";
    const std::string partial = evaluateTokens(ctx, huge);
    EXPECT_FALSE(partial.empty());
    EXPECT_TRUE(logged("pass limit reached"));
}

// ---- numeric evaluator --------------------------------------------------------------------

TEST_F(ExpressionsTest, NumericEvaluatorHasPrecedenceDecimalsAndComparisons) {
    EXPECT_EQ(evaluateExpression(ctx, "3*0.5"), 1.5);
    EXPECT_EQ(evaluateExpression(ctx, "2-2"), 0.0);
    EXPECT_EQ(evaluateExpression(ctx, "2.5"), 2.5);
    EXPECT_EQ(evaluateExpression(ctx, " 1 + 2 * 3 "), 7.0);
    EXPECT_EQ(evaluateExpression(ctx, "(1+2)*3"), 9.0);
    EXPECT_EQ(evaluateExpression(ctx, "8/4/2"), 1.0);
    EXPECT_EQ(evaluateExpression(ctx, "2-3-4"), -5.0);
    EXPECT_EQ(evaluateExpression(ctx, "- -3 + +1"), 4.0);
    EXPECT_EQ(evaluateExpression(ctx, "-(2+3)"), -5.0);
    EXPECT_EQ(evaluateExpression(ctx, ".5 + 5."), 5.5);
    EXPECT_EQ(evaluateExpression(ctx, "1+1 = 2"), 1.0);
    EXPECT_EQ(evaluateExpression(ctx, "1 <> 1"), 0.0);
    EXPECT_EQ(evaluateExpression(ctx, "2<3"), 1.0);
    EXPECT_EQ(evaluateExpression(ctx, "2 > 3"), 0.0);
    EXPECT_EQ(evaluateExpression(ctx, "3 <= 3"), 1.0);
    EXPECT_EQ(evaluateExpression(ctx, "2 >= 3"), 0.0);
    EXPECT_EQ(evaluateExpression(ctx, "(1 < 2) + (2 < 1)"), 1.0);
    std::string nested = std::string(200, '(') + "4" + std::string(200, ')');
    EXPECT_EQ(evaluateExpression(ctx, nested), 4.0);
}

TEST_F(ExpressionsTest, NumericEvaluatorRejectsAnythingElse) {
    for (const std::string bad :
         {"", "   ", "abc", "1 +", "(1", "1)", "1 2", "1/0", "1/(2-2)", "1e5", "1,5", ".", "1..2",
          "<", "2 =", "$$unknown", "5 % 2"}) {
        EXPECT_THROW(evaluateExpression(ctx, bad), ExpressionError) << bad;
    }
    EXPECT_THROW(evaluateExpression(ctx, std::string(257, '(') + "1" + std::string(257, ')')),
                 ExpressionError);
    EXPECT_THROW(evaluateExpression(ctx, "1" + std::string(400, '0')), ExpressionError);
    const std::string big = "1" + std::string(300, '0');
    EXPECT_THROW(evaluateExpression(ctx, big + "*" + big), ExpressionError);
    EXPECT_THROW(evaluateExpression(ctx, "(" + big + "*" + big + ") > 1"), ExpressionError);
}

TEST_F(ExpressionsTest, NumericEvaluatorReadsVariables) {
    vars.storeInt("count", 4);
    vars.storeStr("half", "0.5");
    EXPECT_EQ(evaluateExpression(ctx, "$$count * $$half"), 2.0);
    EXPECT_EQ(evaluateExpression(ctx, "$$count>3"), 1.0);
}

}  // namespace
}  // namespace qbx::macros
