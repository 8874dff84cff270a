// What only the Win32 services meet: registry values of other types and shapes, devices and
// pipes behind file names, and the host's message queue. The behaviours every platform shares
// are in hosted/.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_services.h"
#include "support/platform_under_test.h"

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

std::string unique() {
    static int counter = 0;
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "-" +
           std::to_string(++counter);
}

// A key of its own per test; values of any type are stored bypassing the class under test.
class Win32RegistryTest : public ::testing::Test {
protected:
    void TearDown() override { test::removeRegistryKey(key_); }
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    std::string key_ = "Software\\QBXTest\\" + unique();
    Win32Registry registry_;
};

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
    EXPECT_EQ(registry_.readString(key_, "huge2").status, RegStatus::Missing);
}

// A device or a pipe behind a file name could hold the host's thread for ever.
TEST(Win32FilesTest, DevicesAndPipesAreRefused) {
    Win32FileSystem files;
    EXPECT_EQ(files.readFile("CON", 100), std::nullopt);
    const std::string pipe = "\\\\.\\pipe\\qbx-test-" + unique();
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

// ---- the message queue of the host's thread ---------------------------------------------------

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

}  // namespace
}  // namespace qbx::win32
