// The identity macros, called as the host calls them.
#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "support/macro_fixture.h"

namespace qbx::functions::identity {
namespace {

class IdentityMacros : public test::MacroFixture {};

TEST_F(IdentityMacros, VersionsAndTheListOfEveryMacro) {
    EXPECT_EQ(run("ZVXVER"), "Quilbex 2.4.1202 Summer edition beta");
    EXPECT_EQ(run("ZVXSVER"), "QBX 2.4.1202 Summer edition");
    const std::string all = run("ZVX");
    EXPECT_EQ(all.rfind("Quilbex 2.4.1202 Summer edition\r\nZVX\r\nZVXVER\r\n", 0), 0u);
    EXPECT_EQ(splitLines(all).size(), 1u + 197u);
    EXPECT_EQ(all.substr(all.size() - 9), "QCDTIME\r\n");
}

}  // namespace
}  // namespace qbx::functions::identity
