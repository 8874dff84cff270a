// What only the native stand-ins do: Wine's Z: path mapping, the registry kept in an INI file,
// and console stand-ins. The behaviours every platform shares are in hosted/.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>

#include "base/text.h"
#include "hosted/scratch.h"
#include "platform/platform.h"
#include "platform/posix/posix_services.h"
#include "support/platform_under_test.h"

namespace qbx::test {
void removeRegistryKey(const std::string&) {}
}  // namespace qbx::test

namespace qbx::posix {
namespace {

namespace fs = std::filesystem;
using test::slurp;
using test::spit;

ino_t inodeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// Puts an environment variable back as it was when the test began.
struct SavedVariable {
    const char* name;
    std::optional<std::string> value =
        std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
    ~SavedVariable() { value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name); }
};

// A fresh folder per test with the registry file inside it.
class PosixPlatformTest : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("QBX_REGISTRY", registryFile_.c_str(), 1); }

    SavedVariable registryVariable_{"QBX_REGISTRY"}, tempVariable_{"TMPDIR"};
    const test::ScratchFolder scratch_{fs::temp_directory_path(), "QbxPlat-"};
    const fs::path& dir_ = scratch_.path;
    const fs::path registryFile_ = dir_ / "registry.ini";
};

TEST(PosixPaths, DriveLettersAndBackslashes) {
    const std::pair<std::string_view, const char*> toNative[] = {
        {"Z:\\tmp\\qbx-no-such\\x.log", "/tmp/qbx-no-such/x.log"},
        {"c:\\tmp\\qbx-no-such\\", "/tmp/qbx-no-such/"},
        {"C:\\Mail\\x", "/Mail/x"},
        {"Z:", "/"},
        {"Z:tmp", "/tmp"},
        {"/tmp/qbx", "/tmp/qbx"},
        {"sub\\file", "sub/file"},
        {std::string_view("Z:\\a\0b", 6), ""}};
    for (const auto& [windows, native] : toNative) EXPECT_EQ(toNativePath(windows), native);
    EXPECT_EQ(toWindowsPath("/tmp/a"), "Z:\\tmp\\a");
    EXPECT_EQ(toWindowsPath("/tmp/qbx/"), "Z:\\tmp\\qbx\\");
    EXPECT_EQ(toWindowsPath("rel/x"), "rel\\x");
    EXPECT_EQ(toNativePath(PosixEnvironment().hostProgramPath()),
              fs::canonical("/proc/self/exe").string());
}

TEST_F(PosixPlatformTest, PathComponentsAreFoundWhateverTheirCase) {
    fs::create_directories(dir_ / "Plugins" / "Statistics");
    spit(dir_ / "Plugins" / "Var.dat", "x");
    // The module lower-cases the folder it finds in the host's plug-in list.
    const std::string lower = toLower1251(toWindowsPath(dir_.string()));
    EXPECT_EQ(toNativePath(lower + "\\plugins\\statistics\\"),
              (dir_ / "Plugins/Statistics/").string());
    EXPECT_EQ(toNativePath(lower + "\\PLUGINS\\var.DAT"), (dir_ / "Plugins" / "Var.dat").string());
    // A name that is not there yet keeps its own case below the parts that are.
    EXPECT_EQ(toNativePath(lower + "\\plugins\\New\\f.txt"),
              (dir_ / "Plugins" / "New" / "f.txt").string());
}

TEST_F(PosixPlatformTest, RegistryOneSectionPerKeyAndOneLinePerValue) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "Log level", "5"));
    ASSERT_TRUE(registry.writeString("\\Software\\RIT\\The Bat!", "ProgramDir", "C:\\TB\\"));
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "InstallDir", " C:\\Mail "));
    const std::string expected =
        "[Software\\ZVX]\r\nLog level=5\r\nInstallDir=\" C:\\Mail \"\r\n"
        "[Software\\RIT\\The Bat!]\r\nProgramDir=C:\\TB\\\r\n";
    EXPECT_EQ(slurp(registryFile_), expected);

    // Line breaks would split the line into values or sections of their own; names that the
    // INI form cannot give back are refused too.
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1\r\n[Evil]\r\nb=2"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1\n"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX\nEvil", "a", "1"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "x=y", "1"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "", "1"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", " padded", "1"));
    EXPECT_EQ(slurp(registryFile_), expected);
}

