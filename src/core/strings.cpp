// Placeholder: the built-in texts are being written.
#include "core/strings.h"

namespace qbx {
void StringTable::reset() { for (auto& e : entries_) e.clear(); }
const std::string& StringTable::operator[](int index) const {
    static const std::string empty;
    return index >= 1 && index <= kCount ? entries_[static_cast<std::size_t>(index)] : empty;
}
void StringTable::set(int index, std::string_view text) {
    if (index >= 1 && index <= kCount) entries_[static_cast<std::size_t>(index)] = text;
}
}  // namespace qbx
