// Types, structured values, sets, routines and the names resolved while compiling: small
// scripts and what they give (the value as text, or "!" and the error with its place).
#include <gtest/gtest.h>

#include "scripting/pascal/library.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::Case;

void runTable(std::initializer_list<Case> cases) {
    for (const auto& c : cases) {
        Environment env = testing::standardEnvironment();
        addRuntimeLibrary(env, RuntimeServices{});
        EXPECT_EQ(testing::outcome(c.source, env), c.expected) << c.source;
    }
}

TEST(PascalTypes, RecordsAndStaticArraysAreCopiedDynamicArraysShared) {
    runTable({
        {"type TP = record X, Y: Integer; end; var p, q: TP;\n"
         "begin p.X := 1; q := p; q.X := 2; Result := IntToStr(p.X) + IntToStr(q.X) end.",
         "12"},
        {"var a, b: array[1..3] of Integer;\n"
         "begin a[2] := 5; b := a; b[2] := 6; Result := IntToStr(a[2]) + IntToStr(b[2]) end.",
         "56"},
        {"var a, b: array of Integer;\n"
         "begin SetLength(a, 2); b := a; b[1] := 9; Result := a[1] end.",
         "9"},
        {"type TR = record Tags: array[0..1] of string; end; var r, s: TR;\n"
         "begin r.Tags[1] := 'a'; s := r; s.Tags[1] := 'b'; Result := r.Tags[1] + s.Tags[1] end.",
         "ab"},
        {"type TR = record N: Integer; end; var a: array[1..2] of TR; r: TR;\n"
         "begin r.N := 4; a[1] := r; r.N := 5; a[2] := r; a[1].N := a[1].N + 10;\n"
         "Result := IntToStr(a[1].N) + ',' + IntToStr(a[2].N) + ',' + IntToStr(r.N) end.",
         "14,5,5"},
        {"type TR = record V: array[0..1] of Integer; end;\n"
         "function Make(x: Integer): TR; begin Result.V[1] := x end;\n"
         "procedure ByValue(r: TR); begin r.V[1] := 0 end;\n"
         "procedure ByVar(var r: TR); begin r.V[1] := -1 end;\n"
         "var r: TR; begin r := Make(7); ByValue(r); Result := IntToStr(r.V[1]);\n"
         "ByVar(r); Result := Result + IntToStr(r.V[1]) + IntToStr(Make(3).V[1]) end.",
         "7-13"},
        {"var g: array[1..3, 1..2] of Integer; h: array of array of string; i, j: Integer;\n"
         "begin for i := 1 to 3 do for j := 1 to 2 do g[i, j] := i * 10 + j;\n"
         "SetLength(h, 2, 3); h[1][2] := 'z';\n"
         "Result := IntToStr(g[3][2]) + IntToStr(Length(h[1])) + h[1, 2] + IntToStr(High(g)) end.",
         "323z3"},
        {"const A: array[0..2] of string = ('x', 'y', 'z');\n"
         "type TP = record N: string; Age: Integer; end;\n"
         "const P: array[1..2] of TP = ((N: 'ann'; Age: 3), (N: 'bob'; Age: 4));\n"
         "var c: TP; begin c := P[2]; c.Age := 9;\n"
         "Result := A[2] + P[2].N + IntToStr(P[2].Age) + IntToStr(c.Age) end.",
         "zbob49"},
        {"type TP = record Name: string; Age: Integer; end; var p: array[1..2] of TP; i: Integer;\n"
         "begin with p[2] do begin Name := 'Eve'; Age := 30 end;\n"
         "for i := 1 to 2 do with p[i] do Result := Result + Name + IntToStr(Age) end.",
         "0Eve30"},
        {"var s: string[5]; c: Char; begin s := 'abc'; s[2] := 'X'; c := s[3]; Result := s + c "
         "end.",
         "aXcc"},
        {"type TCode = string[3]; TR = record C: TCode; end; var s: TCode; r: TR;\n"
         "begin s := 'abcdef'; r.C := s + 'xyz'; s := 'z'; s := s + '12345';\n"
         "Result := s + r.C + IntToStr(Length(s)) end.",
         "z12abc3"},
        {"type TA = record Street: string; Zip: Integer; end;\n"
         "TP = record Name: string; Home: TA; end; var p: TP;\n"
         "begin with p do begin Name := 'n'; with Home do Zip := 7 end;\n"
         "with p, Home do Street := Name + IntToStr(Zip); Result := p.Home.Street end.",
         "n7"},
    });
}

