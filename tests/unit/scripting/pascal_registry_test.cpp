// TRegistry on the registry of the build: natively the INI stand-in in a file of the test's own,
// in the DLL's tests the registry itself, below a key of the test's own that goes afterwards.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/process.h"
#include "scripting/pascal/library.h"
#include "support/fakes.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal {
namespace {

constexpr const char* kCleanUp =
    "var r: TRegistry; begin r := TRegistry.Create; r.DeleteKey('\\Software\\QBX Script Test');"
    " r.Free end.";

class PascalRegistry : public ::testing::Test {
protected:
    PascalRegistry() {
        const char* before = std::getenv("QBX_REGISTRY");
        saved_ = before != nullptr ? before : "";
#ifndef _WIN32
        std::filesystem::create_directories(folder_);
        std::filesystem::remove(folder_ / "registry.ini");
        setProcessVariable("QBX_REGISTRY", (folder_ / "registry.ini").string());
#endif
        addCoreLibrary(env_);
        addRuntimeLibrary(env_, runtimeServices(platform_.platform()));
        outcome(kCleanUp);
    }
    ~PascalRegistry() override {
        outcome(kCleanUp);
#ifndef _WIN32
        setProcessVariable("QBX_REGISTRY", saved_);
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
#endif
    }
    std::string outcome(std::string_view source) { return testing::outcome(source, env_); }

    test::FakePlatform platform_;
    Environment env_;
    std::string saved_;
    std::filesystem::path folder_ = ::testing::TempDir() + "qbx_pascal_registry";
};

TEST_F(PascalRegistry, ValuesOfEachKindGoAndComeBack) {
    EXPECT_EQ(outcome("var r: TRegistry; begin r := TRegistry.Create;"
                      " r.RootKey := HKEY_CURRENT_USER;"
                      " if r.OpenKey('Software\\QBX Script Test', True) then begin"
                      "  r.WriteString('Name', 'Anna'); r.WriteInteger('Count', -7);"
                      "  r.WriteBool('On', True); r.CloseKey end;"
                      " Result := BoolToStr(r.OpenKeyReadOnly('\\Software\\QBX Script Test'), True)"
                      "  + ' ' + r.ReadString('Name') + ' ' + IntToStr(r.ReadInteger('Count'))"
                      "  + ' ' + BoolToStr(r.ReadBool('On'), True) + ' [' + r.ReadString('None')"
                      "  + '] ' + BoolToStr(r.ValueExists('Name'), True)"
                      "  + BoolToStr(r.ValueExists('None'), True) + ' ' + r.CurrentPath;"
                      " r.Free end."),
              "True Anna -7 True [] TrueFalse Software\\QBX Script Test");
    EXPECT_EQ(outcome("var r: TRegistry; begin r := TRegistry.Create;"
                      " r.OpenKey('Software\\QBX Script Test', False);"
                      " Result := BoolToStr(r.DeleteValue('Name'), True) +"
                      "  BoolToStr(r.DeleteValue('Name'), True) + r.ReadString('Name');"
                      " r.Free end."),
              "TrueFalse");
}

TEST_F(PascalRegistry, KeysAreRelativeToTheOpenKeyUnlessTheyStartAtTheRoot) {
    EXPECT_EQ(outcome("var r: TRegistry; begin r := TRegistry.Create;"
                      " Result := BoolToStr(r.OpenKey('Software\\QBX Script Test\\Missing', False),"
                      "  True) + ' ';"
                      " r.OpenKey('Software\\QBX Script Test', True); r.OpenKey('A\\B', True);"
                      " r.WriteString('Deep', 'yes');"
                      " Result := Result + r.CurrentPath + ' ';"
                      " r.OpenKey('\\Software\\QBX Script Test', False);"
                      " Result := Result + BoolToStr(r.KeyExists('A\\B'), True) +"
                      "  BoolToStr(r.KeyExists('\\Software\\QBX Script Test\\A'), True) +"
                      "  BoolToStr(r.KeyExists('C'), True) + ' ';"
                      " r.CreateKey('C');"
                      " Result := Result + BoolToStr(r.KeyExists('C'), True) +"
                      "  BoolToStr(r.DeleteKey('A'), True) + BoolToStr(r.KeyExists('A\\B'), True)"
                      "  + BoolToStr(r.DeleteKey('A'), True);"
                      " r.Free end."),
              "False Software\\QBX Script Test\\A\\B TrueTrueFalse TrueTrueFalseFalse");
}

TEST_F(PascalRegistry, FailuresAreDelphisExceptionsTheScriptCatches) {
    const auto caught = [&](const std::string& body) {
        return outcome(
            "var r: TRegistry; begin r := TRegistry.Create; try "
            "r.OpenKey('Software\\QBX Script Test', True); r.WriteInteger('N', 1); " +
            body +
            "; Result := 'no error' except on E: Exception do "
            "Result := E.ClassName + ': ' + E.Message end; r.Free end.");
    };
    EXPECT_EQ(caught("r.ReadInteger('Missing')"),
              "ERegistryException: Failed to get data for 'Missing'");
    EXPECT_EQ(caught("r.ReadString('N')"), "ERegistryException: Invalid data type for 'N'");
    EXPECT_EQ(caught("r.WriteString('S', 'x'); r.ReadBool('S')"),
              "ERegistryException: Invalid data type for 'S'");
    EXPECT_EQ(caught("r.OpenKeyReadOnly('\\Software\\QBX Script Test'); r.WriteString('S', 'y')"),
              "ERegistryException: Failed to set data for 'S'");
    EXPECT_EQ(caught("r.CloseKey; r.WriteString('S', 'z')"),
              "ERegistryException: Failed to set data for 'S'");
    EXPECT_EQ(caught("r.RootKey := 12345; r.CreateKey('X')"),
              "ERegistryException: Failed to create key X");
    EXPECT_EQ(outcome("var r: TRegistry; begin r := TRegistry.Create; r.Free; try r.CloseKey "
                      "except on E: EAccessViolation do Result := 'freed' end end."),
              "freed");
    EXPECT_EQ(outcome("var r: TRegistry; begin r := nil; r.Free; Result := 'nil freed' end."),
              "nil freed");
    // Objects never freed run out before memory does.
    EXPECT_EQ(outcome("var r: TRegistry; i: Integer; begin try for i := 1 to 1000 do "
                      "r := TRegistry.Create except on E: EOutOfResources do Result := 'bounded' "
                      "end end."),
              "bounded");
    EXPECT_EQ(outcome("var r: TRegistry; begin r := TRegistry.Create; r.Missing end."),
              "!Line 1, column 50: Unknown member 'Missing'");
}

}  // namespace
}  // namespace qbx::scripting::pascal
