#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/win32_services.h"

namespace qbx::win32 {
namespace {

namespace fs = std::filesystem;

std::string unique() {
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(&unique) & 0xFFFF);
}

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string slurp(const std::string& path) {
    std::string bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), f)) > 0;) bytes.append(chunk, n);
        std::fclose(f);
    }
    return bytes;
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// ---- registry --------------------------------------------------------------------------------

// A key of its own per test, removed with everything below it afterwards.
class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { key_ = "Software\\QBXTest\\" + unique(); }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        HKEY parent = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &parent) ==
            ERROR_SUCCESS) {
            RegDeleteKeyA(parent, "QBXTest");  // only when empty
            RegCloseKey(parent);
        }
    }
    // Stores a value of any type, bypassing the class under test.
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::string key_;
    Win32Registry registry_;
};

TEST_F(Win32RegistryTest, ValuesRoundTrip) {
    ASSERT_TRUE(registry_.writeString(key_, "Log level", "5"));
    ASSERT_TRUE(registry_.writeString(key_ + "\\viewer", "version", "\xC0\xE1\xE2 1.0"));
    ASSERT_TRUE(registry_.writeString(key_, "empty", ""));

    const RegValue level = registry_.readString(key_, "Log level");
    EXPECT_EQ(level.status, RegStatus::Ok);
    EXPECT_EQ(level.text, "5");
    EXPECT_EQ(registry_.readString(key_, "LOG LEVEL").text, "5");
    EXPECT_EQ(registry_.readString("\\" + key_, "Log level").text, "5");  // root's backslash
    EXPECT_EQ(registry_.readString(key_ + "\\viewer", "version").text, "\xC0\xE1\xE2 1.0");
    EXPECT_EQ(registry_.readString(key_, "empty").status, RegStatus::Ok);
    EXPECT_EQ(registry_.readString(key_, "empty").text, "");
    EXPECT_EQ(registry_.readString(key_, "version").status, RegStatus::Missing);
}

TEST_F(Win32RegistryTest, MissingKeysAndValues) {
    EXPECT_EQ(registry_.readString(key_, "a").status, RegStatus::Missing);
    ASSERT_TRUE(registry_.writeString(key_, "a", "1"));
    EXPECT_EQ(registry_.readString(key_, "b").status, RegStatus::Missing);
    EXPECT_EQ(registry_.readString(key_ + "\\none", "a").status, RegStatus::Missing);
    EXPECT_EQ(registry_.readString(key_, std::string("a\0b", 3)).status, RegStatus::Missing);
}

TEST_F(Win32RegistryTest, OnlyTextValuesReadAsText) {
    const DWORD number = 88;
    setRaw("dword", REG_DWORD, &number, sizeof(number));
    setRaw("binary", REG_BINARY, "abc", 3);
    setRaw("multi", REG_MULTI_SZ, "a\0b\0", 5);
    setRaw("expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    setRaw("unterminated", REG_SZ, "abc", 3);
    setRaw("inner nul", REG_SZ, "ab\0cd", 6);

    EXPECT_EQ(registry_.readString(key_, "dword").status, RegStatus::WrongType);
    EXPECT_EQ(registry_.readString(key_, "binary").status, RegStatus::WrongType);
    EXPECT_EQ(registry_.readString(key_, "multi").status, RegStatus::WrongType);
    const RegValue expand = registry_.readString(key_, "expand");
    EXPECT_EQ(expand.status, RegStatus::Ok);
    EXPECT_EQ(expand.text, "%TEMP%\\x");  // not expanded
    EXPECT_EQ(registry_.readString(key_, "unterminated").text, "abc");
    EXPECT_EQ(registry_.readString(key_, "inner nul").text, "ab");
}

TEST_F(Win32RegistryTest, OversizedValuesAreRefused) {
    const std::string huge(Win32Registry::kMaxValueBytes + 16, 'x');
    setRaw("huge", REG_SZ, huge.c_str(), static_cast<DWORD>(huge.size() + 1));
    EXPECT_EQ(registry_.readString(key_, "huge").status, RegStatus::Missing);
    EXPECT_FALSE(registry_.writeString(key_, "huge2", huge));
    EXPECT_FALSE(registry_.writeString(key_, "nul", std::string("a\0b", 3)));
    EXPECT_EQ(registry_.readString(key_, "nul").status, RegStatus::Missing);
}

// ---- files -------------------------------------------------------------------------------------

class Win32FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = Win32Environment().tempDirectory() + "qbx-plat-" + unique() + "\\";
        ASSERT_TRUE(CreateDirectoryA(dir_.c_str(), nullptr));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(dir_))
            out.push_back(entry.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string dir_;
    Win32FileSystem files_;
};

