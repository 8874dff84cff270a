// Shared-memory blocks that tests publish by hand; a block can also be made to throw.
#pragma once

#include <algorithm>
#include <map>
#include <stdexcept>
#include <string>

#include "platform/shared_memory.h"

namespace qbx::test {

class FakeSharedMemory : public SharedMemory {
public:
    std::map<std::string, std::string, std::less<>> blocks;
    bool fail = false;
    int reads = 0;

    std::optional<std::string> readNamedBlock(std::string_view name,
                                              std::size_t maxBytes) override {
        ++reads;
        if (fail) throw std::runtime_error("mapping broke");
        const auto it = blocks.find(name);
        if (it == blocks.end()) return std::nullopt;
        return it->second.substr(0, std::min({maxBytes, kMaxBlockBytes, it->second.size()}));
    }
};

}  // namespace qbx::test
