// The routines of SysUtils, StrUtils, DateUtils and Math that ordinary scripts call: golden
// rows of a script and the text it gives ("!" and the error when it fails), with Delphi's
// documented results. The fake clock stands at 2023-03-15 12:00, the fake locale is English
// with the short date DD.MM.YYYY.
#include <gtest/gtest.h>

#include <string>

#include "base/random_source.h"
#include "scripting/pascal/library.h"
#include "scripting/pascal/library_support.h"
#include "support/fakes.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::Case;

class PascalRuntime : public ::testing::Test {
protected:
    void build() {
        env_ = Environment();
        addCoreLibrary(env_);
        addRuntimeLibrary(env_, runtimeServices(platform_.platform()));
    }
    void runTable(std::initializer_list<Case> cases) {
        if (!built_) build();
        built_ = true;
        testing::expectOutcomes(cases, env_);
    }

    test::FakePlatform platform_;
    Environment env_;
    bool built_ = false;
};

TEST_F(PascalRuntime, ComparingTexts) {
    runTable({
        {"SameText('Hello', 'hELLO')", "True"},
        {"SameText('\xC0', '\xE0')", "False"},  // only A..Z fold, as in Delphi
        {"AnsiSameText('\xC0\xC1', '\xE0\xE1')", "True"},
        {"SameStr('a', 'A')", "False"},
        {"AnsiSameStr('ab', 'ab')", "True"},
        {"AnsiCompareText('\xE0\xE1\xE2', '\xC0\xC1\xC3')", "-1"},
        {"AnsiCompareStr('a', 'A')", "-1"},  // the lower case first, as the system sorts
        {"AnsiCompareStr('b', 'A')", "1"},
        {"AnsiCompareStr('abc', 'abc')", "0"},
        {"ContainsText('Hello World', 'WORLD')", "True"},
        {"ContainsStr('Hello World', 'WORLD')", "False"},
        {"ContainsText('abc', '')", "False"},
        {"AnsiContainsText('\xCF\xF0\xE8\xE2\xE5\xF2', '\xD0\xC8')", "True"},
        {"StartsText('HE', 'hello')", "True"},
        {"StartsStr('HE', 'hello')", "False"},
        {"EndsText('LO', 'hello')", "True"},
        {"EndsStr('lo', 'hello')", "True"},
        {"EndsStr('hello!', 'hello')", "False"},
        {"AnsiStartsText('', 'x')", "True"},
        {"AnsiEndsStr('x', '')", "False"},
    });
}

TEST_F(PascalRuntime, PiecesOfTexts) {
    runTable({
        {"PosEx('a', 'banana', 3)", "4"},
        {"PosEx('a', 'banana')", "2"},
        {"PosEx('a', 'banana', 7)", "0"},
        {"PosEx('a', 'banana', 0)", "0"},
        {"PosEx('', 'banana', 1)", "0"},
        {"LeftStr('abcdef', 3) + '|' + LeftStr('ab', 5) + '|' + LeftStr('ab', -1)", "abc|ab|"},
        {"RightStr('abcdef', 2) + '|' + RightStr('ab', 9) + '|' + RightStr('ab', -3)", "ef|ab|"},
        {"MidStr('abcdef', 2, 3) + '|' + MidStr('abc', 3, 10) + '|' + MidStr('abc', 0, 2)",
         "bcd|c|ab"},
        {"StuffString('abcdef', 2, 3, 'XY')", "aXYef"},
        {"StuffString('abc', 4, 0, 'd')", "abcd"},
        {"StuffString('abc', 9, 1, 'd')", "abc"},
        {"ReverseString('abc') + AnsiReverseString('\xE0\xE1')", "cba\xE1\xE0"},
        {"DupeString('ab', 3) + '|' + DupeString('ab', 0) + '|' + DupeString('', 5)", "ababab||"},
        {"ReplaceStr('a.b.c', '.', '::')", "a::b::c"},
        {"ReplaceText('Yes yes YES', 'yes', 'no')", "no no no"},
        {"AnsiReplaceStr('aaa', 'a', 'aa')", "aaaaaa"},
        {"AnsiReplaceText('\xC0\xE0', '\xE0', '-')", "--"},
        {"ReplaceStr('abc', '', 'x')", "abc"},
        {"LastDelimiter('\\.', 'C:\\dir\\file.txt')", "12"},
        {"LastDelimiter(';', 'abc')", "0"},
        {"IsDelimiter(',;', 'a,b', 2)", "True"},
        {"IsDelimiter(',;', 'a,b', 3)", "False"},
        {"IsDelimiter(',;', 'a,b', 9)", "False"},
        {"UpCase('a') + UpCase('Z') + UpCase('\xE0') + UpCase('1')",
         "AZ\xE0"
         "1"},
        {"AnsiQuotedStr('say \"hi\"', '\"')", "\"say \"\"hi\"\"\""},
        {"Length(sLineBreak) + Length(LineEnding)", "4"},
        {"sLineBreak = #13#10", "True"},
    });
}

