// Small scripts and what they give: the value as text, or "!" and the error with its place.
#include <gtest/gtest.h>

#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;

void runTable(std::initializer_list<testing::Case> cases) { testing::expectOutcomes(cases); }

TEST(PascalGolden, BareExpressions) {
    runTable({
        {"2*2+(122.34-54.67)*123.5", "8361.245"},
        {"7 div 2", "3"},
        {"-7 div 2", "-3"},
        {"-7 mod 3", "-1"},
        {"7 / 2", "3.5"},
        {"6 / 2", "3"},
        {"1 / 3", "0.333333333333333"},
        {"2 / 3", "0.666666666666667"},
        {"0.1 + 0.2", "0.3"},
        {"1.5e-7", "1.5E-7"},
        {"100000.0", "100000"},
        {"1e15", "1E15"},
        {"1e14", "100000000000000"},
        {"0.0001", "0.0001"},
        {"0.00001", "1E-5"},
        {"-2.5", "-2.5"},
        {"123456789012345678.0", "1.23456789012346E17"},
        {"$FF + $10", "271"},
        {"1 shl 10", "1024"},
        {"1 shl 40", "1099511627776"},  // counts are taken modulo 64, not 32
        {"(1 shl 62) shr 40", "4194304"},
        {"1024 shr 3", "128"},
        {"6 and 3", "2"},
        {"6 or 3", "7"},
        {"6 xor 3", "5"},
        {"not 0", "-1"},
        {"not True", "False"},
        {"True and False", "False"},
        {"True xor True", "False"},
        {"1 < 2", "True"},
        {"2.5 >= 2", "True"},
        {"'abc' < 'abd'", "True"},
        {"'a' = 'a'", "True"},
        {"1 = 1.0", "True"},
        {"3 <> 4", "True"},
        {"'It''s'", "It's"},
        {"'a'#13#10'b'", "a\r\nb"},
        {"#$41#66'c'", "ABc"},
        {"", ""},
        {"  { only a comment }  ", ""},
        {"9223372036854775807 + 1", "-9223372036854775808"},
        // Precedence: "not" binds tightest, then the multiplying operators (shl, and), then +/or.
        {"not 1 = 2", "False"},
        {"True or False and False", "True"},
        {"1 + 2 * 3 = 7", "True"},
        {"2 + 3 shl 1", "8"},
        {"-2 * -3", "6"},
        {"(* block *) 1 // line\n + { brace } 2", "3"},
    });
}

TEST(PascalGolden, OperatorErrors) {
    runTable({
        {"1 div 0", "!Line 1, column 3: Division by zero"},
        {"1 mod 0", "!Line 1, column 3: Division by zero"},
        {"1 / 0", "!Line 1, column 3: Division by zero"},
        {"1.5 / 0.0", "!Line 1, column 5: Division by zero"},
        {"1e300 * 1e300", "!Line 1, column 7: Floating point overflow"},
        {"'a' + 1", "!Line 1, column 5: Incompatible types: 'String' and 'Integer'"},
        {"1.5 div 2", "!Line 1, column 5: Incompatible types: 'Double' and 'Integer'"},
        {"True + 1", "!Line 1, column 6: Incompatible types: 'Boolean' and 'Integer'"},
        {"Sqrt(-1)", "!Line 1, column 1: Invalid floating point operation"},
        {"foo + 1", "!Line 1, column 1: Undeclared identifier: 'foo'"},
        {"2 +", "!Line 1, column 4: Expression expected but end of script found"},
        {"'abc", "!Line 1, column 5: Unterminated string"},
        {"#300", "!Line 1, column 4: Character code out of range"},
        {"99999999999999999999", "!Line 1, column 21: Integer constant too large"},
        {"1 { open", "!Line 1, column 9: Unterminated comment"},
        {"1 ? 2", "!Line 1, column 3: Illegal character in script (#63)"},
    });
}

