#include "platform/mapped_log.h"

#include <algorithm>
#include <cstring>

namespace qbx {

bool MappedLogWriter::write(std::string_view bytes) {
    while (!bytes.empty()) {
        if (plain_) {
            if (!writeAt(written_, bytes)) return false;
            written_ += bytes.size();
            return true;
        }
        if (view_ == nullptr) {
            // Windows are only left when full: the next one starts where writing stands.
            view_ = mapWindow(written_);
            used_ = 0;
            if (view_ == nullptr) {
                settle();
                continue;
            }
        }
        const std::size_t n = std::min(bytes.size(), kWindowBytes - used_);
        std::memcpy(view_ + used_, bytes.data(), n);
        used_ += n;
        written_ += n;
        bytes.remove_prefix(n);
        if (used_ == kWindowBytes) {
            unmapWindow(view_);
            view_ = nullptr;
        }
    }
    return true;
}

void MappedLogWriter::settle() {
    if (plain_) return;
    plain_ = true;
    if (view_ != nullptr) {
        unmapWindow(view_);
        view_ = nullptr;
    }
    // Should the cut fail, the zeros stay until the next load cuts them.
    cutAt(written_);
}

std::uint64_t sizeWithoutTrailingZeros(std::uint64_t size, std::string_view tail) {
    std::size_t keep = tail.size();
    while (keep > 0 && tail[keep - 1] == '\0') --keep;
    const std::uint64_t zeros = tail.size() - keep;
    return size > zeros ? size - zeros : 0;
}

}  // namespace qbx