TEST_F(PascalRuntime, LineBreaksAndWrapping) {
    runTable({
        {"AdjustLineBreaks('a'#10'b'#13'c'#10#13'd'#13#10'e')", "a\r\nb\r\nc\r\nd\r\ne"},
        {"WrapText('The quick brown fox jumps over the lazy dog', 20)",
         "The quick brown fox \r\njumps over the lazy \r\ndog"},
        {"WrapText('short', 20)", "short"},
        {"WrapText('aaaaaaaaaaaaaaaaaaaaaaaaa bb', 10)", "aaaaaaaaaaaaaaaaaaaaaaaaa \r\nbb"},
        {"WrapText('one two', '|', ' ', 4)", "one |two"},
        {"WrapText('one-two three', '|', [' ', '-'], 5)", "one-|two |three"},
        {"var b: set of Char; begin b := ['-']; Result := WrapText('one-two three', '|', b, 5) "
         "end.",
         "one-|two three"},
        {"WrapText('say ''a b c d'' now', 5)", "say \r\n'a b c d' \r\nnow"},  // quotes hold
        {"WrapText('ab'#13#10'cd ef', 4)", "ab\r\ncd \r\nef"},
    });
}

TEST_F(PascalRuntime, NumbersToTextAndBack) {
    runTable({
        {"FormatFloat('#,##0.00', 1234567.891)", "1,234,567.89"},
        {"FormatFloat('0.00', 2.675)", "2.68"},
        {"FormatFloat('0.###', 1.5)", "1.5"},
        {"FormatFloat('0.###', 2)", "2"},
        {"FormatFloat('0.###', 0.12345)", "0.123"},
        {"FormatFloat('000', 7)", "007"},
        {"FormatFloat('#', 0)", ""},
        {"FormatFloat('0.00', -1.5)", "-1.50"},
        {"FormatFloat('0.00', -0.001)", "0.00"},
        {"FormatFloat('$#,##0.00;($#,##0.00);\"zero\"', -1234.5)", "($1,234.50)"},
        {"FormatFloat('$#,##0.00;($#,##0.00);\"zero\"', 0)", "zero"},
        {"FormatFloat('0.00E+00', 1234.5)", "1.23E+03"},
        {"FormatFloat('0.0E-0', 0.000123)", "1.2E-4"},
        {"FormatFloat('\"Total: \"0.0', 3.25)", "Total: 3.3"},
        {"FormatFloat('0.0 %', 12.34)", "12.3 %"},
        {"FormatFloat('', 1.5)", "1.5"},
        {"FloatToStrF(3.14159, ffFixed, 15, 2)", "3.14"},
        {"FloatToStrF(1234567.891, ffNumber, 15, 2)", "1,234,567.89"},
        {"FloatToStrF(1234.5, ffExponent, 4, 2)", "1.235E+03"},
        {"FloatToStrF(0.5, ffExponent, 3, 0)", "5.00E-1"},
        {"FloatToStrF(1234.5678, ffGeneral, 6, 0)", "1234.57"},
        {"FloatToStrF(123456789, ffGeneral, 4, 2)", "1.235E08"},
        {"FloatToStrF(0.00001, ffGeneral, 15, 0)", "1E-5"},
        {"FloatToStrF(1e20, ffFixed, 15, 2)", "1.00000000000000E+20"},
        {"FloatToStrF(1, ffCurrency, 15, 2)",
         "!Line 1, column 1: FloatToStrF: currency format is not offered"},
        {"StrToFloatDef('1.5', 0) + StrToFloatDef('x', 2)", "3.5"},
        {"var v: Integer; begin Result := BoolToStr(TryStrToInt('42', v)) + IntToStr(v) end.",
         "-142"},
        {"var v: Integer; begin v := 7; Result := BoolToStr(TryStrToInt('4x', v), True) + "
         "IntToStr(v) end.",
         "False7"},
        {"var d: Double; begin Result := TryStrToFloat(' 2.5 ', d) and (d = 2.5) end.", "True"},
        {"var d: Double; begin d := 1; Result := TryStrToFloat('2,5', d) or (d <> 1) end.",
         "False"},
        {"BoolToStr(True) + BoolToStr(False) + BoolToStr(True, True) + BoolToStr(False, True)",
         "-10TrueFalse"},
        {"StrToBool('true') and StrToBool('-1') and not StrToBool('0') and StrToBool('2.5')",
         "True"},
        {"StrToBool('yes')", "!Line 1, column 1: 'yes' is not a valid boolean value"},
        {"StrToBoolDef('maybe', True) and not StrToBoolDef('False', True)", "True"},
    });
}

