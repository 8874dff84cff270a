// The dispatcher: its chain, what every call does around the branches, and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "core/host_texts.h"
#include "macro_fixture.h"
#include "macros/dispatcher.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;
using test::MacroFixture;
using test::Stores;

// 1-based chain positions that answer a name.
std::vector<int> matchingPositions(std::string_view upperName) {
    std::vector<int> positions;
    const auto entries = chain();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entryMatches(entries[i], upperName)) positions.push_back(static_cast<int>(i) + 1);
    return positions;
}

TEST(DispatcherChain, CountEndsAndTwins) {
    const auto entries = chain();
    ASSERT_EQ(entries.size(), 203u);
    EXPECT_EQ(entries.front().name, "EJS");
    EXPECT_EQ(entries.back().name, "ZVXTRANSLIT2");
    const std::vector<std::pair<std::string_view, std::vector<int>>> cases = {
        {"FN", {4}}, {"FNMYSCRIPT", {4}}, {"S", {5}}, {"STATCOUNT", {41, 47}},
        {"ZVXNUMTOSTRA", {111, 117}}, {"F", {}}, {"XFN", {}}, {" ZVXVER", {}}, {"ZVXVER ", {}},
        {"ZVXTEST", {}}};
    for (const auto& [name, positions] : cases)
        EXPECT_EQ(matchingPositions(name), positions) << name;
}

TEST(DispatcherChain, AnswersTheOfferedNamesAndFourMore) {
    std::set<std::string_view> chained;
    for (const ChainEntry& entry : chain())
        if (!entry.prefix) chained.insert(entry.name);
    std::set<std::string_view> offered(fixedMacroNames().begin(), fixedMacroNames().end());
    offered.erase("ZVXTEST");  // offered, answered by nothing
    for (std::string_view extra : {"ZVXRAWSOURCE", "ZVXDELIVERYTIMEBOX", "ZVXTEMPPATH", "ZVX_CPU"})
        offered.insert(extra);
    EXPECT_EQ(chained, offered);
}