TEST(PascalTypes, OpenArraysAndTheirBounds) {
    runTable({
        {"function Top(const A: array of Integer): Integer; begin Result := High(A) end;\n"
         "var s: array[5..9] of Integer; begin Result := IntToStr(Top(s)) + IntToStr(Top([1, 2])) "
         "+ IntToStr(Low(s)) + IntToStr(High(s)) end.",
         "4159"},
        {"procedure Bump(var A: array of Integer); var i: Integer;\n"
         "begin for i := 0 to High(A) do A[i] := A[i] + i end;\n"
         "var s: array[1..3] of Integer; begin s[3] := 10; Bump(s); Result := s[3] end.",
         "12"},
        {"procedure Swap(var a, b: Integer); var t: Integer; begin t := a; a := b; b := t end;\n"
         "var d: array of Integer; begin SetLength(d, 2); d[0] := 1; d[1] := 2; Swap(d[0], d[1]);\n"
         "Result := IntToStr(d[0]) + IntToStr(d[1]) end.",
         "21"},
        {"var a: array of Integer; begin Result := IntToStr(Length(a)) + IntToStr(High(a)) end.",
         "0-1"},
        {"var a: array of Integer; b: array of Integer; begin SetLength(a, 4); a[3] := 8;\n"
         "b := Copy(a, 2, 5); SetLength(a, 1); Result := IntToStr(Length(b)) + IntToStr(b[1]) +\n"
         "IntToStr(Length(a)) end.",
         "281"},
        {"Format('%d-%s-%.1f', [7, 'x', 2.25]) + Format('%d', 3)",
         "7-x-2.3"
         "3"},
        {"Format('%1:s %0:s', ['a', 'b']) + Format('|%*d|%-*d|%0:d', [4, 7, 3, 1])",
         "b a|   7|1  |4"},
        {"StringReplace('aXbxc', 'x', '-', [rfReplaceAll, rfIgnoreCase]) + "
         "StringReplace('aXbxc', 'x', '-', [])",
         "a-b-caXb-c"},
        // A set variable: its members past the two flags mean nothing.
        {"var f: set of Byte; begin f := [rfReplaceAll, rfIgnoreCase];\n"
         "Result := StringReplace('aXbxc', 'x', '-', f); f := [rfIgnoreCase, 5];\n"
         "Result := Result + StringReplace('aXbxc', 'x', '-', f) end.",
         "a-b-ca-bxc"},
        {"IntToStr(MaxIntValue([3, 9, 2])) + IntToStr(MinIntValue([3, -9])) + "
         "FloatToStr(MaxValue([1.5, 0])) + FloatToStr(Sum([1, 2.5])) + IntToStr(SumInt([4, 5])) + "
         "FloatToStr(Mean([1, 2]))",
         "9-91.53.591.5"},
        {"LongMonthNames[12] + ShortMonthNames[1] + LongDayNames[1] + ShortDayNames[7] + "
         "IntToStr(Low(LongDayNames))",
         "DecemberJanSundaySat1"},
    });
}

TEST(PascalTypes, SetsOfOrdinals) {
    runTable({
        {"var s: set of Byte; begin s := [0, 255]; Result := (0 in s) and (255 in s) and "
         "not (254 in s) and not (1 in s) end.",
         "True"},
        {"var s: set of Byte; i: Integer; begin s := [1..5] + [200] - [2, 3]; Include(s, 255);\n"
         "Exclude(s, 5); for i in s do Result := Result + IntToStr(i) + ' ' end.",
         "1 4 200 255 "},
        {"var a, b: set of Char; begin a := ['a'..'c']; b := a * ['b'..'z'];\n"
         "Result := (b = ['b', 'c']) and (b <= a) and not (a <= b) and (a >= b) and (a <> b) end.",
         "True"},
        {"var c: Char; begin for c in ['x', 'a'..'b'] do Result := Result + c end.", "abx"},
        {"var s: set of 0..256; begin end.",
         "!Line 1, column 8: Sets may have at most 256 elements"},
        {"var s: set of Integer; begin end.",
         "!Line 1, column 8: Sets may have at most 256 elements"},
        {"var s: set of Byte; i: Integer; begin i := 256;\n  s := [i] end.",
         "!Line 2, column 9: Range check error"},
        {"var i: Integer; begin i := 1000; Result := i in [1..10] end.", "False"},
        {"type TDay = (Mon, Tue, Wed); var d: set of TDay; x: TDay;\n"
         "begin d := [Mon, Wed]; for x := Low(TDay) to High(TDay) do if x in d then "
         "Result := Result + IntToStr(Ord(x)) end.",
         "02"},
    });
}

