#include "scripting/bat_utils_table.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/plugin.h"
#include "scripting/script_variables.h"
#include "support/fake_container.h"
#include "support/fakes.h"

namespace qbx::scripting {
namespace {

TEST(BatUtilsTable, FunctionsInRegistrationOrder) {
    std::vector<std::string_view> names;
    for (const ScriptFunctionInfo& f : kBatUtilsFunctions) names.push_back(f.name);
    EXPECT_EQ(names, (std::vector<std::string_view>{"GetParams", "GetTemplate", "nl", "ParamCount",
                                                    "ParamStr", "Test"}));
    EXPECT_EQ(kBatUtilsFunctions[5].paramType, ScriptValueType::Variant);
    EXPECT_EQ(kBatUtilsFunctions[3].resultType, ScriptValueType::Variant);
    EXPECT_EQ(kScriptLineBreak, "\r\n");
}

TEST(BatUtilsTable, ConstantsAreTheHostsIdentifiers) {
    std::set<std::string_view> names;
    for (const ScriptConstant& c : kBatUtilsConstants) {
        EXPECT_TRUE(names.insert(c.name).second) << c.name;
        EXPECT_NE(c.value, 28);
        EXPECT_NE(c.value, 253);
    }
    auto at = [](std::size_t i) {
        return std::pair{std::string(kBatUtilsConstants[i].name), kBatUtilsConstants[i].value};
    };
    EXPECT_EQ(at(0), (std::pair{std::string("midxSubject"), 1}));
    EXPECT_EQ(at(12), (std::pair{std::string("midxContentMD5"), 13}));
    EXPECT_EQ(at(72), (std::pair{std::string("midxSender"), 79}));
    EXPECT_EQ(at(73), (std::pair{std::string("mpidMessageHeader"), 100000}));
    EXPECT_EQ(at(78), (std::pair{std::string("mpidRawMessage"), 100005}));
    EXPECT_EQ(at(79), (std::pair{std::string("tpxQuotePrefix"), 200}));
    EXPECT_EQ(at(128), (std::pair{std::string("tpxCurrentPage"), 249}));
    EXPECT_EQ(at(129), (std::pair{std::string("tpxTracking"), 248}));
    EXPECT_EQ(at(130), (std::pair{std::string("tpxQuoteStyle"), 249}));
    EXPECT_EQ(at(136), (std::pair{std::string("tpxCursorHeader"), 261}));
}

class ScriptUnit : public ::testing::Test {
protected:
    ScriptUnit() { plugin.strings.reset(); }
    test::FakeContainer params{{"SCRIPT", "arg1"}};
    test::FakeContainer data;
    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
};

TEST_F(ScriptUnit, MacroCallArgumentsAndTemplateItems) {
    EXPECT_EQ(batGetParams(plugin, 0), "<Undefined>");  // no macro call yet
    EXPECT_EQ(batGetTemplate(plugin, 222), "<Undefined>");

    data.items[222] = "Subject line";
    plugin.curParams = HostRef<ITBPDataProvider>(&params);
    plugin.curData = HostRef<ITBPDataProvider>(&data);
    EXPECT_EQ(batGetParams(plugin, 0), "SCRIPT");
    EXPECT_EQ(batGetParams(plugin, 1), "arg1");
    EXPECT_EQ(batGetTemplate(plugin, 222), "Subject line");
    plugin.curParams.reset();
    plugin.curData.reset();
}

TEST_F(ScriptUnit, ParamStrAndCount) {
    ScriptParams p;
    takeSArguments(p, &params);
    EXPECT_EQ(batParamCount(p), 1);
    EXPECT_EQ(batParamStr(p, 1), "arg1");
    EXPECT_EQ(batParamStr(p, 0), "");
    EXPECT_EQ(batParamStr(p, 101), "");
}

TEST(ScriptVariables, UsedEntriesInTableOrderAsText) {
    VarTable table;  // the presets "ver" and "Author" first
    ASSERT_TRUE(table.storeInt("year", 2024));
    ASSERT_TRUE(table.storeTempStr("t", "x y"));
    const auto constants = scriptVariableConstants(table);
    ASSERT_EQ(constants.size(), 4u);
    EXPECT_EQ(constants[0].first, "zvx_ver");
    EXPECT_EQ(constants[1].first, "zvx_Author");
    EXPECT_EQ(constants[2], (std::pair<std::string, std::string>{"zvx_year", "2024"}));
    EXPECT_EQ(constants[3], (std::pair<std::string, std::string>{"zvx_t", "x y"}));
}

}  // namespace
}  // namespace qbx::scripting
