// Labels and goto, unit-qualified names and the declarations a script's own names hide.
#include <gtest/gtest.h>

#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;

TEST(PascalGoto, JumpsForwardAndBackWithinTheirStructure) {
    testing::expectOutcomes({
        {"label again, done; var i: Integer; begin i := 0;"
         " again: i := i + 1; if i = 5 then goto done; goto again;"
         " done: Result := i end.",
         "5"},
        {"label 10; var s: string; i: Integer; begin"
         " for i := 1 to 9 do begin if i = 4 then goto 10; s := s + IntToStr(i) end;"
         " 10: Result := s end.",
         "123"},
        // Inside one try body, and out of a nested routine's loop to its own label.
        {"label L; var n: Integer; begin try n := 0; L: Inc(n); if n < 3 then goto L;"
         " finally Result := n end end.",
         "3"},
        {"function F: Integer; label out; var i: Integer; begin Result := 0;"
         " while True do begin Inc(Result); if Result > 6 then goto out end; out: end;"
         " begin Result := F end.",
         "7"},
    });
}

TEST(PascalGoto, RefusesJumpsIntoStructuresAndAcrossTry) {
    testing::expectOutcomes({
        {"label L; var i: Integer; begin goto L; for i := 1 to 2 do begin L: end end.",
         "!Line 1, column 37: 'GOTO L' leads into a loop or a WITH statement"},
        {"label L; begin try goto L; finally end; L: end.",
         "!Line 1, column 25: 'GOTO L' leads into or out of a TRY statement"},
        {"label L; begin try except L: end; goto L end.",
         "!Line 1, column 40: 'GOTO L' leads into or out of a TRY statement"},
        {"label L; begin goto L end.",
         "!Line 1, column 21: Label declared and referenced, but not set: 'L'"},
        {"label L; begin L: L: end.", "!Line 1, column 19: Label already defined: 'L'"},
        {"begin goto nowhere end.", "!Line 1, column 12: Undeclared label: 'nowhere'"},
        {"label L; var L: Integer; begin end.", "!Line 1, column 14: Identifier redeclared: 'L'"},
        // A label of the program is not one of the routine's.
        {"label L; procedure P; begin goto L end; begin L: end.",
         "!Line 1, column 34: Undeclared label: 'L'"},
    });
}

TEST(PascalGoto, AnEndlessGotoLoopMeetsTheStepLimit) {
    EXPECT_EQ(outcome("label L; begin L: goto L end."),
              "!Line 1, column 24: Script stopped: step limit");
}

TEST(PascalUnits, QualifiedLibraryNamesAndUsesClauses) {
    testing::expectOutcomes({
        {"uses SysUtils, System.Variants, Windows; begin Result := SysUtils.IntToStr(42) +"
         " System.SysUtils.UpperCase('x') + System.Copy('abc', 2, 1) end.",
         "42Xb"},
        // The script's own names hide a unit's: here SysUtils is a record variable.
        {"type T = record IntToStr: Integer end; var SysUtils: T; begin"
         " SysUtils.IntToStr := 7; Result := SysUtils.IntToStr end.",
         "7"},
        // A qualified name always means the library's routine, not the script's own.
        {"function IntToStr(i: Integer): string; begin Result := 'mine' end;"
         " begin Result := IntToStr(1) + SysUtils.IntToStr(1) end.",
         "mine1"},
        {"var i: System.Integer; v: Variants.Variant; begin try i := 2; v := '3';"
         " raise SysUtils.EConvertError.Create(IntToStr(i)) except"
         " on E: SysUtils.EConvertError do Result := E.Message + v end end.",
         "23"},
        {"begin Result := SysUtils.NoSuchRoutine(1) end.",
         "!Line 1, column 26: Undeclared identifier: 'NoSuchRoutine'"},
    });
}

TEST(PascalNames, AScriptsDeclarationsHideTheLibrarysNames) {
    testing::expectOutcomes({
        {"type TArray = array of Integer; var a: TArray; begin SetLength(a, 2); a[1] := 5;"
         " Result := a[1] end.",
         "5"},
        {"type TStringArray = array of string; Exception = record x: Integer end;"
         " var e: Exception; begin e.x := 3; Result := e.x end.",
         "3"},
        // A function's Result is its own; a procedure may name a variable so.
        {"function F: Integer; var Result: Integer; begin end; begin end.",
         "!Line 1, column 26: Identifier redeclared: 'Result'"},
        {"procedure P(var n: Integer); var Result: Integer; begin Result := 4; n := Result end;"
         " var k: Integer; begin P(k); Result := k end.",
         "4"},
        {"const Pi = 3; MaxInt = 10; var IntToStr: Integer; begin IntToStr := Pi + MaxInt;"
         " Result := IntToStr end.",
         "13"},
    });
}

}  // namespace
}  // namespace qbx::scripting::pascal