TEST(PascalTypes, OrdinalsCaseAndForIn) {
    runTable({
        {"var c: Char; b: Boolean; begin c := 'a'; Inc(c, 2); b := False;\n"
         "Result := c + Succ('y') + Pred('b'); if Succ(b) then Result := Result + '+' end.",
         "cza+"},
        {"type TC = (Red, Green, Blue); var c: TC; begin c := Red; Inc(c); Inc(c);\n"
         "Result := IntToStr(Ord(c)) + IntToStr(Ord(Pred(c))) + IntToStr(Ord(High(TC))) end.",
         "212"},
        {"IntToStr(High(Byte)) + IntToStr(Low(ShortInt)) + IntToStr(High(Word)) + "
         "IntToStr(Ord(High(Char))) + IntToStr(High(Cardinal)) + IntToStr(Ord(High(Boolean)))",
         "255-1286553525542949672951"},
        {"IntToStr(Integer('a')) + Char(66) + IntToStr(Byte(300)) + IntToStr(Cardinal(-1)) + "
         "IntToStr(ShortInt(200)) + UpCase('q')",
         "97B444294967295-56Q"},
        {"var b: Boolean; c: Char; begin for b := False to True do if b then Result := Result + "
         "'T' else Result := Result + 'F'; for c := 'x' to 'z' do Result := Result + c end.",
         "FTxyz"},
        {"type TR = 3..7; var r: TR; begin r := 5; Inc(r); Result := IntToStr(r) + "
         "IntToStr(Low(TR)) + IntToStr(High(TR)) end.",
         "637"},
        {"var i: Integer; begin for i := 0 to 12 do case i of 1..3, 5: Result := Result + 'a';\n"
         "7, 9..10: Result := Result + 'b'; else Result := Result + '.' end end.",
         ".aaa.a.b.bb.."},
        {"var c: Char; begin for c in 'a1Z' do case c of 'a'..'z': Result := Result + 'l';\n"
         "'0'..'9': Result := Result + 'd'; else Result := Result + 'u' end end.",
         "ldu"},
        {"var a: array[1..3] of Integer; x, t: Integer; begin a[1] := 2; a[2] := 3; a[3] := 4;\n"
         "for x in a do t := t + x; Result := t end.",
         "9"},
        {"var b: Byte; w: Word; c: Cardinal; l: LongInt; i: Int64; u: UInt64; s: SmallInt;\n"
         "e: Extended; g: Single; t: TDateTime; cu: Currency; ac: AnsiChar; wc: WideChar;\n"
         "ss: ShortString; ans: AnsiString; v: Variant; lw: LongWord; r: Real; d: Double;\n"
         "begin b := 255; Inc(b); w := 0; Dec(w); c := 0; Dec(c); e := 1.5; t := 2;\n"
         "Result := IntToStr(b) + ',' + IntToStr(w) + ',' + IntToStr(c) + ',' + FloatToStr(e + t) "
         "end.",
         "0,65535,4294967295,3.5"},
    });
}

