// The dispatcher: its chain, what every call does around the branches, and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "macros/arguments.h"
#include "macros/dispatcher.h"
#include "support/macro_fixture.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;
using test::MacroFixture;
using test::Stores;

// The engine with a small table of its own: what the dispatcher does with rows, whatever the
// product's table holds.
std::string echo(MacroCall& call) { return getParamText(call.params, 0); }
std::string first(MacroCall&) { return "first"; }
std::string second(MacroCall&) { return "second"; }
std::string prefixed(MacroCall& call) { return "script " + call.name; }

constexpr ChainEntry kSmallTable[] = {
    {"ECHO", false, echo, true},    {"TWIN", false, first, true},   {"RUN", true, prefixed, false},
    {"TWIN", false, second, false}, {"IDLE", false, nullptr, true},
};

class SmallTable : public MacroFixture {
protected:
    SmallTable() { installMacroTable(kSmallTable); }
    ~SmallTable() override { installMacroTable(full_); }
    std::span<const ChainEntry> full_ = macroTable();
};

TEST_F(SmallTable, EveryMatchingRowRunsInTableOrderAndIdleRowsStoreNothing) {
    EXPECT_EQ(run("echo", {"x"}), "x");
    EXPECT_EQ(run("TWIN"), "second");
    EXPECT_EQ(data.stores, (Stores{{kMacroResultId, "first"}, {kMacroResultId, "second"}}));
    EXPECT_EQ(run("RUNTHIS"), "script RUNTHIS");
    EXPECT_EQ(run("RUN"), "script RUN");
    for (const char* name : {"IDLE", "XRUN", "ECHO ", "ZVXVER"}) {
        EXPECT_EQ(run(name), "<nothing>") << name;
        EXPECT_TRUE(data.stores.empty()) << name;
    }
}

class Dispatcher : public MacroFixture {};

TEST_F(Dispatcher, NamesAreUpperCasedByTheCodePageTableAndUnknownOnesStoreNothing) {
    EXPECT_EQ(run("zvxVer"), "Quilbex 2.4.1202 Summer edition beta");
    EXPECT_EQ(data.stores.size(), 1u);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXVER]"));
    // The last name is a Russian word in lower case.
    for (const char* name : {" ZVXVER", "NOSUCHMACRO", "\xEC\xE0\xEA\xF0\xEE"}) {
        EXPECT_EQ(run(name), "<nothing>") << name;
        EXPECT_TRUE(data.stores.empty());
    }
    EXPECT_TRUE(logged("TBP_ExecMacro [%NOSUCHMACRO]"));
    EXPECT_TRUE(logged("TBP_ExecMacro [%\xCC\xC0\xCA\xD0\xCE]"));
}

// The offered name that does nothing stores the empty text, or the host would show the answer
// of the macro before it.
TEST_F(Dispatcher, ZvxTestStoresTheEmptyText) {
    run("ZVXTEST");
    EXPECT_EQ(data.stores, (Stores{{kMacroResultId, ""}}));
}

TEST_F(Dispatcher, BothTwinEntriesStoreInChainOrder) {
    plugin.settings.messagesCounted = 12;
    EXPECT_EQ(run("STATCOUNT"), "12");
    EXPECT_EQ(data.stores, (Stores{{kMacroResultId, "12"}, {kMacroResultId, "12"}}));
}

TEST_F(Dispatcher, EmptyNameReplacesTheKeptContainersAndDoesNothingElse) {
    FakeContainer firstParams({"a"});
    FakeContainer otherData;
    FakeContainer otherParams;
    ASSERT_EQ(execMacro(plugin, "ZVXCUTHERE", 10, &data, &firstParams), kMacroResultId);
    EXPECT_EQ(plugin.curData.get(), &data);
    EXPECT_EQ(firstParams.references, 2);  // kept until the next call
    const auto linesBefore = logLines.size();
    EXPECT_EQ(execMacro(plugin, "ZVXVER", 0, &otherData, &otherParams), kMacroResultId);
    EXPECT_EQ(plugin.curData.get(), &otherData);
    EXPECT_EQ(plugin.curParams.get(), &otherParams);
    EXPECT_EQ(std::make_tuple(firstParams.references, data.references, otherData.references),
              std::make_tuple(1, 1, 2));
    EXPECT_TRUE(otherData.stores.empty());
    EXPECT_EQ(logLines.size(), linesBefore);
    EXPECT_EQ(execMacro(plugin, "ZVXVER", -5, nullptr, nullptr), kMacroResultId);
    EXPECT_EQ(plugin.curData.get(), nullptr);
    EXPECT_EQ(otherData.references, 1);
}

TEST_F(Dispatcher, NullContainersAndOverlongNamesAreNoFault) {
    EXPECT_EQ(execMacro(plugin, "ZVXSTRCMP", 9, nullptr, nullptr), kMacroResultId);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXSTRCMP]"));
    EXPECT_EQ(call(std::string(100'000, 'Z')), kMacroResultId);
    EXPECT_TRUE(data.stores.empty());
    EXPECT_TRUE(logged("a name of 100000 bytes is ignored"));
}

TEST_F(Dispatcher, FailingBranchIsLoggedAndLeavesAnEmptyTextAndOthersChooseTheirId) {
    MacroCall call{plugin, &data, nullptr, "ZVXSOMETHING"};
    EXPECT_FALSE(runBranch(
        call, [](MacroCall&) -> std::string { throw std::runtime_error("disk on fire"); }));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXSOMETHING: disk on fire"));
    EXPECT_EQ(data.stores, (Stores{{kMacroResultId, ""}}));
    EXPECT_FALSE(runBranch(call, [](MacroCall&) -> std::string { throw 42; }));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXSOMETHING: unknown exception"));
    data.stores.clear();
    EXPECT_TRUE(runBranch(call, [](MacroCall& c) {
        c.resultId = kFolderMacroResultId;
        return std::string("fine");
    }));
    EXPECT_EQ(data.stores, (Stores{{kFolderMacroResultId, "fine"}}));
}

// The host's own expansion calls the module again, and again: the chain of calls ends at the
// nesting limit with one logged refusal, and every level still answers.
TEST_F(Dispatcher, NestingThroughTheHostEndsAtTheLimit) {
    int deepest = 0;
    data.expander = [&](const std::string&) {
        deepest = std::max(deepest, plugin.macroDepth);
        call("ZVXATTCOUNT");
        return std::string("a.txt,b.txt");
    };
    EXPECT_EQ(run("ZVXATTCOUNT"), "2");
    EXPECT_EQ(deepest, kMaxNestingDepth);
    EXPECT_EQ(data.expandCalls, kMaxNestingDepth);
    EXPECT_EQ(plugin.macroDepth, 0);
    EXPECT_EQ(std::count_if(logLines.begin(), logLines.end(),
                            [](const std::string& line) {
                                return line.find("nested deeper than 32 levels: ZVXATTCOUNT") !=
                                       std::string::npos;
                            }),
              1);
    // The refused call stored an empty text, each of the 32 levels its count.
    EXPECT_EQ(std::count_if(data.stores.begin(), data.stores.end(),
                            [](const auto& store) { return store.second.empty(); }),
              1);
}

}  // namespace
}  // namespace qbx::macros
