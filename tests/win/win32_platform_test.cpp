// What only the Win32 services meet: registry values of other types and shapes, the system's
// profile functions, devices and pipes behind file names, and the host's message queue. The
// behaviours every platform shares are in hosted/.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hosted/scratch.h"
#include "platform/win32/win32_services.h"
#include "support/platform_under_test.h"
#include "win/raw_registry.h"

namespace qbx::test {
void removeRegistryKey(const std::string& key) {
    RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    HKEY parent = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
        RegDeleteKeyA(parent, "QBXTest");  // only when empty
        RegCloseKey(parent);
    }
}
}  // namespace qbx::test

namespace qbx::win32 {
namespace {

// A key of its own per test; values of any type are stored bypassing the class under test.
class Win32RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { test::removeRegistryKey(key_); }
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        test::setRawRegistryValue(key_, name, type, data, size);
    }

    std::string key_ = "Software\\QBXTest\\" + test::uniqueName();
    Win32Registry registry_;
};

TEST_F(Win32RegistryTest, OnlyTextValuesWithinTheBoundReadAsText) {
    const DWORD number = 88;
    setRaw("dword", REG_DWORD, &number, sizeof(number));
    setRaw("binary", REG_BINARY, "abc", 3);
    setRaw("multi", REG_MULTI_SZ, "a\0b\0", 5);
    setRaw("expand", REG_EXPAND_SZ, "%TEMP%\\x", 9);
    setRaw("unterminated", REG_SZ, "abc", 3);
    setRaw("inner nul", REG_SZ, "ab\0cd", 6);

    for (const char* name : {"dword", "binary", "multi"})
        EXPECT_EQ(registry_.readString(key_, name).status, RegStatus::WrongType) << name;
    const RegValue expand = registry_.readString(key_, "expand");
    EXPECT_EQ(expand.status, RegStatus::Ok);
    EXPECT_EQ(expand.text, "%TEMP%\\x");  // not expanded
    EXPECT_EQ(registry_.readString(key_, "unterminated").text, "abc");
    EXPECT_EQ(registry_.readString(key_, "inner nul").text, "ab");

    const std::string huge(Win32Registry::kMaxValueBytes + 16, 'x');
    setRaw("huge", REG_SZ, huge.c_str(), static_cast<DWORD>(huge.size() + 1));
    EXPECT_EQ(registry_.readString(key_, "huge").status, RegStatus::Missing);
    EXPECT_FALSE(registry_.writeString(key_, "huge2", huge));
    EXPECT_EQ(registry_.readString(key_, "huge2").status, RegStatus::Missing);
}

class ProfileStoreTest : public ::testing::Test {
protected:
    const test::ScratchFolder scratch_{std::filesystem::temp_directory_path(), "qbx-profiles-"};
    const std::string dir_ = scratch_.path.string() + "\\";
    Win32ProfileStore store_;
};

TEST_F(ProfileStoreTest, ValuesComeBackAsWrittenAndKeysInFileOrder) {
    const std::string file = dir_ + "a.ini";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"zeta", "plain"},
        {"alpha", "  outer blanks  "},
        {"quoted", "\"John\" <j@x>"},
        {"both", "\"both ends\""},
        {"single", "'x'"},
        {"lone", "\""},
        {"tabs", "\tx\t"},
        {"nbsp", "\xA0x\xA0"},
        {"empty", ""},
        {"cyr", "\xEF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0"},
        {"equals", "a=b;c [d]"}};
    for (const auto& [key, value] : values) ASSERT_TRUE(store_.writeString(file, "S", key, value));
    std::vector<std::string> expectedKeys;
    for (const auto& [key, value] : values) {
        expectedKeys.push_back(key);
        EXPECT_EQ(store_.readString(file, "S", key, "fallback"), value) << key;
    }
    EXPECT_EQ(store_.keyNames(file, "S"), expectedKeys);
    EXPECT_EQ(store_.readString(file, "s", "ZETA", ""), "plain");  // no regard to case
    EXPECT_TRUE(store_.keyNames(file, "Other").empty());
    EXPECT_TRUE(store_.keyNames(dir_ + "missing.ini", "S").empty());
    EXPECT_EQ(store_.readString(file, "S", "absent", "  fb  "), "  fb  ");
    EXPECT_EQ(store_.readString(dir_ + "missing.ini", "S", "zeta", "fb"), "fb");
    EXPECT_EQ(store_.readString(file, "S", std::string("ze\0ta", 5), "fb"), "fb");
}

TEST_F(ProfileStoreTest, EveryByteSurvivesAtEitherEnd) {
    // Names take every byte but the blanks that reading trims and the marks of sections,
    // comments and values, which the variables file refuses in names.
    const std::string refusedInNames(" \t\v\f\x1A\xA0[;=", 10);
    for (int c = 1; c < 256; ++c) {
        if (c == '\r' || c == '\n') continue;
        const std::string b(1, static_cast<char>(c));
        const std::string value = b + "v" + b;
        ASSERT_TRUE(store_.writeString(dir_ + "bytes.ini", "B", "k", value));
        EXPECT_EQ(store_.readString(dir_ + "bytes.ini", "B", "k", ""), value) << "byte " << c;
        if (refusedInNames.find(b) != std::string::npos) continue;
        const std::string names = dir_ + "names" + std::to_string(c) + ".ini";
        const std::string key = b + "k" + b;
        ASSERT_TRUE(store_.writeString(names, "N", key, "v"));
        EXPECT_EQ(store_.keyNames(names, "N"), std::vector<std::string>{key}) << "byte " << c;
        EXPECT_EQ(store_.readString(names, "N", key, ""), "v") << "byte " << c;
    }
}

