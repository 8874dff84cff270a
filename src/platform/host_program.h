// The program that loaded us, as a second host sees it: its module handle, the functions it
// exports by name, and how far the memory of a text it hands us can be read. A host's table of
// services is bound from these exports.
#pragma once

#include <cstddef>
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
    // How many of the `wanted` bytes from `at` on can be read without a fault: a text the host
    // hands us may lack its terminating zero and end where its memory ends.
    virtual std::size_t readableBytes(const void* at, std::size_t wanted) = 0;
};

// Natively no program exports a host's functions to us, nor hands us its memory.
class NoHostProgram final : public HostProgram {
public:
    std::uintptr_t handle() override { return 0; }
    HostFunction function(std::string_view) override { return nullptr; }
    std::size_t readableBytes(const void*, std::size_t) override { return 0; }
};

HostProgram& systemHostProgram();

}  // namespace qbx
