// The second host's entry points through the real module, loaded by a program of ours that
// exports the host's table: the information record, the binding by the version rule, and no
// call of any host function but BKA_GetVersion.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "full_path.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"

namespace qbx::test {
namespace {

// A started program, ended and released whatever the test's outcome.
class ChildProcess {
public:
    explicit ChildProcess(std::string commandLine) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != 0;
    }
    ~ChildProcess() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The exit code, or -1 when it did not start or end in time.
    int wait(DWORD milliseconds) {
        if (!started_ || WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0)
            return -1;
        DWORD code = 0;
        GetExitCodeProcess(info_.hProcess, &code);
        return static_cast<int>(code);
    }

private:
    PROCESS_INFORMATION info_{};
    bool started_ = false;
};

// Runs the host program and answers its report's lines.
std::vector<std::string> runHost(const char* program, const std::string& version) {
    const HostHome home("second-host-");
    const std::string report = home.string() + "\\report.txt";
    ChildProcess child("\"" + fullPath(program) + "\" \"" + fullPath(kModule) + "\" \"" + version +
                       "\" \"" + report + "\"");
    EXPECT_EQ(child.wait(60000), 0) << program << " " << version;
    std::ifstream in(report, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool has(const std::vector<std::string>& lines, const std::string& wanted) {
    for (const std::string& line : lines)
        if (line.find(wanted) != std::string::npos) return true;
    return false;
}

TEST(Win32SecondHost, TheModuleNamesItselfAndBindsTheCurrentHost) {
    const std::vector<std::string> lines = runHost("second_host.exe", "2.01.00");
    const std::vector<std::string> head(lines.begin(),
                                        lines.begin() + std::min<std::size_t>(lines.size(), 14));
    const std::vector<std::string> expected = {
        "info=0",
        "field0=Quilbex",
        "field1=The Quilbex developers",
        "field2=2.4.1202",
        "field3=Macro/statistic plugin exported from The Bat!",
        "tail=intact",
        "nullinfo=0",
        "start=0",
        "minute=0",
        "compose=0",
        "setup=0",
        "exit=0",
        "versionCalls=1",
        "otherCalls=0",
    };
    EXPECT_EQ(head, expected);
    EXPECT_TRUE(has(lines, "Host version: 2.01.00"));
    EXPECT_FALSE(has(lines, "Host binding failed"));
}

TEST(Win32SecondHost, AnOlderHostWithoutSetStatusBindsOnlyBefore2_00_06) {
    struct Case {
        const char* version;
        bool bound;
    };
    for (const Case c : {Case{"2.00.05", true}, Case{"2.00.06", false}, Case{"2.01.00", false},
                         Case{"2.00.05.1", false}}) {
        const std::vector<std::string> lines = runHost("second_host_old.exe", c.version);
        EXPECT_TRUE(has(lines, "start=0")) << c.version;
        EXPECT_TRUE(has(lines, "versionCalls=1")) << c.version;
        EXPECT_TRUE(has(lines, "otherCalls=0")) << c.version;
        EXPECT_EQ(has(lines, "Host binding failed"), !c.bound) << c.version;
        EXPECT_TRUE(has(lines, "Host function not found: BKA_SetStatus")) << c.version;
    }
}

TEST(Win32SecondHost, AVersionWithoutItsZeroIsReadOnlyAsFarAsItsMemory) {
    // The text ends on the last byte of a page whose next page cannot be read.
    const std::vector<std::string> lines = runHost("second_host.exe", "edge:2.01.00");
    EXPECT_TRUE(has(lines, "start=0"));
    EXPECT_TRUE(has(lines, "exit=0"));
    EXPECT_TRUE(has(lines, "Host version: 2.01.00")) << ::testing::PrintToString(lines);
    EXPECT_FALSE(has(lines, "Host binding failed"));
}

TEST(Win32SecondHost, StartAndExitFromTwoThreadsAtOnceEndEveryTime) {
    const std::vector<std::string> lines = runHost("second_host.exe", "race:2.01.00");
    EXPECT_TRUE(has(lines, "race=ended")) << ::testing::PrintToString(lines);
    EXPECT_FALSE(has(lines, "Exception in BKC_")) << ::testing::PrintToString(lines);
}

}  // namespace
}  // namespace qbx::test
