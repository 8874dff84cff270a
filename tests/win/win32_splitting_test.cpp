// The system's program runner and ZVXSPLIT through the built module, with a stand-in for the
// mail client's program that records what it was handed.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host.h"
#include "hosted/host_home.h"
#include "hosted/scratch.h"
#include "item_table.h"
#include "platform/platform.h"
#include "platform/process.h"
#include "platform/program_runner.h"

namespace {

using qbx::test::kModule;
using qbx::test::slurp;
using qbxhost::Host;

// Built beside the test program by tests/CMakeLists.txt.
const std::filesystem::path kFakeHostProgram = std::filesystem::absolute("fake-host/thebat.exe");

class Win32Splitting : public ::testing::Test {
protected:
    // The home's program folder, which the module reads as the host's "ProgramDir".
    std::filesystem::path programFolder() const { return home_.path() / "TheBat"; }
    std::string modulePath(const std::filesystem::path& path) const {
        return qbx::toModulePath(path.string());
    }
    void installFakeHost() {
        std::filesystem::copy_file(kFakeHostProgram, programFolder() / "thebat.exe");
        qbx::test::spit(programFolder() / "thebat.ipc", "");
    }
    std::string log() const { return slurp(home_.path() / "tmp" / "-QBX.log"); }

    const qbx::test::HostHome home_{"win-splitting-"};
};

TEST_F(Win32Splitting, RunnerStartsAProgramAndWaitsForItsEnd) {
    installFakeHost();
    qbx::ProgramRunner& runner = *qbx::systemPlatform().programRunner;
    const std::string program = modulePath(programFolder() / "thebat.exe");
    const qbx::ProgramRun run = runner.runAndWait(program, "/MAILT=\"none\";QUEUE", 60000);
    EXPECT_TRUE(run.started) << run.reason;
    EXPECT_TRUE(run.endedInTime);
    // Ended means done: its record is complete when the wait returns.
    EXPECT_EQ(slurp(programFolder() / "record.txt"),
              "\"" + program + "\" /MAILT=\"none\";QUEUE\r\n----\r\n");

    const qbx::ProgramRun missing =
        runner.runAndWait(modulePath(programFolder() / "missing.exe"), "", 1000);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.reason.empty());
    EXPECT_FALSE(runner.runAndWait("a\"b.exe", "", 1000).started);
}

TEST_F(Win32Splitting, TheHostProgramQueuesEveryPartInTurn) {
    installFakeHost();
    {
        Host host(kModule);
        host.initialize();
        const std::string temp = host.callMacro(host.data(), "ZVXTEMPPATH", {});
        EXPECT_EQ(host.callMacro(host.data(), "ZVXSPLIT", {"abcdefghijk", "a@b.c", "5"}), "abcde");
        const std::string* to = host.data().find(218);
        ASSERT_NE(to, nullptr);
        EXPECT_EQ(*to, "a@b.c");

        const std::string program = "\"" + modulePath(programFolder()) + "\\thebat.exe\" ";
        EXPECT_EQ(slurp(programFolder() / "record.txt"),
                  program + "/MAILT=\"" + temp + "temp0001.tzvx\";QUEUE\r\n" +
                      "fghij%TO=\"a@b.c\"%SUBJECT=\"[2/3]\r\n----\r\n" + program + "/MAILT=\"" +
                      temp + "temp0002.tzvx\";QUEUE\r\n" +
                      "k%TO=\"a@b.c\"%SUBJECT=\"[3/3]\r\n----\r\n");
        EXPECT_NE(log().find("mk: /MAILT=\"" + temp + "temp0002.tzvx\";QUEUE"), std::string::npos);
        host.finalize();
    }
    EXPECT_FALSE(std::filesystem::exists(home_.path() / "tmp" / "temp0001.tzvx"));
    EXPECT_FALSE(std::filesystem::exists(home_.path() / "tmp" / "temp0002.tzvx"));
}

TEST_F(Win32Splitting, AMissingHostProgramIsLogged) {
    Host host(kModule);
    host.initialize();
    EXPECT_EQ(host.callMacro(host.data(), "ZVXSPLIT", {"abcdefghij", "a@b.c", "5"}), "abcde");
    EXPECT_NE(
        log().find("@@ ZVXSPLIT: cannot start " + modulePath(programFolder()) + "\\thebat.exe: "),
        std::string::npos)
        << log();
    EXPECT_NE(log().find("; 1 part(s) not queued"), std::string::npos);
    host.finalize();
}

TEST_F(Win32Splitting, ASplitTheHostCouldMisreadOrNotTakeInTimeQueuesNothing) {
    installFakeHost();
    Host host(kModule);
    host.initialize();
    struct Case {
        std::string text;
        std::string recipient;
        std::string logged;
    };
    const Case cases[] = {
        {"abcdefghi%", "a@b.c", "part 2 ends in \"%\""},
        {"abcdefghij", "a@b.c\\", "the recipient ends in a backslash"},
        {"abcdefghij", "%%", "the recipient is \"%%\""},
        {std::string(505, 'x'), "a@b.c", "the text makes 101 parts, more than the 100"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(host.callMacro(host.data(), "ZVXSPLIT", {c.text, c.recipient, "5"}), c.text);
        EXPECT_NE(log().find("@@ ZVXSPLIT: nothing queued, " + c.logged), std::string::npos)
            << c.logged << "\n"
            << log();
    }
    EXPECT_FALSE(std::filesystem::exists(programFolder() / "record.txt"));
    host.finalize();
}

}  // namespace