// Numbers are written and read with the locale's separators, as Delphi's globals hold them.
TEST(PascalRuntimeLocale, NumbersUseTheLocalesSeparators) {
    struct RussianNumbers : test::FakeLocale {
        char decimalSeparator() override { return ','; }
        char thousandSeparator() override { return '\xA0'; }
    } locale;
    Environment env;
    addCoreLibrary(env);
    RuntimeServices services;
    services.locale = &locale;
    addRuntimeLibrary(env, services);
    const Case cases[] = {
        {"FormatFloat('#,##0.00', 1234567.891)",
         "1\xA0"
         "234\xA0"
         "567,89"},
        {"FloatToStrF(1234.5, ffNumber, 15, 1) + ' ' + FloatToStrF(0.5, ffGeneral, 15, 0)",
         "1\xA0"
         "234,5 0,5"},
        {"StrToFloatDef('2,5', 0) * 2", "5"},
    };
    for (const Case& c : cases) EXPECT_EQ(testing::outcome(c.source, env), c.expected) << c.source;
}

TEST_F(PascalRuntime, ValAndStr) {
    runTable({
        {"var n, c: Integer; begin Val('123', n, c); Result := IntToStr(n) + '/' + IntToStr(c) "
         "end.",
         "123/0"},
        {"var n, c: Integer; begin Val('12a', n, c); Result := IntToStr(n) + '/' + IntToStr(c) "
         "end.",
         "0/3"},
        {"var n, c: Integer; begin Val('  -$1F', n, c); Result := IntToStr(n) + '/' + IntToStr(c) "
         "end.",
         "-31/0"},
        {"var n, c: Integer; begin Val('1.5', n, c); Result := c end.", "2"},
        {"var n, c: Integer; begin Val('', n, c); Result := c end.", "1"},
        {"var d: Double; c: Integer; begin Val('1.5e2', d, c); Result := FloatToStr(d) + '/' + "
         "IntToStr(c) end.",
         "150/0"},
        {"var s: String; begin Str(42, s); Result := s end.", "42"},
        {"var s: String; begin Str(3.5, s); Result := s end.", " 3.50000000000000E+0000"},
        {"var s: String; begin Str(-0.25, s); Result := s end.", "-2.50000000000000E-0001"},
    });
}

