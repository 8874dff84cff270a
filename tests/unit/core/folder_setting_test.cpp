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
void check(const Case (&cases)[N], const char* moduleFolder = kModuleFolder) {
    for (const Case& c : cases) {
        const ResolvedFolder resolved = resolveFolderSetting(c.value, moduleFolder);
        EXPECT_EQ(resolved.folder, c.folder) << c.value << " from " << moduleFolder;
        EXPECT_EQ(resolved.refusal, c.refusal) << c.value << " from " << moduleFolder;
    }
}

TEST(FolderSetting, FullPathsGetTheirBackslashAndRelativeOnesTheModulesFolder) {
    const Case cases[] = {
        {"", "", ""},
        {"D:\\Stats\\", "D:\\Stats\\", ""},
        {"Z:\\etc\\passwd", "Z:\\etc\\passwd\\", ""},
        {"d:/stats/", "d:\\stats\\", ""},
        {"C:\\", "C:\\", ""},
        {"\\\\server\\share", "\\\\server\\share\\", ""},
        {"\\\\server\\share\\QBX\\", "\\\\server\\share\\QBX\\", ""},
        {"Stats", "C:\\Mail\\Plugins\\Stats\\", ""},
        {".\\Stats\\", "C:\\Mail\\Plugins\\Stats\\", ""},
        {"..\\Shared", "C:\\Mail\\Shared\\", ""},
        {"\\Stats", "C:\\Stats\\", ""},  // the module's drive, not the module's folder
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

// A rooted value names that folder on the module's own drive or share; natively the module
// lies on "Z:", which is the file system's root, so "/tmp/x/" is the POSIX folder /tmp/x/.
TEST(FolderSetting, ARootedValueNamesThatFolderOnTheModulesRoot) {
    const Case onDrive[] = {
        {"\\Data\\QBX\\", "C:\\Data\\QBX\\", ""},
        {"/data/qbx", "C:\\data\\qbx\\", ""},
        {"\\", "C:\\", ""},
    };
    check(onDrive);
    const Case onShare[] = {
        {"\\Data", "\\\\srv\\share\\Data\\", ""},
        {"/../../x/", "\\\\srv\\share\\x\\", ""},
        {"..\\..\\..\\x", "\\\\srv\\share\\x\\", ""},  // relative: its parents up to the share
    };
    check(onShare, "\\\\srv\\share\\Plugins\\");
    EXPECT_EQ(resolveFolderSetting("/tmp/x/", "Z:\\work\\m\\").folder, "Z:\\tmp\\x\\");
    EXPECT_EQ(resolveFolderSetting("\\Data", "").refusal, "relative path and no module folder");
    // A module folder with neither drive nor share: nothing above it can be named.
    const Case unrooted[] = {
        {"\\Data", "", "rooted path and no drive in the module folder"},
        {"..\\..\\x", "Mail\\Plugins\\x\\", ""},
    };
    check(unrooted, "Mail/Plugins");
}

// The folder stored and logged is the one Windows makes: it drops trailing dots and blanks of
// names, resolves "." and "..", and never climbs above the root.
TEST(FolderSetting, NamesAreNormalisedAsWindowsWouldUseThem) {
    const Case cases[] = {
        {"C:\\Data. \\x ", "C:\\Data\\x\\", ""},
        {"D:\\a..\\b .\\", "D:\\a\\b\\", ""},
        {"D:\\a\\.\\b\\..\\c", "D:\\a\\c\\", ""},
        {"D:\\a\\..\\..\\..\\b\\..", "D:\\", ""},
        {"D:\\a\\...\\b", "D:\\a\\b\\", ""},  // all dots and blanks: gone, as "." is
        {"D:\\a\\.. \\b", "D:\\a\\b\\", ""},  // not a parent
        {"D:\\\\a//\\b\\\\", "D:\\a\\b\\", ""},
        {"\\\\server\\share\\..\\..\\x", "\\\\server\\share\\x\\", ""},
        {"//server/share//a/", "\\\\server\\share\\a\\", ""},
        {"   ", "C:\\Mail\\Plugins\\", ""},
        {"x\\..\\..\\Shared ", "C:\\Mail\\Shared\\", ""},
    };
    check(cases);
    // The module's own names are the folder it lies in, taken as they are.
    EXPECT_EQ(resolveFolderSetting("Stats", "C:\\Odd. \\").folder, "C:\\Odd. \\Stats\\");
}

// Checked on the value as stored: trimming a name or resolving ".." never hides a device or an
// impossible character.
TEST(FolderSetting, RefusalsHoldBeforeNamesAreNormalised) {
    const Case cases[] = {
        {"D:\\x\\CON.\\", "", "device name \"CON.\""},
        {"D:\\NUL \\", "", "device name \"NUL \""},
        {"\\prn", "", "device name \"prn\""},
        {"D:\\x\\CON\\..\\y", "", "device name \"CON\""},
        {"D:\\a\\x:..\\", "", "':' outside a drive"},
        {"\\C:\\x", "", "':' outside a drive"},
    };
    check(cases);
    for (const char c : std::string("<>\"|?*")) {
        const std::string refusal = std::string("character '") + c + "'";
        for (const std::string& value :
             {"D:\\a" + std::string(1, c) + "b", "a\\..\\" + std::string(1, c) + ".\\"}) {
            const ResolvedFolder resolved = resolveFolderSetting(value, kModuleFolder);
            EXPECT_EQ(resolved.folder, "") << value;
            EXPECT_EQ(resolved.refusal, refusal) << value;
        }
    }
}

// Anyone may write these values: a long one costs time in proportion to its length.
TEST(FolderSetting, LongValuesResolveWithinTheirLength) {
    std::string climbs;
    for (int i = 0; i < 100000; ++i) climbs += "..\\";
    EXPECT_EQ(resolveFolderSetting(climbs + "x", kModuleFolder).folder, "C:\\x\\");
    std::string deep = "D:";
    for (int i = 0; i < 100000; ++i) deep += "\\a.";
    EXPECT_EQ(resolveFolderSetting(deep, kModuleFolder).folder.size(), 3u + 2u * 100000u);
}

}  // namespace
}  // namespace qbx
