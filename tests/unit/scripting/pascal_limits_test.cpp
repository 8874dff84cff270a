// No script can hang the host, overflow its stack or eat its memory: each limit ends the run with
// its own message, and try/except cannot hold a script past one.
#include <gtest/gtest.h>

#include <string>

#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;
using testing::standardEnvironment;

std::string repeat(std::string_view part, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += part;
    return out;
}

TEST(PascalLimits, NestingDepthOfExpressionsAndStatements) {
    EXPECT_EQ(outcome(repeat("(", 199) + "1" + repeat(")", 199)), "1");
    EXPECT_EQ(outcome(repeat("(", 300) + "1" + repeat(")", 300)),
              "!Line 1, column 201: Nesting too deep");
    EXPECT_EQ(outcome(repeat("-", 300) + "1"), "!Line 1, column 201: Nesting too deep");
    EXPECT_EQ(outcome("begin " + repeat("begin ", 300) + repeat("end ", 300) + "end."),
              "!Line 1, column 1201: Nesting too deep");
    EXPECT_EQ(outcome("begin " + repeat("if True then ", 300) + "Result := 1 end."),
              "!Line 1, column 2584: Nesting too deep");
}

// A chain of labels is a chain of statements; a length beyond 32 bits is not cut down to one
// that passes (a 32-bit build's size_t would).
TEST(PascalLimits, LabelChainsAndHugeLengths) {
    std::string labels = "label L0";
    std::string placed;
    for (int i = 1; i < 300; ++i) labels += ", L" + std::to_string(i);
    for (int i = 0; i < 300; ++i) placed += "L" + std::to_string(i) + ": ";
    EXPECT_EQ(outcome(labels + "; begin " + placed + "end."),
              "!Line 1, column 2787: Nesting too deep");
    EXPECT_EQ(outcome("var s: string; begin SetLength(s, 4294967301); Result := Length(s) end."),
              "!Line 1, column 22: Script stopped: string length limit");
}

TEST(PascalLimits, StepBudgetStopsEndlessLoopsEvenInsideTry) {
    Environment env = standardEnvironment();
    env.limits.maxSteps = 100000;
    EXPECT_EQ(outcome("begin while True do ; end.", env),
              "!Line 1, column 13: Script stopped: step limit");
    EXPECT_EQ(outcome("begin\n  repeat\n    try\n      while True do ;\n    except\n    end\n  "
                      "until False\nend.",
                      env),
              "!Line 4, column 13: Script stopped: step limit");
    EXPECT_EQ(outcome("var i: Byte; begin for i := 0 to 300 do ; end.", env),
              "!Line 1, column 38: Script stopped: step limit");
    env.limits.maxSteps = 5;
    EXPECT_EQ(outcome("1+2", env), "3");
}

TEST(PascalLimits, EndlessRecursionStopsAtTheCallDepth) {
    EXPECT_EQ(outcome("procedure P; begin P end; begin P end."),
              "!Line 1, column 20: Script stopped: call depth limit");
    EXPECT_EQ(outcome("function F(n: Integer): Integer; begin try Result := F(n + 1) except Result "
                      ":= 0 end end;\n"
                      "begin Result := F(0) end."),
              "!Line 1, column 54: Script stopped: call depth limit");
    // 199 nested calls are within the limit.
    EXPECT_EQ(outcome("function D(n: Integer): Integer; begin if n = 0 then Result := 0 else "
                      "Result := D(n - 1) + 1 end;\n"
                      "begin Result := D(199) end."),
              "199");
}

TEST(PascalLimits, StringLengthAndStringMemory) {
    Environment env = standardEnvironment();
    env.limits.maxStringLength = 1 << 20;
    env.limits.maxStringMemory = 2 << 20;
    EXPECT_EQ(outcome("var s: String; begin s := 'x'; while True do s := s + s end.", env),
              "!Line 1, column 48: Script stopped: string length limit");
    EXPECT_EQ(outcome("var s: String; begin s := 'x'; while True do s := s + 'y' + s end.", env),
              "!Line 1, column 59: Script stopped: string length limit");
    EXPECT_EQ(outcome("var s: String; begin try while True do s := s + 'abc' except end end.", env),
              "!Line 1, column 42: Script stopped: memory limit");
    EXPECT_EQ(outcome("var a, b, c, d, e, f: String; begin a := 'x'; while Length(a) < 500000 do a "
                      ":= a + a;\n"
                      "b := a + '1'; c := a + '2'; d := a + '3'; e := a + '4'; f := a + '5' end.",
                      env),
              "!Line 2, column 36: Script stopped: memory limit");
}

TEST(PascalLimits, OversizedSourceIsRefused) {
    Environment env = standardEnvironment();
    env.limits.maxSourceLength = 100;
    EXPECT_EQ(outcome(std::string(200, ' '), env), "!Script too large");
}

TEST(PascalLimits, IntegerOverflowWrapsWithoutFault) {
    EXPECT_EQ(outcome("var i: Int64; begin i := 9223372036854775807; i := i * 3; Result := i end."),
              "9223372036854775805");
    EXPECT_EQ(outcome("-9223372036854775807 - 1 div -1"), "-9223372036854775806");
    EXPECT_EQ(outcome("var i: Int64; begin i := -9223372036854775807 - 1; Result := i div -1 end."),
              "-9223372036854775808");
    EXPECT_EQ(outcome("var i: Int64; begin i := -9223372036854775807 - 1; Result := i mod -1 end."),
              "0");
    EXPECT_EQ(outcome("1 shl 70"), "64");
    EXPECT_EQ(outcome("Abs(-9223372036854775807 - 1)"), "-9223372036854775808");
}

}  // namespace
}  // namespace qbx::scripting::pascal