TEST_F(Win32FilesTest, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    ASSERT_TRUE(files_.writeFileAtomic(dir_ + "data.bin", "old contents"));
    ASSERT_TRUE(files_.writeFileAtomic(dir_ + "data.bin", std::string("new\0bytes", 9)));
    EXPECT_EQ(slurp(dir_ + "data.bin"), std::string("new\0bytes", 9));
    EXPECT_EQ(names(), std::vector<std::string>{"data.bin"});

    EXPECT_FALSE(files_.writeFileAtomic(dir_ + "missing\\data.bin", "x"));
    ASSERT_TRUE(CreateDirectoryA((dir_ + "folder").c_str(), nullptr));
    EXPECT_FALSE(files_.writeFileAtomic(dir_ + "folder", "x"));  // a folder is in the way
    EXPECT_EQ(names(), (std::vector<std::string>{"data.bin", "folder"}));
}

TEST_F(Win32FilesTest, ExistenceTellsFilesFromFolders) {
    spit(dir_ + "a.txt", "x");
    EXPECT_TRUE(files_.fileExists(dir_ + "a.txt"));
    EXPECT_FALSE(files_.directoryExists(dir_ + "a.txt"));
    EXPECT_TRUE(files_.directoryExists(dir_));
    EXPECT_FALSE(files_.fileExists(dir_));
    EXPECT_FALSE(files_.fileExists(dir_ + "missing"));
    EXPECT_FALSE(files_.fileExists(""));
}

TEST_F(Win32FilesTest, CreateDirectoriesMakesEveryMissingParent) {
    EXPECT_FALSE(files_.createDirectory(dir_ + "a\\b"));  // one level only
    EXPECT_TRUE(files_.createDirectories(dir_ + "a\\b\\c\\"));
    EXPECT_TRUE(files_.directoryExists(dir_ + "a\\b\\c"));
    EXPECT_TRUE(files_.createDirectories(dir_ + "a\\b\\c"));
    EXPECT_TRUE(files_.createDirectories(dir_ + "a/mixed/slashes"));
    EXPECT_TRUE(files_.createDirectory(dir_ + "a\\d"));
    EXPECT_TRUE(files_.createDirectory(dir_ + "a\\d"));

    spit(dir_ + "plain", "x");
    EXPECT_FALSE(files_.createDirectories(dir_ + "plain\\sub"));
    EXPECT_FALSE(files_.createDirectory(dir_ + "plain"));
}

TEST_F(Win32FilesTest, RenameNeverReplaces) {
    spit(dir_ + "from", "1");
    spit(dir_ + "to", "2");
    EXPECT_FALSE(files_.renameFile(dir_ + "from", dir_ + "to"));
    EXPECT_EQ(slurp(dir_ + "to"), "2");
    EXPECT_TRUE(files_.renameFile(dir_ + "from", dir_ + "free"));
    EXPECT_EQ(slurp(dir_ + "free"), "1");
    EXPECT_FALSE(files_.renameFile(dir_ + "from", dir_ + "again"));
}

