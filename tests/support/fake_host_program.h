// A second host's program that tests furnish by hand: a handle and the names it exports.
#pragma once

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

    std::uintptr_t handle() override { return programHandle; }
    HostFunction function(std::string_view name) override {
        lookedUp.emplace_back(name);
        const auto found = exports.find(name);
        return found == exports.end() ? nullptr : found->second;
    }
};

}  // namespace qbx::test
