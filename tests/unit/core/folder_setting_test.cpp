#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "core/folder_setting.h"

namespace qbx {
namespace {

constexpr const char* kModuleFolder = "C:\\Mail\\Plugins\\";

struct Case {
    const char* value;
    const char* folder;   // empty when refused
    const char* refusal;  // empty when accepted
};

template <std::size_t N>
void check(const Case (&cases)[N]) {
    for (const Case& c : cases) {
        const ResolvedFolder resolved = resolveFolderSetting(c.value, kModuleFolder);
        EXPECT_EQ(resolved.folder, c.folder) << c.value;
        EXPECT_EQ(resolved.refusal, c.refusal) << c.value;
    }
}

TEST(FolderSetting, FullPathsGetTheirBackslashAndRelativeOnesTheModulesFolder) {
    const Case cases[] = {
        {"", "", ""},
        {"D:\\Stats\\", "D:\\Stats\\", ""},
        {"Z:\\etc\\passwd", "Z:\\etc\\passwd\\", ""},
        {"d:/stats/", "d:/stats/", ""},
        {"C:\\", "C:\\", ""},
        {"\\\\server\\share", "\\\\server\\share\\", ""},
        {"\\\\server\\share\\QBX\\", "\\\\server\\share\\QBX\\", ""},
        {"Stats", "C:\\Mail\\Plugins\\Stats\\", ""},
        {".\\Stats\\", "C:\\Mail\\Plugins\\.\\Stats\\", ""},
        {"..\\Shared", "C:\\Mail\\Plugins\\..\\Shared\\", ""},
        {"\\Stats", "C:\\Mail\\Plugins\\Stats\\", ""},  // the current drive's root is no anchor
        {"Consoles\\Nullish.d\\COM10", "C:\\Mail\\Plugins\\Consoles\\Nullish.d\\COM10\\", ""},
    };
    check(cases);
    EXPECT_EQ(resolveFolderSetting("Stats", "C:\\Mail").folder, "C:\\Mail\\Stats\\");
}

TEST(FolderSetting, DevicesNamespacesAndImpossiblePathsAreRefused) {
    const Case cases[] = {
        {"CON", "", "device name \"CON\""},
        {"D:\\Stats\\nul.txt\\", "", "device name \"nul.txt\""},
        {"D:\\aux \\x", "", "device name \"aux \""},
        {"D:/x/Com7", "", "device name \"Com7\""},
        {"\\\\server\\LPT1", "", "device name \"LPT1\""},
        {"\\\\.\\C:\\x", "", "device or namespace path"},
        {"\\\\?\\C:\\x", "", "device or namespace path"},
        {"//./PhysicalDrive0", "", "device or namespace path"},
        {"D:\\St<ats", "", "character '<'"},
        {"D:\\a|b", "", "character '|'"},
        {"D:\\x\ty", "", "control character"},
        {"D:\\x\r\nE:\\", "", "control character"},
        {"D:\\x:stream", "", "':' outside a drive"},
        {"1:\\x", "", "':' outside a drive"},
        {"D:", "", "drive without a backslash"},
        {"D:Stats", "", "drive without a backslash"},
        {"\\\\server", "", "network path without a share"},
        {"\\\\server\\", "", "network path without a share"},
        {"\\\\\\share", "", "network path without a share"},
    };
    check(cases);
    EXPECT_EQ(resolveFolderSetting("Stats", "").refusal, "relative path and no module folder");
}

}  // namespace
}  // namespace qbx