// Features not built yet: the chain knows the names, nothing answers them. Each feature that
// lands takes its names off this list.
TEST(DispatcherChain, EntriesStillWithoutABranch) {
    const std::vector<std::string_view> expected = {
        "ZVXDECODESTR", "ZVXEXTRACTSTR", "ZVXBRIEF", "ZVXLASTLOG", "ZVXINETTIME", "ZVXSYMCNT",
        "ZVXLINCNT", "ZVXDATESHIFT", "ZVXDAYSTO", "ZVXGETINIINT", "ZVXSETINIINT", "ZVXGETINISTR",
        "ZVXSETINISTR", "ZVXINCINIINT", "ZVXIFONLINE", "ZVXONLINETIME", "ZVXDELIVTIME", "ZVXREGREAD",
        "ZVXCNT", "MBMSENSORNAME", "MBMSENSORVAL", "ZVXWRAP", "STAT", "ZVXDECRYPT", "ZVXENCRYPT",
        "WAIF", "APIF", "NPTOP", "NPP", "NP", "NPIF", "FBIF", "STPIF", "QCDIF", "1B1IF", "WAVER",
        "WACH", "WANP", "FBNP", "STPNP", "APNP", "QCDNP", "QCDPLPOS", "QCDTIME", "1B1NP", "1B1TIME",
        "WAEQ", "WARATE", "WABITRATE", "WAPLPOS", "WAPLLEN", "WAPOS", "WASTATUS", "ZVXGP", "ZVXWOY",
        "ZVXVOLUME", "ZVXDOY", "ZVXHOM", "ZVXHOW", "ZVXHOY", "ZVXBYTESTOSTRRUS", "ZVXSEPARATOR",
        "ZVXDAYPROGRESS", "ZVXDELIVERYFROMDATE", "ZVXGETSMS", "ZVXDELIVERYTODATE", "ZVXDELIVERYTIME",
        "ZVXDELIVERYTIMEBOX", "ZVXREPLYTIME", "ZVXREPLACENUM", "ZVXNUMTOSTRA", "ZVXNUMTOSTR",
        "ZVXSTARTUPINFO", "ZVXNUMTOSTRA", "ZVXMOUSEINFO", "ZVXMOUSEPOS", "ZVXMOUSEWAY", "ZVXMOUSESPEED",
        "ZVXKBD", "ZVXPRN", "ZVXDRVLIST", "ZVXPROCLIST", "ZVXTASKLIST", "ZVXSCREENRES", "ZVXCPUSPEED",
        "ZVXCOMPNAME", "ZVXBATTSECLEFT", "ZVXWINVER", "ZVXBATT", "ZVXUSERNAME", "ZVXMEMLOAD",
        "ZVXMEMTPHYS", "ZVXMEMAPHYS", "ZVXMEMTPAGE", "ZVXMEMAPAGE", "ZVXMEMTVIRT", "ZVXMEMAVIRT",
        "ZVXCPUTICKS", "ZVXTICKCOUNT", "ZVXCPUNAME", "ZVXCPUVENDOR", "ZVXCPUNAMEL", "ZVXIP",
        "ZVXLOCALIP", "ZVXLOCALIPLIST", "ZVXTEMPPATH", "ZVXTIME", "ZVXSECSTOSTRRUS", "ZVXDAYSFROM",
        "ZVXHOURSFROM", "ZVXMINSFROM", "ZVXSE", "ZVXDRVFREE", "ZVXDRVSIZE", "ZVXTIMELEFT",
        "ZVXDAYSLEFT", "ZVXVOLNAME", "ZVXVOLSNUM", "ZVXKILLEMPTYSTR", "ZVXGETSTR", "ZVXSTRTRIM",
        "ZVXMKPLAIN", "ZVXVOLFS", "ZVXGETIP", "ZVXBIOSNAME", "ZVXBIOSCOPY", "ZVXBIOSINFO",
        "ZVXBIOSDATE", "ZVXPUTUUE", "ZVXFILL", "ZVXFVER", "ZVXFILESSIZE", "ZVXSPLIT", "ZVXFILESCOUNT",
        "ZVXFILESLIST", "ZVXREPLACEREGEXP", "ZVXGREP", "ZVXDIALUPNAME", "ZVXCITE", "ZVXPS",
        "ZVXKILLCITE", "ZVXGETLINKS", "ZVXREVERSE", "ZVXSCREENDEPTH", "ZVXSCREENRRATE", "ZVXMKLINK",
        "ZVX_CPU", "ZVXTZ", "ZVXTZBIAS", "ZVXREPLACECHAR",
    };
    std::vector<std::string_view> missing;
    for (const ChainEntry& entry : chain())
        if (entry.branch == nullptr) missing.push_back(entry.name);
    EXPECT_EQ(missing, expected);
}

class Dispatcher : public MacroFixture {};

TEST_F(Dispatcher, NamesAreUpperCasedByTheCodePageTableAndUnknownOnesStoreNothing) {
    EXPECT_EQ(run("zvxVer"), "Quilbex 2.4.1202 Summer edition beta");
    EXPECT_EQ(data.stores.size(), 1u);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXVER]"));
    // The last name is a Russian word in lower case.
    for (const char* name : {" ZVXVER", "ZVXTEST", "NOSUCHMACRO", "\xEC\xE0\xEA\xF0\xEE"}) {
        EXPECT_EQ(run(name), "<nothing>") << name;
        EXPECT_TRUE(data.stores.empty());
    }
    EXPECT_TRUE(logged("TBP_ExecMacro [%NOSUCHMACRO]"));
    EXPECT_TRUE(logged("TBP_ExecMacro [%\xCC\xC0\xCA\xD0\xCE]"));
}

TEST_F(Dispatcher, BothTwinEntriesStoreInChainOrder) {
    plugin.settings.stLetterCount = 12;
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
    EXPECT_FALSE(runBranch(call, [](MacroCall&) -> std::string {
        throw std::runtime_error("disk on fire");
    }));
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
    EXPECT_EQ(std::count_if(logLines.begin(), logLines.end(), [](const std::string& line) {
                  return line.find("nested deeper than 32 levels: ZVXATTCOUNT") != std::string::npos;
              }), 1);
    // The refused call stored an empty text, each of the 32 levels its count.
    EXPECT_EQ(std::count_if(data.stores.begin(), data.stores.end(),
                            [](const auto& store) { return store.second.empty(); }), 1);
}

}  // namespace
}  // namespace qbx::macros
