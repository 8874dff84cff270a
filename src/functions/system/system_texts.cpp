#include "functions/system/system_texts.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "base/text.h"
#include "core/strings.h"

namespace qbx::functions::system {
namespace {

constexpr double kBytesPerMegabyte = 1048576.0;

// Battery flag bits; 255 is "unknown", not every bit at once.
constexpr int kFlagHigh = 1, kFlagLow = 2, kFlagCritical = 4, kFlagCharging = 8;
constexpr int kFlagNoBattery = 128, kFlagUnknown = 255;

bool hasFlag(int flags, int bit) { return flags != kFlagUnknown && (flags & bit) != 0; }

constexpr char kUpperC = '\xD1', kUpperM = '\xCC', kUpperK = '\xCA', kUpperX = '\xD5';

enum class Distance { Millimetres, Centimetres, Metres, Kilometres, Pixels };

Distance distanceUnit(char letter) {
    const char upper = toUpper1251(letter);
    if (upper == 'C' || upper == kUpperC) return Distance::Centimetres;
    if (upper == 'M' || upper == kUpperM) return Distance::Metres;
    if (upper == 'K' || upper == kUpperK) return Distance::Kilometres;
    if (upper == 'X' || upper == kUpperX) return Distance::Pixels;
    return Distance::Millimetres;
}

double distance(const MouseTravel& travel, Distance unit) {
    switch (unit) {
        case Distance::Centimetres: return travel.millimetres / 10.0;
        case Distance::Metres: return travel.millimetres / 1000.0;
        case Distance::Kilometres: return travel.millimetres / 1000000.0;
        case Distance::Pixels: return static_cast<double>(travel.pixels);
        case Distance::Millimetres: break;
    }
    return travel.millimetres;
}

double secondsPerTimeUnit(char letter) {
    switch (letter) {
        case 'M':
        case 'm': return 60.0;
        case 'H':
        case 'h': return 3600.0;
        case 'D':
        case 'd': return 86400.0;
        default: return 1.0;
    }
}

}  // namespace

std::string fixedText(double value, int decimals, char separator) {
    if (!std::isfinite(value)) return "0";
    std::array<char, 400> buffer{};  // the largest double has 309 integer digits
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, decimals);
    if (error != std::errc()) return "0";
    std::string result(buffer.data(), end);
    std::replace(result.begin(), result.end(), '.', separator);
    return result;
}

std::int64_t roundedWhole(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9.0e18) return 0;
    const double lower = std::floor(value);
    const double fraction = value - lower;
    double result = lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0)) result = lower + 1.0;
    return static_cast<std::int64_t>(result);
}

std::string megabytesText(std::uint64_t bytes, const StringTable& strings, char separator) {
    return fixedText(static_cast<double>(bytes) / kBytesPerMegabyte, 2, separator) + " " +
           strings[text::kMegabytes];
}

std::string cpuDescription(const CpuRecord& cpu) {
    std::string description = cpu.name;
    description += " (Stepping " + decimal(cpu.stepping) + ", Model " + decimal(cpu.model) +
                   ", Family " + decimal(cpu.family);
    const auto feature = [&](int bit) { return (cpu.features >> bit) & 1u; };
    if (cpu.mmx) description += ", MMX";
    if (cpu.vendorType == 1) {
        if (feature(9)) description += ", APIC";
        if (feature(17)) description += ", 36-bit addr";
    } else if (cpu.vendorType == 2) {
        if (feature(24)) description += ", EMMX";
    } else if (cpu.vendorType == 3) {
        // 3DNow! is told by the extended feature word, where the vendor puts it.
        if (cpu.extendedInfo && ((cpu.extendedFeatures >> 31) & 1u)) description += ", 3Dnow!";
    }
    return description + ")";
}

std::string cpuTicksText(std::uint64_t tickMilliseconds, double mhz, char separator) {
    return fixedText(static_cast<double>(tickMilliseconds) / 1000.0 * mhz / 1000.0, 2, separator);
}

std::string timeZoneBias(std::int32_t biasMinutes) {
    const std::int64_t bias = biasMinutes;
    const std::int64_t hours = std::llabs(bias) / 60;
    const std::int64_t minutes = std::llabs(bias) % 60;
    // The sign is the bias's own, so that a zone less than an hour off UTC keeps it.
    std::string result = bias < 0 ? "+" : bias > 0 ? "-" : "";
    result += padLeft(decimal(hours), 2, '0');
    result += padLeft(decimal(minutes), 2, '0');
    return result;
}

