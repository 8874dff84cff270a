#include "item_table.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qbxhost {

const std::string* ItemTable::find(std::int32_t id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : &it->second;
}

void ItemTable::setArguments(const std::vector<std::string>& arguments) {
    items_.clear();
    for (std::size_t i = 0; i < arguments.size(); ++i)
        items_[static_cast<std::int32_t>(i)] = arguments[i];
}

std::int32_t ItemTable::QueryInterface(const void*, void** object) {
    if (object) *object = nullptr;
    return static_cast<std::int32_t>(0x80004002u);  // E_NOINTERFACE: only the container is offered
}

std::uint32_t ItemTable::AddRef() { return ++references_; }

std::uint32_t ItemTable::Release() { return references_ > 0 ? --references_ : 0; }

std::int32_t ItemTable::GetItemText(std::int32_t id, char* buffer, std::int32_t size) {
    const std::string* text = find(id);
    const std::string empty;
    if (!text) text = &empty;
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(text->size(), 0x7FFFFFFF));
    if (buffer == nullptr || size < 0) return length;
    const std::int32_t n = std::min(size, length);
    if (n > 0) std::memcpy(buffer, text->data(), static_cast<std::size_t>(n));  // no terminator
    return n;
}

std::int32_t ItemTable::SetItemText(std::int32_t id, const char* text, std::int32_t length) {
    items_[id] = (text && length > 0) ? std::string(text, static_cast<std::size_t>(length)) : "";
    return 0;
}

std::int32_t ItemTable::GetItemInt(std::int32_t id) {
    const std::string* text = find(id);
    return text ? static_cast<std::int32_t>(std::strtol(text->c_str(), nullptr, 10)) : 0;
}

std::int32_t ItemTable::GetItemCount() { return static_cast<std::int32_t>(items_.size()); }

std::int32_t ItemTable::ExpandMacros(const char* text, std::int32_t length, std::int32_t,
                                     qbx::ITBPDataProvider*) {
    std::string source =
        (text && length > 0) ? std::string(text, static_cast<std::size_t>(length)) : "";
    items_[0] = expander_ ? expander_(source) : source;
    return 0;
}

}  // namespace qbxhost
