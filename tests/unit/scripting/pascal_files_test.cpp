// SysUtils' files and folders on the system's own files, in a folder of the test's own, and the
// Windows routines against a desktop that records what reaches it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scripting/pascal/library.h"
#include "support/fakes.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::Case;

class PascalFiles : public ::testing::Test {
protected:
    PascalFiles() {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        addCoreLibrary(env_);
        addRuntimeLibrary(env_, runtimeServices(platform_.platform()));
    }
    ~PascalFiles() override {
        env_ = Environment();  // lets go of the files scripts left open
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    // The script with every "@" replaced by the test's folder, ending in a delimiter.
    std::string outcome(const std::string& source) {
        std::string text;
        for (const char c : source) text += c == '@' ? dir_ : std::string(1, c);
        return testing::outcome(text, env_);
    }

    test::FakePlatform platform_;
    Environment env_;
    std::filesystem::path folder_ = ::testing::TempDir() + "qbx_pascal_files";
    std::string dir_ =
        folder_.string() + std::string(1, std::filesystem::path::preferred_separator);
};

TEST_F(PascalFiles, FoldersAreMadeRenamedAndRemovedAsDelphiAnswers) {
    EXPECT_EQ(
        outcome("begin Result := IntToStr(Ord(CreateDir('@d'))) + IntToStr(Ord(CreateDir('@d')))"
                " + IntToStr(Ord(DirectoryExists('@d'))) + IntToStr(Ord(FileExists('@d'))) end."),
        "1010");  // a second CreateDir of the same folder fails
    EXPECT_EQ(outcome("ForceDirectories('@x\\y\\z') and DirectoryExists('@x\\y\\z')"), "True");
    EXPECT_EQ(outcome("CreateDir('@none\\sub')"), "False");  // no missing parents
    std::ofstream(folder_ / "x" / "f.txt") << "abc";
    EXPECT_EQ(outcome("RemoveDir('@x')"), "False");  // not empty
    EXPECT_EQ(outcome("RenameFile('@x\\f.txt', '@x\\g.txt') and FileExists('@x\\g.txt')"), "True");
    std::ofstream(folder_ / "x" / "h.txt") << "keep";
    EXPECT_EQ(outcome("RenameFile('@x\\g.txt', '@x\\h.txt')"), "False");  // never over a file
    EXPECT_EQ(outcome("DeleteFile('@x\\g.txt') and not DeleteFile('@x\\g.txt')"), "True");
    EXPECT_EQ(outcome("DeleteFile('@x\\y')"), "False");  // a folder is no file
    std::ifstream kept(folder_ / "x" / "h.txt");
    std::string keptText;
    std::getline(kept, keptText);
    EXPECT_EQ(keptText, "keep");
    // Delphi raises only for a name that is no name at all; the script catches it.
    EXPECT_EQ(outcome("begin try ForceDirectories(''); Result := 'no' except on E: EInOutError do "
                      "Result := E.Message end end."),
              "Unable to create directory");
}

TEST_F(PascalFiles, AttributesAndTimes) {
    std::ofstream(folder_ / "a.txt") << "12345";
    EXPECT_EQ(outcome("(FileGetAttr('@') and faDirectory) <> 0"), "True");
    EXPECT_EQ(outcome("(FileGetAttr('@a.txt') and faDirectory) = 0"), "True");
    EXPECT_EQ(outcome("FileGetAttr('@missing') + FileAge('@missing')"), "-2");
    EXPECT_EQ(outcome("FileSetAttr('@missing', 0)"), "2");
    EXPECT_EQ(outcome("begin FileSetAttr('@a.txt', faReadOnly); Result := (FileGetAttr('@a.txt') "
                      "and faReadOnly) <> 0; FileSetAttr('@a.txt', 0) end."),
              "True");
    EXPECT_EQ(outcome("(FileGetAttr('@a.txt') and faReadOnly) = 0"), "True");
    // The stamp and the date-time tell the same moment, to the stamp's two seconds.
    EXPECT_EQ(
        outcome(
            "var t: TDateTime; begin Result := FileAge('@a.txt', t) and "
            "(Abs(FileDateToDateTime(FileAge('@a.txt')) - t) < 2.1 / 86400) and (t > 45000) end."),
        "True");
    EXPECT_EQ(outcome("var t: TDateTime; begin t := 5; Result := FloatToStr(t) + "
                      "BoolToStr(FileAge('@missing', t), True) + FloatToStr(t) end."),
              "5False5");  // a missing file leaves the variable alone
    EXPECT_EQ(outcome("FileDateToDateTime(DateTimeToFileDate(EncodeDate(2024, 2, 29) + "
                      "EncodeTime(13, 45, 31, 0))) = EncodeDate(2024, 2, 29) + EncodeTime(13, 45, "
                      "30, 0)"),
              "True");
    EXPECT_EQ(outcome("DiskSize(0) >= DiskFree(0)"), "True");
    EXPECT_EQ(outcome("DiskFree(27) + DiskSize(-1)"), "-2");
}

TEST_F(PascalFiles, FindFirstListsTheFolderThroughTheRecord) {
    for (const char* name : {"b.txt", "a.txt", "c.log"}) std::ofstream(folder_ / name) << name;
    std::filesystem::create_directories(folder_ / "sub.txt");
    const std::string loop =
        "var sr: TSearchRec; s: string; n: Integer; begin s := '';"
        " n := FindFirst('@%s', %s, sr);"
        " while n = 0 do begin s := s + sr.Name + ':' + IntToStr(sr.Size) + ' '; n := FindNext(sr)"
        " end; FindClose(sr); Result := s + IntToStr(n) end.";
    const auto find = [&](const char* pattern, const char* attributes) {
        std::string text = loop;
        text.replace(text.find("%s"), 2, pattern);
        text.replace(text.find("%s"), 2, attributes);
        return outcome(text);
    };
    EXPECT_EQ(find("*.txt", "faAnyFile - faDirectory"), "a.txt:5 b.txt:5 18");
    EXPECT_EQ(find("*.txt", "faAnyFile"), "a.txt:5 b.txt:5 sub.txt:0 18");
    EXPECT_EQ(find("*.none", "faAnyFile"), "2");
    EXPECT_EQ(find("missing\\*", "faAnyFile"), "2");
    // A copy of the record is the copy's own; FindNext after FindClose says there is no more.
    EXPECT_EQ(outcome("var a, b: TSearchRec; begin FindFirst('@*.txt', 0, a); b := a; FindNext(a);"
                      " Result := a.Name + ' ' + b.Name + ' '; FindClose(a);"
                      " Result := Result + IntToStr(FindNext(a)) end."),
              "b.txt a.txt 18");
    // Searches never closed run out before the process's handles do, and the script can catch it.
    EXPECT_EQ(outcome("var sr: TSearchRec; i: Integer; begin try for i := 1 to 100 do "
                      "FindFirst('@*', faAnyFile, sr); Result := 'all' except on E: EInOutError "
                      "do Result := 'caught' end end."),
              "caught");
    EXPECT_EQ(outcome("var i: Integer; begin FindFirst('@*', 0, i) end."),
              "!Line 1, column 23: TSearchRec required");
}

TEST_F(PascalFiles, HandlesReadAndWriteBoundedByTheScriptsOwnBuffers) {
    EXPECT_EQ(outcome("var h: Integer; s: string; begin h := FileCreate('@f.bin');"
                      " FileWrite(h, 'hello world', 5); FileSeek(h, 0, 0);"
                      " Result := IntToStr(FileRead(h, s, 100)) + s; FileClose(h) end."),
              "5hello");
    // An array takes no more than it holds, whatever count the script asks for.
    EXPECT_EQ(outcome("var h, i: Integer; b: array[0..2] of Byte; begin h := FileOpen('@f.bin', "
                      "fmOpenRead); Result := IntToStr(FileRead(h, b, 1000)) + ':';"
                      " for i := 0 to 2 do Result := Result + Chr(b[i]);"
                      " Result := Result + ':' + IntToStr(FileSeek(h, 0, 2)); FileClose(h) end."),
              "3:hel:5");
    EXPECT_EQ(outcome("var h: Integer; b: array[0..1] of Byte; begin b[0] := 79; b[1] := 75;"
                      " h := FileOpen('@f.bin', fmOpenWrite); FileWrite(h, b, 9); FileClose(h);"
                      " h := FileOpen('@f.bin', fmOpenRead or fmShareDenyNone);"
                      " FileRead(h, Result, 9); FileClose(h) end."),
              "OKllo");
    EXPECT_EQ(outcome("FileOpen('@missing', fmOpenRead)"), "-1");
    EXPECT_EQ(outcome("var s: string; begin Result := FileRead(99, s, 1) + FileWrite(-1, 'a', 1) "
                      "+ FileSeek(0, 0, 0) + FileRead(1, s, -1) end."),
              "-4");
    // A script that never closes its files runs out of handles of its own, not the process's.
    EXPECT_EQ(outcome("var i, h: Integer; begin for i := 1 to 100 do h := FileOpen('@f.bin', 0);"
                      " Result := h end."),
              "-1");
    // A closed handle is the one given next, and only it: every other is still held.
    EXPECT_EQ(outcome("begin FileClose(7); Result := IntToStr(FileOpen('@f.bin', 0)) + ' ' +"
                      " IntToStr(FileOpen('@f.bin', 0)) end."),
              "7 -1");
    EXPECT_EQ(outcome("FileRead(1, Result, 10000000000)"),
              "!Line 1, column 1: Script stopped: string length limit");
}

TEST_F(PascalFiles, PathNames) {
    testing::expectOutcomes(
        {
            {"ExpandFileName('C:\\a\\b\\..\\.\\c.txt')", "C:\\a\\c.txt"},
            {"ExpandFileName('C:\\a\\..\\..\\x')", "C:\\x"},
            {"ExpandFileName('\\\\srv\\share\\a\\..\\b')", "\\\\srv\\share\\b"},
            {"ExpandFileName('C:\\a\\')", "C:\\a\\"},
            {"ExpandFileName('')", ""},
            {"ExtractFileDir('C:\\a\\b.txt') + '|' + ExtractFileDir('C:\\b.txt') + '|' + "
             "ExtractFileDir('b.txt')",
             "C:\\a|C:\\|"},
            {"ExtractFileDrive('C:\\a') + '|' + ExtractFileDrive('\\\\srv\\share\\a') + '|' + "
             "ExtractFileDrive('a\\b')",
             "C:|\\\\srv\\share|"},
            {"IncludeTrailingPathDelimiter('C:\\a') + IncludeTrailingBackslash('b\\') + "
             "IncludeTrailingPathDelimiter('')",
             "C:\\a\\b\\\\"},
            {"ExcludeTrailingPathDelimiter('C:\\a\\') + ExcludeTrailingBackslash('b')", "C:\\ab"},
        },
        env_);
    EXPECT_EQ(outcome("SameText(ExpandFileName('x.txt'), IncludeTrailingPathDelimiter("
                      "GetCurrentDir) + 'x.txt')"),
              "True");
    const std::filesystem::path before = std::filesystem::current_path();
    EXPECT_EQ(outcome("SetCurrentDir('@') and FileExists('probe') = False and "
                      "not SetCurrentDir('@missing')"),
              "True");
    EXPECT_EQ(std::filesystem::current_path(), folder_);
    std::filesystem::current_path(before);
}

TEST_F(PascalFiles, PlainSysUtilsRoutines) {
    testing::expectOutcomes(
        {
            {"IsValidIdent('_a1') and not IsValidIdent('1a') and not IsValidIdent('')", "True"},
            {"IsValidIdent('a.b') or IsValidIdent('a b') or IsValidIdent('\xE0')", "False"},
            {"IsValidIdent('Unit1.Form1', True) and not IsValidIdent('a..b', True) and "
             "not IsValidIdent('a.', True)",
             "True"},
            {"StrPas('ab'#0'cd')", "ab"},
            {"var d: string; begin Result := StrPCopy(d, 'xy'#0'z') + d end.", "xyxy"},
            // The system's own wording (Wine's differs from Windows'), without the end.
            {"var s: string; begin s := SysErrorMessage(2); Result := (Length(s) > 4) and "
             "not (s[Length(s)] in ['.', #10, #13, ' ']) end.",
             "True"},
        },
        env_);
#ifndef _WIN32
    EXPECT_EQ(outcome("SysErrorMessage(2)"), "The system cannot find the file specified");
#endif
}

// ---- Windows

struct Sent {
    WindowHandle window;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    bool operator==(const Sent&) const = default;
};

class RecordingWindows final : public ScriptWindows {
public:
    WindowHandle findWindow(const std::optional<std::string>& className,
                            const std::optional<std::string>& caption) override {
        searched.push_back(className.value_or("nil") + "/" + caption.value_or("nil"));
        return caption == "Mail" ? 77 : 0;
    }
    WindowHandle findChildWindow(WindowHandle parent, WindowHandle after,
                                 const std::optional<std::string>& className,
                                 const std::optional<std::string>&) override {
        return parent == 77 && after == 0 && className == "Edit" ? 78 : 0;
    }
    std::intptr_t sendMessage(WindowHandle w, std::uint32_t m, std::uintptr_t wp,
                              std::intptr_t lp) override {
        sent.push_back({w, m, wp, lp});
        return 5;
    }
    bool ownWindow(WindowHandle w) override { return w == 78; }
    bool postMessage(WindowHandle w, std::uint32_t m, std::uintptr_t wp,
                     std::intptr_t lp) override {
        sent.push_back({w, m, wp, lp});
        return true;
    }
    std::string windowText(WindowHandle w, std::size_t maxChars) override {
        return w == 77 ? text.substr(0, maxChars) : std::string();
    }
    bool setWindowText(WindowHandle w, const std::string& t) override {
        if (w != 77) return false;
        text = t;
        return true;
    }
    WindowHandle activeWindow() override { return 77; }
    WindowHandle foregroundWindow() override { return 77; }
    bool showWindow(WindowHandle, int) override { return true; }
    std::uint32_t winExec(const std::string&, int) override { return 33; }
    std::intptr_t shellExecute(WindowHandle, const std::optional<std::string>&, const std::string&,
                               const std::optional<std::string>&, const std::optional<std::string>&,
                               int) override {
        return 42;
    }
    bool messageBeep(std::uint32_t) override { return true; }
    int systemMetrics(int) override { return 1024; }
    std::int16_t keyState(int) override { return -128; }
    void sleep(std::uint32_t ms) override { slept += ms; }

