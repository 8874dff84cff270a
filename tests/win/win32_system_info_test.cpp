// The Win32 machine description as Wine gives it.
#include <windows.h>

#include <lmcons.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/win32/win32_system_info.h"

namespace qbx {
namespace {

TEST(Win32SystemInfo, TheClockMeasurementPutsThePrioritiesBack) {
    win32::Win32SystemInfo machine;
    SetPriorityClass(GetCurrentProcess(), BELOW_NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
    const DWORD start = GetTickCount();
    const std::optional<double> mhz = machine.measureCpuMHz();
    const DWORD spent = GetTickCount() - start;
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), DWORD{BELOW_NORMAL_PRIORITY_CLASS});
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_LOWEST);
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
    ASSERT_TRUE(mhz.has_value());
    EXPECT_GT(*mhz, 100.0);
    EXPECT_LT(spent, 2000u);
}

TEST(Win32SystemInfo, AnswersWhatTheSystemSays) {
    win32::Win32SystemInfo machine;
    const std::optional<MemoryStatus> memory = machine.memoryStatus();
    ASSERT_TRUE(memory.has_value());
    EXPECT_GT(memory->totalPhys, 0u);
    EXPECT_LE(memory->availPhys, memory->totalPhys);
    EXPECT_GE(machine.tickCount64(), GetTickCount64() - 1000);

    char user[UNLEN + 1] = {};
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(machine.userName(), std::string(user));

    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    EXPECT_EQ(machine.timeZone()->biasMinutes, zone.Bias);

    const std::vector<std::string> drives = machine.logicalDrives();
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front().size(), 3u);
    EXPECT_EQ(drives.front().substr(1), ":\\");

    const std::optional<std::vector<std::string>> processes = machine.processPaths();
    ASSERT_TRUE(processes.has_value());
    EXPECT_LE(processes->size(), SystemInfo::kMaxListEntries);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_NE(std::find(processes->begin(), processes->end(), std::string(self)), processes->end());
    EXPECT_EQ(machine.cpu().name.find('\0'), std::string::npos);
}

}  // namespace
}  // namespace qbx