TEST(PascalGolden, ProgramsAndStatements) {
    runTable({
        {"begin Result := 42 end.", "42"},
        {"begin end.", ""},
        {"program P; uses SysUtils, Windows; begin Result := 'ok' end.", "ok"},
        {"var i: Integer; begin i := 5; if i > 3 then Result := 'big' else Result := 'small' end.",
         "big"},
        {"var i, s: Integer; begin s := 0; for i := 1 to 10 do s := s + i; Result := s end.", "55"},
        {"var i: Integer; s: String; begin for i := 3 downto 1 do s := s + IntToStr(i); Result := "
         "s end.",
         "321"},
        {"var i: Integer; begin i := 0; while i < 100 do i := i + 7; Result := i end.", "105"},
        {"var i: Integer; begin i := 0; repeat Inc(i) until i >= 5; Result := i end.", "5"},
        {"var c: Char; s: String; begin for c := 'a' to 'e' do s := s + c; Result := s end.",
         "abcde"},
        {"var i, s: Integer; begin for i := 1 to 10 do begin if i = 3 then continue; if i = 6 then "
         "break; "
         "s := s + i end; Result := s end.",
         "12"},  // 1+2+4+5
        {"var i, s: Integer; begin i := 0; while True do begin Inc(i); if i mod 2 = 0 then "
         "continue; "
         "if i > 9 then break; s := s + i end; Result := s end.",
         "25"},
        {"var i: Integer; begin i := 10; for i := 5 to 1 do Result := 'ran'; Result := Result + "
         "'done' end.",
         "done"},
        {"const N = 4; Greeting = 'hi'; var x: Double; begin x := N / 8; Result := Greeting + "
         "FloatToStr(x) end.",
         "hi0.5"},
        {"var s: String = 'init'; begin Result := s end.", "init"},
        {"var s: String; begin s := 'abc'; s[2] := 'X'; Result := s + s[3] end.", "aXcc"},
        {"Result := 6 * 7", "42"},
        {"var i: Integer; begin i := 2147483647; i := i + 1; Result := i end.", "-2147483648"},
        {"var b: Byte; begin b := 255; Inc(b); Result := b end.", "0"},
        {"var w: Cardinal; begin w := -1; Result := w end.", "4294967295"},
        {"var d: Double; begin d := 3; Result := d / 2 end.", "1.5"},
        {"var i: Integer; begin i := 'x' end.",
         "!Line 1, column 25: Incompatible types: 'Integer' and 'String'"},
        {"var i: Integer; begin i := 1.5 end.",
         "!Line 1, column 25: Incompatible types: 'Integer' and 'Double'"},
        {"begin if 1 then Result := 2 end.",
         "!Line 1, column 10: Incompatible types: 'Boolean' and 'Integer'"},
        {"begin Result := 1; exit; Result := 2 end.", "1"},
        {"begin x := 1 end.", "!Line 1, column 7: Undeclared identifier: 'x'"},
        {"procedure A; procedure B; begin Result := 'b' end; begin B end; begin A end.", "b"},
        {"const N = 1; begin N := 2 end.", "!Line 1, column 20: Cannot assign to constant 'N'"},
        {"begin break end.", "!Line 1, column 13: BREAK outside of a loop"},
        {"var i: Integer; i: String; begin end.", "!Line 1, column 17: Identifier redeclared: 'i'"},
        {"var q: Foo; begin end.", "!Line 1, column 8: Undeclared identifier: 'Foo'"},
        {"begin Result := 1 end. garbage",
         "!Line 1, column 24: Unexpected text after the end of the program"},
        {"begin\n  Result := 1;\n  Result := Result div 0\nend.",
         "!Line 3, column 20: Division by zero"},
        {"var i: Integer;\nbegin\n  Result := 1\n  i := 2\nend.",
         "!Line 4, column 3: ';' expected but identifier found"},
    });
}

TEST(PascalGolden, CaseStatement) {
    const char* program =
        "function Kind(v: Variant): String;\n"
        "begin case v of 1, 2: Result := 'small'; 3..9: Result := 'digit'; else Result := 'other'; "
        "end; end;\n"
        "function Letter(c: String): String;\n"
        "begin case c of 'a': Result := 'letter a'; 'x'..'z', 'hello': Result := 'late letter' end "
        "end;\n"
        "begin Result := Kind(2) + ',' + Kind(5) + ',' + Letter('a') + ','"
        " + Letter('y') + Letter('hello') + ',' + Kind(100) end.";
    EXPECT_EQ(outcome(program), "small,digit,letter a,late letterlate letter,other");
    EXPECT_EQ(outcome("begin case 5 of 1: Result := 1; end; Result := Result + 0 end."), "0");
}

