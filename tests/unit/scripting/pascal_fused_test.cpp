// The hot sequences of loops and calls run through fused instructions: each must give what the
// plain instructions give when its values are of another kind, when a jump lands inside it, and
// when it fails (with the plain instruction's message and position).
#include <gtest/gtest.h>

#include <string>

#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;

void expectAll(std::initializer_list<testing::Case> cases) { testing::expectOutcomes(cases); }

TEST(PascalFused, ComparisonsAndJumps) {
    expectAll({
        // A local against a small constant, a local and a local, two values on the stack.
        {"var n: Integer; begin n := 3; if n < 5 then Result := 'y' else Result := 'n' end.", "y"},
        {"var n: Integer; begin n := 5; if n <> 5 then Result := 'y' else Result := 'n' end.", "n"},
        {"var n, m: Integer; begin n := 4; m := 4; if n >= m then Result := 'y' end.", "y"},
        {"var n: Integer; begin n := -7; if n + 1 > -7 then Result := 'y' end.", "y"},
        // Values of other kinds take the plain way.
        {"var d: Double; begin d := 1.5; if d < 2 then Result := 'y' else Result := 'n' end.", "y"},
        {"var s, t: String; begin s := 'b'; t := 'a'; if s > t then Result := 'y' end.", "y"},
        {"var v: Variant; begin v := 'x'; if v = 1 then Result := 'y' else Result := 'n' end.",
         "!Line 1, column 38: Could not convert variant of type (String) into type (Double)"},
        // The and-jump lands on the JMPF inside a fused comparison.
        {"var n: Integer; b: Boolean; begin n := 3; b := False;\n"
         "if b and (n < 5) then Result := 'y' else Result := 'n' end.",
         "n"},
        {"var n: Integer; b: Boolean; begin n := 3; b := True;\n"
         "if b and (n < 5) then Result := 'y' else Result := 'n' end.",
         "y"},
        {"var n: Integer; b: Boolean; begin n := 9; b := False;\n"
         "if b or (n < 5) then Result := 'y' else Result := 'n' end.",
         "n"},
    });
}

TEST(PascalFused, ArithmeticOnLocalsWrapsToTheDeclaredType) {
    expectAll({
        {"var s, i: Integer; begin s := 2147483647; i := 1; s := s + i; Result := s end.",
         "-2147483648"},
        {"var b: Byte; i: Integer; begin b := 250; i := 10; b := b + i; Result := b end.", "4"},
        {"var c: Cardinal; i: Integer; begin c := 0; i := 1; c := c + -i; Result := c end.",
         "4294967295"},
        {"var x: Int64; begin x := 9223372036854775807; Result := x + 1 end.",
         "-9223372036854775808"},
        {"var x: Int64; begin x := -9223372036854775807; Result := x - 2 end.",
         "9223372036854775807"},
        {"var d: Double; begin d := 1.5; Result := d + 1 end.", "2.5"},
        {"var s: String; begin s := 'a'; Result := s + 1 end.",
         "!Line 1, column 44: Incompatible types: 'String' and 'Integer'"},
        {"var s: String; i: Integer; begin s := 'a'; i := 1; s := s + i end.",
         "!Line 1, column 54: Incompatible types: 'String' and 'Integer'"},
    });
}

TEST(PascalFused, ArrayElements) {
    expectAll({
        {"var a: array[1..3] of Integer; i: Integer; begin a[2] := 7; i := 1;\n"
         "Result := a[i + 1] * 10 + a[i] end.",
         "70"},
        {"var a: array[0..2] of Integer; i: Integer; begin i := 2; Result := a[i + 1] end.",
         "!Line 1, column 69: Range check error"},
        {"var a: array[0..2] of Integer; i: Integer; begin i := -1; Result := a[i] end.",
         "!Line 1, column 70: Range check error"},
        {"var a: array of Integer; i: Integer; begin Result := a[i] end.",
         "!Line 1, column 55: Range check error"},
        // A string indexed like an array.
        {"var s: String; i: Integer; begin s := 'abc'; i := 2; Result := s[i] + s[i + 1] end.",
         "bc"},
        // Stores: a static array copied on its first write, a dynamic one shared.
        {"var a, b: array[0..1] of Integer; begin a[0] := 1; b := a; b[0] := 2;\n"
         "Result := IntToStr(a[0]) + IntToStr(b[0]) end.",
         "12"},
        {"var a, b: array of Integer; begin SetLength(a, 1); b := a; b[0] := 5; Result := a[0] "
         "end.",
         "5"},
        {"var a: array[0..0] of Byte; i: Integer; begin i := 300; a[0] := i; Result := a[0] end.",
         "44"},
        {"var a: array[0..1] of Integer; i: Integer; begin i := 2; a[i] := 1 end.",
         "!Line 1, column 63: Range check error"},
        {"var s: String; i: Integer; begin s := 'abc'; i := 2; s[i] := 'x'; Result := s end.",
         "axc"},
        {"var a: array[0..0] of Integer; v: Variant; begin v := 'x'; a[0] := v end.",
         "!Line 1, column 65: Could not convert variant of type (String) into type (Integer)"},
    });
}

TEST(PascalFused, CopiesBetweenLocalsAndJumpsToTheReturn) {
    expectAll({
        {"var b: Byte; n: Integer; begin n := 300; b := n; Result := b end.", "44"},
        {"var i: Integer; x: Int64; begin x := 4294967297; i := x; Result := i end.", "1"},
        {"var d: Double; n: Integer; begin n := 3; d := n; Result := d / 2 end.", "1.5"},
        {"var s, t: String; begin s := 'ab'; t := s; s := s + 'c'; Result := t + s end.", "ababc"},
        {"function F(n: Integer): String; begin if n > 0 then Result := 'p' else Result := 'n' "
         "end;\n"
         "begin Result := F(1) + F(-1) end.",
         "pn"},
        {"function F(n: Integer): Integer; begin try if n > 0 then Result := 1 else Result := 2\n"
         "finally Result := Result * 10 end end;\n"
         "begin Result := F(1) + F(0) end.",
         "30"},
    });
}

TEST(PascalFused, ArgumentsTakeTheParametersTypes) {
    expectAll({
        {"function F(b: Byte): Integer; begin Result := b end; begin Result := F(300) end.", "44"},
        {"function F(d: Double): Double; begin Result := d / 2 end; begin Result := F(3) end.",
         "1.5"},
        {"function F(n: Integer): Int64; begin Result := n end;\n"
         "begin Result := F(4294967297) end.",
         "1"},
    });
}

TEST(PascalFused, LoopsOfFusedInstructionsStillSpendSteps) {
    Environment env = testing::standardEnvironment();
    env.limits.maxSteps = 100000;
    EXPECT_EQ(outcome("var i, s: Integer; a: array[0..1] of Integer;\n"
                      "begin while True do begin s := s + i; if a[i] < 1 then a[i] := 0 end end.",
                      env)
                  .substr(0, 7),
              "!Line 2");
    EXPECT_NE(outcome("var i, s: Integer; a: array[0..1] of Integer;\n"
                      "begin while True do begin s := s + i; if a[i] < 1 then a[i] := 0 end end.",
                      env)
                  .find("Script stopped: step limit"),
              std::string::npos);
}

}  // namespace
}  // namespace qbx::scripting::pascal