TEST_F(PascalRuntime, Arithmetic) {
    runTable({
        {"Floor(-2.5) + Ceil(2.1) * 10", "27"},
        {"Floor(7)", "7"},
        {"Ceil(1e300)", "!Line 1, column 1: Invalid floating point operation"},
        {"IntPower(2, 10) + IntPower(2, -1)", "1024.5"},
        {"Power(2, 0.5) = Sqrt(2)", "True"},
        {"Round(Pi * 10000)", "31416"},
        {"Log10(1000) + Log2(8) + LogN(3, 81)", "10"},
        {"Log10(0)", "!Line 1, column 1: Invalid floating point operation"},
        {"LogN(1, 5)", "!Line 1, column 1: Invalid floating point operation"},
        {"Round(Sin(Pi / 2) + Cos(0) + Tan(0))", "2"},
        {"Round(ArcTan(1) * 4 * 1000) + Round(ArcTan2(1, 0) * 2000)", "6284"},
        {"ArcSin(2)", "!Line 1, column 1: Invalid floating point operation"},
        {"Round(ArcCos(-1) * 1000)", "3142"},
        {"Hypot(3, 4)", "5"},
        {"Max(3, 7) + Min(3, 7)", "10"},
        {"Max(1.5, 2)", "2"},
        {"Sign(-5) * 100 + Sign(0) * 10 + Sign(2.5)", "-99"},
        {"InRange(5, 1, 10) and not InRange(11, 1, 10) and InRange(1.5, 1, 2)", "True"},
        {"EnsureRange(15, 1, 10) + EnsureRange(-3, 1, 10) + EnsureRange(5, 1, 10)", "16"},
        {"EnsureRange(0.5, 1, 10)", "1"},
        {"CompareValue(1, 2) * 100 + CompareValue(2, 2) * 10 + CompareValue(3.5, 2)", "-99"},
        {"CompareValue(1.0, 1.05, 0.1)", "0"},
        {"SameValue(0.1 + 0.2, 0.3) and not SameValue(1, 1.001) and SameValue(1, 1.001, 0.01)",
         "True"},
        {"IsZero(1e-13) and not IsZero(1e-3) and IsZero(0.01, 0.1)", "True"},
        {"FloatToStr(RoundTo(1.235, -2)) + ' ' + FloatToStr(RoundTo(1.245, -2)) + ' ' + "
         "FloatToStr(RoundTo(1234567, 3))",
         "1.24 1.24 1235000"},
        {"FloatToStr(SimpleRoundTo(1.235)) + ' ' + FloatToStr(SimpleRoundTo(1.245, -2)) + ' ' + "
         "FloatToStr(SimpleRoundTo(-1.235, -2))",
         "1.24 1.25 -1.24"},
        {"RoundTo(1.7976931348623157e308, 2) = 1.7976931348623157e308", "True"},
        {"RoundTo(1, 38)", "!Line 1, column 1: Digit 38 is outside -37..37"},
        {"var q, r: Integer; begin DivMod(17, 5, q, r); Result := q * 10 + r end.", "32"},
        {"var q, r: Integer; begin DivMod(-17, 5, q, r); Result := IntToStr(q) + ' ' + IntToStr(r) "
         "end.",
         "-3 -2"},
        {"var q, r: Integer; begin DivMod(1, 0, q, r) end.",
         "!Line 1, column 26: Division by zero"},
        {"IfThen(True, 'yes', 'no') + IfThen(False, 'yes', 'no') + IfThen(False, 'yes') + '.'",
         "yesno."},
        {"IfThen(False, 5, 7) + IfThen(True, 5) + IfThen(False, 5)", "12"},
        {"IfThen(False, 2.5)", "0"},
        {"(RandomRange(5, 5) = 5) and (RandomRange(10, 3) >= 3) and (RandomRange(10, 3) < 10)",
         "True"},
        {"RandomRange(High(Int64), Low(Int64)) = Low(Int64)", "True"},
    });
}