TEST(PascalGolden, RoutinesAndParameters) {
    runTable({
        {"function Fib(n: Integer): Integer;\n"
         "begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2) end;\n"
         "begin Result := Fib(20) end.",
         "6765"},
        {"function Twice(x: Integer): Integer; begin Twice := x * 2 end; begin Result := Twice(21) "
         "end.",
         "42"},
        {"procedure Swap(var a, b: Integer); var t: Integer; begin t := a; a := b; b := t end;\n"
         "var x, y: Integer; begin x := 1; y := 2; Swap(x, y); Result := IntToStr(x) + IntToStr(y) "
         "end.",
         "21"},
        {"procedure Add(var acc: Integer; const n: Integer); begin acc := acc + n end;\n"
         "procedure Twice(var v: Integer); begin Add(v, v) end;\n"
         "var x: Integer; begin x := 5; Twice(x); Result := x end.",
         "10"},
        {"procedure Bump(n: Integer); begin n := n + 1 end; var x: Integer; begin x := 1; Bump(x); "
         "Result := x end.",
         "1"},
        {"var counter: Integer; procedure Tick; begin counter := counter + 1 end;\n"
         "begin Tick; Tick(); Tick; Result := counter end.",
         "3"},
        {"function Half(x: Double): Double; begin Result := x / 2 end; begin Result := Half(3) "
         "end.",
         "1.5"},
        {"function Empty: String; begin end; begin Result := '[' + Empty + ']' end.", "[]"},
        {"function F(n: Integer): Integer; begin Result := 1; if n > 0 then exit; Result := 2 "
         "end;\n"
         "begin Result := F(1) * 10 + F(0) end.",
         "12"},
        {"function F: Integer; begin Exit(7); Result := 1 end; begin Result := F end.", "7"},
        {"procedure P; begin Result := 'set by procedure' end; begin P end.", "set by procedure"},
        // Program variables reached from inside routines: by reference, as loop variable, appended
        // to.
        {"var g: Integer; s: String; procedure AddTwo(var v: Integer); begin v := v + 2 end;\n"
         "function SumTo(n: Integer): Integer; begin for g := 1 to n do begin Result := Result + "
         "g; s := s + 'x' end end;\n"
         "procedure P; begin AddTwo(g); Inc(g) end;\n"
         "begin Result := IntToStr(SumTo(4)) + ':' + IntToStr(g) + s; P; Result := Result + ':' + "
         "IntToStr(g) end.",
         "10:4xxxx:7"},
        {"procedure P(var x: Integer); begin end; begin P(1) end.",
         "!Line 1, column 49: Variable required for parameter 1 of 'P'"},
        {"procedure P(x: Integer); begin end; begin P end.",
         "!Line 1, column 43: Not enough actual parameters for 'P'"},
        {"procedure P(x: Integer); begin end; begin P(1, 2) end.",
         "!Line 1, column 48: Too many actual parameters for 'P'"},
        {"procedure P; begin end; begin Result := P end.",
         "!Line 1, column 41: Procedure 'P' has no value"},
        {"begin Inc(5) end.", "!Line 1, column 7: Variable required for parameter 1 of 'Inc'"},
        {"begin Copy('a') end.", "!Line 1, column 7: Not enough actual parameters for 'Copy'"},
    });
}