TEST_F(ProfileStoreTest, LineBreaksCannotForgeLinesAndBuffersGrow) {
    const std::string file = dir_ + "big.ini";
    ASSERT_TRUE(store_.writeString(file, "S", "k", "a\r\n[T]\r\nforged=1"));
    EXPECT_EQ(store_.readString(file, "S", "k", ""), "a  [T]  forged=1");
    EXPECT_TRUE(store_.keyNames(file, "T").empty());

    // Past the first buffers, up to the longest text the "A" functions write faithfully.
    const std::string big(Win32ProfileStore::kMaxWriteBytes - 4, 'x');  // quoted: the maximum
    ASSERT_TRUE(store_.writeString(file, "S", "big", " " + big + " "));
    EXPECT_TRUE(store_.readString(file, "S", "big", "") == " " + big + " ");
    EXPECT_FALSE(store_.writeString(file, "S", "big", std::string(40000, 'y')));
    EXPECT_FALSE(store_.writeString(file, "S", std::string(40000, 'k'), "v"));
    EXPECT_TRUE(store_.readString(file, "S", "big", "") == " " + big + " ");
    EXPECT_EQ(store_.readString(file, "S", "k", ""), "a  [T]  forged=1");

    std::string many = "[M]\r\n";
    for (int i = 0; i < 5000; ++i) many.append("key").append(std::to_string(i)).append("=1\r\n");
    test::spit(dir_ + "many.ini", many);
    const auto names = store_.keyNames(dir_ + "many.ini", "M");
    ASSERT_EQ(names.size(), 5000u);
    EXPECT_EQ(names.front(), "key0");
    EXPECT_EQ(names.back(), "key4999");
}

// A device or a pipe behind a file name could hold the host's thread for ever.
TEST(Win32FilesTest, DevicesAndPipesAreRefused) {
    Win32FileSystem files;
    EXPECT_EQ(files.readFile("CON", 100), std::nullopt);
    const std::string pipe = "\\\\.\\pipe\\qbx-test-" + test::uniqueName();
    HANDLE servers[2];  // one instance for each client
    for (HANDLE& server : servers) {
        server = CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 2,
                                  0, 0, 0, nullptr);
        ASSERT_NE(server, INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(files.readFile(pipe, 100), std::nullopt);
    EXPECT_FALSE(files.appendToExistingFile(pipe, "x"));
    for (HANDLE server : servers) CloseHandle(server);
}

TEST(Win32EnvironmentTest, TextWithNulComesBackWhole) {
    SetEnvironmentVariableA("QBX_TEST_DIR", "C:\\data");
    const std::string text("%QBX_TEST_DIR%\0x", 16);
    EXPECT_EQ(Win32Environment().expandVariables(text), text);
}

// The names go to Sunday-first tables: each must be what the system's own date pictures
// write for that day, month and half of the day.
TEST(Win32LocaleTest, NamesMatchWhatTheSystemWritesForTheSameMoment) {
    Win32Locale locale;
    const DateTimeNames names = locale.dateTimeNames();
    const auto picture = [](const SYSTEMTIME& st, const char* format, bool time) {
        char text[256] = {};
        const int n = time ? GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, format, text, 256)
                           : GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, format, text, 256);
        return std::string(text, n > 0 ? static_cast<std::size_t>(n - 1) : 0);
    };
    for (WORD day = 0; day < 7; ++day) {  // 2023-01-01 was a Sunday
        SYSTEMTIME st{2023, 1, day, static_cast<WORD>(1 + day), 10, 0, 0, 0};
        EXPECT_EQ(names.longDayNames[day], picture(st, "dddd", false)) << day;
        EXPECT_EQ(names.shortDayNames[day], picture(st, "ddd", false)) << day;
    }
    for (WORD month = 1; month <= 12; ++month) {
        SYSTEMTIME st{2023, month, 0, 15, 10, 0, 0, 0};
        EXPECT_EQ(names.longMonthNames[month - 1u], picture(st, "MMMM", false)) << month;
        EXPECT_EQ(names.shortMonthNames[month - 1u], picture(st, "MMM", false)) << month;
    }
    SYSTEMTIME morning{2023, 1, 0, 1, 9, 0, 0, 0};
    SYSTEMTIME evening{2023, 1, 0, 1, 21, 0, 0, 0};
    EXPECT_EQ(names.timeAm, picture(morning, "tt", true));
    EXPECT_EQ(names.timePm, picture(evening, "tt", true));
    EXPECT_FALSE(locale.longDate(45000.5).empty());
    EXPECT_EQ(locale.shortTime(45000.5).find(locale.longTime(45000.5)), std::string::npos);
}

TEST(Win32UiTest, PumpDrainsTheQueueWithinItsBoundAndLeavesQuitToTheHost) {
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

    PostQuitMessage(7);
    ui.pumpMessages();
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

}  // namespace
}  // namespace qbx::win32
