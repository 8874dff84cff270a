// What the host sees: registering natives and constants, var parameters of natives, errors of
// natives as script exceptions, one compiled program run many times, names that ignore case.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/float_text.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

using testing::outcome;
using testing::standardEnvironment;

TEST(PascalHost, NativeFunctionsAndConstants) {
    Environment env = standardEnvironment();
    env.addFunction("Join", 1, 3, [](std::span<Value> args, CallContext&) {
        std::string out;
        for (const auto& a : args) out += toText(a) + "|";
        return Value(out);
    });
    env.addFunction("nl", 0, 0, [](std::span<Value>, CallContext&) { return Value("\r\n"); });
    env.addConstant("tpxSubject", Value(222));
    EXPECT_EQ(outcome("Join(1, 'a', 2.5)", env), "1|a|2.5|");
    EXPECT_EQ(outcome("JOIN(TPXSUBJECT) + nl", env), "222|\r\n");
    EXPECT_EQ(outcome("begin Result := tpxsubject; Join(1) end.", env), "222");
    EXPECT_EQ(outcome("Join()", env), "!Line 1, column 1: Not enough actual parameters for 'Join'");
    EXPECT_EQ(outcome("Join(1,2,3,4)", env),
              "!Line 1, column 1: Too many actual parameters for 'Join'");
    EXPECT_EQ(outcome("tpxSubject(1)", env),
              "!Line 1, column 1: 'tpxSubject' is a constant, not a function");
}

TEST(PascalHost, NativeVarParameterWritesBackThroughDeclaredType) {
    Environment env = standardEnvironment();
    env.addFunction(
        "SetTo", 2, 2,
        [](std::span<Value> args, CallContext&) {
            args[0] = args[1];
            return Value();
        },
        1u);
    EXPECT_EQ(outcome("var s: String; begin SetTo(s, 'x'); Result := s end.", env), "x");
    EXPECT_EQ(outcome("procedure P(var v: Variant); begin SetTo(v, 5) end; var i: Integer; begin "
                      "P(i); Result := i end.",
                      env),
              "5");
    EXPECT_EQ(outcome("var s: String; begin SetTo(s, 1) end.", env),
              "!Line 1, column 22: Incompatible types: 'String' and 'Integer'");
}

TEST(PascalHost, NativeFailuresBecomeScriptExceptions) {
    Environment env = standardEnvironment();
    env.addFunction("Fails", 0, 1, [](std::span<Value> args, CallContext& context) -> Value {
        if (args.empty()) context.fail("no luck", "EHostError");
        throw std::runtime_error("library says no");
    });
    env.addFunction("Huge", 0, 0,
                    [](std::span<Value>, CallContext&) { return Value(std::string(2000, 'x')); });
    env.limits.maxStringLength = 1000;
    EXPECT_EQ(
        outcome("begin try Fails except on E: EHostError do Result := E.Message end end.", env),
        "no luck");
    EXPECT_EQ(
        outcome("begin try Fails(1) except on E: Exception do Result := E.Message end end.", env),
        "library says no");
    EXPECT_EQ(outcome("begin\n  Fails\nend.", env), "!Line 2, column 3: no luck");
    EXPECT_EQ(outcome("begin try Result := Huge except Result := 'caught' end end.", env),
              "!Line 1, column 21: Script stopped: string length limit");
}

TEST(PascalHost, CompiledProgramRunsAgainWithFreshStateAndCurrentConstants) {
    Environment env = standardEnvironment();
    env.addConstant("zvx_year", Value("2023"));
    const CompileResult compiled = compile(
        "var calls: Integer; begin Inc(calls); Result := zvx_year + ':' + IntToStr(calls) end.",
        env);
    ASSERT_FALSE(compiled.error);
    env.addConstant("zvx_year", Value("2024"));
    RunResult first = run(*compiled.program, env);
    env.addConstant("ZVX_YEAR", Value("2025"));
    RunResult second = run(*compiled.program, env);
    ASSERT_FALSE(first.error);
    ASSERT_FALSE(second.error);
    EXPECT_EQ(toText(first.value), "2024:1");
    EXPECT_EQ(toText(second.value), "2025:1");
    Environment without = standardEnvironment();
    const RunResult missing = run(*compiled.program, without);
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->text(), "Line 1, column 49: Unknown identifier 'zvx_year'");
}

TEST(PascalHost, ResultKindsAndTheirText) {
    Environment env = standardEnvironment();
    env.addConstant("NullValue", Value::null());
    EXPECT_EQ(outcome("NullValue", env), "");
    EXPECT_EQ(outcome("NullValue + 1", env), "");
    EXPECT_EQ(outcome("begin end.", env), "");
    EXPECT_EQ(outcome("1 = 1", env), "True");
    EXPECT_EQ(outcome("Result := 1 < 0", env), "False");
    EXPECT_EQ(floatToText(-0.000123), "-0.000123");
    EXPECT_EQ(floatToText(1.0 / 3.0 * 1e-10), "3.33333333333333E-11");
    EXPECT_EQ(floatToText(123456789012345.0), "123456789012345");
    EXPECT_EQ(floatToText(1234567890123456.0), "1.23456789012346E15");
}

TEST(PascalHost, NamesIgnoreCaseUnderTheCodePageTables) {
    // "Счёт" and "СЧЁТ" in code page 1251.
    EXPECT_EQ(outcome("var \xD1\xF7\xB8\xF2: Integer; BEGIN \xD1\xD7\xA8\xD2 := 3; RESULT := "
                      "\xF1\xF7\xB8\xF2 * 2 END."),
              "6");
    EXPECT_EQ(outcome("begin RESULT := LENGTH('abc') + length('d') end."), "4");
}

}  // namespace
}  // namespace qbx::scripting::pascal
