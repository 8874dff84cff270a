// The second host's bridge: the information record's bytes, the binding of the host's table by
// the version rule, and what is logged when the host lacks something.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/lifecycle.h"
#include "core/plugin.h"
#include "core/second_host.h"
#include "support/fakes.h"

namespace qbx {
namespace {

using test::FakePlatform;

constexpr const char* kLogPath = "C:\\Temp\\-QBX.log";

// What the fake host's BKA_GetVersion answers, and what it does meanwhile.
const char* g_hostVersion = "2.01.00";
int g_versionCalls = 0;
std::function<void()> g_whileAnswering;
const char* QBX_STDCALL fakeGetVersion() {
    ++g_versionCalls;
    if (g_whileAnswering) g_whileAnswering();
    return g_hostVersion;
}
void QBX_STDCALL fakeOther() {}

std::string field(const std::array<char, kInfoRecordSize + 8>& record, std::size_t offset) {
    return std::string(record.data() + offset);
}

TEST(SecondHostInfo, FourZeroEndedTextsAtTheirOffsetsAndZerosBehind) {
    std::array<char, kInfoRecordSize + 8> record;
    record.fill('#');
    fillPlugInInfo(record.data());
    EXPECT_EQ(field(record, 0), "Quilbex");
    EXPECT_EQ(field(record, 80), "The Quilbex developers");
    EXPECT_EQ(field(record, 160), "2.4.1202");
    EXPECT_EQ(field(record, 240), "Macro/statistic plugin exported from The Bat!");
    for (std::size_t offset : {7u, 79u, 80u + 22u, 159u, 168u, 239u, 240u + 45u, 319u})
        EXPECT_EQ(record[offset], '\0') << offset;
    for (std::size_t offset = kInfoRecordSize; offset < record.size(); ++offset)
        EXPECT_EQ(record[offset], '#') << "written past the record at " << offset;
    fillPlugInInfo(nullptr);  // a null record from the host is left alone
}

TEST(SecondHostInfo, TextsAreCutToSeventyNineBytesAndTheirZero) {
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    for (const Case c : {Case{0, 0}, Case{78, 78}, Case{79, 79}, Case{80, 79}, Case{500, 79}}) {
        std::array<char, kInfoFieldSize + 1> buffer;
        buffer.fill('#');
        writeInfoField(buffer.data(), std::string(c.length, 'a'));
        EXPECT_EQ(std::string(buffer.data()), std::string(c.kept, 'a')) << c.length;
        EXPECT_EQ(buffer[kInfoFieldSize - 1], '\0') << c.length;
        EXPECT_EQ(buffer[kInfoFieldSize], '#') << c.length;
    }
}

TEST(SecondHostVersion, OnlyShortVersionsBefore2_00_06WorkWithoutSetStatus) {
    struct Case {
        const char* version;
        bool withoutSetStatus;
    };
    const Case cases[] = {
        {"2.00.05", true},  {"2.00.06", false},   {"2.01.00", false}, {"1.99", true},
        {"2.00.0", true},   {"", true},           {"2.00.5", false},  {"2.00.05a", false},
        {"2.00.0A", false}, {"2.00.0a", false},   {"10.0", true},     {"2.00.05 ", false},
        {"3", false},       {"1.99.99.9", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(hostWorksWithoutSetStatus(std::string_view(c.version)), c.withoutSetStatus)
            << '"' << c.version << '"';
    EXPECT_FALSE(hostWorksWithoutSetStatus(std::nullopt));
}

TEST(SecondHostSettingsPath, TheFileNamesExtensionBecomesIni) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Mail\\Plugins\\QBX.tbp", "C:\\Mail\\Plugins\\QBX.ini"},
        {"C:\\Mail\\my.plugins\\QBX", "C:\\Mail\\my.plugins\\QBX.ini"},
        {"C:\\x\\a.b.tbp", "C:\\x\\a.b.ini"},
        {"QBX", "QBX.ini"},
        {"C:\\x\\QBX.", "C:\\x\\QBX.ini"},
    };
    for (const auto& [module, expected] : cases) EXPECT_EQ(settingsPathOf(module), expected);
}

class SecondHostBinding : public ::testing::Test {
protected:
    void SetUp() override {
        g_hostVersion = "2.01.00";
        g_versionCalls = 0;
        g_whileAnswering = nullptr;
        for (std::string_view name : kHostFunctionNames)
            fake.hostProgram.exports[std::string(name)] =
                reinterpret_cast<HostFunction>(&fakeOther);
        fake.hostProgram.exports["BKA_GetVersion"] =
            reinterpret_cast<HostFunction>(&fakeGetVersion);
        moduleLoaded(plugin);
    }
    void TearDown() override {
        g_whileAnswering = nullptr;
        moduleUnloading(plugin);
    }
    std::string log() const { return fake.files.contents(kLogPath); }
    bool logged(const std::string& line) const { return log().find(line) != std::string::npos; }

