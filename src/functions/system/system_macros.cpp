#include "functions/system/system_macros.h"

#include <stdexcept>
#include <utility>

#include "base/text.h"
#include "core/formatting.h"
#include "core/plugin.h"
#include "core/ports/tray_module.h"
#include "core/session.h"
#include "functions/dates/calendar.h"
#include "functions/network/connection_state.h"
#include "functions/network/network_macros.h"
#include "functions/playcount/playcount_macros.h"
#include "functions/system/system_texts.h"
#include "macros/answer.h"
#include "macros/arguments.h"
#include "platform/network.h"
#include "platform/system_info.h"

namespace qbx::functions::system {
namespace {

using macros::MacroCall;

// Strings[0] reads as the empty text: the placeholder of the macros that name none.
constexpr int kEmpty = 0;

SystemInfo& machine(MacroCall& call) {
    if (call.plugin.platform.systemInfo == nullptr)
        throw std::runtime_error("system information not available");
    return *call.plugin.platform.systemInfo;
}

template <typename T>
T available(std::optional<T> value, const char* what) {
    if (!value) throw std::runtime_error(std::string(what) + " not available");
    return std::move(*value);
}

char decimalSeparator(MacroCall& call) {
    LocaleFormat* locale = call.plugin.platform.locale;
    return locale != nullptr ? locale->decimalSeparator() : '.';
}

const StringTable& strings(MacroCall& call) { return call.plugin.strings; }

MouseTravel mouseTravel(MacroCall& call) {
    return call.plugin.trayModule ? call.plugin.trayModule->mouseTravel() : MouseTravel{};
}

using MemoryField = std::uint64_t MemoryStatus::*;

std::string memory(MacroCall& call, MemoryField field) {
    return macros::answerOr(call, kEmpty, [&] {
        const MemoryStatus status = available(machine(call).memoryStatus(), "memory status");
        return megabytesText(status.*field, strings(call), decimalSeparator(call));
    });
}

double measuredMHz(MacroCall& call) {
    return available(machine(call).measureCpuMHz(), "processor clock");
}

std::string biosText(MacroCall& call, std::string BiosInfo::*field) {
    return macros::answerOr(call, kEmpty, [&] { return machine(call).bios().*field; });
}

// The lists are bounded where they are read (SystemInfo::kMaxListEntries entries of at most
// kMaxEntryBytes each).
std::string listAnswer(std::optional<std::vector<std::string>> entries, const char* what) {
    return listText(available(std::move(entries), what));
}

// The report's line of each fact: a fact the system cannot give leaves its line's text empty
// rather than the whole report.
template <typename Body>
auto fact(Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        return {};
    }
}

}  // namespace

std::string zvxVolume(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const std::int32_t which = macros::getParamInt(call.params, 0);
        const VolumeDevice device = which == 0   ? VolumeDevice::WaveOut
                                    : which == 1 ? VolumeDevice::MidiOut
                                                 : VolumeDevice::Auxiliary;
        // A device that is not there is silent.
        return volumePercentText(machine(call).volume(device).value_or(0), decimalSeparator(call));
    });
}

std::string zvxStartupInfo(MacroCall& call) {
    return macros::answerOr(call, text::kStatusUnknown,
                            [&] { return startupMode(machine(call).bootMode(), strings(call)); });
}

std::string zvxMouseInfo(MacroCall& call) {
    return macros::answerOr(call, text::kNoMouse,
                            [&] { return mouseInfoText(machine(call).mouse(), strings(call)); });
}

std::string zvxMousePos(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const CursorPosition at = available(machine(call).cursorPosition(), "cursor position");
        return "(" + decimal(at.x) + "," + decimal(at.y) + ")";
    });
}

std::string zvxMouseWay(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return mouseWayText(mouseTravel(call), macros::getParamChar(call.params, 0),
                            decimalSeparator(call));
    });
}

std::string zvxMouseSpeed(MacroCall& call) {
    return macros::answerOr(call, text::kNotAvailable, [&] {
        const std::optional<std::string> speed =
            mouseSpeedText(mouseTravel(call), macros::getParamChar(call.params, 0),
                           macros::getParamChar(call.params, 1), sessionSeconds(call.plugin),
                           decimalSeparator(call));
        if (!speed) throw std::runtime_error("no time since start-up to divide by");
        return *speed;
    });
}

