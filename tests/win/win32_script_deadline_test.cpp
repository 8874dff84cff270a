// Endless JScript and VBScript loops end at the run's deadline with the timed-out answer, and the
// next run works. A loop that is not stopped would hold its process for good: every such run
// happens in a child process that a watchdog ends.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "full_path.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "platform/win32/win32_active_script.h"

namespace qbx::test {
namespace {

const std::string kTimedOut = "The script ran too long and was stopped";

struct ChildResult {
    int exitCode = -1;  // -1: it did not start, or the watchdog ended it
    std::string output;
};

// Runs the command line with its standard output in a file; ends it after the time given.
ChildResult runChild(std::string commandLine, const std::filesystem::path& outputFile,
                     DWORD watchdogMs) {
    ChildResult result;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const HANDLE output = CreateFileW(outputFile.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                      &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE) return result;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    const bool started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &info) != 0;
    CloseHandle(output);
    if (!started) return result;
    if (WaitForSingleObject(info.hProcess, watchdogMs) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        result.exitCode = static_cast<int>(code);
    } else {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    result.output = slurp(outputFile);
    return result;
}

std::string ownProgram() {
    char buffer[MAX_PATH * 2] = {};
    const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string(buffer, length);
}

const char* const kEndlessJScript[] = {
    "while(true){}",
    "for(;;){}",
    "function step(n) { return n + 1; }\r\nvar n = 0;\r\nwhile (true) { n = step(n); }",
    "do {} while (1)",
    // Whatever catches or finishes off the stop stops again.
    "while (true) { try { for (;;) {} } catch (e) {} }",
    "for (;;) { try { while (1); } finally { continue; } }",
};

const char* const kEndlessVBScript[] = {
    "Do: Loop",
    "While True: Wend",
    "Function Main()\r\n  Do While True\r\n    x = x + 1\r\n  Loop\r\nEnd Function",
    "For i = 1 To 2\r\n  i = 1\r\nNext",
};

// Run only as the child of the test below, where a loop that never ends cannot hold the suite.
TEST(ScriptDeadlineChild, DISABLED_EndlessLoopsStopInBothWays) {
    for (const qbx::win32::ScriptEngineWay way :
         {qbx::win32::ScriptEngineWay::ScriptControl, qbx::win32::ScriptEngineWay::Direct}) {
        qbx::win32::ActiveScriptOptions options;
        options.way = way;
        options.deadlineMs = 300;
        const auto run = [&](ActiveLanguage language, const std::string& source) {
            const auto started = std::chrono::steady_clock::now();
            const ActiveOutcome outcome =
                qbx::win32::makeActiveScriptEngine(options)->run(source, language, {});
            EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20))
                << source;
            return outcome;
        };
        const int wayNumber = static_cast<int>(way);
        for (const char* source : kEndlessJScript) {
            const ActiveOutcome outcome = run(ActiveLanguage::JScript, source);
            EXPECT_FALSE(outcome.ok) << wayNumber << ": " << source;
            EXPECT_EQ(outcome.text, kTimedOut) << wayNumber << ": " << source;
        }
        for (const char* source : kEndlessVBScript) {
            const ActiveOutcome outcome = run(ActiveLanguage::VBScript, source);
            EXPECT_FALSE(outcome.ok) << wayNumber << ": " << source;
            EXPECT_EQ(outcome.text, kTimedOut) << wayNumber << ": " << source;
        }
        // The engine of a stopped run is closed: the next runs work.
        EXPECT_EQ(run(ActiveLanguage::JScript, "6 * 7").text, "42");
        EXPECT_EQ(
            run(ActiveLanguage::VBScript, "Function Main()\r\nMain = 6 * 7\r\nEnd Function").text,
            "42");
        // Loops that end are left to end, and give what they gave.
        EXPECT_EQ(run(ActiveLanguage::JScript, "var n = 0; while (n < 1000) n++; n").text, "1000");
    }
}

TEST(Win32ScriptDeadline, BothWaysStopEndlessLoopsAtTheirDeadline) {
    const ScratchFolder scratch("script-deadline-");
    const ChildResult child =
        runChild("\"" + ownProgram() +
                     "\" --gtest_also_run_disabled_tests --gtest_brief=1"
                     " --gtest_filter=ScriptDeadlineChild.DISABLED_EndlessLoopsStopInBothWays",
                 scratch.path / "child.txt", 180000);
    EXPECT_EQ(child.exitCode, 0) << child.output;
}

TEST(Win32ScriptDeadline, EndlessLoopsThroughTheModuleAnswerTimedOutAndTheHostGoesOn) {
    const HostHome home("script-deadline-");
    // One host runs them one after the other, then an ordinary script.
    std::string text;
    for (const char* source :
         {"while(true){}", "for(;;){}", "function f(){ return 1; } while(true){ f(); }"})
        text += "%EJS(\"" + std::string(source) + "\")|";
    for (const char* source : {"Do: Loop", "While True: Wend"})
        text += "%EVS(\"" + std::string(source) + "\")|";
    text += "%EJS(\"6*7\")|%EVS(\"Function Main()\r\nMain = 6 * 7\r\nEnd Function\")";
    spit(home.path() / "template.txt", text);

    const ChildResult child = runChild(
        "\"" + fullPath("qbxhost.exe") + "\" --home \"" + home.string() + "\" --plugin \"" +
            fullPath(kModule) + "\" template \"@" + (home.path() / "template.txt").string() + "\"",
        home.path() / "output.txt", 180000);
    ASSERT_EQ(child.exitCode, 0) << child.output;
    const std::string timedOut = "Script error: " + kTimedOut;
    std::string expected;
    for (int i = 0; i < 5; ++i) expected += timedOut + "|";
    expected += "42|42";
    std::string output = child.output;
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
    EXPECT_EQ(output, expected);
}

}  // namespace
}  // namespace qbx::test
