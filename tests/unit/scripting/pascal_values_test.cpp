// Structured values across runs and calls: a compiled program and an environment are shared by
// every run, so nothing a script does may change them, and every byte a run takes comes back.
#include <gtest/gtest.h>

#include "scripting/pascal/library.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;
using testing::standardEnvironment;

std::string runText(const Program& program, Environment& env) {
    const RunResult result = run(program, env);
    return result.error ? "!" + result.error->text() : toText(result.value);
}

TEST(PascalValues, DefaultsOfAProgramAreFreshInEveryRun) {
    // Each run writes into values that start from the program's shared defaults.
    Environment env = standardEnvironment();
    const CompileResult compiled = compile(
        "type TR = record N: Integer; Tags: array[1..2] of string; end;\n"
        "const Seed: array[0..1] of Integer = (5, 6);\n"
        "var r: TR; g: array[1..2, 1..2] of Integer; s: set of Byte; c: array[0..1] of Integer;\n"
        "begin Result := IntToStr(r.N) + r.Tags[2] + IntToStr(g[2, 2]) + IntToStr(Ord(3 in s)) "
        "+ IntToStr(c[0]);\n"
        "r.N := 9; r.Tags[2] := 'x'; g[2, 2] := 7; Include(s, 3); c := Seed; c[0] := 1 end.",
        env);
    ASSERT_FALSE(compiled.error) << compiled.error->text();
    EXPECT_EQ(runText(*compiled.program, env), "0000");
    EXPECT_EQ(runText(*compiled.program, env), "0000");
}

TEST(PascalValues, ConstantArraysOfTheEnvironmentStayAsTheyAre) {
    Environment env = standardEnvironment();
    EXPECT_EQ(outcome("var m: array[1..12] of string; begin m := LongMonthNames; m[1] := 'x';\n"
                      "Result := m[1] + LongMonthNames[1] end.",
                      env),
              "xJanuary");
    EXPECT_EQ(outcome("begin LongMonthNames[1] := 'x' end.", env),
              "!Line 1, column 7: Cannot assign to 'LongMonthNames'");
    EXPECT_EQ(outcome("LongMonthNames[1]", env), "January");
    const std::vector<Value> names{Value("one"), Value("two")};
    env.addConstantArray("Numbers", 0, names);
    EXPECT_EQ(outcome("Numbers[1] + IntToStr(High(Numbers))", env), "two1");
    DateTimeNames local = englishDateTimeNames();
    local.longMonthNames[0] = "Janvier";
    addCalendarNames(env, local);
    EXPECT_EQ(outcome("LongMonthNames[1] + ShortMonthNames[12]", env), "JanvierDec");
}

TEST(PascalValues, EveryByteARunTakesComesBack) {
    Environment env = standardEnvironment();
    const char* const scripts[] = {
        "var a: array of array of string; i: Integer; begin SetLength(a, 50, 20);\n"
        "for i := 0 to 49 do a[i][3] := IntToStr(i); Result := a[49][3] end.",
        "type TN = record Name: string; Kids: array of Integer; end; var n, m: array of TN;\n"
        "begin SetLength(n, 3); SetLength(n[1].Kids, 4); m := n; m[1].Kids[2] := 5;\n"
        "n := nil; Result := m[1].Kids[2] end.",
        "var a: array of Variant; begin SetLength(a, 2); try a[0] := a except Result := 'no' "
        "end end.",
        "var s: set of Char; begin s := ['a'..'z'] - ['q']; Result := 'q' in s end.",
        "function F(const A: array of Integer): Integer; begin Result := Length(A) end;\n"
        "begin Result := F([1, 2, 3]) + F([]) end.",
    };
    const char* const expected[] = {"49", "5", "no", "False", "3"};
    for (std::size_t i = 0; i < std::size(scripts); ++i) {
        const CompileResult compiled = compile(scripts[i], env);
        ASSERT_FALSE(compiled.error) << compiled.error->text();
        const std::int64_t before = liveStringBytes();
        {
            const RunResult result = run(*compiled.program, env);
            ASSERT_FALSE(result.error) << result.error->text();
            EXPECT_EQ(toText(result.value), expected[i]);
        }
        EXPECT_EQ(liveStringBytes(), before) << scripts[i];
    }
}

