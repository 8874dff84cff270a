#include "platform/posix/posix_system_info.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <ctime>
#include <fstream>
#include <thread>

namespace qbx::posix {
namespace {

// One short line of a file under /sys or /proc, without its line break.
std::string firstLine(const char* path) {
    std::ifstream in(path);
    std::array<char, 256> line{};
    if (!in.getline(line.data(), line.size())) return {};
    return foreignText(line.data());
}

}  // namespace

std::optional<MemoryStatus> PosixSystemInfo::memoryStatus() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0 || info.totalram == 0) return std::nullopt;
    const std::uint64_t unit = info.mem_unit == 0 ? 1 : info.mem_unit;
    MemoryStatus status;
    status.totalPhys = std::uint64_t{info.totalram} * unit;
    status.availPhys = (std::uint64_t{info.freeram} + info.bufferram) * unit;
    status.totalPage = status.totalPhys + std::uint64_t{info.totalswap} * unit;
    status.availPage = status.availPhys + std::uint64_t{info.freeswap} * unit;
    status.loadPercent = static_cast<std::uint32_t>(
        (status.totalPhys - std::min(status.availPhys, status.totalPhys)) * 100 / status.totalPhys);
    // The user address space of this process and what of it is not mapped yet.
    status.totalVirtual = sizeof(void*) == 8 ? (std::uint64_t{1} << 47) : (std::uint64_t{3} << 30);
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    if (statm >> pages >> resident) {
        const std::uint64_t mapped = static_cast<std::uint64_t>(pages) * sysconf(_SC_PAGESIZE);
        status.availVirtual = mapped < status.totalVirtual ? status.totalVirtual - mapped : 0;
    }
    return status;
}

std::optional<double> PosixSystemInfo::measureCpuMHz() {
    using Steady = std::chrono::steady_clock;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const auto start = Steady::now();
    const std::uint64_t before = readTimeStampCounter();
    std::this_thread::sleep_for(std::chrono::milliseconds(kMeasureMilliseconds));
    const std::uint64_t after = readTimeStampCounter();
    const std::chrono::duration<double, std::micro> elapsed = Steady::now() - start;
    return clockMHz(before, after, elapsed.count());
}

std::uint64_t PosixSystemInfo::tickCount64() {
    timespec now{};
    if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return 0;
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

// The one file tree of this build is what the paths layer calls drive Z:.
std::vector<std::string> PosixSystemInfo::logicalDrives() { return {"Z:\\"}; }

std::optional<std::vector<std::string>> PosixSystemInfo::processPaths() {
    DIR* proc = opendir("/proc");
    if (proc == nullptr) return std::nullopt;
    std::vector<std::string> paths;
    while (const dirent* entry = readdir(proc)) {
        if (paths.size() >= kMaxListEntries) break;
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos) continue;
        std::array<char, kMaxEntryBytes> target{};
        const ssize_t length =
            readlink(("/proc/" + pid + "/exe").c_str(), target.data(), target.size());
        if (length > 0)
            paths.push_back(foreignText(std::string_view(target.data(), std::size_t(length))));
        else
            paths.push_back(firstLine(("/proc/" + pid + "/comm").c_str()));
    }
    closedir(proc);
    return paths;
}

std::optional<std::string> PosixSystemInfo::userName() {
    std::array<char, 1024> buffer{};
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_name)
        return std::nullopt;
    return foreignText(found->pw_name);
}

std::optional<std::string> PosixSystemInfo::computerName() {
    std::array<char, 256> name{};
    if (gethostname(name.data(), name.size() - 1) != 0) return std::nullopt;
    return foreignText(name.data());
}

std::optional<TimeZoneInfo> PosixSystemInfo::timeZone() {
    // The zone's standard time as it stands in the middle of January or July, whichever has
    // the smaller offset east.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return std::nullopt;
    TimeZoneInfo zone;
    long standardOffset = local.tm_gmtoff;
    std::string name = local.tm_zone ? local.tm_zone : "";
    for (const int month : {0, 6}) {
        std::tm probe{};
        probe.tm_year = local.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 15;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        const std::time_t at = std::mktime(&probe);
        std::tm seen{};
        if (at != -1 && localtime_r(&at, &seen) && seen.tm_isdst == 0) {
            standardOffset = seen.tm_gmtoff;
            name = seen.tm_zone ? seen.tm_zone : "";
            break;
        }
    }
    zone.biasMinutes = static_cast<std::int32_t>(-standardOffset / 60);
    zone.standardName = foreignText(name.substr(0, 31));
    return zone;
}

BiosInfo PosixSystemInfo::bios() {
    BiosInfo info;
    info.name = firstLine("/sys/class/dmi/id/bios_vendor");
    info.extendedInfo = firstLine("/sys/class/dmi/id/bios_version");
    info.date = parseFirmwareDate(firstLine("/sys/class/dmi/id/bios_date"));
    return info;
}

WindowsVersion PosixSystemInfo::windowsVersion() {
    utsname name{};
    if (uname(&name) != 0) return {};
    return WindowsVersion{foreignText(std::string(name.sysname) + " " + name.release), {}, {}};
}

}  // namespace qbx::posix
