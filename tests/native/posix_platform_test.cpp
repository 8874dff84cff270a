#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/datetime.h"
#include "platform/platform.h"
#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

namespace fs = std::filesystem;

// Sets an environment variable for the scope and puts the old state back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void spit(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ino_t inodeOf(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A fresh folder per test; the registry file inside it.
class PosixPlatformTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "qbx-plat-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        registryFile_ = dir_ / "registry.ini";
        registryEnv_.emplace("QBX_REGISTRY", registryFile_.c_str());
    }
    void TearDown() override {
        registryEnv_.reset();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    // The folder in the Windows-style form the core uses.
    std::string win(const std::string& relative = "") const {
        return toWindowsPath(dir_.string()) + "\\" + relative;
    }

    fs::path dir_;
    fs::path registryFile_;
    std::optional<ScopedEnv> registryEnv_;
    PosixFileSystem files_;
};

// ---- registry ---------------------------------------------------------------------------------

using PosixRegistryTest = PosixPlatformTest;

TEST_F(PosixRegistryTest, ValuesRoundTripThroughTheFile) {
    IniRegistry writer;
    ASSERT_TRUE(writer.writeString("Software\\ZVX", "Log level", "5"));
    ASSERT_TRUE(writer.writeString("Software\\ZVX", "InstallDir", "C:\\Mail\\QBX\\"));

    IniRegistry reader;  // nothing cached: reads what is on disk
    const RegValue level = reader.readString("Software\\ZVX", "Log level");
    EXPECT_EQ(level.status, RegStatus::Ok);
    EXPECT_EQ(level.text, "5");
    // Key paths and value names are matched without regard to case, as in the registry.
    EXPECT_EQ(reader.readString("SOFTWARE\\zvx", "installdir").text, "C:\\Mail\\QBX\\");

    const std::string text = slurp(registryFile_);
    EXPECT_NE(text.find("[Software\\ZVX]"), std::string::npos);
    EXPECT_NE(text.find("Log level=5"), std::string::npos);
}

TEST_F(PosixRegistryTest, MissingValuesKeysAndFiles) {
    IniRegistry registry;
    EXPECT_EQ(registry.readString("Software\\ZVX", "Log level").status, RegStatus::Missing);
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "1"));
    EXPECT_EQ(registry.readString("Software\\ZVX", "b").status, RegStatus::Missing);
    EXPECT_EQ(registry.readString("Software\\Other", "a").status, RegStatus::Missing);
    EXPECT_EQ(registry.readString("Software\\ZVX", "").status, RegStatus::Missing);
}

TEST_F(PosixRegistryTest, EachKeyPathIsItsOwnSection) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "version", "main"));
    ASSERT_TRUE(registry.writeString("Software\\ZVX\\viewer", "version", "viewer"));
    // The root's backslash is not part of the section name.
    ASSERT_TRUE(registry.writeString("\\Software\\RIT\\The Bat!", "ProgramDir", "C:\\TB\\"));

    IniRegistry reader;
    EXPECT_EQ(reader.readString("Software\\ZVX", "version").text, "main");
    EXPECT_EQ(reader.readString("Software\\ZVX\\viewer", "version").text, "viewer");
    EXPECT_EQ(reader.readString("Software\\RIT\\The Bat!", "ProgramDir").text, "C:\\TB\\");
    EXPECT_NE(slurp(registryFile_).find("[Software\\RIT\\The Bat!]"), std::string::npos);
}

TEST_F(PosixRegistryTest, TextsComeBackExactly) {
    const std::vector<std::string> values = {"", "  padded  ", "\"quoted\"", "'x'", "a=b;c",
                                             "\xC0\xE1\xE2 1251", "%TEMP%\\x"};
    IniRegistry registry;
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(registry.writeString("Software\\ZVX", "v" + std::to_string(i), values[i]));
    IniRegistry reader;
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(reader.readString("Software\\ZVX", "v" + std::to_string(i)).text, values[i]);
}

TEST_F(PosixRegistryTest, RefusesWhatWouldCorruptTheFile) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "1"));
    const std::string before = slurp(registryFile_);
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1\r\n[Evil]\r\nb=2"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", std::string("1\0x", 3)));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "x=y", "1"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "", "1"));
    EXPECT_FALSE(registry.writeString("Software\\ZVX\nEvil", "a", "1"));
    EXPECT_EQ(slurp(registryFile_), before);
}

TEST_F(PosixRegistryTest, SeesWritesOfOthers) {
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
}