std::string zvxKbd(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return available(machine(call).keyboardLayoutName(), "keyboard layout");
    });
}

std::string zvxPrn(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] { return machine(call).defaultPrinter(); });
}

std::string zvxDrvList(MacroCall& call) {
    return macros::answerOr(call, kEmpty,
                            [&] { return drivesText(machine(call).logicalDrives()); });
}

std::string zvxProcList(MacroCall& call) {
    return macros::answerOr(call, text::kProcessesUnavailable, [&] {
        return listAnswer(machine(call).processPaths(), "process list");
    });
}

std::string zvxTaskList(MacroCall& call) {
    return macros::answerOr(call, text::kTasksUnavailable,
                            [&] { return listAnswer(machine(call).taskTitles(), "task list"); });
}

std::string zvxScreenRes(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const ScreenInfo screen = available(machine(call).screen(), "screen");
        return decimal(screen.virtualWidth) + "x" + decimal(screen.virtualHeight);
    });
}

std::string zvxScreenDepth(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return screenDepthText(available(machine(call).screen(), "screen").colorResolution);
    });
}

std::string zvxScreenRRate(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return decimal(available(machine(call).screen(), "screen").refreshRate);
    });
}

std::string zvxCpuSpeed(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] { return decimal(roundedWhole(measuredMHz(call))); });
}

std::string zvxCpuTicks(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const std::uint64_t ticks = machine(call).tickCount64();
        return cpuTicksText(ticks, measuredMHz(call), decimalSeparator(call));
    });
}

std::string zvxTickCount(MacroCall& call) {
    return macros::answerOr(call, kEmpty,
                            [&] { return std::to_string(machine(call).tickCount64() / 1000); });
}

std::string zvxCpuName(MacroCall& call) {
    return macros::answerOr(
        call, kEmpty, [&] { return std::string(trimBlankOrControl(machine(call).cpu().name)); });
}

std::string zvxCpuField(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] { return machine(call).cpu().name; });
}

std::string zvxCpuVendor(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] { return machine(call).cpu().manufacturer; });
}

std::string zvxCpuNameL(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] { return cpuDescription(machine(call).cpu()); });
}

std::string zvxCompName(MacroCall& call) {
    return macros::answerOr(call, text::kComputerNameUnknown, [&] {
        return available(machine(call).computerName(), "computer name");
    });
}

std::string zvxUserName(MacroCall& call) {
    return macros::answerOr(call, text::kUserNameUnknown,
                            [&] { return available(machine(call).userName(), "user name"); });
}

std::string zvxBatt(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return batteryState(available(machine(call).powerStatus(), "power status"), strings(call),
                            decimalSeparator(call));
    });
}

std::string zvxBattSecLeft(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const std::optional<PowerStatus> power = machine(call).powerStatus();
        return power ? batterySecondsLeft(*power) : std::string("-1");
    });
}

std::string zvxMemLoad(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return decimal(available(machine(call).memoryStatus(), "memory status").loadPercent) + "%";
    });
}

std::string zvxMemTPhys(MacroCall& call) { return memory(call, &MemoryStatus::totalPhys); }
std::string zvxMemAPhys(MacroCall& call) { return memory(call, &MemoryStatus::availPhys); }
std::string zvxMemTPage(MacroCall& call) { return memory(call, &MemoryStatus::totalPage); }
std::string zvxMemAPage(MacroCall& call) { return memory(call, &MemoryStatus::availPage); }
std::string zvxMemTVirt(MacroCall& call) { return memory(call, &MemoryStatus::totalVirtual); }
std::string zvxMemAVirt(MacroCall& call) { return memory(call, &MemoryStatus::availVirtual); }

std::string zvxWinVer(MacroCall& call) {
    return macros::answerOr(call, kEmpty,
                            [&] { return windowsVersionText(machine(call).windowsVersion()); });
}

std::string zvxBiosName(MacroCall& call) { return biosText(call, &BiosInfo::name); }
std::string zvxBiosCopy(MacroCall& call) { return biosText(call, &BiosInfo::copyright); }
std::string zvxBiosInfo(MacroCall& call) { return biosText(call, &BiosInfo::extendedInfo); }

