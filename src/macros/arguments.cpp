#include "macros/arguments.h"

#include "macros/nested_arguments.h"

#include <algorithm>
#include <limits>

namespace qbx::macros {

std::string getParamText(ITBPDataProvider* provider, std::int32_t index) {
    if (provider == nullptr) return {};
    const HostRef<ITBPDataProvider> hold(provider);
    const std::int32_t length = provider->GetItemText(index, nullptr, -1);
    if (length <= 0) return {};
    // Zero-filled: a host that copies less than it announced leaves zeros, and the text ends
    // at the first of them.
    const auto size = std::min(static_cast<std::size_t>(length), kMaxParamText);
    std::string buffer(size, '\0');
    provider->GetItemText(index, buffer.data(), static_cast<std::int32_t>(size));
    if (const auto zero = buffer.find('\0'); zero != std::string::npos) buffer.resize(zero);
    return buffer;
}

char getParamChar(ITBPDataProvider* provider, std::int32_t index) {
    // The host writes nothing for an empty item, so the blank stands for "no letter".
    char letter = ' ';
    if (provider == nullptr) return letter;
    const HostRef<ITBPDataProvider> hold(provider);
    provider->GetItemText(index, &letter, 1);
    return letter;
}

std::int32_t getParamInt(ITBPDataProvider* provider, std::int32_t index) {
    if (provider == nullptr) return 0;
    const HostRef<ITBPDataProvider> hold(provider);
    return provider->GetItemInt(index);
}

std::int32_t getParamCount(ITBPDataProvider* provider) {
    if (provider == nullptr) return 0;
    const HostRef<ITBPDataProvider> hold(provider);
    return std::clamp(provider->GetItemCount(), std::int32_t{0}, kMaxParamCount);
}

void setItemText(ITBPDataProvider* provider, std::int32_t id, std::string_view text) {
    if (provider == nullptr) return;
    const HostRef<ITBPDataProvider> hold(provider);
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    const auto length = static_cast<std::int32_t>(std::min(text.size(), kMax));
    provider->SetItemText(id, text.data(), length);
}

MarkedText getParamTemplate(ITBPDataProvider* provider, std::int32_t index) {
    if (auto marked = nestedArgument(provider, index)) return std::move(*marked);
    // Moved, not copied: an argument may be a template of many megabytes.
    std::string text = getParamText(provider, index);
    MarkedText marked;
    if (!text.empty()) marked.push_back(TextPiece{std::move(text), false});
    return marked;
}

}  // namespace qbx::macros