TEST_F(Win32FilesTest, AppendNeverCreates) {
    EXPECT_FALSE(files_.appendToExistingFile(dir_ + "startup.log", "line\r\n"));
    EXPECT_FALSE(files_.fileExists(dir_ + "startup.log"));
    spit(dir_ + "startup.log", "one\r\n");
    EXPECT_TRUE(files_.appendToExistingFile(dir_ + "startup.log", "two\r\n"));
    EXPECT_TRUE(files_.appendToExistingFile(dir_ + "startup.log", "three\r\n"));
    EXPECT_EQ(slurp(dir_ + "startup.log"), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(Win32FilesTest, ReadFileHonoursItsCap) {
    spit(dir_ + "f", std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(dir_ + "f", 100), std::string(100, 'x'));
    EXPECT_EQ(files_.readFile(dir_ + "f", 99), std::nullopt);
    EXPECT_EQ(files_.readFile(dir_ + "missing", 100), std::nullopt);
    EXPECT_EQ(files_.readFile(dir_, 100), std::nullopt);
    EXPECT_EQ(files_.readFile("CON", 100), std::nullopt);  // a device, not a file
    spit(dir_ + "empty", "");
    EXPECT_EQ(files_.readFile(dir_ + "empty", 0), std::string());
}

TEST_F(Win32FilesTest, LogFilesStayReadableAndRotatableWhileOpen) {
    spit(dir_ + "log", "previous run");
    auto out = files_.createFile(dir_ + "log");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->write("line 1\r\n"));
    EXPECT_TRUE(out->flush());
    EXPECT_EQ(files_.readFile(dir_ + "log", 1000), "line 1\r\n");
    // The next load renames the log aside while this handle may still be open.
    EXPECT_TRUE(files_.renameFile(dir_ + "log", dir_ + "log.old"));
    EXPECT_TRUE(out->write("line 2\r\n"));
    out.reset();
    EXPECT_EQ(slurp(dir_ + "log.old"), "line 1\r\nline 2\r\n");
    EXPECT_EQ(files_.createFile(dir_ + "missing\\log"), nullptr);
    EXPECT_TRUE(files_.deleteFile(dir_ + "log.old"));
    EXPECT_FALSE(files_.deleteFile(dir_ + "log.old"));
}

// ---- environment -------------------------------------------------------------------------------

TEST(Win32EnvironmentTest, ExpandsKnownNamesAndKeepsTheRest) {
    SetEnvironmentVariableA("QBX_TEST_DIR", "C:\\data");
    SetEnvironmentVariableA("QBX_NO_SUCH_VARIABLE", nullptr);
    Win32Environment env;
    EXPECT_EQ(env.expandVariables("%QBX_TEST_DIR%\\Statistics\\"), "C:\\data\\Statistics\\");
    EXPECT_EQ(env.expandVariables("%qbx_test_dir%"), "C:\\data");
    EXPECT_EQ(env.expandVariables("%QBX_NO_SUCH_VARIABLE%\\x"), "%QBX_NO_SUCH_VARIABLE%\\x");
    EXPECT_EQ(env.expandVariables("open %QBX_TEST_DIR"), "open %QBX_TEST_DIR");
    EXPECT_EQ(env.expandVariables("100% sure %QBX_TEST_DIR%"), "100% sure %QBX_TEST_DIR%");
    EXPECT_EQ(env.expandVariables("50%%QBX_TEST_DIR%"), "50%%QBX_TEST_DIR%");
    EXPECT_EQ(env.expandVariables(""), "");
    EXPECT_EQ(env.expandVariables(std::string("%QBX_TEST_DIR%\0x", 16)),
              std::string("%QBX_TEST_DIR%\0x", 16));
    SetEnvironmentVariableA("QBX_TEST_DIR", nullptr);
}

TEST(Win32EnvironmentTest, ExpansionGrowsItsBufferAndIsBounded) {
    SetEnvironmentVariableA("QBX_TEST_BIG", std::string(5000, 'b').c_str());
    Win32Environment env;
    EXPECT_EQ(env.expandVariables("%QBX_TEST_BIG%"), std::string(5000, 'b'));
    const std::string huge(40000, 'x');
    EXPECT_EQ(env.expandVariables(huge), huge);
    SetEnvironmentVariableA("QBX_TEST_BIG", nullptr);
}

TEST(Win32EnvironmentTest, Folders) {
    Win32Environment env;
    Win32FileSystem files;
    const std::string temp = env.tempDirectory();
    ASSERT_GE(temp.size(), 2u);
    EXPECT_EQ(temp.back(), '\\');
    EXPECT_NE(temp[temp.size() - 2], '\\');
    EXPECT_TRUE(files.directoryExists(temp));

    const std::string system = env.systemDirectory();
    ASSERT_FALSE(system.empty());
    EXPECT_NE(system.back(), '\\');
    EXPECT_TRUE(files.directoryExists(system));
}

TEST(Win32EnvironmentTest, ProgramAndModulePathsNameThisProgram) {
    Win32Environment env;
    const std::string host = env.hostProgramPath();
    ASSERT_GT(host.size(), 14u);
    EXPECT_EQ(lower(host.substr(host.size() - 14)), "qbx_system.exe");
    EXPECT_TRUE(Win32FileSystem().fileExists(host));
    EXPECT_EQ(env.modulePath(), host);  // the platform layer is linked into this program
}

// ---- clock, locale, user interface -------------------------------------------------------------

TEST(Win32ClockTest, TimeTicksAndMemory) {
    Win32Clock clock;
    const double start = clock.now();
    const std::uint32_t tick = clock.tickCount();
    Sleep(60);
    const std::uint32_t elapsed = clock.tickCount() - tick;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 5000u);
    EXPECT_NEAR((clock.now() - start) * 86400000.0, 60.0, 1000.0);
    EXPECT_GT(start, 43831.0);  // after 2020-01-01

    const std::uint64_t before = clock.heapBytesInUse();
    EXPECT_GT(before, 0u);
    std::vector<char> block(32u << 20, 'x');
    EXPECT_GE(clock.heapBytesInUse(), before + (24u << 20));
    EXPECT_EQ(block[12345], 'x');
}

