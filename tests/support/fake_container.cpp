#include "support/fake_container.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qbx::test {

FakeContainer::FakeContainer(const std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i)
        items[static_cast<std::int32_t>(i)] = arguments[i];
}

std::int32_t FakeContainer::QueryInterface(const void*, void** object) {
    if (object) *object = nullptr;
    return static_cast<std::int32_t>(0x80004002u);
}

std::uint32_t FakeContainer::AddRef() { return static_cast<std::uint32_t>(++references); }

std::uint32_t FakeContainer::Release() { return static_cast<std::uint32_t>(--references); }

std::int32_t FakeContainer::GetItemText(std::int32_t id, char* buffer, std::int32_t size) {
    auto it = items.find(id);
    const std::string text = it == items.end() ? std::string() : it->second;
    const auto length = static_cast<std::int32_t>(text.size());
    if (buffer == nullptr || size < 0) return length;
    const std::int32_t n = std::min(size, length);
    if (n > 0) std::memcpy(buffer, text.data(), static_cast<std::size_t>(n));
    return n;
}

std::int32_t FakeContainer::SetItemText(std::int32_t id, const char* text, std::int32_t length) {
    std::string value =
        (text && length > 0) ? std::string(text, static_cast<std::size_t>(length)) : "";
    stores.emplace_back(id, value);
    items[id] = std::move(value);
    return 0;
}

std::int32_t FakeContainer::GetItemInt(std::int32_t id) {
    auto it = items.find(id);
    return it == items.end()
               ? 0
               : static_cast<std::int32_t>(std::strtol(it->second.c_str(), nullptr, 10));
}

std::int32_t FakeContainer::GetItemCount() { return static_cast<std::int32_t>(items.size()); }

std::int32_t FakeContainer::ExpandMacros(const char* text, std::int32_t length, std::int32_t,
                                         ITBPDataProvider*) {
    ++expandCalls;
    const std::string source =
        (text && length > 0) ? std::string(text, static_cast<std::size_t>(length)) : "";
    items[0] = expander ? expander(source) : source;
    return 0;
}

}  // namespace qbx::test