    FakePlatform fake;
    Plugin plugin{fake.platform()};
};

TEST_F(SecondHostBinding, BindsEveryFunctionInTableOrderWithSetStatusLast) {
    ASSERT_TRUE(beckyStart(plugin));
    ASSERT_TRUE(plugin.beckyApi);
    const BeckyApi& api = *plugin.beckyApi;
    EXPECT_EQ(api.hostModule, 0x400000u);
    EXPECT_EQ(api.settingsPath, "C:\\Mail\\Plugins\\QBX.ini");
    for (std::size_t i = 0; i < kHostFunctionCount; ++i)
        EXPECT_NE(api.functions[i], nullptr) << kHostFunctionNames[i];
    std::vector<std::string> expected;
    for (std::string_view name : kHostFunctionNames)
        if (name != "BKA_SetStatus") expected.emplace_back(name);
    expected.emplace_back("BKA_SetStatus");
    EXPECT_EQ(fake.hostProgram.lookedUp, expected);
    EXPECT_EQ(kHostFunctionNames[kSetStatusSlot], "BKA_SetStatus");
    EXPECT_EQ(kHostFunctionNames.back(), "BKA_Connect");
    EXPECT_EQ(g_versionCalls, 1);
    EXPECT_TRUE(logged("Host version: 2.01.00"));
    EXPECT_FALSE(logged("Host binding failed"));

    // Bound once, a second binding asks the host nothing.
    fake.hostProgram.lookedUp.clear();
    EXPECT_TRUE(plugin.beckyApi->loadHostApi(fake.hostProgram, plugin.log));
    EXPECT_TRUE(fake.hostProgram.lookedUp.empty());
    beckyExit(plugin);
    EXPECT_FALSE(plugin.beckyApi);
}

TEST_F(SecondHostBinding, WithoutSetStatusOnlyAnOldShortVersionBinds) {
    fake.hostProgram.exports.erase("BKA_SetStatus");
    struct Case {
        const char* version;
        bool bound;
    };
    for (const Case c : {Case{"2.00.05", true}, Case{"2.00.06", false}, Case{"2.01.00", false},
                         Case{"2.00.05b", false}, Case{nullptr, false}}) {
        g_hostVersion = c.version;
        EXPECT_EQ(beckyStart(plugin), c.bound) << (c.version ? c.version : "null");
        const BeckyApi& api = *plugin.beckyApi;
        EXPECT_EQ(api.bound(), c.bound);
        EXPECT_EQ(api.functions[kSetStatusSlot], nullptr);
        // A failed binding keeps no address of the host's.
        if (!c.bound) {
            for (HostFunction f : api.functions) EXPECT_EQ(f, nullptr);
        }
        beckyExit(plugin);
    }
    EXPECT_TRUE(logged("Host function not found: BKA_SetStatus (message status off)"));
    EXPECT_TRUE(logged("Host version: unknown"));
    EXPECT_TRUE(logged("Host binding failed"));
}

TEST_F(SecondHostBinding, AMissingFunctionEndsTheBindingBeforeAnyCall) {
    fake.hostProgram.exports.erase("BKA_Free");
    EXPECT_FALSE(beckyStart(plugin));
    EXPECT_EQ(fake.hostProgram.lookedUp.back(), "BKA_Free");
    EXPECT_EQ(g_versionCalls, 0);
    EXPECT_EQ(plugin.beckyApi->hostModule, 0u);
    for (HostFunction f : plugin.beckyApi->functions) EXPECT_EQ(f, nullptr);
    EXPECT_TRUE(logged("Host function not found: BKA_Free"));
    EXPECT_TRUE(logged("Host binding failed"));
    EXPECT_TRUE(plugin.beckyApi->settingsPath.empty());
}

TEST_F(SecondHostBinding, AProgramHandleBelow32IsNoProgram) {
    for (const std::uintptr_t handle : {std::uintptr_t{0}, std::uintptr_t{31}}) {
        fake.hostProgram.programHandle = handle;
        EXPECT_FALSE(beckyStart(plugin)) << handle;
        EXPECT_TRUE(fake.hostProgram.lookedUp.empty()) << handle;
    }
    EXPECT_TRUE(logged("Host program not found"));
    fake.hostProgram.programHandle = 32;
    EXPECT_TRUE(beckyStart(plugin));
}

TEST_F(SecondHostBinding, AVersionTextWithoutItsZeroIsReadNoFurtherThanItsBound) {
    // Exactly as long as the bound reads, with no zero: the sanitizer catches a byte more.
    std::vector<char> unended(kMaxHostVersionChars + 1, '2');
    g_hostVersion = unended.data();
    EXPECT_TRUE(beckyStart(plugin));  // BKA_SetStatus is there
    EXPECT_TRUE(logged("Host version: " + std::string(kMaxHostVersionChars + 1, '2')));
}

TEST_F(SecondHostBinding, AVersionTextIsReadNoFurtherThanTheHostsMemoryGoes) {
    fake.hostProgram.exports.erase("BKA_SetStatus");
    // No zero, and the memory ends right behind the text: the sanitizer catches a byte more.
    const std::string_view text = "2.00.05";
    const std::unique_ptr<char[]> unended = std::make_unique<char[]>(text.size());
    std::memcpy(unended.get(), text.data(), text.size());
    g_hostVersion = unended.get();
    fake.hostProgram.readableEnd = unended.get() + text.size();
    EXPECT_TRUE(beckyStart(plugin));
    EXPECT_TRUE(logged("Host version: 2.00.05\r\n"));
    beckyExit(plugin);

    // Not even its first byte can be read: a version unknown, as a null one.
    fake.hostProgram.readableEnd = unended.get();
    EXPECT_FALSE(beckyStart(plugin));
    EXPECT_TRUE(logged("Host version: unknown (its text cannot be read)"));
    EXPECT_TRUE(logged("Host binding failed"));
}

TEST_F(SecondHostBinding, AStartOrEndWhileOneRunsIsRefusedAndLoggedByTheRunningOne) {
    // The host calls again while its version is being asked for: nothing may be freed or
    // made anew under the running start.
    g_whileAnswering = [&] {
        g_whileAnswering = nullptr;
        beckyExit(plugin);
        beckyExit(plugin);
        EXPECT_FALSE(beckyStart(plugin));
        EXPECT_FALSE(logged("refused"));  // written by the running call, not by these
    };
    EXPECT_TRUE(beckyStart(plugin));
    ASSERT_TRUE(plugin.beckyApi);
    EXPECT_TRUE(plugin.beckyApi->bound());
    EXPECT_EQ(g_versionCalls, 1);
    EXPECT_TRUE(logged("BKC_OnStart refused while another BKC_OnStart or BKC_OnExit ran (1 call)"));
    EXPECT_TRUE(logged("BKC_OnExit refused while another BKC_OnStart or BKC_OnExit ran (2 calls)"));

    // The refusals are logged once; the turn is free again afterwards.
    beckyExit(plugin);
    EXPECT_FALSE(plugin.beckyApi);
    const std::string all = log();
    EXPECT_EQ(all.find("BKC_OnExit refused"), all.rfind("BKC_OnExit refused"));
}

TEST_F(SecondHostBinding, StartAndEndFromTwoThreadsAtOnce) {
    // One end arrives for certain while a start runs on the other thread.
    std::promise<void> answering;
    std::promise<void> endTried;
    std::future<void> endTriedSeen = endTried.get_future();
    g_whileAnswering = [&] {
        g_whileAnswering = nullptr;
        answering.set_value();
        endTriedSeen.wait();
    };
    std::thread ending([&] {
        answering.get_future().wait();
        beckyExit(plugin);
        endTried.set_value();
    });
    EXPECT_TRUE(beckyStart(plugin));
    ending.join();
    EXPECT_TRUE(plugin.beckyApi && plugin.beckyApi->bound());
    EXPECT_TRUE(logged("BKC_OnExit refused while another BKC_OnStart or BKC_OnExit ran (1 call)"));

    // Then both at once, many times over: never a crash, and every call either ran or was
    // refused and counted in the log.
    constexpr int kTurns = 300;
    std::atomic<int> starts{0};
    g_whileAnswering = [&] { ++starts; };
    std::thread starter([&] {
        for (int i = 0; i < kTurns; ++i) beckyStart(plugin);
    });
    for (int i = 0; i < kTurns; ++i) beckyExit(plugin);
    starter.join();
    beckyExit(plugin);  // the turn is free: this one runs and logs what is still counted
    EXPECT_FALSE(plugin.beckyApi);
    EXPECT_GT(starts.load(), 0);
    EXPECT_FALSE(plugin.secondHostTurn.taken.load());
    EXPECT_EQ(plugin.secondHostTurn.refusedStarts.load(), 0u);
    EXPECT_EQ(plugin.secondHostTurn.refusedExits.load(), 0u);
}

TEST_F(SecondHostBinding, WithoutAHostProgramServiceNothingIsBound) {
    plugin.platform.hostProgram = nullptr;
    EXPECT_FALSE(beckyStart(plugin));
    ASSERT_TRUE(plugin.beckyApi);
    EXPECT_FALSE(plugin.beckyApi->bound());
}

}  // namespace
}  // namespace qbx