TEST_F(PosixRegistryTest, UnchangedValuesAreNotRewritten) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "1"));
    const ino_t first = inodeOf(registryFile_);
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "A", "1"));
    EXPECT_EQ(inodeOf(registryFile_), first);
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "2"));
    EXPECT_NE(inodeOf(registryFile_), first);  // replaced by rename
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"registry.ini"});
}

TEST_F(PosixRegistryTest, FollowsTheEnvironmentAndCreatesTheFolder) {
    IniRegistry registry;
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "first"));
    const fs::path other = dir_ / "deeper" / "still" / "other.ini";
    ScopedEnv env("QBX_REGISTRY", other.c_str());
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    ASSERT_TRUE(registry.writeString("Software\\ZVX", "a", "second"));
    EXPECT_TRUE(fs::exists(other));
    EXPECT_NE(slurp(registryFile_).find("a=first"), std::string::npos);
}

TEST_F(PosixRegistryTest, LeavesAnOversizedFileAlone) {
    spit(registryFile_, std::string(IniFile::kMaxFileBytes + 1, ';'));
    IniRegistry registry;
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1"));
    EXPECT_EQ(fs::file_size(registryFile_), IniFile::kMaxFileBytes + 1);
}

TEST_F(PosixRegistryTest, LeavesAnUnreadableFileAlone) {
    // Something that exists but cannot be read as a file: never replaced by a fresh document.
    fs::create_directory(registryFile_);
    spit(registryFile_ / "inside", "x");
    IniRegistry registry;
    EXPECT_EQ(registry.readString("Software\\ZVX", "a").status, RegStatus::Missing);
    EXPECT_FALSE(registry.writeString("Software\\ZVX", "a", "1"));
    EXPECT_TRUE(fs::is_directory(registryFile_));
    EXPECT_EQ(slurp(registryFile_ / "inside"), "x");
}

// ---- paths and files ----------------------------------------------------------------------

TEST(PosixPaths, DrivesAndSeparatorsMapAsUnderWine) {
    EXPECT_EQ(toNativePath("Z:\\tmp\\qbx\\"), "/tmp/qbx/");
    EXPECT_EQ(toNativePath("z:\\tmp\\a.txt"), "/tmp/a.txt");
    EXPECT_EQ(toNativePath("C:\\Mail\\x"), "/Mail/x");
    EXPECT_EQ(toNativePath("Z:"), "/");
    EXPECT_EQ(toNativePath("Z:tmp"), "/tmp");
    EXPECT_EQ(toNativePath("/tmp/qbx"), "/tmp/qbx");
    EXPECT_EQ(toNativePath("sub\\file"), "sub/file");
    EXPECT_EQ(toNativePath(std::string("Z:\\a\0b", 6)), "");
    EXPECT_EQ(toWindowsPath("/tmp/qbx/"), "Z:\\tmp\\qbx\\");
    EXPECT_EQ(toWindowsPath("rel/x"), "rel\\x");
}

using PosixFilesTest = PosixPlatformTest;

TEST_F(PosixFilesTest, WindowsStylePathsReachTheNativeFiles) {
    ASSERT_TRUE(files_.writeFileAtomic(win("a.txt"), "hello"));
    EXPECT_EQ(slurp(dir_ / "a.txt"), "hello");
    EXPECT_TRUE(files_.fileExists(win("a.txt")));
    EXPECT_FALSE(files_.directoryExists(win("a.txt")));
    EXPECT_TRUE(files_.directoryExists(win()));
    EXPECT_FALSE(files_.fileExists(win()));
    EXPECT_EQ(files_.readFile(dir_.string() + "/a.txt", 100), "hello");  // native form too
}

