#include "platform/win32/win32_system_info.h"

#include <windows.h>

#include <lmaccess.h>
#include <lmcons.h>
#include <tlhelp32.h>

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/win32/registry_text.h"

namespace qbx::win32 {
namespace {

// Firmware texts are short lines; a longer value is not one of them.
constexpr std::size_t kMaxFirmwareTextBytes = 2046;

// A function of a system library, looked up by name; null when the library or the function
// is missing. The libraries stay loaded: they are the system's own and the lookups are rare.
template <typename Function>
Function systemFunction(const char* library, const char* name) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) module = LoadLibraryA(library);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Wide text of the system up to its first zero or `limit` characters, in the ANSI code page.
std::string ansiText(const wchar_t* text, std::size_t limit) {
    std::size_t length = 0;
    while (length < limit && text[length] != 0) ++length;
    if (length == 0) return {};
    std::array<char, 4 * 256> buffer{};
    const int written =
        WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), buffer.data(),
                            static_cast<int>(buffer.size()), nullptr, nullptr);
    return written > 0 ? foreignText(std::string_view(buffer.data(), std::size_t(written)))
                       : std::string();
}

// A text value under HKEY_LOCAL_MACHINE; a multi-string gives its strings joined by blanks.
std::string machineRegistryText(const char* key, const char* name) {
    const std::optional<RawRegistryValue> raw =
        readRegistryValue(HKEY_LOCAL_MACHINE, key, name, kMaxFirmwareTextBytes);
    if (!raw || !raw->fits || (raw->type != REG_SZ && raw->type != REG_MULTI_SZ)) return {};
    std::string text = raw->bytes;
    if (raw->type == REG_MULTI_SZ) {
        while (!text.empty() && text.back() == '\0') text.pop_back();
        for (char& c : text)
            if (c == '\0') c = ' ';
    }
    return foreignText(text.substr(0, text.find('\0')));
}

// Raises the process and the thread for a measurement, and puts both back however the
// measurement ends.
class RaisedPriority {
public:
    RaisedPriority()
        : process_(GetCurrentProcess()),
          thread_(GetCurrentThread()),
          priorityClass_(GetPriorityClass(process_)),
          threadPriority_(GetThreadPriority(thread_)) {
        SetPriorityClass(process_, REALTIME_PRIORITY_CLASS);
        SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
    }
    ~RaisedPriority() {
        if (threadPriority_ != THREAD_PRIORITY_ERROR_RETURN)
            SetThreadPriority(thread_, threadPriority_);
        if (priorityClass_ != 0) SetPriorityClass(process_, priorityClass_);
    }
    RaisedPriority(const RaisedPriority&) = delete;
    RaisedPriority& operator=(const RaisedPriority&) = delete;

private:
    HANDLE process_;
    HANDLE thread_;
    DWORD priorityClass_;
    int threadPriority_;
};

std::string processPath(const PROCESSENTRY32& entry) {
    std::array<char, SystemInfo::kMaxEntryBytes> path{};
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (process != nullptr) {
        DWORD size = static_cast<DWORD>(path.size());
        const BOOL found = QueryFullProcessImageNameA(process, 0, path.data(), &size);
        CloseHandle(process);
        if (found && size > 0) return foreignText(std::string_view(path.data(), size));
    }
    // Processes of other users and the system's own hide their paths: their name stands in.
    return foreignText(std::string_view(entry.szExeFile, strnlen(entry.szExeFile, MAX_PATH)));
}

struct TaskSearch {
    std::vector<std::string> titles;
};

BOOL CALLBACK collectTask(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<TaskSearch*>(context);
    if (search.titles.size() >= SystemInfo::kMaxListEntries) return FALSE;
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
        (GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0)
        return TRUE;
    // Reading another program's title takes no message to it, so a hung program cannot hold
    // us here.
    std::array<char, 256> title{};
    const int length = GetWindowTextA(window, title.data(), static_cast<int>(title.size()));
    if (length > 0)
        search.titles.push_back(foreignText(std::string_view(title.data(), std::size_t(length))));
    return TRUE;
}

}  // namespace

std::optional<MemoryStatus> Win32SystemInfo::memoryStatus() {
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (!GlobalMemoryStatusEx(&memory)) return std::nullopt;
    MemoryStatus status;
    status.loadPercent = memory.dwMemoryLoad;
    status.totalPhys = memory.ullTotalPhys;
    status.availPhys = memory.ullAvailPhys;
    status.totalPage = memory.ullTotalPageFile;
    status.availPage = memory.ullAvailPageFile;
    status.totalVirtual = memory.ullTotalVirtual;
    status.availVirtual = memory.ullAvailVirtual;
    return status;
}