TEST(PascalValues, ArraysCountAgainstTheMemoryLimit) {
    Environment env = standardEnvironment();
    env.limits.maxStringMemory = 1 << 20;
    // 65,536 cells of 16 bytes pass the limit; the run ends whatever try blocks surround it.
    EXPECT_EQ(
        outcome("var a: array of Integer;\nbegin try SetLength(a, 70000) except end end.", env),
        "!Line 2, column 11: Script stopped: memory limit");
    EXPECT_EQ(
        outcome("var a: array of Integer; begin SetLength(a, 30000); Result := Length(a) end.",
                env),
        "30000");
    EXPECT_EQ(outcome("var a: array of array of Integer; i: Integer;\n"
                      "begin for i := 1 to 100 do SetLength(a, i, 1000) end.",
                      env),
              "!Line 2, column 28: Script stopped: memory limit");
    // Copies made on a write count too: each element below takes its own 320 KB.
    EXPECT_EQ(outcome("type TBig = array[1..20000] of Integer;\n"
                      "var d: array of TBig; b: TBig; i: Integer;\n"
                      "begin SetLength(d, 10); for i := 0 to 9 do begin d[i] := b;\n"
                      "  d[i][1] := i end end.",
                      env),
              "!Line 4, column 11: Script stopped: memory limit");
    // A program's own templates are bounded while it is compiled.
    EXPECT_EQ(outcome("var a: array[1..40000] of Integer; b: array[1..40000] of Integer;\n"
                      "begin end.",
                      env),
              "!Line 1, column 65: Array too large");
}

TEST(PascalValues, NestedRoutinesReachTheRightFrame) {
    Environment env = standardEnvironment();
    // Each activation of Level sees its own n: the static link, not the caller's frame.
    EXPECT_EQ(outcome("function Level(n: Integer): string;\n"
                      "  function Show: string; begin Result := IntToStr(n) end;\n"
                      "  function Deeper: string; begin if n > 0 then Result := Level(n - 1) "
                      "else Result := '' end;\n"
                      "begin Result := Show + Deeper + Show end;\n"
                      "begin Result := Level(3) end.",
                      env),
              "32100123");
    EXPECT_EQ(outcome("procedure Outer(var total: Integer);\n"
                      "  procedure Add(k: Integer);\n"
                      "    procedure Twice; begin total := total + 2 * k end;\n"
                      "  begin Twice end;\n"
                      "var i: Integer; begin for i := 1 to 3 do Add(i) end;\n"
                      "var t: Integer; begin t := 1; Outer(t); Outer(t); Result := t end.",
                      env),
              "25");
    EXPECT_EQ(outcome("function Count(const A: array of Integer): Integer;\n"
                      "var hits: Integer;\n"
                      "  procedure Visit(i: Integer); begin if A[i] > 2 then Inc(hits) end;\n"
                      "var i: Integer; begin hits := 0; for i := 0 to High(A) do Visit(i);\n"
                      "Result := hits end;\n"
                      "begin Result := Count([1, 5, 3, 2, 9]) end.",
                      env),
              "3");
}

TEST(PascalValues, CallDepthStillBoundsNestedRecursion) {
    Environment env = standardEnvironment();
    env.limits.maxCallDepth = 50;
    EXPECT_EQ(outcome("procedure P;\n  procedure Q; begin P end;\nbegin Q end;\nbegin P end.", env),
              "!Line 2, column 22: Script stopped: call depth limit");
}

}  // namespace
}  // namespace qbx::scripting::pascal
