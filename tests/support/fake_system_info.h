// A machine the tests describe field by field; every answer can be made "not available".
#pragma once

#include <map>

#include "platform/system_info.h"

namespace qbx::test {

class FakeSystemInfo : public SystemInfo {
public:
    std::optional<MemoryStatus> memoryStatus() override { return memory; }
    CpuRecord cpu() override { return cpuRecord; }
    std::optional<double> measureCpuMHz() override {
        ++measurements;
        return mhz;
    }
    std::uint64_t tickCount64() override { return ticks; }
    std::optional<PowerStatus> powerStatus() override { return power; }
    std::optional<int> bootMode() override { return boot; }
    std::optional<MouseInfo> mouse() override { return mouseInfo; }
    std::optional<CursorPosition> cursorPosition() override { return cursor; }
    std::optional<std::string> keyboardLayoutName() override { return keyboard; }
    std::string defaultPrinter() override { return printer; }
    std::vector<std::string> logicalDrives() override { return drives; }
    std::optional<std::vector<std::string>> processPaths() override { return processes; }
    std::optional<std::vector<std::string>> taskTitles() override { return tasks; }
    std::optional<ScreenInfo> screen() override { return screenInfo; }
    std::optional<std::string> userName() override { return user; }
    std::optional<std::string> computerName() override { return computer; }
    std::optional<int> userPrivilegeLevel() override { return privilege; }
    std::optional<TimeZoneInfo> timeZone() override { return zone; }
    std::optional<int> volume(VolumeDevice device) override {
        const auto it = volumes.find(device);
        if (it == volumes.end()) return std::nullopt;
        return it->second;
    }
    BiosInfo bios() override { return biosInfo; }
    WindowsVersion windowsVersion() override { return version; }

    std::optional<MemoryStatus> memory = MemoryStatus{
        42, 8ull << 30, 3ull << 30, 12ull << 30, 5ull << 30, 128ull << 40, 100ull << 40};
    CpuRecord cpuRecord{true,
                        true,
                        1,
                        6,
                        10,
                        3,
                        (1u << 9) | (1u << 17) | (1u << 23),
                        0,
                        "GenuineIntel",
                        "Intel(R) Core(TM) i5 CPU"};
    std::optional<double> mhz = 2893.4;
    int measurements = 0;
    std::uint64_t ticks = 7'200'500;
    std::optional<PowerStatus> power = PowerStatus{1, 128, 255, -1};
    std::optional<int> boot = 0;
    std::optional<MouseInfo> mouseInfo = MouseInfo{3, true};
    std::optional<CursorPosition> cursor = CursorPosition{640, 480};
    std::optional<std::string> keyboard = "00000419";
    std::string printer = "HP LaserJet,winspool,Ne00:";
    std::vector<std::string> drives = {"C:\\", "D:\\"};
    std::optional<std::vector<std::string>> processes =
        std::vector<std::string>{"C:\\Windows\\explorer.exe", "C:\\Mail\\thebat.exe"};
    std::optional<std::vector<std::string>> tasks = std::vector<std::string>{"Inbox", "Notepad"};
    std::optional<ScreenInfo> screenInfo = ScreenInfo{3840, 1080, 1920, 1080, 24, 60};
    std::optional<std::string> user = "ivan";
    std::optional<std::string> computer = "DESKTOP";
    std::optional<int> privilege = 2;
    std::optional<TimeZoneInfo> zone = TimeZoneInfo{-180, "Russian Standard Time"};
    std::map<VolumeDevice, int> volumes = {{VolumeDevice::WaveOut, 128}};
    BiosInfo biosInfo{"Award", "(C) 1984-2004 Award", "v6.00PG", 38000.0};
    WindowsVersion version{"Windows 10", "Workstation", ""};
};

}  // namespace qbx::test
