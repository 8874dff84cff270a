// Stored scripts run through the built module: found in the scripts folder at start-up, offered
// to the host as macros, and run with the call's arguments; Pascal in our interpreter, JScript
// and VBScript in the system's engines (where the system has them).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/platform.h"

namespace {

using qbxhost::Host;

using qbx::test::kModule;

// Puts a script file where the home's module looks for its scripts.
void addScript(const qbx::test::HostHome& home, const std::string& file, const std::string& text) {
    // The module's folder is the plug-in folder the host's list names; its scripts lie below.
    const std::filesystem::path scripts = home.path() / "Plugins" / "Scripts";
    std::filesystem::create_directories(scripts);
    qbx::test::spit(scripts / file, text);
}

TEST(HostedScripts, RunsAStoredPascalScriptThroughTheExports) {
    const qbx::test::HostHome home("hosted-scripts-");
    addScript(home, "hosted.s",
              "@script Greet\r\n@lang pas\r\n"
              "begin\r\n"
              "  Result := 'Hello, ' + ParamStr(1) + '! (' + IntToStr(ParamCount) + ')'\r\n"
              "end.\r\n");
    {
        Host host(kModule);
        host.initialize();
        const std::string list = Host::fetchText(host.exports().getMacroList);
        EXPECT_NE(list.find("FNGREET\r\n"), std::string::npos);
        auto& data = host.data();
        EXPECT_EQ(host.callMacro(data, "FNgreet", {"World", "x"}), "Hello, World! (2)");
        EXPECT_EQ(host.callMacro(data, "S", {"greet", "you"}), "Hello, you! (1)");
        EXPECT_EQ(host.callMacro(data, "FNNONE", {}), "Script not found");
        EXPECT_EQ(host.callMacro(data, "EPS", {"1 div 0"}),
                  "Script error: Line 1, column 3: Division by zero");
        host.finalize();
    }
}

// The language as ordinary programs use it, each construct in a script of its own: a script that
// does not compile answers with its error and the others run on.
TEST(HostedScripts, PascalProgramsOfEachKindRunThroughTheExports) {
    const qbx::test::HostHome home("hosted-scripts-");
    addScript(
        home, "kinds.s",
        "@script Arrays\r\n@lang pas\r\n"
        "type TArray = array of Integer;\r\nvar a: TArray;\r\n"
        "begin SetLength(a, 3); a[2] := 9; Result := IntToStr(Length(a) * a[2]) end.\r\n"
        "@script Jumps\r\n@lang pas\r\n"
        "label again;\r\nvar i: Integer;\r\n"
        "begin i := 0; again: Inc(i); if i < 4 then goto again; Result := i end.\r\n"
        "@script Casts\r\n@lang pas\r\n"
        "begin try raise EConvertError.Create('bad') except\r\n"
        "Result := Exception(ExceptObject).ClassName + ' ' + Exception(ExceptObject).Message\r\n"
        "end end.\r\n"
        "@script Unsigned\r\n@lang pas\r\n"
        "var u: UInt64;\r\n"
        "begin u := High(UInt64); Result := UIntToStr(u div 5) + ' ' + IntToStr(u) end.\r\n"
        "@script Variants\r\n@lang pas\r\nuses Variants;\r\n"
        "var v, w: Variant;\r\n"
        "begin v := '40'; w := 2; Result := VarToStr(v + w) + ' ' + IntToStr(VarType(v)) +\r\n"
        "' ' + BoolToStr(VarIsNull(Null + w), True) end.\r\n"
        "@script Units\r\n@lang pas\r\nuses SysUtils, BatUtils;\r\n"
        "begin Result := SysUtils.IntToStr(7) + BatUtils.ParamStr(1) end.\r\n"
        "@script Broken\r\n@lang pas\r\n"
        "begin goto nowhere end.\r\n");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    EXPECT_EQ(host.callMacro(data, "FNARRAYS", {}), "27");
    EXPECT_EQ(host.callMacro(data, "FNBROKEN", {}),
              "Script error: Line 32, column 12: Undeclared label: 'nowhere'");
    EXPECT_EQ(host.callMacro(data, "FNJUMPS", {}), "4");
    EXPECT_EQ(host.callMacro(data, "FNCASTS", {}), "EConvertError bad");
    EXPECT_EQ(host.callMacro(data, "FNUNSIGNED", {}), "3689348814741910323 18446744073709551615");
    EXPECT_EQ(host.callMacro(data, "FNVARIANTS", {}), "42 256 True");
    EXPECT_EQ(host.callMacro(data, "FNUNITS", {"x"}), "7x");
    EXPECT_EQ(host.callMacro(data, "EPS", {"label L; begin L: goto L end."}),
              "Script error: Line 1, column 24: Script stopped: step limit");
    EXPECT_EQ(host.callMacro(data, "FNARRAYS", {}), "27");
    host.finalize();
}

// The message cannot choose a stored script: a Subject that names one runs nothing, while the
// same name written in the template runs it.
TEST(HostedScripts, AMessageNamesNoScriptToRun) {
    const qbx::test::HostHome home("hosted-scripts-");
    addScript(
        home, "wipe.s",
        "@script Wipe\r\n@lang pas\r\nbegin\r\n  Result := 'wiped ' + ParamStr(1)\r\nend.\r\n");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    data.set(243, "From: a@b\r\nSubject: wipe\r\n");  // the message's headers
    const std::string refused =
        "Script error: Script name produced by another macro or a variable is not run";
    EXPECT_EQ(host.expandTemplate(data, "%ZVXEVAL(\"$S($ZVXGETHEADER(Subject:))\")"),
              "\"" + refused + "\"");
    EXPECT_EQ(host.expandTemplate(
                  data, "%ZVXFOR(\"i\",\"1\",\"1\",\"$S($ZVXGETHEADER(Subject:))\",\"\")"),
              refused);
    EXPECT_EQ(host.expandTemplate(data, "%ZVXEVAL(\"$S(wipe,$ZVXGETHEADER(Subject:))\")"),
              "\"wiped wipe\"");
    EXPECT_EQ(host.callMacro(data, "S", {"wipe", "now"}), "wiped now");
    host.finalize();
}

TEST(HostedScripts, RunsJScriptAndVBScriptThroughTheExports) {
    const qbx::test::HostHome home("hosted-scripts-");
    addScript(home, "active.s",
              "@script Sum\r\n@lang js\r\nGetParams();\r\n"
              "ParamStr[1] + '+' + ParamStr[2] + '=' + (+ParamStr[1] + +ParamStr[2])\r\n"
              "@script Swap\r\n@lang vb\r\n"
              "Function Main(a, b)\r\n  Main = b & \" \" & a\r\nEnd Function\r\n"
              "@script Fails\r\n@lang js\r\nthrow new Error('out of luck')\r\n");
    {
        Host host(kModule);
        host.initialize();
        auto& data = host.data();
#if defined(_WIN32)
        EXPECT_EQ(host.callMacro(data, "EJS", {"var a = 6;\r\na * 7"}), "42");
        EXPECT_EQ(
            host.callMacro(data, "EVS", {"Function Main()\r\nMain = 1.5 * 2\r\nEnd Function"}),
            "3");
        EXPECT_EQ(host.callMacro(data, "EVS", {"x = 1"}), "");
        EXPECT_EQ(host.callMacro(data, "FNSUM", {"2", "3"}), "2+3=5");
        EXPECT_EQ(host.callMacro(data, "S", {"swap", "world", "hello"}), "hello world");
        EXPECT_EQ(host.callMacro(data, "FNSWAP", {"\xEC\xE8\xF0", "\xEF\xF0\xE8\xE2\xE5\xF2"}),
                  "\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0");  // code page 1251 both ways
        // A stored JScript script's error is its result; the others' carry the prefix.
        EXPECT_EQ(host.callMacro(data, "FNFAILS", {}), "out of luck");
        EXPECT_EQ(host.callMacro(data, "EJS", {"throw new Error('no')"}), "Script error: no");
#else
        EXPECT_EQ(host.callMacro(data, "EJS", {"1"}), "Script error: JScript is not available");
        EXPECT_EQ(host.callMacro(data, "EVS", {"1"}), "Script error: VBScript is not available");
        EXPECT_EQ(host.callMacro(data, "FNSUM", {"2", "3"}), "JScript is not available");
        EXPECT_EQ(host.callMacro(data, "FNSWAP", {"a", "b"}),
                  "Script error: VBScript is not available");
#endif
        host.finalize();
    }
}

// A script keeps its files in the folder it is given and asks for a window that is not there;
// neither stops it, whichever build runs it.
TEST(HostedScripts, PascalScriptsKeepFilesAndAskForWindows) {
    const qbx::test::HostHome home("hosted-scripts-");
    addScript(home, "tools.s",
              "@script Notes\r\n@lang pas\r\n"
              "var d: string; h: Integer; sr: TSearchRec; b: array[0..2] of Byte;\r\n"
              "begin\r\n"
              "  d := IncludeTrailingPathDelimiter(ParamStr(1)) + 'notes';\r\n"
              "  Result := BoolToStr(ForceDirectories(d), True);\r\n"
              "  d := IncludeTrailingPathDelimiter(d);\r\n"
              "  b[0] := 81; b[1] := 66; b[2] := 88;\r\n"
              "  h := FileCreate(d + 'a.txt'); FileWrite(h, b, 3); FileClose(h);\r\n"
              "  if FindFirst(d + '*.txt', faAnyFile, sr) = 0 then\r\n"
              "    Result := Result + ' ' + sr.Name + ' ' + IntToStr(sr.Size);\r\n"
              "  FindClose(sr);\r\n"
              "  Result := Result + ' ' + BoolToStr(RenameFile(d + 'a.txt', d + 'b.txt'), True)\r\n"
              "end.\r\n"
              "@script Probe\r\n@lang pas\r\n"
              "begin\r\n"
              "  Result := IntToStr(FindWindow(nil, ParamStr(1))) + '[' +\r\n"
              "    GetWindowText(FindWindow(ParamStr(1), nil)) + ']'\r\n"
              "end.\r\n");
    const std::filesystem::path work = home.path() / "work";
    std::filesystem::create_directories(work);
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    EXPECT_EQ(host.callMacro(data, "FNNOTES", {work.string()}), "True a.txt 3 True");
    EXPECT_EQ(qbx::test::slurp(work / "notes" / "b.txt"), "QBX");
    EXPECT_EQ(host.callMacro(data, "FNPROBE", {"Quilbex: no window has this title"}), "0[]");
    EXPECT_EQ(host.callMacro(data, "EPS", {"DirectoryExists('" + work.string() + "')"}), "True");
    host.finalize();
}

// TRegistry writes where the module's own settings live: the module's registry routine reads
// the value back, and the module's settings key is there to open.
TEST(HostedScripts, PascalScriptsKeepSettingsInTheRegistry) {
    const qbx::test::HostHome home("hosted-scripts-");
    Host host(kModule);
    host.initialize();
    auto& data = host.data();
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"var r: TRegistry; begin r := TRegistry.Create;"
                              " if r.OpenKey('Software\\QBX Hosted Script', True) then"
                              "  r.WriteString('Owner', 'Anna');"
                              " Result := RegReadString('Software\\QBX Hosted Script', 'Owner', "
                              "'none') + ' ' + BoolToStr(r.KeyExists('\\Software\\ZVX'), True);"
                              " r.DeleteKey('\\Software\\QBX Hosted Script'); r.Free end."}),
              "Anna True");
    EXPECT_EQ(host.callMacro(data, "EPS",
                             {"RegReadString('Software\\QBX Hosted Script', 'Owner', 'gone')"}),
              "gone");
    host.finalize();
}

}  // namespace
