#include <windows.h>

#include <string>

#include "platform/host_program.h"

namespace qbx {
namespace {

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
};

}  // namespace

HostProgram& systemHostProgram() {
    static auto* program = new Win32HostProgram;  // never destroyed, as the other services
    return *program;
}

}  // namespace qbx
