// The machine as Windows describes it. Services that may be missing (the account service, the
// sound and drawing libraries) are looked up at run time and their absence answers "not
// available".
#pragma once

#include "platform/system_info.h"

namespace qbx::win32 {

class Win32SystemInfo final : public SystemInfo {
public:
    std::optional<MemoryStatus> memoryStatus() override;
    CpuRecord cpu() override { return readCpuId(); }
    std::optional<double> measureCpuMHz() override;
    std::uint64_t tickCount64() override;
    std::optional<PowerStatus> powerStatus() override;
    std::optional<int> bootMode() override;
    std::optional<MouseInfo> mouse() override;
    std::optional<CursorPosition> cursorPosition() override;
    std::optional<std::string> keyboardLayoutName() override;
    std::string defaultPrinter() override;
    std::vector<std::string> logicalDrives() override;
    std::optional<std::vector<std::string>> processPaths() override;
    std::optional<std::vector<std::string>> taskTitles() override;
    std::optional<ScreenInfo> screen() override;
    std::optional<std::string> userName() override;
    std::optional<std::string> computerName() override;
    std::optional<int> userPrivilegeLevel() override;
    std::optional<TimeZoneInfo> timeZone() override;
    std::optional<int> volume(VolumeDevice device) override;
    BiosInfo bios() override;
    WindowsVersion windowsVersion() override;
};

}  // namespace qbx::win32
