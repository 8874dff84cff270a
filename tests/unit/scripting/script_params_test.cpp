#include "scripting/script_params.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scripting/js_prelude.h"
#include "support/fake_container.h"

namespace qbx::scripting {
namespace {

using Texts = std::vector<std::string>;

ArgumentReader over(const Texts& arguments) {
    return [arguments](std::int32_t i) { return arguments.at(static_cast<std::size_t>(i)); };
}

Texts firstParams(const ScriptParams& params, int n) {
    Texts out;
    for (int i = 1; i <= n; ++i) out.push_back(scriptParam(params, i));
    return out;
}

TEST(ScriptParams, FnKeepsWhatAShorterCallDoesNotReachAndSClears) {
    ScriptParams params;
    takeFnArguments(params, 3, over({"a", "b", "c"}));
    EXPECT_EQ(params.count, 3);
    EXPECT_EQ(firstParams(params, 3), (Texts{"a", "b", "c"}));

    takeFnArguments(params, 1, over({"x"}));
    EXPECT_EQ(params.count, 1);
    EXPECT_EQ(firstParams(params, 3), (Texts{"x", "b", "c"}));

    test::FakeContainer s({"HELLO", "p1", "p2"});
    takeSArguments(params, &s);
    EXPECT_EQ(params.count, 2);
    EXPECT_EQ(firstParams(params, 3), (Texts{"p1", "p2", ""}));

    takeSArguments(params, 1, over({"HELLO"}));
    EXPECT_EQ(params.count, 0);
    EXPECT_EQ(firstParams(params, 1), (Texts{""}));
    takeSArguments(params, 0, over({}));
    EXPECT_EQ(params.count, 0);

    test::FakeContainer fn({"first"});
    takeFnArguments(params, &fn);
    EXPECT_EQ(params.count, 1);
    EXPECT_EQ(scriptParam(params, 1), "first");
    clearScriptParams(params);
    EXPECT_EQ(params.count, 0);
    EXPECT_EQ(scriptParam(params, 1), "");
}

TEST(ScriptParams, AtMostAHundredAndNothingOutside) {
    Texts many;
    for (int i = 0; i < 150; ++i) many.push_back("v" + std::to_string(i));
    ScriptParams params;
    takeFnArguments(params, 150, over(many));
    EXPECT_EQ(params.count, 100);
    EXPECT_EQ(scriptParam(params, 100), "v99");
    takeSArguments(params, 150, over(many));
    EXPECT_EQ(params.count, 100);
    EXPECT_EQ(scriptParam(params, 100), "v100");
    for (const std::int64_t outside :
         {std::int64_t{0}, std::int64_t{-1}, std::int64_t{101}, std::int64_t{1} << 40})
        EXPECT_EQ(scriptParam(params, outside), "");
}

TEST(JScriptPrelude, WithoutParameters) {
    EXPECT_EQ(buildJScriptPrelude(ScriptParams{}),
              "var ParamCount=0;\r\n"
              "var ParamStr=new Array();\r\n"
              "function GetParams() {\r\n"
              ";};");
}

TEST(JScriptPrelude, ValuesLinesAndEscaping) {
    ScriptParams params;
    takeFnArguments(params, 7,
                    over({"plain", "a\r\nb", "", "say \"hi\" \\ bye", "x\r\n", "t\tc\x01\x1f",
                          "\xCF\xF0\xE8\xE2\xE5\xF2\n\"q\"\r\r"}));
    EXPECT_EQ(buildJScriptPrelude(params),
              "var ParamCount=7;\r\n"
              "var ParamStr=new Array();\r\n"
              "function GetParams() {\r\n"
              "ParamStr[1]=\"plain\";\r\n"
              "ParamStr[2]=\"a\\n\"\r\n"
              "+\"b\\n\"\r\n"
              "ParamStr[3]=\"\";\r\n"
              "ParamStr[4]=\"say \\\"hi\\\" \\\\ bye\";\r\n"
              "ParamStr[5]=\"x\\r\\n\";\r\n"  // one line: the value whole
              "ParamStr[6]=\"t\\tc\\x01\\x1f\";\r\n"
              "ParamStr[7]=\"\xCF\xF0\xE8\xE2\xE5\xF2\\n\"\r\n"
              "+\"\\\"q\\\"\\n\"\r\n"
              "+\"\\n\"\r\n"
              ";};");
}

}  // namespace
}  // namespace qbx::scripting