TEST(PascalGolden, Exceptions) {
    runTable({
        {"begin try raise Exception.Create('boom'); Result := 'not here' except Result := 'caught' "
         "end end.",
         "caught"},
        {"begin try Result := 1 div 0 except on E: Exception do Result := 'E: ' + E.Message end "
         "end.",
         "E: Division by zero"},
        {"type EMine = class(Exception); EOther = class(Exception);\n"
         "begin try raise EMine.Create('x') except on E: EOther do Result := 'other'; on E: EMine "
         "do "
         "Result := E.ClassName + ' ' + E.Message end end.",
         "EMine x"},
        {"type EMine = class(Exception); EOther = class(Exception);\n"
         "begin try raise EMine.Create('x') except on EOther do Result := 'other' else Result := "
         "'else' end end.",
         "else"},
        {"type EMine = class(Exception); EOther = class(Exception);\n"
         "begin try raise EMine.Create('unhandled') except on EOther do Result := 'other' end end.",
         "!Line 2, column 11: unhandled"},
        {"var s: String; begin try try s := 'a'; raise Exception.Create('inner') finally s := s + "
         "'f' end "
         "except on E: Exception do s := s + E.Message end; Result := s end.",
         "afinner"},
        {"var s: String; begin try s := 'a' finally s := s + 'b' end; Result := s end.", "ab"},
        {"begin try raise Exception.Create('first') except raise end end.",
         "!Line 1, column 11: first"},
        {"begin\n  try\n    raise Exception.Create('kept place')\n  finally\n    Result := 1\n  "
         "end\nend.",
         "!Line 3, column 5: kept place"},
        {"var i, s: Integer; begin for i := 1 to 5 do try if i = 3 then break; s := s + i finally "
         "s := s + 100 end; "
         "Result := s end.",
         "303"},  // 1 + 2 and three finally runs
        {"var i, s: Integer; begin for i := 1 to 4 do try if i mod 2 = 0 then continue; s := s + i "
         "except end; "
         "Result := s end.",
         "4"},
        {"function F: String; begin try Result := 'body'; exit finally Result := Result + "
         "'+finally' end; "
         "Result := 'after' end; begin Result := F end.",
         "body+finally"},
        {"function Boom(n: Integer): Integer; begin if n = 0 then raise Exception.Create('deep'); "
         "Result := Boom(n - 1) end;\n"
         "begin try Result := Boom(50) except on E: Exception do Result := 'caught ' + E.Message "
         "end end.",
         "caught deep"},
        {"begin try raise Exception.Create('a'#0'b') except on E: Exception do Result := "
         "Length(E.Message) end end.",
         "3"},
        {"begin raise end.",
         "!Line 1, column 7: Re-raising an exception is only allowed in an exception handler"},
        {"begin try StrToInt('12x') except on E: EConvertError do Result := E.Message end end.",
         "'12x' is not a valid integer value"},
    });
}

TEST(PascalGolden, RuntimeLibrary) {
    runTable({
        {"Copy('abcdef', 2, 3)", "bcd"},
        {"Copy('abc', 0, 2)", "ab"},
        {"Copy('abc', 3, 100)", "c"},
        {"Copy('abc', 5, 1)", ""},
        {"Copy('abc', 2, -1)", ""},
        {"Pos('cd', 'abcdef')", "3"},
        {"Pos('x', 'abc')", "0"},
        {"Pos('', 'abc')", "0"},
        {"IntToStr(-42)", "-42"},
        {"StrToInt(' 12') + 1", "13"},
        {"StrToInt('$1F')", "31"},
        {"StrToInt('$FFFFFFFF')", "-1"},  // hexadecimal takes all 32 bits
        {"StrToInt('0x10') + StrToInt('-$1')", "15"},
        {"StrToInt('-2147483648')", "-2147483648"},
        {"StrToInt('2147483648')", "!Line 1, column 1: '2147483648' is not a valid integer value"},
        {"StrToIntDef('x', 7)", "7"},
        {"StrToIntDef('8', 7)", "8"},
        {"FloatToStr(1/4)", "0.25"},
        {"Chr(65) + Chr(321)", "AA"},
        {"Ord('a') + Ord(True)", "98"},
        {"UpperCase('abc\xE0')", "ABC\xE0"},
        {"AnsiUpperCase('abc\xE0')", "ABC\xC0"},
        {"LowerCase('ABC')", "abc"},
        {"'[' + Trim(#9'  x y '#13#10) + ']'", "[x y]"},
        {"Abs(-5) + Abs(-2.5)", "7.5"},
        {"Round(2.5)", "2"},
        {"Round(3.5)", "4"},
        {"Round(-2.5)", "-2"},
        {"Round(2.6)", "3"},
        {"Trunc(-2.7)", "-2"},
        {"Round(1e30)", "!Line 1, column 1: Invalid floating point operation"},
        {"Sqrt(16)", "4"},
        {"var i: Integer; begin i := 5; Inc(i, 10); Dec(i); Result := i end.", "14"},
        {"Length(Copy('x', 1, 1))", "1"},
    });
}