TEST_F(PascalRuntime, CalendarNumbers) {
    runTable({
        {"DayOfTheWeek(EncodeDate(2024, 1, 1))", "1"},
        {"DayOfWeek(EncodeDate(2024, 1, 1))", "2"},
        {"DayOfTheWeek(EncodeDate(2024, 1, 7))", "7"},
        {"IsLeapYear(1900)", "False"},
        {"IsLeapYear(2000) and IsLeapYear(2024) and not IsLeapYear(2023)", "True"},
        {"DayOfTheYear(EncodeDate(2024, 12, 31))", "366"},
        {"DaysInMonth(EncodeDate(2024, 2, 10)) + DaysInAMonth(2023, 2)", "57"},
        {"DaysInYear(EncodeDate(2024, 5, 5)) + DaysInAYear(1900)", "731"},
        {"DaysInAMonth(2023, 13)", "!Line 1, column 1: Invalid argument to date encode"},
        {"WeeksInYear(EncodeDate(2020, 6, 1)) * 100 + WeeksInAYear(2021)", "5352"},
        {"WeeksInAYear(2015)", "53"},
        {"var t: Double; begin t := EncodeDateTime(2026, 12, 7, 15, 4, 5, 6); Result := "
         "IntToStr(YearOf(t)) + '-' + IntToStr(MonthOf(t)) + '-' + IntToStr(DayOf(t)) + ' ' + "
         "IntToStr(HourOf(t)) + ':' + IntToStr(MinuteOf(t)) + ':' + IntToStr(SecondOf(t)) + '.' + "
         "IntToStr(MilliSecondOf(t)) end.",
         "2026-12-7 15:4:5.6"},
        {"EncodeDateTime(2023, 2, 29, 0, 0, 0, 0)",
         "!Line 1, column 1: '2023/2/29 0:0:0.0' is not a valid date and time"},
        {"EncodeTime(24, 0, 0, 0)", "!Line 1, column 1: Invalid argument to time encode"},
        {"EncodeTime(18, 0, 0, 0)", "0.75"},
        {"var h, m, s, ms: Word; begin DecodeTime(EncodeTime(13, 45, 30, 250), h, m, s, ms); "
         "Result := Format('%d:%d:%d.%d', h, m, s, ms) end.",
         "13:45:30.250"},
        {"var y, mo, d, h, n, s, ms: Word; begin DecodeDateTime(EncodeDate(2024, 2, 29) + 0.5, y, "
         "mo, d, h, n, s, ms); Result := Format('%d %d %d %d %d %d %d', y, mo, d, h, n, s, ms) "
         "end.",
         "2024 2 29 12 0 0 0"},
        {"DateOf(45000.75) + TimeOf(45000.75)", "45000.75"},
        {"IsValidDate(2024, 2, 29) and not IsValidDate(2023, 2, 29) and not IsValidDate(0, 1, 1)",
         "True"},
        {"IsValidTime(24, 0, 0, 0) and not IsValidTime(24, 0, 0, 1) and IsValidTime(23, 59, 59, "
         "999)",
         "True"},
        {"CurrentYear", "2023"},
    });
}

