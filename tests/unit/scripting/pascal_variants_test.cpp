// Variants and UInt64: what a Variant holds and how operators convert it, and unsigned 64-bit
// arithmetic over the whole range.
#include <gtest/gtest.h>

#include <string>

#include "scripting/pascal/library.h"
#include "support/fakes.h"
#include "support/pascal_runtime_fixture.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::Case;

class PascalVariants : public testing::PascalRuntimeTest {};

TEST_F(PascalVariants, TypeCodesAndText) {
    runTable({
        {"var v: Variant; begin Result := VarType(v) end.", "0"},
        {"var v: Variant; begin v := Null; Result := IntToStr(VarType(v)) + VarToStr(v) +"
         " BoolToStr(VarIsNull(v), True) end.",
         "1True"},
        {"var v: Variant; begin v := 7; Result := VarType(v) end.", "3"},
        {"var v: Variant; begin v := 5000000000; Result := VarType(v) end.", "20"},
        {"var v: Variant; begin v := 18446744073709551615; Result := VarType(v) end.", "21"},
        {"var v: Variant; begin v := 1.5; Result := VarType(v) end.", "5"},
        {"var v: Variant; begin v := 'a'; Result := VarType(v) = varString end.", "True"},
        {"var v: Variant; begin v := False; Result := VarToStr(v) + IntToStr(VarType(v)) end.",
         "False11"},
        {"var v: Variant; begin v := 3; v := Unassigned; Result := VarIsEmpty(v) end.", "True"},
        {"VarToStrDef(Null, 'none') + VarToStrDef(2, 'none')", "none2"},
    });
}

// A Variant keeps a TDateTime as a date: from a routine, a TDateTime variable or a date moved by
// days; the difference of two dates and a plain number are no dates.
TEST_F(PascalVariants, DatesStayDates) {
    runTable({
        {"var v: Variant; begin v := Now; Result := IntToStr(VarType(v)) + ' ' + VarToStr(v) end.",
         "7 15.03.2023 12:00:00"},
        {"var v: Variant; begin v := EncodeDate(2024, 2, 28) + 0; Result := VarType(v) end.", "5"},
        {"var v: Variant; d: TDateTime; begin d := EncodeDate(2024, 2, 28); v := d; v := v + 2;"
         " Result := IntToStr(VarType(v)) + ' ' + VarToStr(v) + ' ' +"
         " FormatDateTime('yyyy-mm-dd', v) end.",
         "7 01.03.2024 2024-03-01"},
        {"var a, b: Variant; begin a := Date; b := IncDay(Date, -3); Result :="
         " IntToStr(VarType(a - b)) + ' ' + VarToStr(a - b) + ' ' + BoolToStr(a > b, True) end.",
         "5 3 True"},
        {"function Stamp: Variant; begin Result := Date end;"
         " var d: Double; i: Integer; begin d := Stamp; i := Stamp; Result := VarType(Stamp) +"
         " d - i end.",
         "7"},
        // The script's own Result is no Variant of the script's: it gives the number.
        {"begin Result := EncodeDate(2000, 1, 1) end.", "36526"},
    });
}

TEST_F(PascalVariants, OperatorsConvertMixedKinds) {
    runTable({
        {"var a, b: Variant; begin a := '12'; b := 3; Result := a + b end.", "15"},
        {"var a, b: Variant; begin a := '12'; b := 3; Result := VarType(a * b) end.", "5"},
        {"var a, b: Variant; begin a := '1'; b := '2'; Result := a + b end.", "12"},
        {"var a, b: Variant; begin a := '7'; b := '2'; Result := a - b end.", "5"},
        {"var a: Variant; begin a := ' 2.5 '; Result := a * 2 end.", "5"},
        {"var a: Variant; begin a := True; Result := a + 1 end.", "0"},
        {"var a: Variant; begin a := '100'; Result := a > 99 end.", "True"},
        {"var a: Variant; begin a := '10'; Result := (a = 10) and (a <> '9') end.", "True"},
        {"var a: Variant; begin a := 'abc'; Result := a < 'abd' end.", "True"},
        {"var a: Variant; begin a := 7.5; Result := a div 2 end.", "4"},
        {"var a: Variant; begin a := '17'; Result := a mod 5 end.", "2"},
        {"var a: Variant; begin a := Null; Result := VarIsNull(a + 1) end.", "True"},
        {"var a, b: Variant; begin b := 'abc'; Result := (a + b) + '|' + (b + a) end.", "abc|abc"},
        {"var a, b: Variant; begin b := '5'; Result := (a = '') and (b + a = '5') end.", "True"},
        {"var a: Variant; begin a := 'true'; Result := (a and True) and (a = True) end.", "True"},
        // A routine's Variant result converts too; plain typed values still may not mix.
        {"function F: Variant; begin Result := '4' end; begin Result := F * 2 end.", "8"},
        {"var s: string; begin s := '1'; Result := s + 1 end.",
         "!Line 1, column 44: Incompatible types: 'String' and 'Integer'"},
    });
}