std::string zvxBiosDate(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        const std::optional<double> date = machine(call).bios().date;
        LocaleFormat* locale = call.plugin.platform.locale;
        if (!date || locale == nullptr) return std::string();
        return locale->shortDate(*date);
    });
}

std::string zvxTz(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return available(machine(call).timeZone(), "time zone").standardName;
    });
}

std::string zvxTzBias(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        return timeZoneBias(available(machine(call).timeZone(), "time zone").biasMinutes);
    });
}

std::string zvxBrief(MacroCall& call) {
    return macros::answerOr(call, kEmpty, [&] {
        SystemInfo& info = machine(call);
        const StringTable& table = strings(call);
        const char separator = decimalSeparator(call);
        BriefFacts f;
        const CpuRecord cpu = info.cpu();
        f.cpuDescription = cpuDescription(cpu);
        f.cpuMHz = fact([&] { return decimal(roundedWhole(measuredMHz(call))); });
        f.mouseInfo = mouseInfoText(info.mouse(), table);
        if (const std::optional<CursorPosition> at = info.cursorPosition())
            f.mousePosition = "(" + decimal(at->x) + "," + decimal(at->y) + ")";
        f.printer = info.defaultPrinter();
        f.battery = fact([&] {
            return batteryState(available(info.powerStatus(), "power status"), table, separator);
        });
        if (const std::optional<ScreenInfo> screen = info.screen()) {
            f.primaryWidth = decimal(screen->primaryWidth);
            f.primaryHeight = decimal(screen->primaryHeight);
            f.screenDepth = screenDepthText(screen->colorResolution);
            f.refreshRate = decimal(screen->refreshRate);
        }
        if (call.plugin.platform.clock != nullptr && call.plugin.platform.locale != nullptr)
            f.now = defaultDateTimeText(*call.plugin.platform.locale,
                                        call.plugin.platform.clock->now());
        if (const std::optional<TimeZoneInfo> zone = info.timeZone()) {
            f.timeZoneName = zone->standardName;
            f.timeZoneBias = timeZoneBias(zone->biasMinutes);
        }
        f.startupMode = startupMode(info.bootMode(), table);
        f.keyboardLayout = info.keyboardLayoutName().value_or("");
        if (const std::optional<MemoryStatus> memory = info.memoryStatus()) {
            f.memoryLoad = decimal(memory->loadPercent) + "%";
            f.availPhys = megabytesText(memory->availPhys, table, separator);
            f.totalPhys = megabytesText(memory->totalPhys, table, separator);
            f.availVirtual = megabytesText(memory->availVirtual, table, separator);
            f.totalVirtual = megabytesText(memory->totalVirtual, table, separator);
            f.availPage = megabytesText(memory->availPage, table, separator);
            f.totalPage = megabytesText(memory->totalPage, table, separator);
        }
        f.drives = drivesText(info.logicalDrives());
        f.computerName = info.computerName().value_or(table[text::kComputerNameUnknown]);
        f.userName = info.userName().value_or(table[text::kUserNameUnknown]);
        f.userPrivilege = userPrivilegeText(info.userPrivilegeLevel(), table);
        const auto processes = info.processPaths();
        f.processes = processes ? listText(*processes) : table[text::kProcessesUnavailable];
        const auto tasks = info.taskTitles();
        f.tasks = tasks ? listText(*tasks) : table[text::kTasksUnavailable];
        if (call.plugin.platform.clock != nullptr)
            f.internetTime = dates::internetTime(call.plugin.platform.clock->universalNow(),
                                                 separator);
        if (call.plugin.platform.network != nullptr) {
            const std::vector<std::string> addresses = fact([&] {
                return call.plugin.platform.network->localAddresses();
            });
            f.defaultIp = addresses.empty() ? table[network::kLocalhostText] : addresses.front();
            f.localIpList = network::joinAddresses(addresses, "\r\n");
        }
        // The report's last lines: the fifty most played titles, numbered.
        f.topList = playcount::buildNpTopList(
                        call.plugin, macros::templateText("$$cnt) $$entry ($$val)"), "$$nl", 50)
                        .text;
        return briefReport(f);
    });
}

}  // namespace qbx::functions::system