TEST_F(PosixFilesTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(files_.writeFileAtomic(win("data.bin"), "old contents"));
    ASSERT_TRUE(files_.writeFileAtomic(win("data.bin"), std::string("new\0bytes", 9)));
    EXPECT_EQ(slurp(dir_ / "data.bin"), std::string("new\0bytes", 9));
    EXPECT_EQ(namesIn(dir_), std::vector<std::string>{"data.bin"});

    EXPECT_FALSE(files_.writeFileAtomic(win("missing\\data.bin"), "x"));
    fs::create_directory(dir_ / "folder");
    EXPECT_FALSE(files_.writeFileAtomic(win("folder"), "x"));  // a folder is in the way
    EXPECT_EQ(namesIn(dir_), (std::vector<std::string>{"data.bin", "folder"}));
    EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

TEST_F(PosixFilesTest, CreateDirectoriesMakesEveryMissingParent) {
    EXPECT_FALSE(files_.createDirectory(win("a\\b")));  // one level only
    EXPECT_TRUE(files_.createDirectories(win("a\\b\\c\\")));
    EXPECT_TRUE(fs::is_directory(dir_ / "a" / "b" / "c"));
    EXPECT_TRUE(files_.createDirectories(win("a\\b\\c")));  // exists already
    EXPECT_TRUE(files_.createDirectory(win("a\\d")));
    EXPECT_TRUE(files_.createDirectory(win("a\\d")));

    spit(dir_ / "plain", "x");
    EXPECT_FALSE(files_.createDirectories(win("plain\\sub")));
    EXPECT_FALSE(files_.createDirectory(win("plain")));
}

TEST_F(PosixFilesTest, RenameNeverReplaces) {
    spit(dir_ / "from", "1");
    spit(dir_ / "to", "2");
    EXPECT_FALSE(files_.renameFile(win("from"), win("to")));
    EXPECT_EQ(slurp(dir_ / "to"), "2");
    EXPECT_EQ(slurp(dir_ / "from"), "1");
    EXPECT_TRUE(files_.renameFile(win("from"), win("free")));
    EXPECT_EQ(slurp(dir_ / "free"), "1");
    EXPECT_FALSE(files_.renameFile(win("from"), win("again")));
}

TEST_F(PosixFilesTest, AppendNeverCreates) {
    EXPECT_FALSE(files_.appendToExistingFile(win("startup.log"), "line\r\n"));
    EXPECT_FALSE(fs::exists(dir_ / "startup.log"));
    spit(dir_ / "startup.log", "one\r\n");
    EXPECT_TRUE(files_.appendToExistingFile(win("startup.log"), "two\r\n"));
    EXPECT_EQ(slurp(dir_ / "startup.log"), "one\r\ntwo\r\n");
}

TEST_F(PosixFilesTest, ReadFileHonoursItsCap) {
    spit(dir_ / "f", std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(win("f"), 100), std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(win("f"), 99), std::nullopt);
    EXPECT_EQ(files_.readFile(win("missing"), 100), std::nullopt);
    EXPECT_EQ(files_.readFile(win(), 100), std::nullopt);  // a folder
    spit(dir_ / "empty", "");
    EXPECT_EQ(files_.readFile(win("empty"), 0), std::string());
    // A FIFO without a writer must not block the host's thread.
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    EXPECT_EQ(files_.readFile(win("fifo"), 100), std::nullopt);
    EXPECT_FALSE(files_.appendToExistingFile(win("fifo"), "x"));
}

TEST_F(PosixFilesTest, CreatedFilesTruncateAndDelete) {
    spit(dir_ / "log", "previous run");
    {
        auto out = files_.createFile(win("log"));
        ASSERT_NE(out, nullptr);
        EXPECT_TRUE(out->write("line 1\r\n"));
        EXPECT_TRUE(out->flush());
        EXPECT_EQ(slurp(dir_ / "log"), "line 1\r\n");  // visible before the file is closed
        EXPECT_TRUE(out->write("line 2\r\n"));
    }
    EXPECT_EQ(slurp(dir_ / "log"), "line 1\r\nline 2\r\n");
    EXPECT_EQ(files_.createFile(win("missing\\log")), nullptr);
    EXPECT_TRUE(files_.deleteFile(win("log")));
    EXPECT_FALSE(files_.deleteFile(win("log")));
    EXPECT_FALSE(files_.fileExists(win("log")));
}

// ---- environment ----------------------------------------------------------------------------

TEST(PosixEnvironmentTest, ExpandsKnownNamesAndKeepsTheRest) {
    ScopedEnv var("QBX_TEST_DIR", "/data/qbx");
    ScopedEnv unknown("QBX_NO_SUCH_VARIABLE", nullptr);
    PosixEnvironment env;
    EXPECT_EQ(env.expandVariables("%QBX_TEST_DIR%\\Statistics\\"), "/data/qbx\\Statistics\\");
    EXPECT_EQ(env.expandVariables("%qbx_test_dir%"), "/data/qbx");  // any case, as on Windows
    EXPECT_EQ(env.expandVariables("%QBX_NO_SUCH_VARIABLE%\\x"), "%QBX_NO_SUCH_VARIABLE%\\x");
    EXPECT_EQ(env.expandVariables("100% sure %QBX_TEST_DIR%"), "100% sure %QBX_TEST_DIR%");
    // An empty name is no variable; scanning goes on after it, as the system does.
    EXPECT_EQ(env.expandVariables("50%%QBX_TEST_DIR%"), "50%%QBX_TEST_DIR%");
    EXPECT_EQ(env.expandVariables("%%%QBX_TEST_DIR%"), "%%/data/qbx");
    EXPECT_EQ(env.expandVariables("open %QBX_TEST_DIR"), "open %QBX_TEST_DIR");
    EXPECT_EQ(env.expandVariables(""), "");
}

TEST(PosixEnvironmentTest, ExpansionIsBounded) {
    ScopedEnv big("QBX_TEST_BIG", std::string(20000, 'b').c_str());
    PosixEnvironment env;
    // Two copies would pass the limit: the text comes back as it was.
    EXPECT_EQ(env.expandVariables("%QBX_TEST_BIG%%QBX_TEST_BIG%"), "%QBX_TEST_BIG%%QBX_TEST_BIG%");
    EXPECT_EQ(env.expandVariables("%QBX_TEST_BIG%").size(), 20000u);
    const std::string huge(40000, '%');
    EXPECT_EQ(env.expandVariables(huge), huge);
}

TEST(PosixEnvironmentTest, TempDirectoryEndsInExactlyOneBackslash) {
    PosixEnvironment env;
    {
        ScopedEnv tmp("TMPDIR", "/var/tmp//");
        EXPECT_EQ(env.tempDirectory(), "Z:\\var\\tmp\\");
    }
    {
        ScopedEnv tmp("TMPDIR", nullptr);
        EXPECT_EQ(env.tempDirectory(), "Z:\\tmp\\");
    }
    {
        ScopedEnv tmp("TMPDIR", "relative");
        EXPECT_EQ(env.tempDirectory(), "Z:\\tmp\\");
    }
    PosixFileSystem files;
    EXPECT_TRUE(files.directoryExists(env.tempDirectory()));
    EXPECT_TRUE(files.directoryExists(env.systemDirectory()));
}

TEST(PosixEnvironmentTest, ProgramAndModulePathsNameThisProgram) {
    PosixEnvironment env;
    const std::string host = env.hostProgramPath();
    ASSERT_GT(host.size(), 3u);
    EXPECT_EQ(host.substr(0, 3), "Z:\\");
    EXPECT_TRUE(PosixFileSystem().fileExists(host));
    EXPECT_EQ(toNativePath(host), fs::canonical("/proc/self/exe").string());
    EXPECT_EQ(env.modulePath(), host);  // the platform layer is linked into this program
}

// ---- clock, locale, user interface ---------------------------------------------------------

TEST(PosixClockTest, LocalTimeTicksAndHeap) {
    PosixClock clock;
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    DateTimeFields f;
    f.year = local.tm_year + 1900;
    f.month = local.tm_mon + 1;
    f.day = local.tm_mday;
    f.hour = local.tm_hour;
    f.minute = local.tm_min;
    f.second = local.tm_sec;
    EXPECT_NEAR(clock.now(), encodeDateTime(f), 5.0 / 86400);

    const std::uint32_t before = clock.tickCount();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    const std::uint32_t elapsed = clock.tickCount() - before;
    EXPECT_GE(elapsed, 25u);
    EXPECT_LT(elapsed, 5000u);

    const std::uint64_t heapBefore = clock.heapBytesInUse();
    std::vector<char> block(16u << 20, 'x');
    EXPECT_GE(clock.heapBytesInUse(), heapBefore + (15u << 20));
    EXPECT_EQ(block[12345], 'x');
}

TEST(PosixLocaleTest, FixedFormats) {
    PosixLocale locale;
    EXPECT_EQ(locale.longTime(45000.5), "12:00:00");  // 2023-03-15 12:00
    EXPECT_EQ(locale.shortDate(45000.5), "15.03.2023");
    EXPECT_EQ(locale.longTime(45000.0 + 1.0 / 86400 * 3723), "01:02:03");
    EXPECT_EQ(locale.decimalSeparator(), '.');
    EXPECT_FALSE(locale.shortDate(std::numeric_limits<double>::quiet_NaN()).empty());
}

TEST(PosixUiTest, MessageBoxGoesToStandardError) {
    ConsoleUi ui;
    ui.pumpMessages();
    ::testing::internal::CaptureStderr();
    ui.messageBox("Please restart %s%n now", "Quilbex", MessageIcon::Information);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quilbex: Please restart %s%n now\n");
}

TEST(PosixSystemPlatform, BundlesLongLivedServices) {
    const Platform a = systemPlatform();
    const Platform b = systemPlatform();
    EXPECT_NE(a.registry, nullptr);
    EXPECT_NE(a.files, nullptr);
    EXPECT_NE(a.environment, nullptr);
    EXPECT_NE(a.clock, nullptr);
    EXPECT_NE(a.locale, nullptr);
    EXPECT_NE(a.ui, nullptr);
    EXPECT_EQ(a.registry, b.registry);
    EXPECT_EQ(a.files, b.files);
}

}  // namespace
}  // namespace qbx::posix
