// The host's item container, played in memory: texts by item id, arguments by index.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/host_api.h"

namespace qbxhost {

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // a COM-style interface has no destructor slot
#endif
class ItemTable final : public qbx::ITBPDataProvider {
public:
    using Expander = std::function<std::string(const std::string&)>;

    ItemTable() = default;
    ItemTable(const ItemTable&) = delete;
    ItemTable& operator=(const ItemTable&) = delete;

    void set(std::int32_t id, std::string text) { items_[id] = std::move(text); }
    const std::string* find(std::int32_t id) const;
    void setArguments(const std::vector<std::string>& arguments);
    // How ExpandMacros expands a text (the host's own macros and the module's).
    void setExpander(Expander expander) { expander_ = std::move(expander); }
    std::uint32_t references() const { return references_; }
    // When the client received the message (local date-time); the present moment when unset.
    void setReceiveTime(double localDateTime) { receiveTime_ = localDateTime; }
    std::optional<double> receiveTime() const { return receiveTime_; }

    std::int32_t QBX_STDCALL QueryInterface(const void* iid, void** object) override;
    std::uint32_t QBX_STDCALL AddRef() override;
    std::uint32_t QBX_STDCALL Release() override;
    std::int32_t QBX_STDCALL GetItemText(std::int32_t id, char* buffer, std::int32_t size) override;
    std::int32_t QBX_STDCALL SetItemText(std::int32_t id, const char* text,
                                         std::int32_t length) override;
    std::int32_t QBX_STDCALL GetItemInt(std::int32_t id) override;
    std::int32_t QBX_STDCALL Reserved6() override { return 0; }
    std::int32_t QBX_STDCALL Reserved7() override { return 0; }
    std::int32_t QBX_STDCALL GetItemCount() override;
    std::int32_t QBX_STDCALL ExpandMacros(const char* text, std::int32_t length, std::int32_t zero,
                                          qbx::ITBPDataProvider* provider) override;

private:
    std::map<std::int32_t, std::string> items_;
    Expander expander_;
    std::optional<double> receiveTime_;
    std::uint32_t references_ = 1;  // the host's own reference; the host owns the table
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace qbxhost
