#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "base/text.h"
#include "core/host_texts.h"
#include "core/version.h"

namespace qbx {
namespace {

TEST(CopyToHostBuffer, SizeQueriesCopyNothingOthersCopyAtMostSizeBytesAndNeverTerminate) {
    std::array<char, 16> buf{};
    buf.fill('#');
    EXPECT_EQ(copyToHostBuffer("Quilbex", nullptr, -1), 7);
    EXPECT_EQ(copyToHostBuffer("Quilbex", nullptr, 100), 7);
    EXPECT_EQ(copyToHostBuffer("Quilbex", buf.data(), -1), 7);
    EXPECT_EQ(copyToHostBuffer(kVersionText, nullptr, 0), 23);
    EXPECT_EQ(copyToHostBuffer("Quilbex", buf.data(), 0), 0);
    EXPECT_EQ(copyToHostBuffer("", buf.data(), 16), 0);
    EXPECT_EQ(std::string(buf.data(), buf.size()), std::string(16, '#'));
    EXPECT_EQ(copyToHostBuffer("Quilbex", buf.data(), 3), 3);
    EXPECT_EQ(std::string(buf.data(), 4), "Qui#");  // the byte after is untouched
    EXPECT_EQ(copyToHostBuffer(std::string("a\0\xFF", 3), buf.data(), 100), 3);  // room to spare
    EXPECT_EQ(std::memcmp(buf.data(), "a\0\xFF#", 4), 0);
    EXPECT_EQ(copyToHostBuffer("Quilbex", buf.data(), std::numeric_limits<std::int32_t>::max()), 7);
}

TEST(AboutPage, ShowsTheVersionInPlaceOfTheMarker) {
    const std::string page = buildAboutPage();
    EXPECT_NE(page.find("Version&nbsp; 2.4.1202 Summer edition"), std::string::npos);
    EXPECT_EQ(page.find("0.0"), std::string::npos);
    EXPECT_NE(page.find("Quilbex"), std::string::npos);
    EXPECT_NE(page.find("charset=windows-1251"), std::string::npos);
    EXPECT_EQ(page.rfind("</html>"), page.size() - std::strlen("</html>\r\n"));
}

// A list of three names stands for the product's while a test runs.
constexpr std::string_view kNames[] = {"ZVX", "ZVXVER", "QCDTIME"};

class MacroList : public ::testing::Test {
protected:
    MacroList() { installOfferedMacroNames(kNames); }
    ~MacroList() override { installOfferedMacroNames(before_); }
    std::span<const std::string_view> before_ = offeredMacroNames();
};

TEST_F(MacroList, TheInstalledNamesOneALine) {
    EXPECT_EQ(offeredMacroNames().size(), 3u);
    EXPECT_EQ(buildMacroList(""), "ZVX\r\nZVXVER\r\nQCDTIME\r\n");
    EXPECT_EQ(macroCount(""), "3");
}

TEST_F(MacroList, StoredScriptsFollowAsFnLinesAndAreCounted) {
    const std::string list = buildMacroList("a\r\nb\r\n");
    EXPECT_EQ(list, buildMacroList("") + "FNa\r\nFNb\r\n");
    EXPECT_EQ(macroCount("a\r\nb\r\n"), "5");
    // No final line break, blank lines in between and bare LF change nothing.
    EXPECT_EQ(buildMacroList("a\r\n\r\nb"), list);
    EXPECT_EQ(buildMacroList("a\nb\n"), list);
    EXPECT_EQ(macroCount("a\r\n\r\nb"), "5");
    EXPECT_EQ(macroCount("\r\n"), "3");
    const std::string scripts = "one\r\ntwo words\r\n\xC8\xEC\xFF\r\n";
    EXPECT_EQ(macroCount(scripts),
              decimal(static_cast<std::int64_t>(splitLines(buildMacroList(scripts)).size())));
}

}  // namespace
}  // namespace qbx