std::optional<double> Win32SystemInfo::measureCpuMHz() {
    LARGE_INTEGER frequency{};
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0) return std::nullopt;
    const RaisedPriority raised;
    Sleep(10);
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    const std::uint64_t before = readTimeStampCounter();
    Sleep(kMeasureMilliseconds);
    const std::uint64_t after = readTimeStampCounter();
    LARGE_INTEGER end{};
    QueryPerformanceCounter(&end);
    const double elapsed =
        static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart);
    return clockMHz(before, after, elapsed);
}

std::uint64_t Win32SystemInfo::tickCount64() { return GetTickCount64(); }

std::optional<PowerStatus> Win32SystemInfo::powerStatus() {
    SYSTEM_POWER_STATUS power{};
    if (!GetSystemPowerStatus(&power)) return std::nullopt;
    PowerStatus status;
    status.acLineStatus = power.ACLineStatus;
    status.batteryFlag = power.BatteryFlag;
    status.lifePercent = power.BatteryLifePercent;
    status.lifeSeconds =
        power.BatteryLifeTime == DWORD(-1) ? -1 : std::int64_t{power.BatteryLifeTime};
    return status;
}

std::optional<int> Win32SystemInfo::bootMode() { return GetSystemMetrics(SM_CLEANBOOT); }

std::optional<MouseInfo> Win32SystemInfo::mouse() {
    return MouseInfo{GetSystemMetrics(SM_CMOUSEBUTTONS),
                     GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0};
}

std::optional<CursorPosition> Win32SystemInfo::cursorPosition() {
    POINT point{};
    if (!GetCursorPos(&point)) return std::nullopt;
    return CursorPosition{point.x, point.y};
}

std::optional<std::string> Win32SystemInfo::keyboardLayoutName() {
    std::array<char, KL_NAMELENGTH + 1> name{};
    if (!GetKeyboardLayoutNameA(name.data())) return std::nullopt;
    return std::string(name.data());
}

std::string Win32SystemInfo::defaultPrinter() {
    std::array<char, 256> device{};
    const DWORD length = GetProfileStringA("Windows", "device", "", device.data(), 255);
    return foreignText(std::string_view(device.data(), std::min<DWORD>(length, 255)));
}

std::vector<std::string> Win32SystemInfo::logicalDrives() {
    std::array<char, 512> roots{};
    const DWORD length =
        GetLogicalDriveStringsA(static_cast<DWORD>(roots.size() - 1), roots.data());
    std::vector<std::string> drives;
    if (length == 0 || length >= roots.size()) return drives;
    for (const char* root = roots.data(); *root != '\0' && drives.size() < kMaxListEntries;) {
        const std::size_t size = strnlen(root, roots.data() + length - root);
        drives.emplace_back(root, size);
        root += size + 1;
        if (root >= roots.data() + length) break;
    }
    return drives;
}

std::optional<std::vector<std::string>> Win32SystemInfo::processPaths() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::string> paths;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && paths.size() < kMaxListEntries;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == 0) continue;  // the idle process has no program
        paths.push_back(processPath(entry));
    }
    CloseHandle(snapshot);
    if (paths.empty()) return std::nullopt;
    return paths;
}

std::optional<std::vector<std::string>> Win32SystemInfo::taskTitles() {
    TaskSearch search;
    EnumWindows(collectTask, reinterpret_cast<LPARAM>(&search));
    return std::move(search.titles);
}

std::optional<ScreenInfo> Win32SystemInfo::screen() {
    using GetDeviceCapsFunction = int(WINAPI*)(HDC, int);
    const auto getDeviceCaps = systemFunction<GetDeviceCapsFunction>("gdi32.dll", "GetDeviceCaps");
    if (getDeviceCaps == nullptr) return std::nullopt;
    HDC screenContext = GetDC(nullptr);
    if (screenContext == nullptr) return std::nullopt;
    ScreenInfo info;
    info.colorResolution = getDeviceCaps(screenContext, COLORRES);
    info.refreshRate = getDeviceCaps(screenContext, VREFRESH);
    ReleaseDC(nullptr, screenContext);
    info.virtualWidth = std::abs(GetSystemMetrics(SM_CXVIRTUALSCREEN));
    info.virtualHeight = std::abs(GetSystemMetrics(SM_CYVIRTUALSCREEN));
    info.primaryWidth = GetSystemMetrics(SM_CXSCREEN);
    info.primaryHeight = GetSystemMetrics(SM_CYSCREEN);
    return info;
}