TEST(PascalTypes, RoutinesNestedForwardAndResult) {
    runTable({
        {"program Demo(input, output);\n"
         "function IsOdd(n: Integer): Boolean; forward;\n"
         "function IsEven(n: Integer): Boolean; begin if n = 0 then Result := True else "
         "Result := IsOdd(n - 1) end;\n"
         "function IsOdd(n: Integer): Boolean; begin if n = 0 then Result := False else "
         "Result := IsEven(n - 1) end;\n"
         "begin Result := IsEven(10) and IsOdd(7) end.",
         "True"},
        {"function Outer(n: Integer): string; var count: Integer;\n"
         "  procedure Walk(k: Integer); begin Inc(count); if k > 0 then Walk(k - 1);\n"
         "    count := count * 2 end;\n"
         "begin count := 0; Walk(n); Result := IntToStr(count) end;\n"
         "begin Result := Outer(3) end.",
         "64"},
        {"function A(x: Integer): Integer;\n"
         "  function B(y: Integer): Integer;\n"
         "    function C: Integer; begin Result := x * 100 + y end;\n"
         "  begin if y > 0 then Result := B(y - 1) + C else Result := C end;\n"
         "begin Result := A2(x) end;\n"
         "begin end.",
         "!Line 5, column 17: Undeclared identifier: 'A2'"},
        {"function A(x: Integer): Integer;\n"
         "  function B(y: Integer): Integer;\n"
         "    function C: Integer; begin Result := x * 100 + y end;\n"
         "  begin if y > 0 then Result := B(y - 1) + C else Result := C end;\n"
         "begin Result := B(2) end;\n"
         "begin Result := A(1) end.",
         "303"},
        {"procedure Fill(var s: string); procedure Add(c: Char); begin s := s + c end;\n"
         "begin Add('a'); Add('b') end;\n"
         "var t: string; begin Fill(t); Fill(t); Result := t end.",
         "abab"},
        {"var Result: Integer; begin Result := 6 * 7 end.", "42"},
        {"procedure P; forward; begin end.",
         "!Line 1, column 11: Unsatisfied forward or external declaration: 'P'"},
    });
}

TEST(PascalTypes, ExceptionClassesDeclaredByTheScript) {
    runTable({
        {"type EBase = class(Exception); EChild = class(EBase) end;\n"
         "begin try raise EChild.Create('deep') except on E: EBase do "
         "Result := E.ClassName + ':' + E.Message end end.",
         "EChild:deep"},
        {"type EBase = class(Exception); EOther = class(Exception);\n"
         "begin try raise EBase.Create('x') except on EOther do Result := 'o'; on E: Exception do "
         "Result := 'e' + ExceptObject.ClassName end end.",
         "eEBase"},
        {"type EMine = class(Exception);\n"
         "begin try try raise EMine.CreateFmt('%d/%s', [4, 'z']) except on E: EMine do raise end\n"
         "except on E: Exception do Result := E.Message end end.",
         "4/z"},
        {"begin try Result := 1 div 0 except on E: EIntError do Result := E.ClassName end end.",
         "EDivByZero"},
        {"begin try raise EConvertError.Create('m') except on E: Exception do\n"
         "if ExceptObject = E then Result := (ExceptObject as Exception).ClassName + "
         "(E as Exception).Message end end.",
         "EConvertErrorm"},
        {"type EMine = class(EConvertError);\n"
         "begin try raise EMine.Create('m') except on E: Exception do\n"
         "Result := (E is EConvertError) and (ExceptObject is EMine) and not (E is EIntError) end "
         "end.",
         "True"},
        {"var a: array[1..2] of Integer;\n"
         "begin try a[3] := 1 except on E: ERangeError do Result := E.Message end end.",
         "Range check error"},
        {"type EMine = class(Exception);\nbegin raise EMine.Create('unhandled') end.",
         "!Line 2, column 7: unhandled"},
    });
}

