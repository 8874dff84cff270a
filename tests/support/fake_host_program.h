// A second host's program that tests furnish by hand: a handle, the names it exports and where
// its readable memory ends.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host_program.h"

namespace qbx::test {

class FakeHostProgram : public HostProgram {
public:
    std::uintptr_t programHandle = 0x400000;
    std::map<std::string, HostFunction, std::less<>> exports;
    std::vector<std::string> lookedUp;  // every name asked for, in order
    // The first byte that cannot be read; null: all memory can.
    const char* readableEnd = nullptr;

    std::uintptr_t handle() override { return programHandle; }
    HostFunction function(std::string_view name) override {
        lookedUp.emplace_back(name);
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    }
    std::size_t readableBytes(const void* at, std::size_t wanted) override {
        if (readableEnd == nullptr) return wanted;
        const auto start = reinterpret_cast<std::uintptr_t>(at);
        const auto end = reinterpret_cast<std::uintptr_t>(readableEnd);
        return start >= end ? 0 : std::min<std::size_t>(wanted, end - start);
    }
};

}  // namespace qbx::test
