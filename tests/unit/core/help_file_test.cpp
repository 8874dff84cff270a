// The help item's file: a language file names it, so only a document inside the module's folder
// is taken.
#include "core/help_file.h"

#include <gtest/gtest.h>

namespace qbx {
namespace {

constexpr const char* kFolder = "C:\\Mail\\QBX\\";

TEST(HelpFile, OnlyADocumentInsideTheModulesFolder) {
    for (const char* name : {"qbx.chm", "Help\\index.HTM", "docs/readme.txt", "a.b.pdf",
                             "\xF1\xEF\xF0\xE0\xE2\xEA\xE0.rtf"}) {
        const HelpFile help = helpFileOf(kFolder, name);
        EXPECT_EQ(help.path, std::string(kFolder) + name) << name;
        EXPECT_EQ(help.refusal, "") << name;
    }
    for (const char* name : {"..\\secret.txt",
                             "Help\\..\\..\\x.chm",
                             "\\\\server\\share\\x.chm",
                             "\\x.chm",
                             "C:\\Windows\\x.chm",
                             "D:x.chm",
                             "x.chm:stream",
                             "...\\x.chm",
                             "a\\ .\\x.txt",
                             "setup.exe",
                             "help.chm.exe",
                             "help.exe.",
                             "help.exe  ",
                             "run.bat",
                             "x.lnk",
                             "x.hta",
                             "x.scr",
                             "noextension",
                             "tab\there.chm",
                             "x?.chm"}) {
        const HelpFile help = helpFileOf(kFolder, name);
        EXPECT_EQ(help.path, "") << name;
        EXPECT_NE(help.refusal, "") << name;
    }
    EXPECT_EQ(helpFileOf(kFolder, std::string(241, 'a') + ".chm").path, "");
    // No name is no help, and nothing to say; without a folder nothing is taken.
    EXPECT_EQ(helpFileOf(kFolder, "").refusal, "");
    EXPECT_EQ(helpFileOf("", "qbx.chm").path, "");
}

}  // namespace
}  // namespace qbx