std::string batteryState(const PowerStatus& power, const StringTable& strings, char separator) {
    std::string state;
    if (power.acLineStatus == 1) {
        state = strings[text::kOnMains];
    } else if (power.acLineStatus == 255) {
        state = strings[text::kBatteryUnknown];
    } else if (power.acLineStatus == 0) {
        state = strings[hasFlag(power.batteryFlag, kFlagNoBattery) ? text::kNoBattery
                                                                   : text::kOnBattery];
        if (power.lifePercent != 255) {
            state += ", " + decimal(power.lifePercent) + "% " + strings[text::kLeft];
        } else if (hasFlag(power.batteryFlag, kFlagCritical)) {
            state += ", " + strings[text::kChargeCritical];
        } else if (hasFlag(power.batteryFlag, kFlagLow)) {
            state += ", " + strings[text::kChargeLow];
        } else if (hasFlag(power.batteryFlag, kFlagHigh)) {
            state += ", " + strings[text::kChargeHigh];
        }
        if (power.lifeSeconds != -1)
            state += ", " + fixedText(static_cast<double>(power.lifeSeconds) / 60.0, 1, separator) +
                     " " + strings[text::kMinutes] + " " + strings[text::kLeft];
    } else {
        return {};
    }
    if (hasFlag(power.batteryFlag, kFlagCharging)) state += ", " + strings[text::kCharging];
    return state;
}

std::string batterySecondsLeft(const PowerStatus& power) {
    if (power.acLineStatus == 0 && power.lifeSeconds >= 0) return decimal(power.lifeSeconds);
    return "-1";
}

std::string startupMode(std::optional<int> bootMode, const StringTable& strings) {
    if (bootMode && *bootMode >= 0 && *bootMode <= 2) return strings[text::kNormalBoot + *bootMode];
    return strings[text::kStatusUnknown];
}

std::string mouseInfoText(std::optional<MouseInfo> mouse, const StringTable& strings) {
    if (!mouse || mouse->buttons <= 0) return strings[text::kNoMouse];
    std::string info = decimal(mouse->buttons) + strings[text::kButtonMouse];
    if (mouse->wheel) info += " " + strings[text::kWithWheel];
    return info;
}

std::string screenDepthText(int colorResolution) {
    return colorResolution == 24 ? "32" : decimal(colorResolution);
}

std::string userPrivilegeText(std::optional<int> level, const StringTable& strings) {
    if (level == 0) return "Guest";
    if (level == 1) return "User";
    if (level == 2) return "Administrator";
    return strings[text::kNotAvailable];
}

std::string windowsVersionText(const WindowsVersion& version) {
    return std::string(trimBlankOrControl(version.version + " " + version.productType + " " +
                                          version.servicePack));
}

std::string volumePercentText(int volume, char separator) {
    return fixedText(static_cast<double>(volume) * 100.0 / 255.0, 1, separator);
}

std::string listText(const std::vector<std::string>& entries) {
    std::string list;
    for (const std::string& entry : entries) list += entry + "\r\n";
    return list;
}

std::string drivesText(const std::vector<std::string>& roots) {
    std::string list;
    for (const std::string& root : roots) list += root + " ";
    return list;
}

std::string mouseWayText(const MouseTravel& travel, char unitLetter, char separator) {
    const Distance unit = distanceUnit(unitLetter);
    if (unit == Distance::Pixels) return decimal(travel.pixels);
    return fixedText(distance(travel, unit), 2, separator);
}

std::optional<std::string> mouseSpeedText(const MouseTravel& travel, char unitLetter,
                                          char timeLetter, std::int64_t sessionSeconds,
                                          char separator) {
    if (sessionSeconds <= 0) return std::nullopt;
    const double time = static_cast<double>(sessionSeconds) / secondsPerTimeUnit(timeLetter);
    return fixedText(distance(travel, distanceUnit(unitLetter)) / time, 2, separator);
}

std::string briefReport(const BriefFacts& f) {
    const std::string lines[] = {
        "Hardware info:",
        std::string(14, '='),
        "",
        "CPU info: " + f.cpuDescription + " ~" + f.cpuMHz + "Mhz ",
        "Mouse info: " + f.mouseInfo + " " + f.mousePosition,
        "Default printer name: " + f.printer,
        "Battery state: " + f.battery,
        "Screen resolution: " + f.primaryWidth + "x" + f.primaryHeight + "x" + f.screenDepth +
            ", " + f.refreshRate + "Hz",
        "",
        "",
        "System info:",
        std::string(12, '='),
        "Current time: " + f.now,
        "Current internet time: " + f.internetTime,
        "Current time zone: " + f.timeZoneName,
        "Current time zone bias: " + f.timeZoneBias,
        "Startup info: " + f.startupMode,
        "Keyboard layout ID: " + f.keyboardLayout,
        "Memory load: " + f.memoryLoad,
        "Physical memory: " + f.availPhys + "/" + f.totalPhys,
        "Virtual memory: " + f.availVirtual + "/" + f.totalVirtual,
        "Page file: " + f.availPage + "/" + f.totalPage,
        "Logical drives: " + f.drives,
        "",
        "",
        "Network info:",
        std::string(13, '='),
        "Current default IP: " + f.defaultIp,
        "Computer name: " + f.computerName,
        "User name: " + f.userName,
        "User info: " + f.userPrivilege,
        "Local network adapter IP list:\r\n" + f.localIpList,
        "",
        "",
        "Running processes:",
        std::string(17, '='),
        f.processes,
        "",
        "",
        "Running tasks:",
        std::string(14, '='),
        f.tasks,
        "",
        "",
        "Top NP :)",
        std::string(7, '='),
        f.topList,
    };
    std::string report;
    for (const std::string& line : lines) report += line + "\r\n";
    return report;
}

}  // namespace qbx::functions::system
