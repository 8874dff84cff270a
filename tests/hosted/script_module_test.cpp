// A stored Pascal script run through the built module: found in the scripts folder at
// start-up, offered to the host as a macro, and run with the call's arguments.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "host.h"
#include "hosted/scratch.h"
#include "platform/platform.h"

namespace {

using qbxhost::Host;

using qbx::test::kModule;

TEST(HostedScripts, RunsAStoredPascalScriptThroughTheExports) {
    // Kept like the other hosts' homes: the process's temporary folder now lies inside it, and
    // later tests still use that.
    const std::filesystem::path home =
        std::filesystem::absolute("test-homes") / ("hosted-scripts-" + qbx::test::uniqueName());
    std::filesystem::create_directories(home);
    qbxhost::prepareHome(home.string());
    // The Windows registry is shared by every test of the program: a fresh installation, whose
    // scripts folder is not the one an earlier test's module saved.
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "InstallDir", "");
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "ScriptingDir", "");
    // The module's folder is the plug-in folder the host's list names; its scripts lie below.
    const std::filesystem::path scripts = home / "Plugins" / "Scripts";
    std::filesystem::create_directories(scripts);
    qbx::test::spit(scripts / "hosted.s",
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
    // The module saved our scripts folder at its shut-down; the next test's module must not
    // find these scripts there.
    qbx::systemPlatform().registry->writeString("Software\\ZVX", "ScriptingDir", "");
}

}  // namespace
