// The texts of the machine's description: sizes, processor, power, time zone, mouse travel,
// lists and the whole report. No module context: callers hand in the string table and the
// user's decimal separator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ports/tray_module.h"
#include "platform/system_info.h"

namespace qbx {
class StringTable;
}

namespace qbx::functions::system {

// Interface texts of these macros.
namespace text {
inline constexpr int kStatusUnknown = 1;
inline constexpr int kNormalBoot = 2;  // 2..4 by boot mode
inline constexpr int kNoMouse = 5;
inline constexpr int kButtonMouse = 6;
inline constexpr int kWithWheel = 7;
inline constexpr int kBatteryUnknown = 8;
inline constexpr int kOnMains = 9;
inline constexpr int kOnBattery = 10;
inline constexpr int kNoBattery = 11;
inline constexpr int kChargeHigh = 12;
inline constexpr int kChargeLow = 13;
inline constexpr int kChargeCritical = 14;
inline constexpr int kCharging = 15;
inline constexpr int kLeft = 16;
inline constexpr int kComputerNameUnknown = 33;
inline constexpr int kUserNameUnknown = 34;
inline constexpr int kTasksUnavailable = 35;
inline constexpr int kProcessesUnavailable = 36;
inline constexpr int kNotAvailable = 40;
inline constexpr int kMinutes = 45;
inline constexpr int kMegabytes = 82;
}  // namespace text

// The value with that many decimals, the decimal point being the separator; "0" for a value
// that is no number.
std::string fixedText(double value, int decimals, char separator);
// Rounded to the nearest whole number, halves to the even one.
std::int64_t roundedWhole(double value);

// "1234.57 Mb": bytes in megabytes with two decimals.
std::string megabytesText(std::uint64_t bytes, const StringTable& strings, char separator);

// The name field, then stepping, model, family and the vendor's feature words.
std::string cpuDescription(const CpuRecord& cpu);
// Cycles since the system started, in thousands of millions, two decimals.
std::string cpuTicksText(std::uint64_t tickMilliseconds, double mhz, char separator);

// "+0300", "-0500", "0000": the zone's offset east of UTC from the system's bias.
std::string timeZoneBias(std::int32_t biasMinutes);

// The power status in words; empty for an AC line status the system does not define.
std::string batteryState(const PowerStatus& power, const StringTable& strings, char separator);
// Seconds of battery left while off the mains, else "-1".
std::string batterySecondsLeft(const PowerStatus& power);

std::string startupMode(std::optional<int> bootMode, const StringTable& strings);
std::string mouseInfoText(std::optional<MouseInfo> mouse, const StringTable& strings);
// The depth in bits; 24 reads as 32.
std::string screenDepthText(int colorResolution);
// The account's level in words, "n/a" where unknown.
std::string userPrivilegeText(std::optional<int> level, const StringTable& strings);
std::string windowsVersionText(const WindowsVersion& version);
// "50.2": the 0..255 volume as a percentage with one decimal.
std::string volumePercentText(int volume, char separator);

// Every entry followed by CR LF.
std::string listText(const std::vector<std::string>& entries);
// Every root followed by a blank.
std::string drivesText(const std::vector<std::string>& roots);

// The travel in the unit of the letter (C/С, M/М, K/К, X/Х in either case; any other
// millimetres): two decimals, or the whole pixel count for X.
std::string mouseWayText(const MouseTravel& travel, char unitLetter, char separator);
// The travel per unit of time since start-up (M minute, H hour, D day, any other second);
// nothing within the first second, when there is no time to divide by.
std::optional<std::string> mouseSpeedText(const MouseTravel& travel, char unitLetter,
                                          char timeLetter, std::int64_t sessionSeconds,
                                          char separator);

// What the report shows, each line's text ready.
struct BriefFacts {
    std::string cpuDescription, cpuMHz, mouseInfo, mousePosition, printer, battery;
    std::string primaryWidth, primaryHeight, screenDepth, refreshRate;
    std::string now, internetTime, timeZoneName, timeZoneBias, startupMode, keyboardLayout;
    std::string memoryLoad, availPhys, totalPhys, availVirtual, totalVirtual, availPage, totalPage;
    std::string drives, defaultIp, computerName, userName, userPrivilege, localIpList;
    std::string processes, tasks, topList;
};
std::string briefReport(const BriefFacts& facts);

}  // namespace qbx::functions::system
