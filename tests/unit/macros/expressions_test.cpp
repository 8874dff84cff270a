#include "macros/expressions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
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
using Cases = std::vector<std::pair<std::string, std::string>>;

const std::string kDivByZero = "\"<division by zero>\"";
const std::string kUnpaired = "\"<Unpaired brackets!>\"";

template <class F>
void eachText(F f, const Cases& cases) {
    for (const auto& [in, out] : cases) EXPECT_EQ(f(in), out) << in;
}

class ExpressionsTest : public ::testing::Test {
protected:
    ExpressionsTest() {
        strings.reset();
        log.setMirror([this](const std::string& line) { lines.push_back(line); });
    }
    template <class F>
    void each(F f, const Cases& cases) {
        for (const auto& [in, out] : cases) EXPECT_EQ(f(ctx, in), out) << in;
    }
    Log log{Platform{}};
    StringTable strings;
    VarTable vars;
    ExpressionContext ctx{vars, strings, log};
    std::vector<std::string> lines;
};

TEST(ExpressionTokens, SplittingJoiningAndQuoting) {
    // Quoted parts are not split, runs of separators give no empty tokens, a tab separates not.
    EXPECT_THAT(tokenizeExpression("  a\r\n\r\nb   c "), ElementsAre("a", "b", "c"));
    EXPECT_THAT(tokenizeExpression("x\"a b\"y 'c \" d' e"),
                ElementsAre("x\"a b\"y", "'c \" d'", "e"));
    EXPECT_THAT(tokenizeExpression("1 \"open + 2 3"), ElementsAre("1", "\"open + 2 3"));
    EXPECT_THAT(tokenizeExpression("a\tb"), ElementsAre("a\tb"));
    EXPECT_TRUE(tokenizeExpression(" \r\n ").empty());
    // Joining drops empty and control tokens.
    EXPECT_EQ(joinTokens({"", "a", "", "\t", "b\t", "\x01", "c"}), "a b c");
    EXPECT_EQ(joinTokens({}), "");
    EXPECT_EQ(keepTokenRange("a  b c d", 1, 2), "b c");
    EXPECT_EQ(keepTokenRange("a b c", -5, 1) + "|" + keepTokenRange("a b c", 2, 99) + "|" +
                  keepTokenRange("a b c", 2, 1),
              "a b|c|");
    // Texts without inner quotes get the missing outer ones; a quoted text is left alone.
    eachText(quoteText, {{"", "\"\""},
                         {"\"", "\""},
                         {"abc", "\"abc\""},
                         {"\"abc", "\"abc\""},
                         {"abc\"", "\"abc\""},
                         {"\"abc\"", "\"abc\""},
                         {"\"a \"\"b\"\"\"", "\"a \"\"b\"\"\""},
                         {"\"John\" <j@x>", "\"\"\"John\"\" <j@x>\""}});
    // Double quotes first, then single ones; what is no quoted text is left alone.
    eachText(unquoteText, {{"\"\"", ""},
                           {"'x'", "x"},
                           {"\"'x'\"", "x"},
                           {"\"", ""},
                           {"it's", "it's"},
                           {"a\"\"b", "a\"\"b"}});
    // Data with inner quotes is one token and comes back whole.
    for (const std::string data : {"\"John\" <j@x>", "say \"hi\" + $X(1)", "a\"b", "\"\"\"",
                                   "x \"y\" 'z'", "'a\"b'", "a\"\"b", "(\" , \")"}) {
        const std::string quoted = quoteText(data);
        EXPECT_EQ(tokenizeExpression(quoted).size(), 1u) << data;
        EXPECT_EQ(unquoteText(quoted), data);
    }
}

TEST_F(ExpressionsTest, VariableReferences) {
    vars.storeStr("x", "1");
    vars.storeInt("n", -42);
    vars.storeStr("a", "5");
    vars.storeStr("outer", "[$$inner]");
    vars.storeStr("inner", "in");
    vars.storeStr("dollar", "$");
    // Trimmed only when a reference was replaced; a value is data: neither a reference in it
    // nor a "$" at its end that meets the "$name" after it is expanded.
    each(expandVariables, {{"a $$x b", "a 1 b"},
                           {"a $$unknown b", "a  b"},
                           {"$$x2", "12"},
                           {"$$a+1", "5+1"},
                           {" \t$$n ", "-42"},
                           {"$$$x", "$x"},
                           {"  no reference $ here  ", "  no reference $ here  "},
                           {"$$outer!", "[$$inner]!"},
                           {"$$dollar$inner", "$$inner"}});
    // evaluateVars quotes the whole text when a string was used.
    vars.storeStr("name", "John");
    vars.storeInt("five", 5);
    vars.storeStr("empty", "");
    vars.storeStr("from", "\"John\" <j-d@x>");
    each(evaluateVars, {{"$$five + 1", "5 + 1"},
                        {"Hello   $$name !", "\"Hello John !\""},
                        {"$$five+1", ""},
                        {"$$nobody x", "x"},
                        {"$$empty", "\"\""},
                        {"$$from", "\"\"\"John\"\" <j-d@x>\""},
                        {"\"Dear \" + $$name", "\"Dear \" + John\""}});
    EXPECT_THAT(lines,
                IsSupersetOf({"Evaluating vars: $$five + 1", "Result evaluating vars: 5 + 1"}));
}

