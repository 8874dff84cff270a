// Reading arguments: what the host announces is not trusted further than needed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "macros/arguments.h"
#include "support/fake_container.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif
// A host whose answers do not fit together: it announces `announced` bytes and copies at
// most `text`, and reports `count` items.
struct InconsistentHost final : ITBPDataProvider {
    using I32 = std::int32_t;
    I32 announced = 0;
    std::string text = "abc";
    I32 count = 0;
    I32 lastCopySize = -2;

    I32 QBX_STDCALL QueryInterface(const void*, void**) override { return -1; }
    std::uint32_t QBX_STDCALL AddRef() override { return 2; }
    std::uint32_t QBX_STDCALL Release() override { return 1; }
    I32 QBX_STDCALL GetItemText(I32, char* buffer, I32 size) override {
        if (buffer == nullptr) return announced;
        lastCopySize = size;
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), text.size());
        std::memcpy(buffer, text.data(), n);
        return static_cast<I32>(n);
    }
    I32 QBX_STDCALL SetItemText(I32, const char*, I32) override { return 0; }
    I32 QBX_STDCALL GetItemInt(I32) override { return 0; }
    I32 QBX_STDCALL Reserved6() override { return 0; }
    I32 QBX_STDCALL Reserved7() override { return 0; }
    I32 QBX_STDCALL GetItemCount() override { return count; }
    I32 QBX_STDCALL ExpandMacros(const char*, I32, I32, ITBPDataProvider*) override { return 0; }
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

TEST(MacroArguments, OrdinaryCallAndNoProvider) {
    FakeContainer params({"Hello", "", "42", std::string("ab\0cd", 5)});
    EXPECT_EQ(getParamText(&params, 0), "Hello");
    EXPECT_EQ(getParamText(&params, 3), "ab");  // up to the zero byte
    EXPECT_EQ(getParamText(&params, 9), "");
    EXPECT_EQ(getParamChar(&params, 0), 'H');
    EXPECT_EQ(getParamChar(&params, 1), ' ');  // the blank of an empty argument
    EXPECT_EQ(getParamInt(&params, 2), 42);
    EXPECT_EQ(getParamCount(&params), 4);
    EXPECT_EQ(params.references, 1);  // every reference taken was given back
    EXPECT_EQ(getParamText(nullptr, 0), "");
    EXPECT_EQ(getParamChar(nullptr, 0), ' ');
    EXPECT_EQ(getParamInt(nullptr, 0), 0);
    EXPECT_EQ(getParamCount(nullptr), 0);
    setItemText(nullptr, 1, "x");
}

TEST(MacroArguments, AnnouncedLengthsAndCountsAreKeptWithinBounds) {
    InconsistentHost host;
    host.announced = 10;  // a short copy leaves zeros that end the text
    EXPECT_EQ(getParamText(&host, 0), "abc");
    host.announced = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(getParamText(&host, 0), "abc");
    EXPECT_EQ(host.lastCopySize, static_cast<std::int32_t>(kMaxParamText));
    InconsistentHost negative;
    negative.announced = -7;
    EXPECT_EQ(getParamText(&negative, 0), "");
    EXPECT_EQ(negative.lastCopySize, -2);  // no copy asked for
    host.count = -3;
    EXPECT_EQ(getParamCount(&host), 0);
    host.count = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(getParamCount(&host), kMaxParamCount);
}

TEST(MacroArguments, SetItemTextStoresTheBytesZerosIncluded) {
    FakeContainer data;
    setItemText(&data, 118997, std::string("a\0b", 3));
    ASSERT_EQ(data.stores.size(), 1u);
    EXPECT_EQ(data.stores[0], std::make_pair(118997, std::string("a\0b", 3)));
}

}  // namespace
}  // namespace qbx::macros
