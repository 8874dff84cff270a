// The dispatcher: its chain, what every call does around the branches, and failures.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/host_texts.h"
#include "macro_fixture.h"
#include "macros/dispatcher.h"

namespace qbx::macros {
namespace {

using test::FakeContainer;
using test::MacroFixture;

// 1-based chain positions that answer a name.
std::vector<int> matchingPositions(std::string_view upperName) {
    std::vector<int> positions;
    const auto entries = chain();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entryMatches(entries[i], upperName)) positions.push_back(static_cast<int>(i) + 1);
    return positions;
}

TEST(DispatcherChain, CountAndTheFirstEntryOfEveryGroup) {
    const auto entries = chain();
    ASSERT_EQ(entries.size(), 203u);
    const std::vector<std::pair<int, std::string_view>> landmarks = {
        {1, "EJS"}, {4, "FN"}, {5, "S"}, {6, "ZVXMD5"}, {9, "ZVXDECODESTR"}, {11, "ZVXBRIEF"},
        {12, "ZVXLASTLOG"}, {13, "ZVXINETTIME"}, {14, "ZVXSYMCNT"}, {16, "ZVXATTCOUNT"},
        {17, "ZVXDATESHIFT"}, {19, "ZVXGETINIINT"}, {23, "ZVXINCINIINT"}, {24, "ZVXIFONLINE"},
        {26, "ZVXDELIVTIME"}, {27, "ZVXREGREAD"}, {28, "ZVXCNT"}, {29, "MBMSENSORNAME"},
        {31, "ZVXVAR"}, {34, "ZVXEVAL"}, {37, "ZVXWRAP"}, {38, "ZVXIF"}, {39, "ZVXFOR"},
        {40, "STAT"}, {41, "STATCOUNT"}, {47, "STATCOUNT"}, {51, "STATENDCOUNT"},
        {52, "ZVXDECRYPT"}, {54, "STATSESSIONMEANTIME"}, {55, "WAIF"}, {57, "NPTOP"},
        {58, "NPP"}, {82, "WASTATUS"}, {83, "ZVXGP"}, {84, "ZVX"}, {85, "ZVXWOY"},
        {86, "ZVXVOLUME"}, {87, "ZVXDOY"}, {91, "ZVXBYTESTOSTRRUS"}, {92, "ZVXSVER"},
        {93, "ZVXSEPARATOR"}, {94, "ZVXVER"}, {96, "ZVXCHARSET"}, {98, "ZVXRAWSOURCE"},
        {99, "ZVXGETHEADER"}, {100, "ZVXDAYPROGRESS"}, {101, "ZVXDELIVERYFROMDATE"},
        {102, "ZVXSERVLIST"}, {103, "ZVXGETSMS"}, {104, "ZVXDELIVERYFROMIP"},
        {106, "ZVXDELIVERYTODATE"}, {110, "ZVXREPLACENUM"}, {111, "ZVXNUMTOSTRA"},
        {113, "ZVXSTARTUPINFO"}, {114, "ZVXSTRCMP"}, {117, "ZVXNUMTOSTRA"},
        {118, "ZVXMOUSEINFO"}, {145, "ZVXCPUNAMEL"}, {146, "ZVXIP"}, {149, "ZVXTEMPPATH"},
        {150, "ZVXTIME"}, {151, "ZVXSECSTOSTRRUS"}, {152, "ZVXDAYSFROM"}, {156, "ZVXDRVFREE"},
        {158, "ZVXTIMELEFT"}, {160, "ZVXVOLNAME"}, {162, "ZVXKILLEMPTYSTR"}, {166, "ZVXRND"},
        {167, "ZVXVOLFS"}, {168, "ZVXGETIP"}, {169, "ZVXRCASE"}, {170, "ZVXBIOSNAME"},
        {174, "ZVXIZVRAT"}, {175, "ZVXPUTUUE"}, {176, "ZVXFILL"}, {177, "ZVXFVER"},
        {178, "ZVXSTRINGS"}, {179, "ZVXFILESSIZE"}, {180, "ZVXSPLIT"}, {181, "ZVXFILESCOUNT"},
        {183, "ZVXREPLACEREGEXP"}, {185, "ZVXDIALUPNAME"}, {186, "ZVXREPLACE"},
        {187, "ZVXCITE"}, {192, "ZVXSCREENDEPTH"}, {194, "ZVXCUTFROMTO"}, {196, "ZVXMKLINK"},
        {197, "ZVX_CPU"}, {198, "ZVXXOR"}, {199, "ZVXTZ"}, {201, "ZVXREPLACECHAR"},
        {202, "ZVXTRANSLIT"}, {203, "ZVXTRANSLIT2"},
    };
    for (const auto& [position, name] : landmarks)
        EXPECT_EQ(entries[static_cast<std::size_t>(position - 1)].name, name) << position;
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

TEST(DispatcherChain, PrefixEntryAndTwins) {
    EXPECT_EQ(matchingPositions("FN"), (std::vector<int>{4}));
    EXPECT_EQ(matchingPositions("FNMYSCRIPT"), (std::vector<int>{4}));
    EXPECT_EQ(matchingPositions("S"), (std::vector<int>{5}));
    EXPECT_EQ(matchingPositions("STATCOUNT"), (std::vector<int>{41, 47}));
    EXPECT_EQ(matchingPositions("ZVXNUMTOSTRA"), (std::vector<int>{111, 117}));
    EXPECT_TRUE(matchingPositions("F").empty());
    EXPECT_TRUE(matchingPositions("XFN").empty());
    EXPECT_TRUE(matchingPositions(" ZVXVER").empty());
    EXPECT_TRUE(matchingPositions("ZVXVER ").empty());
    EXPECT_TRUE(matchingPositions("ZVXTEST").empty());
}

// Features not built yet: the chain knows the names, nothing answers them. Each feature that
// lands takes its names off this list.
TEST(DispatcherChain, EntriesStillWithoutABranch) {
    const std::vector<std::string_view> expected = {
        "EJS", "EVS", "EPS", "FN", "S", "ZVXDECODESTR", "ZVXEXTRACTSTR", "ZVXBRIEF",
        "ZVXLASTLOG", "ZVXINETTIME", "ZVXSYMCNT", "ZVXLINCNT", "ZVXDATESHIFT", "ZVXDAYSTO",
        "ZVXGETINIINT", "ZVXSETINIINT", "ZVXGETINISTR", "ZVXSETINISTR", "ZVXINCINIINT",
        "ZVXIFONLINE", "ZVXONLINETIME", "ZVXDELIVTIME", "ZVXREGREAD", "ZVXCNT", "MBMSENSORNAME",
        "MBMSENSORVAL", "ZVXWRAP", "STAT", "ZVXDECRYPT", "ZVXENCRYPT", "WAIF", "APIF", "NPTOP", "NPP",
        "NP", "NPIF", "FBIF", "STPIF", "QCDIF", "1B1IF", "WAVER", "WACH", "WANP", "FBNP",
        "STPNP", "APNP", "QCDNP", "QCDPLPOS", "QCDTIME", "1B1NP", "1B1TIME", "WAEQ", "WARATE",
        "WABITRATE", "WAPLPOS", "WAPLLEN", "WAPOS", "WASTATUS", "ZVXGP", "ZVXWOY", "ZVXVOLUME",
        "ZVXDOY", "ZVXHOM", "ZVXHOW", "ZVXHOY", "ZVXBYTESTOSTRRUS", "ZVXSEPARATOR", "ZVXCHARSET",
        "ZVXMAILER", "ZVXGETHEADER", "ZVXDAYPROGRESS", "ZVXDELIVERYFROMDATE", "ZVXSERVLIST",
        "ZVXGETSMS", "ZVXDELIVERYFROMIP", "ZVXDELIVERYFROMSERVER", "ZVXDELIVERYTODATE",
        "ZVXDELIVERYTIME", "ZVXDELIVERYTIMEBOX", "ZVXREPLYTIME", "ZVXREPLACENUM",
        "ZVXNUMTOSTRA", "ZVXNUMTOSTR", "ZVXSTARTUPINFO", "ZVXNUMTOSTRA", "ZVXMOUSEINFO",
        "ZVXMOUSEPOS", "ZVXMOUSEWAY", "ZVXMOUSESPEED", "ZVXKBD", "ZVXPRN", "ZVXDRVLIST",
        "ZVXPROCLIST", "ZVXTASKLIST", "ZVXSCREENRES", "ZVXCPUSPEED", "ZVXCOMPNAME",
        "ZVXBATTSECLEFT", "ZVXWINVER", "ZVXBATT", "ZVXUSERNAME", "ZVXMEMLOAD", "ZVXMEMTPHYS",
        "ZVXMEMAPHYS", "ZVXMEMTPAGE", "ZVXMEMAPAGE", "ZVXMEMTVIRT", "ZVXMEMAVIRT", "ZVXCPUTICKS",
        "ZVXTICKCOUNT", "ZVXCPUNAME", "ZVXCPUVENDOR", "ZVXCPUNAMEL", "ZVXIP", "ZVXLOCALIP",
        "ZVXLOCALIPLIST", "ZVXTEMPPATH", "ZVXTIME", "ZVXSECSTOSTRRUS", "ZVXDAYSFROM",
        "ZVXHOURSFROM", "ZVXMINSFROM", "ZVXSE", "ZVXDRVFREE", "ZVXDRVSIZE", "ZVXTIMELEFT",
        "ZVXDAYSLEFT", "ZVXVOLNAME", "ZVXVOLSNUM", "ZVXKILLEMPTYSTR", "ZVXGETSTR", "ZVXSTRTRIM",
        "ZVXMKPLAIN", "ZVXVOLFS", "ZVXGETIP", "ZVXRCASE", "ZVXBIOSNAME", "ZVXBIOSCOPY",
        "ZVXBIOSINFO", "ZVXBIOSDATE", "ZVXIZVRAT", "ZVXPUTUUE", "ZVXFILL", "ZVXFVER",
        "ZVXFILESSIZE", "ZVXSPLIT", "ZVXFILESCOUNT", "ZVXFILESLIST", "ZVXREPLACEREGEXP",
        "ZVXGREP", "ZVXDIALUPNAME", "ZVXCITE", "ZVXPS", "ZVXKILLCITE", "ZVXGETLINKS",
        "ZVXREVERSE", "ZVXSCREENDEPTH", "ZVXSCREENRRATE", "ZVXMKLINK", "ZVX_CPU", "ZVXTZ",
        "ZVXTZBIAS", "ZVXREPLACECHAR", "ZVXTRANSLIT", "ZVXTRANSLIT2",
    };
    std::vector<std::string_view> missing;
    for (const ChainEntry& entry : chain())
        if (entry.branch == nullptr) missing.push_back(entry.name);
    EXPECT_EQ(missing, expected);
}

class Dispatcher : public MacroFixture {};

TEST_F(Dispatcher, LowerCaseNameRunsTheBranchAndIsLoggedUpperCased) {
    EXPECT_EQ(run("zvxVer"), "Quilbex 2.4.1202 Summer edition beta");
    EXPECT_EQ(data.stores.size(), 1u);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXVER]"));
}

TEST_F(Dispatcher, CyrillicNameIsUpperCasedByTheCodePageTable) {
    run("\xEC\xE0\xEA\xF0\xEE");  // a Russian word in lower case
    EXPECT_TRUE(logged("TBP_ExecMacro [%\xCC\xC0\xCA\xD0\xCE]"));
    EXPECT_TRUE(data.stores.empty());
}

TEST_F(Dispatcher, UnknownNamesAndLeadingBlankStoreNothing) {
    EXPECT_EQ(run(" ZVXVER"), "<nothing>");
    EXPECT_EQ(run("ZVXTEST"), "<nothing>");
    EXPECT_EQ(run("NOSUCHMACRO"), "<nothing>");
    EXPECT_TRUE(data.stores.empty());
    EXPECT_TRUE(logged("TBP_ExecMacro [%NOSUCHMACRO]"));
}

TEST_F(Dispatcher, BothTwinEntriesStoreInChainOrder) {
    plugin.settings.stLetterCount = 12;
    EXPECT_EQ(run("STATCOUNT"), "12");
    const std::vector<std::pair<std::int32_t, std::string>> twice = {{kMacroResultId, "12"},
                                                                     {kMacroResultId, "12"}};
    EXPECT_EQ(data.stores, twice);
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
    EXPECT_EQ(firstParams.references, 1);
    EXPECT_EQ(data.references, 1);
    EXPECT_EQ(otherData.references, 2);
    EXPECT_TRUE(otherData.stores.empty());
    EXPECT_EQ(logLines.size(), linesBefore);

    EXPECT_EQ(execMacro(plugin, "ZVXVER", -5, nullptr, nullptr), kMacroResultId);
    EXPECT_EQ(plugin.curData.get(), nullptr);
    EXPECT_EQ(otherData.references, 1);
}

TEST_F(Dispatcher, NullContainersAreNoFault) {
    EXPECT_EQ(execMacro(plugin, "ZVXSTRCMP", 9, nullptr, nullptr), kMacroResultId);
    EXPECT_TRUE(logged("TBP_ExecMacro [%ZVXSTRCMP]"));
}

TEST_F(Dispatcher, OverlongNameIsRefusedWithoutBeingCopied) {
    const std::string name(100'000, 'Z');
    EXPECT_EQ(call(name), kMacroResultId);
    EXPECT_TRUE(data.stores.empty());
    EXPECT_TRUE(logged("a name of 100000 bytes is ignored"));
}

std::string throwsRuntimeError(MacroCall&) {
    throw std::runtime_error("disk on fire");
}

std::string throwsSomethingElse(MacroCall&) {
    throw 42;
}

std::string answers(MacroCall& call) {
    call.resultId = kFolderMacroResultId;
    return "fine";
}

TEST_F(Dispatcher, FailingBranchIsLoggedAndLeavesAnEmptyText) {
    MacroCall call{plugin, &data, nullptr, "ZVXSOMETHING"};
    EXPECT_FALSE(runBranch(call, throwsRuntimeError));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXSOMETHING: disk on fire"));
    const std::vector<std::pair<std::int32_t, std::string>> empty = {{kMacroResultId, ""}};
    EXPECT_EQ(data.stores, empty);

    EXPECT_FALSE(runBranch(call, throwsSomethingElse));
    EXPECT_TRUE(logged("***** ERROR!!! Exception in macro ZVXSOMETHING: unknown exception"));
}

TEST_F(Dispatcher, BranchStoresUnderTheIdItChose) {
    MacroCall call{plugin, &data, nullptr, "ZVXGP"};
    EXPECT_TRUE(runBranch(call, answers));
    const std::vector<std::pair<std::int32_t, std::string>> stored = {{kFolderMacroResultId, "fine"}};
    EXPECT_EQ(data.stores, stored);
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
    int refusals = 0;
    for (const std::string& line : logLines)
        if (line.find("nested deeper than 32 levels: ZVXATTCOUNT") != std::string::npos) ++refusals;
    EXPECT_EQ(refusals, 1);
    // The refused call stored an empty text, each of the 32 levels its count.
    int empties = 0;
    for (const auto& [id, text] : data.stores) empties += text.empty() ? 1 : 0;
    EXPECT_EQ(empties, 1);
}

}  // namespace
}  // namespace qbx::macros