TEST(PascalTypes, NamesAreResolvedWhenCompiled) {
    runTable({
        {"begin\n  if False then\n    Result := Missing(1)\nend.",
         "!Line 3, column 15: Undeclared identifier: 'Missing'"},
        {"var i: Integer;\nbegin\n  for i := 1 to 0 do\n    Inc(j)\nend.",
         "!Line 4, column 9: Undeclared identifier: 'j'"},
        {"begin Result := IntToStr(1, 2) end.",
         "!Line 1, column 17: Too many actual parameters for 'IntToStr'"},
        {"begin if False then Result := Pos('a') end.",
         "!Line 1, column 31: Not enough actual parameters for 'Pos'"},
        {"type TP = record X: Integer; end; var p: TP; begin p.Y := 1 end.",
         "!Line 1, column 54: Undeclared identifier: 'Y'"},
        {"begin raise ENowhere.Create('x') end.",
         "!Line 1, column 13: Undeclared identifier: 'ENowhere'"},
        {"var p: ^Integer; begin end.", "!Line 1, column 8: Pointers are not supported"},
        {"begin Result := @Result end.", "!Line 1, column 17: Pointers are not supported"},
        {"type TFoo = class\n  X: Integer;\nend;\nbegin end.",
         "!Line 1, column 13: Classes other than exception classes are not supported"},
        {"type EBad = class(Exception) X: Integer; end; begin end.",
         "!Line 1, column 30: Exception classes with fields or methods are not supported"},
        {"type TR = record case Integer of 1: (A: Integer); end; begin end.",
         "!Line 1, column 18: Variant records are not supported"},
        {"type TF = function(x: Integer): Integer; begin end.",
         "!Line 1, column 11: Procedural types are not supported"},
        {"label 1; begin end.", ""},
        {"begin goto 1 end.", "!Line 1, column 12: Undeclared label: '1'"},
        {"procedure P(x: Integer); overload; begin end; begin end.",
         "!Line 1, column 26: Overloaded routines are not supported"},
        {"type TP = record X: Integer; end; begin Result := TP(1) end.",
         "!Line 1, column 51: Type casts are not supported: 'TP'"},
        {"var a: array[1..2] of Integer; begin a.X := 1 end.",
         "!Line 1, column 39: Record type required"},
    });
}

TEST(PascalTypes, LimitsHoldForStructuredValues) {
    runTable({
        {"var a: array[1..3] of Integer; i: Integer;\nbegin\n  i := 4;\n  a[i] := 1\nend.",
         "!Line 4, column 8: Range check error"},
        {"var a: array of Integer;\nbegin\n  Result := a[0]\nend.",
         "!Line 3, column 14: Range check error"},
        {"var a: array of Integer;\nbegin\n  try SetLength(a, 1000000000000) except "
         "Result := 'caught' end\nend.",
         "!Line 3, column 7: Script stopped: memory limit"},
        {"var a: array of array of Integer;\nbegin\n  SetLength(a, 100000, 100000)\nend.",
         "!Line 3, column 3: Script stopped: memory limit"},
        {"var a: array of Integer; begin SetLength(a, -1) end.",
         "!Line 1, column 32: Range check error"},
        {"var a: array[1..100000000] of Integer; begin end.", "!Line 1, column 8: Array too large"},
        {"var a: array[Int64] of Integer; begin end.", "!Line 1, column 8: Array too large"},
        {"var a: array[-9223372036854775807..9223372036854775807] of Byte; begin end.",
         "!Line 1, column 8: Array too large"},
        {"var a: array of Variant; begin SetLength(a, 1); a[0] := a end.",
         "!Line 1, column 54: Incompatible types: 'Variant' and 'Array'"},
    });
}

TEST(PascalTypes, DeclarationErrorsInPlainWords) {
    runTable({
        {"type T = Integer; T = string; begin end.",
         "!Line 1, column 19: Identifier redeclared: 'T'"},
        {"type C = (Red, Green); D = (Blue, Red); begin end.",
         "!Line 1, column 35: Identifier redeclared: 'Red'"},
        {"type TR = record A: Integer; A: string; end; begin end.",
         "!Line 1, column 30: Identifier redeclared: 'A'"},
        {"var a: array[Double] of Integer; begin end.",
         "!Line 1, column 8: Ordinal type required for an array index"},
        {"var a: array[5..1] of Integer; begin end.",
         "!Line 1, column 14: Low bound exceeds high bound"},
        {"var s: string[300]; begin end.", "!Line 1, column 8: String length must be 1 to 255"},
        {"const A: array[1..3] of Integer = (1, 2); begin end.",
         "!Line 1, column 35: Number of elements differs from declaration"},
        {"type TP = record X: Integer; end; const P: TP = (Y: 1); begin end.",
         "!Line 1, column 50: Undeclared identifier: 'Y'"},
        {"type E1 = class(TObject); begin end.",
         "!Line 1, column 11: Classes other than exception classes are not supported"},
        {"type TR = record X: Integer; end; begin try except on E: TR do end end.",
         "!Line 1, column 58: Exception class expected"},
        {"type TR = record X: Integer; end; begin raise TR.Create('x') end.",
         "!Line 1, column 47: Exception class expected"},
        {"procedure P; forward; procedure P; forward; begin end.",
         "!Line 1, column 36: Routine declared forward twice"},
        {"procedure P(x: Integer = 1); begin end; begin end.",
         "!Line 1, column 24: Default parameter values are not supported"},
        {"var f: TextFile; begin end.", "!Line 1, column 8: Files are not supported"},
    });
}

