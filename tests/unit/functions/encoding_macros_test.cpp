// The encoding macros, called as the host calls them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "base/text.h"
#include "support/macro_fixture.h"

namespace qbx::functions::encoding {
namespace {

using namespace std::string_literals;
using Args = std::vector<std::string>;

class EncodingMacros : public test::MacroFixture {};

TEST_F(EncodingMacros, DigestsChecksumsAndXor) {
    const std::vector<std::tuple<std::string, Args, std::string>> cases = {
        {"ZVXCRC32", {"123456789"}, "340BC6D9"},
        {"ZVXCRC16", {"123456789"}, "6F91"},
        {"ZVXCRC32", {}, "FFFFFFFF"},
        {"ZVXCRC16", {}, "FFFF"},
        // The low byte of the key.
        {"ZVXXOR", {"aB", "32"}, "Ab"},
        {"ZVXXOR", {"text", "256"}, "text"},
        {"ZVXXOR", {"\x0f", "-1"}, "\xf0"},
        {"ZVXXOR", {"text", "0"}, "text"},
        // The raw digest, its zero byte included.
        {"ZVXMD5", {"abc"}, "\x90\x01\x50\x98\x3c\xd2\x4f\xb0\xd6\x96\x3f\x7d\x28\xe1\x7f\x72"},
        {"ZVXMD5", {}, "\xd4\x1d\x8c\xd9\x8f\x00\xb2\x04\xe9\x80\x09\x98\xec\xf8\x42\x7e"s}};
    for (const auto& [name, args, expected] : cases)
        EXPECT_EQ(run(name, args), expected) << name << " " << (args.empty() ? "" : args[0]);
}

class UuMacro : public test::MacroFixture {};

TEST_F(UuMacro, PutsAFileOfTheModulesFolderIntoTheMessage) {
    plugin.settings.installDir = "C:\\QBX\\";
    fake.files.put("C:\\QBX\\cat.txt", "Cat");
    EXPECT_EQ(run("ZVXPUTUUE", {"cat.txt"}), "begin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\n");
    EXPECT_TRUE(logged("UUEENCODE: cat.txt"));
    EXPECT_TRUE(logged("result is set (34 bytes)"));
    logLines.clear();
    EXPECT_EQ(run("ZVXPUTUUE", {"C:\\QBX\\none.bin"}), "n/a");
    EXPECT_EQ(logLines, (std::vector<std::string>{"TBP_ExecMacro [%ZVXPUTUUE]",
                                                  "UUEENCODE: C:\\QBX\\none.bin"}));
    fake.files.put("C:\\QBX\\big.bin", std::string((std::size_t{8} << 20) + 1, 'x'));
    EXPECT_EQ(run("ZVXPUTUUE", {"big.bin"}), "n/a");
    EXPECT_TRUE(logged("@@ ZVXPUTUUE: cannot read C:\\QBX\\big.bin"));
    plugin.settings.installDir.clear();
    EXPECT_EQ(run("ZVXPUTUUE", {"cat.txt"}), "n/a");  // no module folder: nothing is read
}

}  // namespace
}  // namespace qbx::functions::encoding
