// The scripts' runtime library: scripts and the text they give ("!" and the error when they
// fail), against the fake platform's clock, locale, files, registry and message boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "scripting/pascal/library.h"
#include "support/fakes.h"
#include "support/pascal_runtime_fixture.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::Case;

class PascalLibrary : public testing::PascalRuntimeTest {};

TEST_F(PascalLibrary, StringRoutines) {
    runTable({
        {"StringReplace('a-b-c', '-', '+', 0)", "a+b-c"},
        {"StringReplace('a-b-c', '-', '+', rfReplaceAll)", "a+b+c"},
        {"StringReplace('Abc abc', 'ABC', 'x', rfReplaceAll + rfIgnoreCase)", "x x"},
        {"StringReplace('\xC0\xE1\xE2 \xE0\xC1\xC2', '\xE0\xE1\xE2', '!', 3)",
         "! !"},  // Cyrillic folds too
        {"StringReplace('aaa', '', 'x', 1)", "aaa"},
        {"StringReplace('aaaa', 'aa', 'a', rfReplaceAll)", "aa"},  // no re-scan of the output
        {"IntToHex(255, 4)", "00FF"},
        {"IntToHex(-1, 2)", "FFFFFFFF"},
        {"IntToHex(4294967296, 1)", "100000000"},
        {"IntToHex(-4294967296, 1)", "FFFFFFFF00000000"},  // a negative Int64 in 64 bits
        {"IntToHex(1, 40)", "!Line 1, column 1: Invalid argument: IntToHex digits above 32"},
        {"StrToFloat('  -1.5e2 ')", "-150"},
        {"StrToFloat('inf')", "!Line 1, column 1: 'inf' is not a valid floating point value"},
        {"StrToFloat('1e999')", "!Line 1, column 1: '1e999' is not a valid floating point value"},
        {"StrToFloat('0x10')", "!Line 1, column 1: '0x10' is not a valid floating point value"},
        {"'[' + TrimLeft(#9'  a  ') + ']'", "[a  ]"},
        {"'[' + TrimRight('  a '#13#10) + ']'", "[  a]"},
        {"CompareText('abc', 'ABD') < 0", "True"},
        {"CompareText('Hello', 'hELLO')", "0"},
        {"CompareText('ab', 'a') > 0", "True"},
        {"CompareStr('a', 'A') > 0", "True"},
        {"QuotedStr('it''s')", "'it''s'"},
        {"StringOfChar('*', 3) + StringOfChar(#65, 0)", "***"},
        {"AnsiPos('\xE1', '\xE0\xE1\xE2')", "2"},
        {"AnsiPos('', 'abc')", "0"},
    });
}

TEST_F(PascalLibrary, DeleteAndInsertChangeTheirVariable) {
    runTable({
        {"var s: String; begin s := 'abcdef'; Delete(s, 2, 3); Result := s end.", "aef"},
        {"var s: String; begin s := 'abc'; Delete(s, 2, 100); Result := s end.", "a"},
        {"var s: String; begin s := 'abc'; Delete(s, 0, 1); Delete(s, 4, 1); Delete(s, 1, -1); "
         "Result := s end.",
         "abc"},
        {"var s: String; begin s := 'ac'; Insert('b', s, 2); Result := s end.", "abc"},
        {"var s: String; begin s := 'ab'; Insert('x', s, 99); Insert('y', s, -5); Result := s end.",
         "yabx"},
        {"Delete('abc', 1, 1)", "!Line 1, column 1: Variable required for parameter 1 of 'Delete'"},
    });
}

TEST_F(PascalLibrary, FormatDirectives) {
    runTable({
        {"Format('%d items, %s', 3, 'ok')", "3 items, ok"},
        {"Format('[%5d|%-5d|%.3d]', 42, 42, 7)", "[   42|42   |007]"},
        {"Format('%x %.4x %x', 255, 255, -1)", "FF 00FF FFFFFFFF"},
        {"Format('%f %.1f %.0f', 3.14159, 2.25, 2.5)", "3.14 2.3 3"},  // halves away from zero
        {"Format('%.2f', 0.125)", "0.13"},
        {"Format('%.2f', -0.001)", "0.00"},
        {"Format('%.2f|%f', 99.999, 5)", "100.00|5.00"},
        {"Format('%.2s|%6s', 'abcdef', 'ab')", "ab|    ab"},
        {"Format('100%%')", "100%"},
        {"Format('%d%%', 5)", "5%"},
        {"Format('no directives')", "no directives"},
    });
}

