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
    std::int32_t announced = 0;
    std::string text;
    std::int32_t count = 0;
    std::int32_t lastCopySize = -2;

    std::int32_t QBX_STDCALL QueryInterface(const void*, void**) override { return -1; }
    std::uint32_t QBX_STDCALL AddRef() override { return 2; }
    std::uint32_t QBX_STDCALL Release() override { return 1; }
    std::int32_t QBX_STDCALL GetItemText(std::int32_t, char* buffer, std::int32_t size) override {
        if (buffer == nullptr) return announced;
        lastCopySize = size;
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), text.size());
        std::memcpy(buffer, text.data(), n);
        return static_cast<std::int32_t>(n);
    }
    std::int32_t QBX_STDCALL SetItemText(std::int32_t, const char*, std::int32_t) override {
        return 0;
    }
    std::int32_t QBX_STDCALL GetItemInt(std::int32_t) override { return 0; }
    std::int32_t QBX_STDCALL Reserved6() override { return 0; }
    std::int32_t QBX_STDCALL Reserved7() override { return 0; }
    std::int32_t QBX_STDCALL GetItemCount() override { return count; }
    std::int32_t QBX_STDCALL ExpandMacros(const char*, std::int32_t, std::int32_t,
                                          ITBPDataProvider*) override {
        return 0;
    }
};
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

TEST(MacroArguments, TextCharIntAndCountOfAnOrdinaryCall) {
    FakeContainer params({"Hello", "", "42", std::string("ab\0cd", 5)});
    EXPECT_EQ(getParamText(&params, 0), "Hello");
    EXPECT_EQ(getParamText(&params, 1), "");
    EXPECT_EQ(getParamText(&params, 3), "ab");  // up to the zero byte
    EXPECT_EQ(getParamText(&params, 9), "");    // past the last argument
    EXPECT_EQ(getParamChar(&params, 0), 'H');
    EXPECT_EQ(getParamChar(&params, 1), ' ');   // the blank of an empty argument
    EXPECT_EQ(getParamInt(&params, 2), 42);
    EXPECT_EQ(getParamCount(&params), 4);
    EXPECT_EQ(params.references, 1);  // every reference taken was given back
}

TEST(MacroArguments, NullProviderReadsAsNoArguments) {
    EXPECT_EQ(getParamText(nullptr, 0), "");
    EXPECT_EQ(getParamChar(nullptr, 0), ' ');
    EXPECT_EQ(getParamInt(nullptr, 0), 0);
    EXPECT_EQ(getParamCount(nullptr), 0);
    setItemText(nullptr, 1, "x");  // nothing to store into, nothing happens
}

TEST(MacroArguments, ShortCopyLeavesZerosThatEndTheText) {
    InconsistentHost host;
    host.announced = 10;
    host.text = "abc";
    EXPECT_EQ(getParamText(&host, 0), "abc");
}

TEST(MacroArguments, NegativeLengthReadsAsEmptyWithoutACopy) {
    InconsistentHost host;
    host.announced = -7;
    host.text = "abc";
    EXPECT_EQ(getParamText(&host, 0), "");
    EXPECT_EQ(host.lastCopySize, -2);
}

TEST(MacroArguments, HugeAnnouncedLengthIsReadOnlyUpToTheCap) {
    InconsistentHost host;
    host.announced = std::numeric_limits<std::int32_t>::max();
    host.text = "abc";
    EXPECT_EQ(getParamText(&host, 0), "abc");
    EXPECT_EQ(host.lastCopySize, static_cast<std::int32_t>(kMaxParamText));
}

TEST(MacroArguments, CountIsKeptWithinBounds) {
    InconsistentHost host;
    host.count = -3;
    EXPECT_EQ(getParamCount(&host), 0);
    host.count = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(getParamCount(&host), kMaxParamCount);
}

TEST(MacroArguments, SetItemTextStoresTheBytesZerosIncluded) {
    FakeContainer data;
    setItemText(&data, 118997, std::string("a\0b", 3));
    ASSERT_EQ(data.stores.size(), 1u);
    EXPECT_EQ(data.stores[0].first, 118997);
    EXPECT_EQ(data.stores[0].second, std::string("a\0b", 3));
}

}  // namespace
}  // namespace qbx::macros