std::optional<std::string> Win32SystemInfo::userName() {
    std::array<char, UNLEN + 1> name{};
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetUserNameA(name.data(), &size)) return std::nullopt;
    return foreignText(std::string_view(name.data(), strnlen(name.data(), name.size())));
}

std::optional<std::string> Win32SystemInfo::computerName() {
    std::array<char, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD size = static_cast<DWORD>(name.size());
    if (!GetComputerNameA(name.data(), &size)) return std::nullopt;
    return foreignText(std::string_view(name.data(), strnlen(name.data(), name.size())));
}

std::optional<int> Win32SystemInfo::userPrivilegeLevel() {
    using GetInfo = DWORD(WINAPI*)(LPCWSTR, LPCWSTR, DWORD, LPBYTE*);
    using FreeBuffer = DWORD(WINAPI*)(LPVOID);
    const auto getInfo = systemFunction<GetInfo>("netapi32.dll", "NetUserGetInfo");
    const auto freeBuffer = systemFunction<FreeBuffer>("netapi32.dll", "NetApiBufferFree");
    if (getInfo == nullptr || freeBuffer == nullptr) return std::nullopt;
    const std::optional<std::string> user = userName();
    if (!user || user->empty()) return std::nullopt;
    std::array<wchar_t, UNLEN + 1> wideUser{};
    if (MultiByteToWideChar(CP_ACP, 0, user->c_str(), -1, wideUser.data(),
                            static_cast<int>(wideUser.size())) == 0)
        return std::nullopt;
    LPBYTE buffer = nullptr;
    if (getInfo(nullptr, wideUser.data(), 3, &buffer) != 0 || buffer == nullptr) {
        if (buffer != nullptr) freeBuffer(buffer);
        return std::nullopt;
    }
    const DWORD level = reinterpret_cast<const USER_INFO_3*>(buffer)->usri3_priv;
    freeBuffer(buffer);
    return static_cast<int>(level);
}

std::optional<TimeZoneInfo> Win32SystemInfo::timeZone() {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return std::nullopt;
    return TimeZoneInfo{static_cast<std::int32_t>(zone.Bias), ansiText(zone.StandardName, 32)};
}

std::optional<int> Win32SystemInfo::volume(VolumeDevice device) {
    using GetVolume = UINT(WINAPI*)(UINT_PTR, DWORD*);
    const char* name = device == VolumeDevice::WaveOut   ? "waveOutGetVolume"
                       : device == VolumeDevice::MidiOut ? "midiOutGetVolume"
                                                         : "auxGetVolume";
    const auto getVolume = systemFunction<GetVolume>("winmm.dll", name);
    if (getVolume == nullptr) return std::nullopt;
    DWORD level = 0;
    if (getVolume(0, &level) != 0) return std::nullopt;
    // The left channel's 16 bits, to the 0 .. 255 scale the macro reads.
    return static_cast<int>((level & 0xFFFF) >> 8);
}

BiosInfo Win32SystemInfo::bios() {
    constexpr const char* kBios = "HARDWARE\\DESCRIPTION\\System\\BIOS";
    constexpr const char* kSystem = "HARDWARE\\DESCRIPTION\\System";
    BiosInfo info;
    // The system keeps no copy of the firmware's copyright notice: that text stays empty.
    info.name = machineRegistryText(kBios, "BIOSVendor");
    info.extendedInfo = machineRegistryText(kBios, "BIOSVersion");
    if (info.extendedInfo.empty())
        info.extendedInfo = machineRegistryText(kSystem, "SystemBiosVersion");
    info.date = parseFirmwareDate(machineRegistryText(kBios, "BIOSReleaseDate"));
    if (!info.date) info.date = parseFirmwareDate(machineRegistryText(kSystem, "SystemBiosDate"));
    return info;
}

WindowsVersion Win32SystemInfo::windowsVersion() {
    // The version the system really runs: GetVersionEx answers what the program's manifest
    // claims to know.
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    const auto getVersion = systemFunction<GetVersion>("ntdll.dll", "RtlGetVersion");
    OSVERSIONINFOEXW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion == nullptr || getVersion(&version) != 0) return {};
    return WindowsVersion{windowsVersionName(version.dwMajorVersion, version.dwMinorVersion,
                                             version.dwBuildNumber, version.wProductType),
                          productTypeName(version.wProductType),
                          ansiText(version.szCSDVersion, 128)};
}

}  // namespace qbx::win32