    std::vector<std::string> searched;
    std::vector<Sent> sent;
    std::string text = "Inbox - Mail";
    std::uint64_t slept = 0;
};

class PascalWindows : public ::testing::Test {
protected:
    PascalWindows() {
        RuntimeServices services = runtimeServices(platform_.platform());
        services.windows = &windows_;
        addCoreLibrary(env_);
        addRuntimeLibrary(env_, services);
    }
    std::string outcome(std::string_view source) { return testing::outcome(source, env_); }

    test::FakePlatform platform_;
    RecordingWindows windows_;
    Environment env_;
};

TEST_F(PascalWindows, FindWindowTakesNilForEitherText) {
    EXPECT_EQ(outcome("FindWindow(nil, 'Mail')"), "77");
    EXPECT_EQ(outcome("FindWindow('TMailer', nil) + FindWindow(0, '')"), "0");
    EXPECT_EQ(windows_.searched, (std::vector<std::string>{"nil/Mail", "TMailer/nil", "nil/"}));
    EXPECT_EQ(outcome("FindWindowEx(FindWindow(nil, 'Mail'), 0, 'Edit', nil)"), "78");
}

TEST_F(PascalWindows, WindowTextIsBoundedAndSetThroughItsOwnRoutines) {
    EXPECT_EQ(outcome("GetWindowText(77)"), "Inbox - Mail");
    EXPECT_EQ(outcome("var s: string; n: Integer; begin n := GetWindowText(77, s, 6);"
                      " Result := IntToStr(n) + s end."),
              "5Inbox");  // a buffer of 6 holds 5 characters and the terminating zero
    EXPECT_EQ(
        outcome("var s: string; begin s := 'old'; GetWindowText(1, s, 100); Result := s end."), "");
    EXPECT_EQ(outcome("SetWindowText(77, 'Drafts') and not SetWindowText(1, 'x')"), "True");
    EXPECT_EQ(outcome("SendMessage(77, WM_SETTEXT, 0, 'Sent') + SendMessage(77, WM_GETTEXT, 3, 0)"),
              "3");  // set, then two characters of the text fit a buffer of three
    EXPECT_EQ(windows_.text, "Sent");
    EXPECT_TRUE(windows_.sent.empty());  // neither went out as a raw message
}

TEST_F(PascalWindows, MessagesWhoseNumbersCouldBeAddressesNeverLeave) {
    EXPECT_EQ(outcome("SendMessage(77, WM_CLOSE, 0, 0)"), "5");
    EXPECT_EQ(outcome("SendMessage(77, WM_COMMAND, 101, 78)"), "5");
    EXPECT_EQ(outcome("SendMessage(77, WM_USER + 1, 2, 3)"), "5");  // another program's
    EXPECT_EQ(outcome("SendMessage(78, WM_USER + 1, 2, 3)"), "0");  // a control of ours
    EXPECT_EQ(outcome("SendMessage(77, $0189, 0, 123456)"), "0");   // LB_GETTEXT writes there
    EXPECT_EQ(outcome("SendMessage(77, WM_USER, 0, 'text')"), "0");
    EXPECT_EQ(outcome("PostMessage(77, WM_SETTEXT, 0, 'x') or PostMessage(77, $4A, 0, 99)"),
              "False");
    EXPECT_EQ(outcome("PostMessage(77, WM_CLOSE, 0, 0)"), "True");
    EXPECT_EQ(windows_.sent,
              (std::vector<Sent>{
                  {77, 0x10, 0, 0}, {77, 0x111, 101, 78}, {77, 0x401, 2, 3}, {77, 0x10, 0, 0}}));
}

TEST_F(PascalWindows, SleepPastItsLimitStopsTheRunWhateverCatchesIt) {
    EXPECT_EQ(outcome("begin Sleep(20); Sleep(0); Result := 'on' end."), "on");
    EXPECT_EQ(windows_.slept, 20u);
    EXPECT_EQ(outcome("begin try Sleep(3600000) except Result := 'caught' end end."),
              "!Line 1, column 11: Script stopped: time limit");
    EXPECT_EQ(windows_.slept, 20u);
    // Short waits add up over the run; the next run starts afresh.
    EXPECT_EQ(outcome("var i: Integer; begin for i := 1 to 1000 do try Sleep(1000) except end "
                      "end."),
              "!Line 1, column 49: Script stopped: time limit");
    EXPECT_EQ(windows_.slept, 10'020u);
    EXPECT_EQ(outcome("begin Sleep(10000); Result := 'again' end."), "again");
    EXPECT_EQ(outcome("Sleep(-1)"), "!Line 1, column 1: Script stopped: time limit");
}

#ifndef _WIN32
TEST_F(PascalWindows, TheNativeBuildHasNoWindows) {
    Environment env;
    addCoreLibrary(env);
    addRuntimeLibrary(env, runtimeServices(platform_.platform()));
    testing::expectOutcomes(
        {
            {"FindWindow(nil, 'Mail') + GetActiveWindow + GetForegroundWindow", "0"},
            {"SendMessage(FindWindow(nil, 'x'), WM_CLOSE, 0, 0)", "0"},
            {"GetWindowText(GetForegroundWindow)", ""},
            {"ShellExecute(0, 'open', '', nil, nil, SW_SHOWNORMAL)", "2"},
            {"WinExec('', SW_HIDE)", "0"},
        },
        env);
}
#endif

}  // namespace
}  // namespace qbx::scripting::pascal