TEST_F(ExpressionsTest, SelfReferringVariablesExpandOnceAndLongTextsAreCut) {
    vars.storeStr("self", "$$self");
    EXPECT_EQ(expandVariables(ctx, "<$$self>"), "<$$self>");
    vars.storeStr("grow", "abcdefghij$$grow$$grow");
    EXPECT_EQ(expandVariables(ctx, "$$grow"), "abcdefghij$$grow$$grow");
    vars.storeStr("big", std::string(300000, 'b'));
    EXPECT_EQ(expandVariables(ctx, "$$big $$big $$big $$big").size(), kMaxExpressionText);
    EXPECT_THAT(lines, Contains(HasSubstr("Expanding variables: text too long")));
}

TEST_F(ExpressionsTest, DospacesSpacesOperatorsAndKeepsCallHeadsAndQuotedParts) {
    each(dospaces, {{"1+2*(3-4)", "1 + 2 * ( 3 - 4 )  "},
                    {"$ZVXVAR(a,b)", "$ZVXVAR( a , b )  "},
                    {"-5 + 3", "- 5 +  3 "},
                    {"(-5+3)", "( -5 + 3 )  "},
                    {"2.5*x", "2.5 * x "},
                    {"\"a+(b)\"+c", "\"a+(b)\" + c "},
                    {"", "  "},
                    {"\"a\"\"-b\"-c", "\"a\"\"-b\" - c "}});  // a doubled quote is no end
    lines.clear();
    dospaces(ctx, "\"q\"+1");
    EXPECT_THAT(lines, ElementsAre("Dospaces: \"q\"+1", "ISQUOT:  \"q", "NOQUOT:  \"q\"",
                                   "Dospaces result: \"q\" + 1 "));
}

TEST_F(ExpressionsTest, TokenArithmeticIs32BitAndStrictlyLeftToRight) {
    // Odd operands read as zero; a minus before "/" glues to it.
    each(evaluateTokens, {{"2 + 3 * 4", "20"},
                          {"( 2 + 3 ) * 4", "20"},
                          {"2 + ( 3 * 4 )", "14"},
                          {"10 / 3", "3"},
                          {"-7 / 2", "-3"},
                          {"5 / 0", kDivByZero},
                          {"+ 5 + 3", "8"},
                          {"* 5", "0"},
                          {"7", "7"},
                          {"a b", "a b"},
                          {"", ""},
                          {"2147483647 + 1", "-2147483648"},
                          {"-2147483648 - 1", "2147483647"},
                          {"65536 * 65536", "0"},
                          {"-2147483648 / -1", "-2147483648"},
                          {"-2147483648 + 0", "-2147483648"},
                          {"2147483648 + 1", "1"},
                          {"+7 + 007", "14"},
                          {"abc + 2", "2"},
                          {"0x10 + 1", "1"},
                          {"2.5 * 2", "0"},
                          {"- / 3", "-/ 3"},
                          // A quoted operand concatenates whatever the operator.
                          {"\"ab\" + \"cd\"", "\"abcd\""},
                          {"\"a\" + \"long\"", "\"along\""},
                          {"\"x\" * 3", "\"x3\""},
                          {"+ \"a\"", "\"a\""},
                          {"\"Dear \" + John\"", "\"Dear John\""},
                          // Only brackets around the whole expression are checked.
                          {"( ( 1 + 2 )", kUnpaired},
                          {"( 1 + 2", "( 3"},
                          {"( ( 1 + 2 ) * ( 3 ) )", " 9 "},
                          {"( )", "  "},
                          // Rebuilds that change nothing stop.
                          {"a b +", "a b +"},
                          {"( (5 )", "( (5 )"}});
    EXPECT_EQ(evaluateTokens(ctx, dospaces(ctx, "-5 + 3")), "-2");
    EXPECT_EQ(evaluateTokens(ctx, dospaces(ctx, "(-5+3)")), " -2 ");
    EXPECT_FALSE(evaluateTokens(ctx, "x ( (5 ) y").empty());
    // Data quoted on its own joins with other data and comes back whole.
    EXPECT_EQ(unquoteText(evaluateTokens(ctx, quoteText("\"a\" b") + " + " + quoteText("c \"d\""))),
              "\"a\" bc \"d\"");
    strings.set(97, "open \" + 1");
    EXPECT_EQ(evaluateTokens(ctx, "( ( 1 )"), "\"open \"\" + 1\"");
}