TEST_F(PosixPlatformTest, RegistrySeesWritesOfOthersAndHandEditsAndRewritesOnlyChanges) {
    IniRegistry mine, theirs;
    ASSERT_TRUE(mine.writeString("Software\\ZVX", "a", "1"));
    EXPECT_EQ(theirs.readString("Software\\ZVX", "a").text, "1");  // now cached by them
    ASSERT_TRUE(mine.writeString("Software\\ZVX", "a", "2"));
    EXPECT_EQ(theirs.readString("Software\\ZVX", "a").text, "2");
    spit(registryFile_, "[Software\\ZVX]\r\na=edited by hand\r\n");
    EXPECT_EQ(mine.readString("Software\\ZVX", "a").text, "edited by hand");
    // A write keeps what others put in the file.
    ASSERT_TRUE(theirs.writeString("Software\\ZVX", "b", "3"));
    EXPECT_EQ(mine.readString("Software\\ZVX", "a").text, "edited by hand");

    const ino_t first = inodeOf(registryFile_);
    ASSERT_TRUE(mine.writeString("Software\\ZVX", "B", "3"));
    EXPECT_EQ(inodeOf(registryFile_), first);
    ASSERT_TRUE(mine.writeString("Software\\ZVX", "b", "4"));
    EXPECT_NE(inodeOf(registryFile_), first);  // replaced by rename
}

TEST_F(PosixPlatformTest, RegistryFollowsTheEnvironmentAndCreatesTheFolder) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "first"));
    const fs::path other = dir_ / "deeper" / "still" / "other.ini";
    ::setenv("QBX_REGISTRY", other.c_str(), 1);
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "second"));
    EXPECT_EQ(slurp(other), "[Software\\ZVX]\r\na=second\r\n");
    EXPECT_EQ(slurp(registryFile_), "[Software\\ZVX]\r\na=first\r\n");
}

TEST_F(PosixPlatformTest, RegistryLeavesAFileItCannotReadAlone) {
    // Read as empty, the next write would replace the whole file with a single value.
    spit(registryFile_, std::string(IniFile::kMaxFileBytes + 1, ';'));
    IniRegistry registry;
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1"));
    EXPECT_EQ(fs::file_size(registryFile_), IniFile::kMaxFileBytes + 1);

    fs::remove(registryFile_);
    fs::create_directory(registryFile_);
    spit(registryFile_ / "inside", "x");
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1"));
    EXPECT_EQ(slurp(registryFile_ / "inside"), "x");
}

TEST_F(PosixPlatformTest, FifoWithoutWriterDoesNotBlock) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    PosixFileSystem files;
    EXPECT_EQ(files.readFile((dir_ / "fifo").string(), 100), std::nullopt);
    EXPECT_FALSE(files.appendToExistingFile(toWindowsPath((dir_ / "fifo").string()), "x"));
}

TEST_F(PosixPlatformTest, TempFolderLocaleAndMessageBox) {
    PosixEnvironment env;
    ::setenv("TMPDIR", "/var/tmp//", 1);
    EXPECT_EQ(env.tempDirectory(), "Z:\\var\\tmp\\");
    ::setenv("TMPDIR", "relative", 1);
    EXPECT_EQ(env.tempDirectory(), "Z:\\tmp\\");
    ::unsetenv("TMPDIR");
    EXPECT_EQ(env.tempDirectory(), "Z:\\tmp\\");

    PosixLocale locale;
    EXPECT_EQ(locale.longTime(45000.0 + 3723 / 86400.0), "01:02:03");
    EXPECT_EQ(locale.shortDate(45000.5), "15.03.2023");
    EXPECT_EQ(locale.shortTime(45000.0 + 3723 / 86400.0), "01:02");
    EXPECT_EQ(locale.longDate(45000.5), "Wednesday, March 15, 2023");
    const DateTimeNames names = locale.dateTimeNames();
    EXPECT_EQ(names.longDayNames[0] + names.shortMonthNames[11] + names.timePm, "SundayDecPM");

    ConsoleUi ui;
    ::testing::internal::CaptureStderr();
    ui.messageBox("Please restart %s%n now", "Quilbex", MessageIcon::Information);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quilbex: Please restart %s%n now\n");
}

}  // namespace
}  // namespace qbx::posix