TEST_F(PascalRuntime, CalendarArithmetic) {
    runTable({
        {"DateToStr(IncMonth(EncodeDate(2024, 1, 31)))", "29.02.2024"},
        {"DateToStr(IncMonth(EncodeDate(2024, 3, 31), -13))", "28.02.2023"},
        {"DateToStr(IncYear(EncodeDate(2024, 2, 29)))", "28.02.2025"},
        {"DateToStr(IncWeek(EncodeDate(2024, 12, 30)))", "06.01.2025"},
        {"DateTimeToStr(IncHour(EncodeDate(2024, 1, 1), 25))", "02.01.2024 01:00:00"},
        {"DateTimeToStr(IncMinute(EncodeDate(2024, 1, 1), -1))", "31.12.2023 23:59:00"},
        {"DateTimeToStr(IncSecond(EncodeDate(2024, 1, 1), 3661))", "01.01.2024 01:01:01"},
        {"IncYear(EncodeDate(9999, 1, 1))", "!Line 1, column 1: Invalid argument to date encode"},
        {"IncDay(Now, 5000000)", "!Line 1, column 1: Invalid argument to date encode"},
        {"DaysBetween(EncodeDate(2024, 1, 1), EncodeDate(2024, 3, 1) + 0.9)", "60"},
        {"HoursBetween(EncodeDate(2024, 1, 1), EncodeDate(2024, 1, 1) + EncodeTime(10, 0, 0, 0))",
         "10"},
        {"MinutesBetween(0, EncodeTime(1, 30, 59, 0)) * 1000 + SecondsBetween(EncodeTime(0, 0, 10, "
         "0), 0)",
         "90010"},
        {"YearsBetween(EncodeDate(2000, 1, 1), EncodeDate(2024, 1, 1))", "24"},
        {"MonthsBetween(EncodeDate(2024, 1, 15), EncodeDate(2024, 4, 14))", "2"},
        {"DateTimeToStr(RecodeDate(EncodeDate(2020, 5, 5) + 0.25, 2021, 6, 7))",
         "07.06.2021 06:00:00"},
        {"DateToStr(StartOfTheMonth(EncodeDate(2024, 2, 10)))", "01.02.2024"},
        {"FormatDateTime('yyyy-mm-dd hh:nn:ss.zzz', EndOfTheMonth(EncodeDate(2024, 2, 10)))",
         "2024-02-29 23:59:59.999"},
        {"FormatDateTime('hh:nn:ss.zzz', EndOfTheDay(Now)) + ' ' + "
         "FloatToStr(StartOfTheDay(45000.7))",
         "23:59:59.999 45000"},
        {"FormatDateTime('yyyy-mm-dd', StartOfTheYear(Now)) + ' ' + "
         "FormatDateTime('yyyy-mm-dd', EndOfTheYear(Now))",
         "2023-01-01 2023-12-31"},
        {"DateToStr(Today) + ' ' + DateToStr(Yesterday) + ' ' + DateToStr(Tomorrow)",
         "15.03.2023 14.03.2023 16.03.2023"},
        {"IsToday(EncodeDate(2023, 3, 15) + 0.9) and not IsToday(Tomorrow)", "True"},
        {"CompareDate(45000.9, 45000.1) * 10 + CompareDate(45001, 45000.9)", "1"},
        {"CompareDateTime(45000.9, 45000.1) * 10 + CompareDateTime(1, 1 + 1e-9)", "10"},
        {"SameDate(45000.1, 45000.9) and not SameDate(45000.9, 45001)", "True"},
        {"SameDateTime(1, 1 + 1e-9) and not SameDateTime(1, 1.001)", "True"},
    });
}

TEST_F(PascalRuntime, TextsToDates) {
    runTable({
        {"DateToStr(StrToDate('07.12.2026'))", "07.12.2026"},
        {"DateToStr(StrToDate(' 7.1.26'))", "07.01.2026"},
        {"DateToStr(StrToDate('7.1.80'))", "07.01.1980"},
        {"DateToStr(StrToDate('7.1'))", "07.01.2023"},  // the current year
        {"StrToDate('31.02.2024')", "!Line 1, column 1: '31.02.2024' is not a valid date"},
        {"StrToDate('2024-01-01')", "!Line 1, column 1: '2024-01-01' is not a valid date"},
        {"FormatDateTime('hh:nn:ss.zzz', StrToTime('15:04:05.006'))", "15:04:05.006"},
        {"FormatDateTime('hh:nn', StrToTime('3:04 PM')) + FormatDateTime(' hh:nn', "
         "StrToTime('12:30 am'))",
         "15:04 00:30"},
        {"StrToTime('25:00')", "!Line 1, column 1: '25:00' is not a valid time"},
        {"StrToTime('13:00 PM')", "!Line 1, column 1: '13:00 PM' is not a valid time"},
        {"DateTimeToStr(StrToDateTime('07.12.2026 15:04:05'))", "07.12.2026 15:04:05"},
        {"DateTimeToStr(StrToDateTime('07.12.2026'))", "07.12.2026"},
        {"StrToDateTime('07.12.2026 x')",
         "!Line 1, column 1: '07.12.2026 x' is not a valid date and time"},
    });
}

