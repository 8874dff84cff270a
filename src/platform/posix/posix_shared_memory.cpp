#include "platform/shared_memory.h"

namespace qbx {
namespace {

// The programs that publish such blocks run on Windows only: natively no block is ever there.
class PosixSharedMemory final : public SharedMemory {
public:
    std::optional<std::string> readNamedBlock(std::string_view, std::size_t) override {
        return std::nullopt;
    }
};

}  // namespace

SharedMemory& systemSharedMemory() {
    static PosixSharedMemory memory;
    return memory;
}

}  // namespace qbx
