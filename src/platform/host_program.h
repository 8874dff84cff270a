// The program that loaded us, as a second host sees it: its module handle and the functions it
// exports by name. A host's table of services is bound from these exports.
#pragma once

#include <cstdint>
#include <string_view>

namespace qbx {

// An exported function of the host, untyped until its caller casts it to its signature.
using HostFunction = void (*)();

class HostProgram {
public:
    virtual ~HostProgram() = default;
    // The handle of the process's main program; 0 where there is none to give.
    virtual std::uintptr_t handle() = 0;
    // The function the program exports under this name, or null.
    virtual HostFunction function(std::string_view name) = 0;
};

// Natively no program exports a host's functions to us.
class NoHostProgram final : public HostProgram {
public:
    std::uintptr_t handle() override { return 0; }
    HostFunction function(std::string_view) override { return nullptr; }
};

HostProgram& systemHostProgram();

}  // namespace qbx
