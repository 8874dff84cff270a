// What the machine tells about itself: memory, processor, power, screen, mouse, keyboard,
// drives, processes and windows, names, time zone, sound volume, firmware and system version.
// A question the system cannot answer comes back empty (std::nullopt), never as a guess.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

struct MemoryStatus {
    std::uint32_t loadPercent = 0;
    std::uint64_t totalPhys = 0, availPhys = 0;
    std::uint64_t totalPage = 0, availPage = 0;
    std::uint64_t totalVirtual = 0, availVirtual = 0;
};

// What CPUID tells. The vendor type is 1 Intel, 2 Cyrix, 3 AMD, 0 any other. The name is the
// brand string up to its first zero byte; the manufacturer is the vendor id ("GenuineIntel").
struct CpuRecord {
    bool mmx = false;
    bool extendedInfo = false;  // the extended leaves (0x80000001 and up) exist
    int vendorType = 0;
    int family = 0, model = 0, stepping = 0;
    std::uint32_t features = 0;          // leaf 1, EDX
    std::uint32_t extendedFeatures = 0;  // leaf 0x80000001, EDX
    std::string manufacturer;
    std::string name;
};

// The system's power status: AC line 0 off, 1 on, 255 unknown; battery flag bits 1 high, 2 low,
// 4 critical, 8 charging, 128 no battery, or 255 unknown; life percent 255 and life seconds -1
// when unknown.
struct PowerStatus {
    int acLineStatus = 255;
    int batteryFlag = 255;
    int lifePercent = 255;
    std::int64_t lifeSeconds = -1;
};

struct MouseInfo {
    int buttons = 0;
    bool wheel = false;
};

struct CursorPosition {
    int x = 0, y = 0;
};

struct ScreenInfo {
    int virtualWidth = 0, virtualHeight = 0;  // the rectangle that covers every monitor
    int primaryWidth = 0, primaryHeight = 0;
    int colorResolution = 0;  // bits
    int refreshRate = 0;      // Hz
};

struct TimeZoneInfo {
    std::int32_t biasMinutes = 0;  // minutes to add to local standard time to get UTC
    std::string standardName;
};

struct WindowsVersion {
    std::string version, productType, servicePack;
};

struct BiosInfo {
    std::string name, copyright, extendedInfo;
    std::optional<double> date;  // days since 1899-12-30
};

enum class VolumeDevice { WaveOut, MidiOut, Auxiliary };

class SystemInfo {
public:
    // Lists of other programs' things are cut at these bounds: a machine with a runaway
    // program must not make a template megabytes long.
    static constexpr std::size_t kMaxListEntries = 1024;
    static constexpr std::size_t kMaxEntryBytes = 1024;
    // The clock measurement holds the thread this long, and is given up when the timer says
    // the wait took much longer (a suspended virtual machine, say).
    static constexpr int kMeasureMilliseconds = 500;
    static constexpr int kMeasureGiveUpMilliseconds = 5000;

    virtual ~SystemInfo() = default;
    virtual std::optional<MemoryStatus> memoryStatus() = 0;
    virtual CpuRecord cpu() = 0;
    // The processor clock in MHz, measured anew over about half a second.
    virtual std::optional<double> measureCpuMHz() = 0;
    // Milliseconds since the system started, not wrapping.
    virtual std::uint64_t tickCount64() = 0;
    virtual std::optional<PowerStatus> powerStatus() = 0;
    // 0 normal boot, 1 safe mode, 2 safe mode with network.
    virtual std::optional<int> bootMode() = 0;
    virtual std::optional<MouseInfo> mouse() = 0;
    virtual std::optional<CursorPosition> cursorPosition() = 0;
    // Eight hexadecimal digits.
    virtual std::optional<std::string> keyboardLayoutName() = 0;
    // The user's default printer as "name,driver,port"; empty when there is none.
    virtual std::string defaultPrinter() = 0;
    // Roots such as "C:\".
    virtual std::vector<std::string> logicalDrives() = 0;
    // Running processes by full path (the program's name where the path is hidden from us).
    virtual std::optional<std::vector<std::string>> processPaths() = 0;
    // Titles of the windows the task bar shows; control characters turned into blanks.
    virtual std::optional<std::vector<std::string>> taskTitles() = 0;
    virtual std::optional<ScreenInfo> screen() = 0;
    virtual std::optional<std::string> userName() = 0;
    virtual std::optional<std::string> computerName() = 0;
    // The account's privilege level: 0 guest, 1 user, 2 administrator.
    virtual std::optional<int> userPrivilegeLevel() = 0;
    virtual std::optional<TimeZoneInfo> timeZone() = 0;
    // 0 .. 255.
    virtual std::optional<int> volume(VolumeDevice device) = 0;
    virtual BiosInfo bios() = 0;
    virtual WindowsVersion windowsVersion() = 0;
};

// ---- shared by the implementations -------------------------------------------------------

// CPUID of the processor we run on (an empty record off x86).
CpuRecord readCpuId();
// The time-stamp counter (0 off x86).
std::uint64_t readTimeStampCounter();
// The clock in MHz from two counter readings and the microseconds between them; nothing when
// the span is not a sane one.
std::optional<double> clockMHz(std::uint64_t ticksBefore, std::uint64_t ticksAfter,
                               double elapsedMicroseconds);
// The name of a version of Windows ("Windows 7", "Windows Server 2019"); productType is the
// system's 1 workstation, 2 domain controller, 3 server.
std::string windowsVersionName(unsigned major, unsigned minor, unsigned build, int productType);
std::string productTypeName(int productType);
// A firmware date "MM/DD/YY" or "MM/DD/YYYY" (two-digit years 80..99 in the 1900s) as days
// since 1899-12-30; nothing when it is no such date.
std::optional<double> parseFirmwareDate(std::string_view text);
// A text from another program cut to kMaxEntryBytes, its control characters turned into blanks
// (a line break in a window title would start a line of its own in a list).
std::string foreignText(std::string_view text);

}  // namespace qbx