TEST_F(ExpressionsTest, ListsPlainWordsAndTheMarkOfEachRule) {
    vars.storeInt("a", 7);
    EXPECT_EQ(evaluateTokens(ctx, "$$a , 2+3"), "7 , 5");
    EXPECT_EQ(evaluateTokens(ctx, "a b c"), " a b c ");
    EXPECT_THAT(lines, Contains(HasSubstr("Result evaluating tokens:  a b c ")));
    lines.clear();
    for (const char* text : {"( 1 )", "- 1 + 2", "+ 1 2 3", "* 1", "+ \"x\" y", "1 + ( 2 ) + 3"})
        evaluateTokens(ctx, text);
    EXPECT_THAT(lines, IsSupersetOf({"Evaluating tokens: ( 1 )", "k=2", "-", "+", "*/", "else", ")",
                                     "synops", "...", "Result evaluating tokens:  1 2 3 "}));
}

TEST_F(ExpressionsTest, LongExpressionsNeitherRecurseDeeplyNorRunForEver) {
    const auto repeat = [](std::string_view part, int times) {
        std::string text;
        for (int i = 0; i < times; ++i) text += part;
        return text;
    };
    EXPECT_EQ(evaluateTokens(ctx, repeat("+ ", 2000) + "5"), "5");
    EXPECT_EQ(evaluateTokens(ctx, "1" + repeat(" + 1", 999)), "1000");
    EXPECT_EQ(evaluateTokens(ctx, repeat("* 1 ", 1000)), std::string(1000, '0'));
    lines.clear();
    EXPECT_FALSE(evaluateTokens(ctx, "1" + repeat(" + 1", 30000)).empty());
    EXPECT_THAT(lines, Contains(HasSubstr("pass limit reached")));
}

TEST_F(ExpressionsTest, NumericEvaluator) {
    vars.storeInt("count", 4);
    vars.storeStr("half", "0.5");
    vars.storeStr("ping", "$$pong");
    vars.storeStr("pong", "$$ping");
    const std::vector<std::pair<std::string, double>> cases = {
        {"3*0.5", 1.5},
        {"2-2", 0},
        {"2.5", 2.5},
        {" 1 + 2 * 3 ", 7},
        {"(1+2)*3", 9},
        {"8/4/2", 1},
        {"2-3-4", -5},
        {"- -3 + +1", 4},
        {"-(2+3)", -5},
        {".5 + 5.", 5.5},
        {"1+1 = 2", 1},
        {"1 <> 1", 0},
        {"2<3", 1},
        {"2 > 3", 0},
        {"3 <= 3", 1},
        {"2 >= 3", 0},
        {"(1 < 2) + (2 < 1)", 1},
        {std::string(200, '(') + "4" + std::string(200, ')'), 4},
        {"$$count * $$half", 2},
        {"$$count>3", 1}};
    for (const auto& [text, value] : cases) EXPECT_EQ(evaluateExpression(ctx, text), value) << text;
    const std::string big = "1" + std::string(300, '0');
    for (const std::string& bad :
         std::vector<std::string>{"",
                                  "   ",
                                  "abc",
                                  "1 +",
                                  "(1",
                                  "1)",
                                  "1 2",
                                  "1/0",
                                  "1/(2-2)",
                                  "1e5",
                                  "1,5",
                                  ".",
                                  "1..2",
                                  "<",
                                  "2 =",
                                  "$$unknown",
                                  "$$ping",
                                  "5 % 2",
                                  "1" + std::string(400, '0'),
                                  big + "*" + big,
                                  "(" + big + "*" + big + ") > 1",
                                  std::string(257, '(') + "1" + std::string(257, ')')}) {
        EXPECT_THROW(evaluateExpression(ctx, bad), ExpressionError) << bad.substr(0, 20);
    }
}

}  // namespace
}  // namespace qbx::macros