TEST_F(PascalLibrary, FormatFailuresAreCatchableConvertErrors) {
    runTable({
        {"Format('%d and %d', 1)", "!Line 1, column 1: No argument for format '%d'"},
        {"Format('%s', 1)", "!Line 1, column 1: Format '%s' invalid or incompatible with argument"},
        {"Format('%d', 1.5)",
         "!Line 1, column 1: Format '%d' invalid or incompatible with argument"},
        {"Format('%q', 1)", "!Line 1, column 1: Format '%q' invalid or incompatible with argument"},
        {"Format('%', 1)", "!Line 1, column 1: Format '%' invalid or incompatible with argument"},
        {"Format('abc %5', 1)",
         "!Line 1, column 1: Format '%5' invalid or incompatible with argument"},
        {"Format('%99999999999d', 1)",
         "!Line 1, column 1: Format '%9999' invalid or incompatible with argument"},
        {"begin try Result := Format('%d') except on E: EConvertError do Result := 'caught' end "
         "end.",
         "caught"},
    });
    // A width at the bound is honoured; the string limit still applies to the whole text.
    EXPECT_EQ(outcome("Length(Format('%4096d', 1))"), "4096");
    env_.limits.maxStringLength = 100;
    EXPECT_EQ(outcome("Format('%200d', 1)"),
              "!Line 1, column 1: Script stopped: string length limit");
}

TEST_F(PascalLibrary, Mathematics) {
    runTable({
        {"Int(-2.7)", "-2"},
        {"Frac(2.75)", "0.75"},
        {"Power(2, 10)", "1024"},
        {"Power(0, 0)", "1"},
        {"Power(10, 400)", "!Line 1, column 1: Floating point overflow"},
        {"Power(-8, 0.5)", "!Line 1, column 1: Invalid floating point operation"},
        {"Power(0, -1)", "!Line 1, column 1: Division by zero"},
        {"Sqr(12)", "144"},
        {"Sqr(1.5)", "2.25"},
        {"Round(Exp(1) * 1000)", "2718"},
        {"Exp(1000)", "!Line 1, column 1: Floating point overflow"},
        {"Ln(1)", "0"},
        {"Ln(0)", "!Line 1, column 1: Invalid floating point operation"},
        {"Max(3, 7) + Min(3, 7)", "10"},
        {"Max(2, 2.5)", "2.5"},
        {"Odd(3) and not Odd(-4)", "True"},
    });
}

TEST_F(PascalLibrary, RandomStaysInRange) {
    EXPECT_EQ(
        outcome(
            "var i: Integer; ok: Boolean; r: Double; begin Randomize; ok := True;"
            " for i := 1 to 500 do begin if (Random(6) < 0) or (Random(6) > 5) then ok := False;"
            " r := Random; if (r < 0) or (r >= 1) then ok := False end;"
            " Result := ok and (Random(0) = 0) and (Random(-3) = 0) end."),
        "True");
}

TEST_F(PascalLibrary, DatesFromTheClockAndTheLocale) {
    platform_.clock.dateTime = 45000.5;  // 2023-03-15 12:00:00, a Wednesday
    runTable({
        {"Now", "45000.5"},
        {"Date", "45000"},
        {"Time", "0.5"},
        {"DateToStr(Now)", "15.03.2023"},
        {"TimeToStr(Now)", "12:00:00"},
        {"DateTimeToStr(Now)", "15.03.2023 12:00:00"},
        {"DateTimeToStr(Date)", "15.03.2023"},
        {"DayOfWeek(Now)", "4"},
        {"DayOfWeek(0)", "7"},
        {"DayOfWeek(1)", "1"},
        {"DateToStr(IncDay(Now, 17))", "01.04.2023"},
        {"DateToStr(IncDay(Now))", "16.03.2023"},
        {"DateToStr(1e300)", "!Line 1, column 1: Invalid argument to date encode"},
    });
    platform_.clock.tick = 4294967295u;
    EXPECT_EQ(outcome("GetTickCount"), "4294967295");
}

TEST_F(PascalLibrary, FormatDateTimeTokens) {
    platform_.clock.dateTime = 38784 + (7 * 3600 + 5 * 60 + 9) / 86400.0;  // 2006-03-08 07:05:09
    runTable({
        {"FormatDateTime('yyyy-mm-dd hh:nn:ss', Now)", "2006-03-08 07:05:09"},
        {"FormatDateTime('yy/m/d h:n:s', Now)", "06/3/8 7:5:9"},
        {"FormatDateTime('hh:mm', Now)", "07:05"},  // m after an hour is the minute
        {"FormatDateTime('\"year\" yyyy, ''d'' d', Now)", "year 2006, d 8"},
        {"FormatDateTime('\"open', Now)", "open"},
        {"FormatDateTime('', Now)", ""},
    });
}

