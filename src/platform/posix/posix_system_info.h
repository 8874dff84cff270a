// What Linux can tell honestly of the machine; the rest (mouse, screen, windows, power, sound)
// is reported as not available.
#pragma once

#include "platform/system_info.h"

namespace qbx::posix {

class PosixSystemInfo final : public SystemInfo {
public:
    std::optional<MemoryStatus> memoryStatus() override;
    CpuRecord cpu() override { return readCpuId(); }
    std::optional<double> measureCpuMHz() override;
    std::uint64_t tickCount64() override;
    std::optional<PowerStatus> powerStatus() override { return PowerStatus{}; }
    std::optional<int> bootMode() override { return 0; }
    std::optional<MouseInfo> mouse() override { return std::nullopt; }
    std::optional<CursorPosition> cursorPosition() override { return std::nullopt; }
    std::optional<std::string> keyboardLayoutName() override { return std::nullopt; }
    std::string defaultPrinter() override { return {}; }
    std::vector<std::string> logicalDrives() override;
    std::optional<std::vector<std::string>> processPaths() override;
    std::optional<std::vector<std::string>> taskTitles() override { return std::nullopt; }
    std::optional<ScreenInfo> screen() override { return std::nullopt; }
    std::optional<std::string> userName() override;
    std::optional<std::string> computerName() override;
    std::optional<int> userPrivilegeLevel() override { return std::nullopt; }
    std::optional<TimeZoneInfo> timeZone() override;
    std::optional<int> volume(VolumeDevice) override { return std::nullopt; }
    BiosInfo bios() override;
    WindowsVersion windowsVersion() override;
};

}  // namespace qbx::posix