TEST(PascalTypes, StatementErrorsInPlainWords) {
    runTable({
        {"var a: array[1..2] of Integer; begin SetLength(a, 3) end.",
         "!Line 1, column 38: Dynamic array or string required"},
        {"var a: array of Integer; begin SetLength(a, 1, 2) end.",
         "!Line 1, column 48: Too many dimensions"},
        {"const N = 3; begin Inc(N) end.", "!Line 1, column 24: Variable required: 'N'"},
        {"var i: Integer; begin with i do end.", "!Line 1, column 28: Record type required"},
        {"var i: Integer; begin i[1] := 2 end.", "!Line 1, column 24: Array type required"},
        {"var s: string; begin s[1].X := 'a' end.", "!Line 1, column 26: Array type required"},
        {"begin Result := Low(string) end.", "!Line 1, column 17: Ordinal type required"},
        {"begin Result := Integer end.", "!Line 1, column 17: Type name is not a value: 'Integer'"},
        {"begin Inc := 1 end.", "!Line 1, column 11: '(' expected but ':=' found"},
        {"begin Result := ExceptObject.Message end.",
         "!Line 1, column 17: ExceptObject is only available in an exception handler"},
        {"var x: Integer; begin Result := (x as Exception).Message end.",
         "!Line 1, column 34: Type casts with 'as' are only supported on exception objects"},
    });
}

TEST(PascalTypes, RangeErrorsCarryTheirPlace) {
    runTable({
        {"var g: array[1..2, 1..2] of Integer;\nbegin\n  g[2, 3] := 1\nend.",
         "!Line 3, column 11: Range check error"},
        {"var g: array[1..2, 1..2] of Integer; i: Integer;\nbegin i := 0;\n"
         "  Result := g[2][i]\nend.",
         "!Line 3, column 17: Range check error"},
        {"function F(const A: array of Integer): Integer; begin Result := A[High(A) + 1] end;\n"
         "var s: array[1..3] of Integer; begin Result := F(s) end.",
         "!Line 1, column 66: Range check error"},
        {"var a: array['a'..'c'] of Integer; begin a['b'] := 2; Result := a['b'] + a['c'];\n"
         "  a['d'] := 1 end.",
         "!Line 2, column 10: Range check error"},
        {"type TC = (Red, Green); var a: array[TC] of string; begin a[Green] := 'g';\n"
         "Result := a[Green] + IntToStr(Length(a)) end.",
         "g2"},
        {"begin Result := Format('%2:d', [1, 2]) end.",
         "!Line 1, column 17: No argument for format '%2:d'"},
        {"var s: string; begin s := 'ab';\n  s[3] := 'c' end.",
         "!Line 2, column 8: String index out of range"},
        {"var b: Boolean; begin b := True; b := Succ(b) end.",
         "!Line 1, column 39: Range check error"},
    });
}

TEST(PascalTypes, NewConstructsCountSteps) {
    Environment env = testing::standardEnvironment();
    env.limits.maxSteps = 10000;
    EXPECT_EQ(testing::outcome("var c: Char; n: Integer;\n"
                               "begin while True do for c in ['a'..'z'] do Inc(n) end.",
                               env),
              "!Line 2, column 41: Script stopped: step limit");
    EXPECT_EQ(
        testing::outcome("var a: array of Integer; begin while True do SetLength(a, 5) end.", env),
        "!Line 1, column 59: Script stopped: step limit");
    env.limits.maxNesting = 20;
    std::string deep = "type T = ";
    for (int i = 0; i < 30; ++i) deep += "array of ";
    EXPECT_EQ(testing::outcome(deep + "Integer; begin end.", env),
              "!Line 1, column 190: Nesting too deep");
}

}  // namespace
}  // namespace qbx::scripting::pascal
