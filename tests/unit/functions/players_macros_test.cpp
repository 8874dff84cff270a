// The player macros, called as the host calls them, over a desktop furnished by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/macro_fixture.h"

namespace qbx::functions::players {
namespace {

class PlayerMacros : public test::MacroFixture {
protected:
    test::FakeDesktopWindows::Window& open(const std::string& className,
                                           const std::string& caption) {
        return fake.desktopWindows.add(className, caption);
    }
};

TEST_F(PlayerMacros, NothingRunning) {
    EXPECT_EQ(run("NP"), "silence");
    EXPECT_EQ(run("NP", {"quiet"}), "quiet");
    EXPECT_EQ(run("NPP"), "");
    const std::vector<std::pair<const char*, std::string>> titles = {
        {"WANP", "WinAMP is not active"},
        {"FBNP", "Foobar2000 is not active"},
        {"STPNP", "System Tray Player is not active"},
        {"APNP", "Apollo Player is not active"},
        {"QCDNP", "Quintessential Player is not active"},
        {"1B1NP", "1by1 is not active"}};
    for (const auto& [name, expected] : titles) EXPECT_EQ(run(name), expected) << name;
    for (const char* name : {"QCDTIME", "QCDPLPOS", "1B1TIME", "WAVER", "WASTATUS", "WAPOS",
                             "WAPLLEN", "WAPLPOS", "WARATE", "WABITRATE", "WACH", "WAEQ"})
        EXPECT_EQ(run(name, {"5"}), "") << name;
    for (const char* name : {"WAIF", "FBIF", "STPIF", "QCDIF", "1B1IF", "APIF", "NPIF"})
        EXPECT_EQ(run(name, {"yes", "no"}), "no") << name;
}

TEST_F(PlayerMacros, EachIfMacroLooksForItsOwnPlayer) {
    struct Case {
        const char* className;
        const char* caption;
        std::vector<std::string> yes;  // the macros that answer argument 0
    };
    const std::vector<Case> cases = {
        {"Winamp v1.x", "1. a - Winamp", {"WAIF", "NPIF"}},
        {"FOOBAR2000_CLASS", "a [foobar]", {"FBIF", "NPIF"}},
        {"STPAppClass", "STP: a", {"STPIF", "NPIF"}},
        {"PlayerCanvas", "[1. 0:01] a", {"QCDIF", "NPIF"}},
        {"1by1WndClass", "0'01 a", {"1B1IF", "NPIF"}},
        {"Apollo - Main Window", "Apollo", {"APIF", "NPIF"}},
        {"ZP", "a - Zoom Player", {"NPIF"}},
        {"LightAlloyFront", "a - Light Alloy", {"NPIF"}},
        {"MediaPlayerClassicW", "a - Media Player Classic", {}},
    };
    for (const Case& c : cases) {
        fake.desktopWindows.windows.clear();
        open(c.className, c.caption);
        for (const char* name : {"WAIF", "FBIF", "STPIF", "QCDIF", "1B1IF", "APIF", "NPIF"}) {
            const bool yes = std::find(c.yes.begin(), c.yes.end(), name) != c.yes.end();
            EXPECT_EQ(run(name, {"yes", "no"}), yes ? "yes" : "no") << c.className << " " << name;
        }
    }
}

TEST_F(PlayerMacros, WinampAndFoobarTogether) {
    open("Winamp v1.x", "12. Artist - Title - Winamp");
    open("FOOBAR2000_CLASS", "Band - Song [foobar2000 v0.9.4]");
    EXPECT_EQ(run("NPP"), "Foobar");
    EXPECT_EQ(run("NP"), "Band - Song");
    EXPECT_EQ(run("WANP"), "Artist - Title");
    EXPECT_EQ(run("FBNP"), "Band - Song");
}

TEST_F(PlayerMacros, QuintessentialAnd1by1Captions) {
    open("PlayerCanvas", "[3. 2:15] Artist - Title");
    open("1by1WndClass", "1by1 - The Directory Player");
    EXPECT_EQ(run("QCDNP"), "Artist - Title");
    EXPECT_EQ(run("QCDTIME"), "2:15");
    EXPECT_EQ(run("QCDPLPOS"), "3. ");
    EXPECT_EQ(run("1B1NP"), "");
    EXPECT_EQ(run("1B1TIME"), "0:00");
    fake.desktopWindows.windows[0].caption = "Quintessential Player 3.3";
    EXPECT_EQ(run("QCDNP"), "Quintessential Player is not active");
    EXPECT_EQ(run("QCDTIME"), "");
    EXPECT_EQ(run("QCDIF", {"yes", "no"}), "no");
}

// A caption is another program's text: "$$" and "%" in it stay as they are.
TEST_F(PlayerMacros, CaptionsAreAnsweredAsTheyStand) {
    open("Winamp v1.x", "1. $$year %NP $$ZVX - Winamp");
    EXPECT_EQ(run("WANP"), "$$year %NP $$ZVX");
    EXPECT_EQ(run("NP"), "$$year %NP $$ZVX");
    EXPECT_EQ(run("WAIF", {"$$up", ""}), "$$up");
}

TEST_F(PlayerMacros, WinampThroughItsMessages) {
    auto& window = open("Winamp v1.x", "1. Song - Winamp");
    window.replies = {{{0, 0}, 0x2091}, {{104, 0}, 1},  {{105, 0}, 83456}, {{124, 0}, 7},
                      {{125, 0}, 2},    {{126, 0}, 44}, {{126, 1}, 192},   {{126, 2}, 1}};
    for (std::uintptr_t band = 0; band <= 10; ++band) window.replies[{127, band}] = 63;
    EXPECT_EQ(run("WAVER"), "2.01");
    EXPECT_EQ(run("WASTATUS"), "Playing");
    EXPECT_EQ(run("WAPOS"), "1:23.45");
    EXPECT_EQ(run("WAPLLEN"), "7");
    EXPECT_EQ(run("WAPLPOS"), "3");
    EXPECT_EQ(run("WARATE"), "44");
    EXPECT_EQ(run("WABITRATE"), "192");
    EXPECT_EQ(run("WACH"), "mono");
    EXPECT_EQ(run("WAEQ", {"3"}), "          \r\n          \r\n$$$$$$$$$$\r\n");
    EXPECT_EQ(run("WAEQ", {"0"}).size(), 9u * 12u);
    EXPECT_EQ(run("WAEQ", {"2"}).size(), 3u * 12u);
    EXPECT_EQ(run("WAEQ", {"100"}).size(), 65u * 12u);
}

TEST_F(PlayerMacros, AHungWinampAnswersEmptyTexts) {
    auto& window = open("Winamp v1.x", "1. Song - Winamp");
    window.replies = {{{0, 0}, 0x2091}};
    window.hung = true;
    for (const char* name : {"WAVER", "WASTATUS", "WAPOS", "WAPLLEN", "WAPLPOS", "WARATE",
                             "WABITRATE", "WACH", "WAEQ"})
        EXPECT_EQ(run(name), "") << name;
    EXPECT_EQ(run("WANP"), "Song");
    EXPECT_FALSE(logged("ERROR"));
}

}  // namespace
}  // namespace qbx::functions::players
