// Named shared-memory blocks that other programs publish (a hardware monitor's sensor readings),
// read as a copy: the block belongs to its program, which may change it at any time, so nothing
// keeps a view of it beyond one read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qbx {

class SharedMemory {
public:
    // No block is copied past this, whatever the caller asks.
    static constexpr std::size_t kMaxBlockBytes = std::size_t{1} << 20;
    static constexpr std::size_t kMaxNameLength = 260;

    virtual ~SharedMemory() = default;
    // The bytes of the named block, opened read-only, from its start as far as the mapped view
    // reaches and at most maxBytes (and kMaxBlockBytes); nothing when the block cannot be opened
    // or mapped, or the name is longer than kMaxNameLength or holds a zero byte.
    virtual std::optional<std::string> readNamedBlock(std::string_view name,
                                                      std::size_t maxBytes) = 0;
};

// Whether a block name may be handed to the system: a zero byte would cut it short unseen.
inline bool usableBlockName(std::string_view name) {
    return !name.empty() && name.size() <= SharedMemory::kMaxNameLength &&
           name.find('\0') == std::string_view::npos;
}

// The shared memory of this build (Win32 in the DLL; natively nothing is ever published).
SharedMemory& systemSharedMemory();

}  // namespace qbx