TEST(Win32LocaleTest, SystemFormatsOfTheGivenMoment) {
    Win32Locale locale;
    const double moment = 45000.0 + (13 * 3600 + 4 * 60 + 5) / 86400.0;  // 2023-03-15 13:04:05
    const std::string time = locale.longTime(moment);
    EXPECT_NE(time.find("04"), std::string::npos) << time;
    EXPECT_NE(time.find("05"), std::string::npos) << time;
    const std::string date = locale.shortDate(moment);
    EXPECT_NE(date.find("15"), std::string::npos) << date;
    EXPECT_NE(date.find("23"), std::string::npos) << date;
    const char separator = locale.decimalSeparator();
    EXPECT_TRUE(separator == '.' || separator == ',') << separator;
    // Before the system's calendar starts: the fixed form.
    EXPECT_EQ(locale.longTime(-200000.25), "18:00:00");
    EXPECT_FALSE(locale.shortDate(-200000.25).empty());
}

TEST(Win32UiTest, PumpDrainsTheQueueWithinItsBound) {
    Win32Ui ui;
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    for (int i = 0; i < 10; ++i) PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    ui.pumpMessages();
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));

    const int many = Win32Ui::kMaxMessagesPerPump + 100;
    for (int i = 0; i < many; ++i) PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
    ui.pumpMessages();
    int left = 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ++left;
    EXPECT_EQ(left, 100);
}

TEST(Win32UiTest, PumpLeavesTheQuitRequestToTheHost) {
    Win32Ui ui;
    PostQuitMessage(7);
    ui.pumpMessages();
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(Win32SystemPlatform, BundlesLongLivedServices) {
    const Platform a = systemPlatform();
    const Platform b = systemPlatform();
    EXPECT_NE(a.registry, nullptr);
    EXPECT_NE(a.files, nullptr);
    EXPECT_NE(a.environment, nullptr);
    EXPECT_NE(a.clock, nullptr);
    EXPECT_NE(a.locale, nullptr);
    EXPECT_NE(a.ui, nullptr);
    EXPECT_EQ(a.registry, b.registry);
    EXPECT_EQ(a.ui, b.ui);
}

}  // namespace
}  // namespace qbx::win32