TEST_F(PascalVariants, TypedVariablesAndParametersTakeAVariantsValue) {
    runTable({
        {"var v: Variant; i: Integer; begin v := ' 41 '; i := v; Result := i + 1 end.", "42"},
        {"var v: Variant; i: Integer; begin v := 2.5; i := v; Result := i end.", "2"},
        {"var v: Variant; i: Integer; begin v := 3.5; i := v; Result := i end.", "4"},
        {"var v: Variant; d: Double; begin v := '0.25'; d := v; Result := d * 2 end.", "0.5"},
        {"var v: Variant; s: string; begin v := 1.5; s := v; Result := s + '!' end.", "1.5!"},
        {"var v: Variant; s: string; begin v := True; s := v; Result := s end.", "True"},
        {"var v: Variant; b: Boolean; begin v := 'false'; b := v; Result := not b end.", "True"},
        {"var v: Variant; b: Byte; begin v := '300'; b := v; Result := b end.", "44"},
        {"function Twice(n: Integer): Integer; begin Result := n * 2 end;"
         " var v: Variant; begin v := '21'; Result := Twice(v) end.",
         "42"},
        {"function F(v: Variant): Integer; begin Result := v end; begin Result := F('7') end.",
         "7"},
        {"var v: Variant; i: Integer; begin v := Null; i := v end.",
         "!Line 1, column 48: Could not convert variant of type (Null) into type (Integer)"},
        {"var v: Variant; i: Integer; begin v := 'x'; try i := v except on E: EVariantError do"
         " Result := E.ClassName end end.",
         "EVariantTypeCastError"},
        {"type R = record n: Integer end; var v: Variant; r: R; a: array[1..2] of Double;"
         " begin v := '6'; r.n := v; a[2] := v; with r do n := n + v; Result := r.n + a[2] end.",
         "18"},
        // Appending to a Variant converts too, instead of joining text in place.
        {"var v: Variant; i: Integer; begin v := 1; for i := 1 to 3 do v := v + '2';"
         " Result := v end.",
         "7"},
    });
}

TEST_F(PascalVariants, ConversionFailuresAreCatchable) {
    runTable({
        {"var a: Variant; begin a := 'seven'; Result := a * 2 end.",
         "!Line 1, column 49: Could not convert variant of type (String) into type (Double)"},
        {"var a: Variant; begin a := 'x'; try Result := a + 1 except on E: EVariantError do"
         " Result := E.ClassName end end.",
         "EVariantTypeCastError"},
        {"var a: Variant; begin a := '+-5'; try Result := a + 1 except on E: EVariantError do"
         " Result := 'refused' end end.",
         "refused"},
        {"var a: Variant; begin a := '1e400'; try Result := a + 1 except on E: EVariantError do"
         " Result := 'too big' end end.",
         "too big"},
        {"var a: Variant; begin a := 1e300; try Result := a div 1 except on E: EVariantError do"
         " Result := 'overflow' end end.",
         "overflow"},
    });
    // A text of a million digits is refused unread, not parsed.
    EXPECT_EQ(outcome("var a: Variant; begin a := StringOfChar('1', 1000000); try Result := a + 1"
                      " except Result := 'refused' end end."),
              "refused");
}

TEST_F(PascalVariants, UInt64CoversItsWholeRange) {
    runTable({
        {"var u: UInt64; begin u := High(UInt64); Result := u end.", "18446744073709551615"},
        {"var u: UInt64; begin u := High(UInt64); Result := u div 10 end.", "1844674407370955161"},
        {"var u: UInt64; begin u := High(UInt64); Result := u mod 1000 end.", "615"},
        {"var u: UInt64; begin u := High(UInt64); Inc(u); Result := u end.", "0"},
        {"var u: UInt64; begin u := 0; u := u - 1; Result := IntToStr(u) end.",
         "18446744073709551615"},
        {"var u: UInt64; begin u := 1; Result := u - 2 end.", "18446744073709551615"},
        {"var u: UInt64; begin u := -1; Result := u end.", "18446744073709551615"},
        {"var u: UInt64; begin u := 9223372036854775808; Result := u > 9223372036854775807 end.",
         "True"},
        {"var u: UInt64; begin u := High(UInt64); Result := (u > 0) and (u > -5) end.", "True"},
        {"var u: UInt64; i: Int64; begin u := High(UInt64); i := u; Result := i end.", "-1"},
        {"var u: UInt64; begin u := 10000000000000000000; Result := u / 4 end.", "2.5E18"},
        {"UInt64(-1) shr 60", "15"},
        {"const C = 18446744073709551615; D = C - 5; begin Result := IntToStr(C) + ' ' +"
         " IntToStr(D) end.",
         "18446744073709551615 18446744073709551610"},
        {"var u: UInt64; s: string; begin for u := 1 to 3 do s := s + IntToStr(u); Result := s"
         " end.",
         "123"},
        {"Low(UInt64)", "0"},
        {"18446744073709551616", "!Line 1, column 21: Integer constant too large"},
    });
}

}  // namespace
}  // namespace qbx::scripting::pascal
