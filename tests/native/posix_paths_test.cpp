// Windows paths on the native file system: drive letters go to the root, and components are
// found whatever their case, as Wine finds them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

TEST(PosixPaths, DriveLettersAndBackslashes) {
    EXPECT_EQ(toNativePath("Z:\\tmp\\qbx-no-such\\x.log"), "/tmp/qbx-no-such/x.log");
    EXPECT_EQ(toNativePath("c:\\tmp\\qbx-no-such\\"), "/tmp/qbx-no-such/");
    EXPECT_EQ(toWindowsPath("/tmp/a"), "Z:\\tmp\\a");
    EXPECT_EQ(toNativePath(std::string_view("Z:\\a\0b", 6)), "");
    EXPECT_EQ(toNativePath("C:\\Mail\\x"), "/Mail/x");
    EXPECT_EQ(toNativePath("Z:"), "/");
    EXPECT_EQ(toNativePath("Z:tmp"), "/tmp");
    EXPECT_EQ(toNativePath("/tmp/qbx"), "/tmp/qbx");
    EXPECT_EQ(toNativePath("sub\\file"), "sub/file");
    EXPECT_EQ(toWindowsPath("/tmp/qbx/"), "Z:\\tmp\\qbx\\");
    EXPECT_EQ(toWindowsPath("rel/x"), "rel\\x");
    EXPECT_EQ(toNativePath(PosixEnvironment().hostProgramPath()),
              std::filesystem::canonical("/proc/self/exe").string());
}

TEST(PosixPaths, ComponentsAreFoundWhateverTheirCase) {
    const auto root = std::filesystem::temp_directory_path() /
                      ("QbxCase-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root / "Plugins" / "Statistics");
    std::ofstream(root / "Plugins" / "Var.dat") << "x";
    const std::string windows = toWindowsPath(root.string());

    // The module lower-cases the folder it finds in the host's plug-in list.
    std::string lower = windows;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(toNativePath(lower + "\\plugins\\statistics\\"), (root / "Plugins/Statistics/").string());
    EXPECT_EQ(toNativePath(lower + "\\PLUGINS\\var.DAT"), (root / "Plugins" / "Var.dat").string());
    // A name that is not there yet keeps its own case below the parts that are.
    EXPECT_EQ(toNativePath(lower + "\\plugins\\New\\f.txt"), (root / "Plugins" / "New" / "f.txt").string());
    std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace qbx::posix