TEST(PascalGolden, OrdinaryProgramsWithTypes) {
    runTable({
        {"program Sieve;\n"
         "const Max = 50;\n"
         "var composite: array[2..Max] of Boolean; i, j: Integer; s: string;\n"
         "begin\n"
         "  for i := 2 to Max do\n"
         "    if not composite[i] then begin\n"
         "      s := s + IntToStr(i) + ' ';\n"
         "      j := i * i;\n"
         "      while j <= Max do begin composite[j] := True; j := j + i end\n"
         "    end;\n"
         "  Result := Trim(s)\n"
         "end.",
         "2 3 5 7 11 13 17 19 23 29 31 37 41 43 47"},
        {"type TStudent = record Name: string; Marks: array[1..3] of Integer; end;\n"
         "  TClass = array of TStudent;\n"
         "function Average(const s: TStudent): Double;\n"
         "var m: Integer; begin Result := 0; for m in s.Marks do Result := Result + m;\n"
         "  Result := Result / Length(s.Marks) end;\n"
         "procedure Add(var c: TClass; const n: string; a, b, d: Integer);\n"
         "begin SetLength(c, Length(c) + 1);\n"
         "  with c[High(c)] do begin Name := n; Marks[1] := a; Marks[2] := b; Marks[3] := d end\n"
         "end;\n"
         "var c: TClass; i, best: Integer;\n"
         "begin Add(c, 'Ann', 5, 4, 5); Add(c, 'Bob', 3, 3, 4); Add(c, 'Eve', 5, 5, 5);\n"
         "  best := Low(c);\n"
         "  for i := Low(c) + 1 to High(c) do if Average(c[i]) > Average(c[best]) then best := i;\n"
         "  Result := c[best].Name + ' ' + FloatToStr(Average(c[1]))\n"
         "end.",
         "Eve 3.33333333333333"},
        {"type TMatrix = array[1..2, 1..2] of Integer;\n"
         "function Mul(const a, b: TMatrix): TMatrix; var i, j, k: Integer;\n"
         "begin for i := 1 to 2 do for j := 1 to 2 do begin Result[i, j] := 0;\n"
         "  for k := 1 to 2 do Result[i, j] := Result[i, j] + a[i, k] * b[k, j] end end;\n"
         "const F: TMatrix = ((1, 1), (1, 0));\n"
         "var m: TMatrix; n: Integer;\n"
         "begin m := F; for n := 1 to 9 do m := Mul(m, F); Result := m[1, 2] end.",
         "55"},
        {"type TSuit = (Clubs, Diamonds, Hearts, Spades);\n"
         "const Names: array[TSuit] of string = ('C', 'D', 'H', 'S');\n"
         "var s: TSuit; red: set of TSuit;\n"
         "begin red := [Diamonds, Hearts];\n"
         "  for s := Low(TSuit) to High(TSuit) do\n"
         "    case s of\n"
         "      Clubs, Spades: Result := Result + LowerCase(Names[s]);\n"
         "    else if s in red then Result := Result + Names[s]\n"
         "    end\n"
         "end.",
         "cDHs"},
        {"function BinarySearch(const A: array of Integer; key: Integer): Integer;\n"
         "var lo, hi, mid: Integer;\n"
         "begin lo := Low(A); hi := High(A); Result := -1;\n"
         "  while lo <= hi do begin mid := (lo + hi) div 2;\n"
         "    if A[mid] = key then begin Result := mid; Exit end\n"
         "    else if A[mid] < key then lo := mid + 1 else hi := mid - 1 end end;\n"
         "const Data: array[1..7] of Integer = (2, 3, 5, 7, 11, 13, 17);\n"
         "begin Result := IntToStr(BinarySearch(Data, 11)) + IntToStr(BinarySearch(Data, 4)) +\n"
         "  IntToStr(BinarySearch([9], 9)) end.",
         "4-10"},
    });
}

}  // namespace
}  // namespace qbx::scripting::pascal