TEST_F(PascalLibrary, EncodeAndDecodeDateRoundTrip) {
    runTable({
        {"EncodeDate(2023, 3, 15)", "45000"},
        {"EncodeDate(1899, 12, 30)", "0"},
        {"var y, m, d: Word; begin DecodeDate(EncodeDate(2024, 2, 29) + 0.75, y, m, d);"
         " Result := IntToStr(y) + '-' + IntToStr(m) + '-' + IntToStr(d) end.",
         "2024-2-29"},
        {"var y, m, d: Integer; begin DecodeDate(EncodeDate(1, 1, 1), y, m, d); Result := y * "
         "10000 + m * 100 + d end.",
         "10101"},
        {"EncodeDate(2023, 2, 29)", "!Line 1, column 1: Invalid argument to date encode"},
        {"EncodeDate(10000, 1, 1)", "!Line 1, column 1: Invalid argument to date encode"},
        {"EncodeDate(2023, 13, 1)", "!Line 1, column 1: Invalid argument to date encode"},
        {"var y, m, d: Word; begin DecodeDate(Now, y, 2, d) end.",
         "!Line 1, column 26: Variable required for parameter 3 of 'DecodeDate'"},
    });
    // Every day of a long span survives the round trip.
    EXPECT_EQ(outcome("var t, dt: Double; y, m, d: Word; bad: Integer; begin bad := 0; t := -1000;"
                      " while t < 80000 do begin DecodeDate(t, y, m, d); dt := EncodeDate(y, m, d);"
                      " if dt <> t then Inc(bad); t := t + 37 end; Result := bad end."),
              "0");
}

TEST_F(PascalLibrary, FileNames) {
    // FileExists asks the system's own files, as the script's other file routines do.
    const std::filesystem::path folder = ::testing::TempDir() + "qbx_pascal_file_names";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "a.txt") << "x";
    const std::string name = (folder / "a.txt").string();
    EXPECT_EQ(outcome("FileExists('" + name + "')"), "True");
    EXPECT_EQ(outcome("FileExists('" + name + "x') or FileExists('')"), "False");
    runTable({
        {"ExtractFileName('C:\\dir.d\\file.tar.gz')", "file.tar.gz"},
        {"ExtractFilePath('C:\\dir.d\\file.tar.gz')", "C:\\dir.d\\"},
        {"ExtractFileExt('C:\\dir.d\\file.tar.gz')", ".gz"},
        {"ExtractFileExt('C:\\dir.d\\file')", ""},
        {"ExtractFileName('C:file')", "file"},
        {"ChangeFileExt('C:\\dir.d\\file', '.bak')", "C:\\dir.d\\file.bak"},
        {"ChangeFileExt('a.txt', '')", "a"},
    });
}

TEST_F(PascalLibrary, MessageBoxShowsTheIconAndAnswersOk) {
    runTable({{"MessageBox('Done', 'Script', MB_OK + MB_ICONWARNING) = IDOK", "True"},
              {"MessageBox('Oops', 'Script', MB_ICONERROR)", "1"},
              {"MessageBox('Plain')", "1"},
              {"MessageBox(0, 'Owned', 'Caption', MB_ICONINFORMATION)", "1"}});  // an owner first
    using Shown = std::tuple<std::string, std::string, MessageIcon>;
    std::vector<Shown> shown;
    for (const auto& box : platform_.ui.boxes) shown.emplace_back(box.text, box.caption, box.icon);
    EXPECT_EQ(shown, (std::vector<Shown>{{"Done", "Script", MessageIcon::Warning},
                                         {"Oops", "Script", MessageIcon::Error},
                                         {"Plain", "", MessageIcon::Information},
                                         {"Owned", "Caption", MessageIcon::Information}}));
}

TEST_F(PascalLibrary, RegistryStringsUnderTheCurrentUser) {
    platform_.registry.set("Software\\ZVX", "Language", "Russian");
    platform_.registry.setWrongType("Software\\ZVX", "Flags");
    runTable({
        {"RegReadString('\\Software\\ZVX\\', 'Language', '?')", "Russian"},
        {"RegReadString('HKEY_CURRENT_USER\\Software\\ZVX', 'Language', '?')", "Russian"},
        {"RegReadString('Software\\ZVX', 'Missing', 'dflt')", "dflt"},
        {"RegReadString('Software\\ZVX', 'Flags', 'dflt')", "dflt"},
        {"begin RegWriteString('Software\\ZVX\\Scripts', 'Last', 'x'); Result := 'ok' end.", "ok"},
        {"RegReadString('HKEY_LOCAL_MACHINE\\Software', 'a', '')",
         "!Line 1, column 1: Invalid registry key 'HKEY_LOCAL_MACHINE\\Software'"},
        {"RegReadString('', 'a', '')", "!Line 1, column 1: Invalid registry key ''"},
    });
    EXPECT_EQ(platform_.registry.get("Software\\ZVX\\Scripts", "Last"), "x");
    platform_.registry.failWrites = true;
    EXPECT_EQ(outcome("begin try RegWriteString('Software\\ZVX', 'Last', 'y') except on E: "
                      "ERegistryException do "
                      "Result := E.Message end end."),
              "Failed to set data for 'Last'");
}

TEST(PascalLibraryServices, MissingServicesAreScriptErrors) {
    Environment env;
    addCoreLibrary(env);
    addRuntimeLibrary(env, RuntimeServices{});
    EXPECT_EQ(testing::outcome("Now", env), "!Line 1, column 1: The clock is not available");
    EXPECT_EQ(testing::outcome("MessageBox('a', 'b', 0)", env),
              "!Line 1, column 1: The user interface is not available");
    EXPECT_EQ(testing::outcome("StrToFloat('2.5')", env), "2.5");
}

}  // namespace
}  // namespace qbx::scripting::pascal
