#include "macros/nested_arguments.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "base/text.h"
#include "core/own_objects.h"

namespace qbx::macros {
namespace {

constexpr std::int32_t kNoInterface = static_cast<std::int32_t>(0x80004002u);

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM layout: deleted by its own Release
#endif
class NestedArguments final : public ITBPDataProvider {
public:
    explicit NestedArguments(std::vector<MarkedText> arguments) : marks_(std::move(arguments)) {
        items_.reserve(marks_.size());
        for (const MarkedText& argument : marks_) items_.push_back(flatten(argument));
    }

    const MarkedText* marks(std::int32_t id) const {
        if (id < 0 || id >= count()) return nullptr;
        return &marks_[static_cast<std::size_t>(id)];
    }

    std::int32_t QBX_STDCALL QueryInterface(const void*, void** object) override {
        if (object != nullptr) *object = nullptr;
        return kNoInterface;
    }
    std::uint32_t QBX_STDCALL AddRef() override { return ++references_; }
    std::uint32_t QBX_STDCALL Release() override {
        const std::uint32_t left = --references_;
        if (left == 0) delete this;
        return left;
    }

    std::int32_t QBX_STDCALL GetItemText(std::int32_t id, char* buffer,
                                         std::int32_t size) override {
        const std::string* text = item(id);
        const auto length = text == nullptr ? 0 : clampLength(text->size());
        if (buffer == nullptr || size < 0) return length;
        const std::int32_t n = std::min(size, length);
        if (n > 0) std::memcpy(buffer, text->data(), static_cast<std::size_t>(n));
        return n;
    }

    std::int32_t QBX_STDCALL SetItemText(std::int32_t id, const char* text,
                                         std::int32_t length) override {
        // Only the call's own items can be written; the count never changes.
        if (id < 0 || id >= count()) return 0;
        try {
            std::string value = text != nullptr && length > 0
                                    ? std::string(text, static_cast<std::size_t>(length))
                                    : std::string();
            // Whoever writes here is no template.
            marks_[static_cast<std::size_t>(id)] = dataText(value);
            items_[static_cast<std::size_t>(id)] = std::move(value);
        } catch (...) {
        }
        return 0;
    }

    std::int32_t QBX_STDCALL GetItemInt(std::int32_t id) override {
        const std::string* text = item(id);
        std::int64_t value = 0;
        if (text == nullptr || !parseInt64(*text, value)) return 0;
        if (value < std::numeric_limits<std::int32_t>::min() ||
            value > std::numeric_limits<std::int32_t>::max())
            return 0;
        return static_cast<std::int32_t>(value);
    }

    std::int32_t QBX_STDCALL Reserved6() override { return 0; }
    std::int32_t QBX_STDCALL Reserved7() override { return 0; }
    std::int32_t QBX_STDCALL GetItemCount() override { return count(); }

    // Host macros are expanded through the data container only.
    std::int32_t QBX_STDCALL ExpandMacros(const char*, std::int32_t, std::int32_t,
                                          ITBPDataProvider*) override {
        return 0;
    }

private:
    ~NestedArguments() = default;

    static std::int32_t clampLength(std::size_t length) {
        return static_cast<std::int32_t>(
            std::min<std::size_t>(length, std::numeric_limits<std::int32_t>::max()));
    }
    std::int32_t count() const { return clampLength(items_.size()); }
    const std::string* item(std::int32_t id) const {
        if (id < 0 || id >= count()) return nullptr;
        return &items_[static_cast<std::size_t>(id)];
    }

    std::vector<MarkedText> marks_;
    std::vector<std::string> items_;
    std::uint32_t references_ = 0;
    // Found again by nestedArgument() behind the container pointer a handler is given.
    OwnObjects<ITBPDataProvider, NestedArguments>::Entry entry_{
        ownObjects<ITBPDataProvider, NestedArguments>(), this};
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace

HostRef<ITBPDataProvider> makeNestedArguments(std::vector<MarkedText> arguments) {
    return HostRef<ITBPDataProvider>(new NestedArguments(std::move(arguments)));
}

std::optional<MarkedText> nestedArgument(ITBPDataProvider* params, std::int32_t index) {
    const NestedArguments* own = ownObjects<ITBPDataProvider, NestedArguments>().find(params);
    if (own == nullptr) return std::nullopt;
    const MarkedText* marks = own->marks(index);
    return marks != nullptr ? *marks : MarkedText{};
}

}  // namespace qbx::macros
