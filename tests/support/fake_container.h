// A recording item container: plays the host's ITBPDataProvider for the macro engine's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/host_api.h"

namespace qbx::test {

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
class FakeContainer final : public ITBPDataProvider {
public:
    FakeContainer() = default;
    explicit FakeContainer(const std::vector<std::string>& arguments);

    std::map<std::int32_t, std::string> items;
    std::vector<std::pair<std::int32_t, std::string>> stores;  // every SetItemText, in order
    // The host's own macro expansion (ExpandMacros); identity when not set.
    std::function<std::string(const std::string&)> expander;
    int references = 1;
    int expandCalls = 0;

    std::int32_t QBX_STDCALL QueryInterface(const void*, void** object) override;
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
                                          ITBPDataProvider* provider) override;
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace qbx::test
