#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/shared_memory.h"

namespace qbx::win32 {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const noexcept { CloseHandle(handle); }
};
using MappingHandle = std::unique_ptr<void, HandleCloser>;

struct ViewUnmapper {
    void operator()(const void* view) const noexcept { UnmapViewOfFile(view); }
};
using MappedView = std::unique_ptr<const void, ViewUnmapper>;

class Win32SharedMemory final : public SharedMemory {
public:
    std::optional<std::string> readNamedBlock(std::string_view name,
                                              std::size_t maxBytes) override {
        if (!usableBlockName(name)) return std::nullopt;
        const std::string zeroTerminated(name);
        const MappingHandle mapping(OpenFileMappingA(FILE_MAP_READ, FALSE, zeroTerminated.c_str()));
        if (!mapping) return std::nullopt;
        const MappedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
        if (!view) return std::nullopt;
        // The block may be smaller than its readers expect: the view's region tells how far
        // the pages reach, and nothing past them is touched.
        MEMORY_BASIC_INFORMATION region{};
        if (VirtualQuery(view.get(), &region, sizeof region) != sizeof region) return std::nullopt;
        const std::size_t size =
            std::min({static_cast<std::size_t>(region.RegionSize), maxBytes, kMaxBlockBytes});
        std::string bytes(size, '\0');
        std::memcpy(bytes.data(), view.get(), size);
        return bytes;
    }
};

}  // namespace
}  // namespace qbx::win32

namespace qbx {

SharedMemory& systemSharedMemory() {
    static auto* memory = new win32::Win32SharedMemory;  // never destroyed, as the other services
    return *memory;
}

}  // namespace qbx
