#include <windows.h>

#include <cstddef>
#include <string>

#include "platform/host_program.h"

namespace qbx {
namespace {

bool readable(const MEMORY_BASIC_INFORMATION& region) {
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    // A guard page faults at the first touch, and that fault is the program's stack growth or
    // its own watch, not ours to set off.
    return region.State == MEM_COMMIT && (region.Protect & kReadable) != 0 &&
           (region.Protect & (PAGE_GUARD | PAGE_NOACCESS)) == 0;
}

class Win32HostProgram final : public HostProgram {
public:
    std::uintptr_t handle() override {
        // The main program's handle needs no release: it lives as long as the process.
        return reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr));
    }
    HostFunction function(std::string_view name) override {
        const HMODULE program = GetModuleHandleW(nullptr);
        if (program == nullptr) return nullptr;
        const std::string zeroEnded(name);
        return reinterpret_cast<HostFunction>(GetProcAddress(program, zeroEnded.c_str()));
    }
    std::size_t readableBytes(const void* at, std::size_t wanted) override {
        std::size_t found = 0;
        auto next = reinterpret_cast<std::uintptr_t>(at);
        while (found < wanted) {
            MEMORY_BASIC_INFORMATION region{};
            if (VirtualQuery(reinterpret_cast<const void*>(next), &region, sizeof region) == 0 ||
                !readable(region))
                break;
            // To the region's end; unsigned arithmetic keeps this right for the last region of
            // the address space too.
            const std::uintptr_t left =
                reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize - next;
            if (left == 0) break;
            if (left >= wanted - found) return wanted;
            found += left;
            next += left;
        }
        return found;
    }
};

}  // namespace

HostProgram& systemHostProgram() {
    static auto* program = new Win32HostProgram;  // never destroyed, as the other services
    return *program;
}

}  // namespace qbx