TEST_F(PascalRuntime, FormatDateTimeWithTheWholeLanguage) {
    runTable({
        {"FormatDateTime('dddd, mmmm d, yyyy \"at\" h:nn am/pm', EncodeDate(2026, 12, 7) + "
         "EncodeTime(15, 4, 5, 6))",
         "Monday, December 7, 2026 at 3:04 pm"},
        {"FormatDateTime('ddd mmm d yy', EncodeDate(2026, 12, 7))", "Mon Dec 7 26"},
        {"FormatDateTime('h:nn a/p|hh AM/PM|h ampm', EncodeTime(0, 5, 0, 0))",
         "12:05 a|12 AM|12 AM"},
        {"FormatDateTime('h:mm A/P', EncodeTime(12, 30, 0, 0))", "12:30 P"},
        {"FormatDateTime('hh \"h\" mm', EncodeTime(9, 7, 0, 0))", "09 h 07"},  // still minutes
        {"FormatDateTime('h', EncodeTime(23, 0, 0, 0)) + FormatDateTime(' h ''am/pm''', "
         "EncodeTime(23, 0, 0, 0))",
         "23 23 am/pm"},  // a quoted am/pm is text: the hour stays 24-hour
        {"FormatDateTime('s.z s.zz s.zzz', EncodeTime(1, 2, 3, 7))", "3.7 3.007 3.007"},
        {"FormatDateTime('c', EncodeDate(2026, 12, 7) + 0.5)", "07.12.2026 12:00:00"},
        {"FormatDateTime('c', EncodeDate(2026, 12, 7))", "07.12.2026"},
        {"FormatDateTime('ddddd|dddddd', EncodeDate(2026, 12, 7))", "07.12.2026|7 December 2026"},
        {"FormatDateTime('t|tt', EncodeTime(15, 4, 5, 0))", "15:04|15:04:05"},
        {"FormatDateTime('yyyy/mm/dd hh:nn', EncodeDate(2026, 1, 2))", "2026/01/02 00:00"},
        {"FormatDateTime('e|ee', EncodeDate(2026, 1, 2))", "2026|2026"},
        {"FormatDateTime('aaa aaaa', EncodeDate(2026, 12, 7))", "Mon Monday"},
        {"FormatDateTime('mmmmm \"x', EncodeDate(2026, 3, 1))", "March x"},
        {"FormatDateTime('yyyy', 1e300)", "!Line 1, column 1: Invalid argument to date encode"},
    });
}

TEST_F(PascalRuntime, NamesFollowTheLocale) {
    DateTimeNames names = englishDateTimeNames();
    names.longDayNames[1] = "\xEF\xEE\xED\xE5\xE4\xE5\xEB\xFC\xED\xE8\xEA";  // понедельник
    names.longMonthNames[11] = "\xE4\xE5\xEA\xE0\xE1\xF0\xFC";               // декабрь
    names.timeAm = "";
    names.timePm = "";
    names.dateSeparator = '.';
    platform_.locale.names = names;
    runTable({
        {"FormatDateTime('dddd, d mmmm yyyy', EncodeDate(2026, 12, 7))",
         "\xEF\xEE\xED\xE5\xE4\xE5\xEB\xFC\xED\xE8\xEA, 7 \xE4\xE5\xEA\xE0\xE1\xF0\xFC 2026"},
        {"FormatDateTime('dd/mm/yyyy', EncodeDate(2026, 12, 7))", "07.12.2026"},
        {"FormatDateTime('h ampm|', EncodeTime(15, 0, 0, 0))", "3 |"},
    });
    const DateTimeNames seen = library::localeNames(runtimeServices(platform_.platform()));
    EXPECT_EQ(seen.longMonthNames[11], names.longMonthNames[11]);
    EXPECT_EQ(library::localeNames({}).longDayNames[0], "Sunday");  // no locale: English
}

TEST_F(PascalRuntime, RandomDrawsComeFromTheSeededSource) {
    processRandom().seed(7);
    build();
    const std::string first =
        testing::outcome("IntToStr(RandomRange(1, 1000)) + ' ' + IntToStr(Random(1000))", env_);
    processRandom().seed(7);
    EXPECT_EQ(
        testing::outcome("IntToStr(RandomRange(1, 1000)) + ' ' + IntToStr(Random(1000))", env_),
        first);
}

}  // namespace
}  // namespace qbx::scripting::pascal
