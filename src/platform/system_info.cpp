#include "platform/system_info.h"

#include <cstring>

#include "base/datetime.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define QBX_HAS_CPUID 1
#endif

namespace qbx {

#ifdef QBX_HAS_CPUID

namespace {

struct Registers {
    unsigned a = 0, b = 0, c = 0, d = 0;
};

Registers cpuid(unsigned leaf) {
    Registers r;
    __cpuid(leaf, r.a, r.b, r.c, r.d);
    return r;
}

void appendRegister(std::string& text, unsigned value) {
    char bytes[4];
    std::memcpy(bytes, &value, 4);
    text.append(bytes, 4);
}

}  // namespace

CpuRecord readCpuId() {
    CpuRecord cpu;
    if (__get_cpuid_max(0, nullptr) == 0) return cpu;
    const Registers vendor = cpuid(0);
    appendRegister(cpu.manufacturer, vendor.b);
    appendRegister(cpu.manufacturer, vendor.d);
    appendRegister(cpu.manufacturer, vendor.c);
    if (cpu.manufacturer == "GenuineIntel")
        cpu.vendorType = 1;
    else if (cpu.manufacturer == "CyrixInstead")
        cpu.vendorType = 2;
    else if (cpu.manufacturer == "AuthenticAMD")
        cpu.vendorType = 3;
    if (vendor.a >= 1) {
        const Registers version = cpuid(1);
        cpu.stepping = static_cast<int>(version.a & 0xF);
        cpu.model = static_cast<int>((version.a >> 4) & 0xF);
        cpu.family = static_cast<int>((version.a >> 8) & 0xF);
        cpu.features = version.d;
        cpu.mmx = (version.d & (1u << 23)) != 0;
    }
    const unsigned maxExtended = cpuid(0x80000000u).a;
    cpu.extendedInfo = maxExtended >= 0x80000001u && maxExtended <= 0x8000FFFFu;
    if (cpu.extendedInfo) cpu.extendedFeatures = cpuid(0x80000001u).d;
    if (cpu.extendedInfo && maxExtended >= 0x80000004u) {
        std::string brand;
        for (unsigned leaf = 0x80000002u; leaf <= 0x80000004u; ++leaf) {
            const Registers r = cpuid(leaf);
            appendRegister(brand, r.a);
            appendRegister(brand, r.b);
            appendRegister(brand, r.c);
            appendRegister(brand, r.d);
        }
        // Whatever follows the terminating zero is filler, not name.
        cpu.name = brand.substr(0, brand.find('\0'));
    }
    return cpu;
}

std::uint64_t readTimeStampCounter() { return __rdtsc(); }

#else

CpuRecord readCpuId() { return {}; }
std::uint64_t readTimeStampCounter() { return 0; }

#endif

std::optional<double> clockMHz(std::uint64_t ticksBefore, std::uint64_t ticksAfter,
                               double elapsedMicroseconds) {
    if (ticksAfter <= ticksBefore) return std::nullopt;
    if (!(elapsedMicroseconds > 0.0) ||
        elapsedMicroseconds > SystemInfo::kMeasureGiveUpMilliseconds * 1000.0)
        return std::nullopt;
    return static_cast<double>(ticksAfter - ticksBefore) / elapsedMicroseconds;
}

std::string windowsVersionName(unsigned major, unsigned minor, unsigned build, int productType) {
    const bool server = productType == 2 || productType == 3;
    const unsigned version = major * 100 + minor;
    switch (version) {
        case 500: return server ? "Windows 2000 Server" : "Windows 2000";
        case 501: return "Windows XP";
        case 502: return server ? "Windows Server 2003" : "Windows XP x64";
        case 600: return server ? "Windows Server 2008" : "Windows Vista";
        case 601: return server ? "Windows Server 2008 R2" : "Windows 7";
        case 602: return server ? "Windows Server 2012" : "Windows 8";
        case 603: return server ? "Windows Server 2012 R2" : "Windows 8.1";
        case 1000:
            if (!server) return build >= 22000 ? "Windows 11" : "Windows 10";
            if (build >= 20348) return "Windows Server 2022";
            return build >= 17763 ? "Windows Server 2019" : "Windows Server 2016";
        default: return "Windows " + std::to_string(major) + "." + std::to_string(minor);
    }
}

std::string productTypeName(int productType) {
    switch (productType) {
        case 1: return "Workstation";
        case 2: return "Domain Controller";
        case 3: return "Server";
        default: return {};
    }
}

std::optional<double> parseFirmwareDate(std::string_view text) {
    int fields[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    std::size_t part = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits[part] > 4) return std::nullopt;
            fields[part] = fields[part] * 10 + (c - '0');
        } else if (c == '/' && part < 2 && digits[part] > 0) {
            ++part;
        } else {
            break;  // what follows the date (a time, blanks) is not ours to read
        }
    }
    if (part != 2 || digits[0] > 2 || digits[1] > 2 || (digits[2] != 2 && digits[2] != 4))
        return std::nullopt;
    int year = fields[2];
    if (digits[2] == 2) year += year < 80 ? 2000 : 1900;
    if (year < 1900) return std::nullopt;
    const int month = fields[0];
    const int day = fields[1];
    if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
    DateTimeFields date;
    date.year = year;
    date.month = month;
    date.day = day;
    return encodeDateTime(date);
}

std::string foreignText(std::string_view text) {
    std::string result(text.substr(0, SystemInfo::kMaxEntryBytes));
    for (char& c : result)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') c = ' ';
    return result;
}

}  // namespace qbx
