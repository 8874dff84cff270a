// The player queries over a desktop furnished by hand: which player is found, in which order,
// and what is cut out of its caption; Winamp's replies as texts and the equaliser picture.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

#include "functions/players/players.h"
#include "support/fake_desktop_windows.h"

namespace qbx::functions::players {
namespace {

using test::FakeDesktopWindows;

struct Window {
    std::string className;
    std::string caption;
};

class Players : public ::testing::Test {
protected:
    Players() { strings.reset(); }
    void furnish(const std::vector<Window>& windows) {
        desktop.windows.clear();
        for (const Window& w : windows) desktop.add(w.className, w.caption);
    }
    FakeDesktopWindows& winamp(
        std::map<std::pair<std::intptr_t, std::uintptr_t>, std::int32_t> replies) {
        desktop.add(std::string(kWinampClass), "1. Song - Winamp").replies = std::move(replies);
        return desktop;
    }
    FakeDesktopWindows desktop;
    StringTable strings;
};

constexpr const char* kFoobarGuid = "{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}";

TEST_F(Players, TitlesCutFromTheCaptions) {
    struct Case {
        Player player;
        std::vector<Window> windows;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {Player::Winamp, {{"Winamp v1.x", "12. Artist - Title - Winamp"}}, "Artist - Title"},
        {Player::Winamp, {{"Winamp v1.x", "Artist - Title"}}, ""},
        {Player::Winamp, {{"Winamp v1.x", "  7. A. B  - Winamp [Paused]"}}, "A. B"},
        {Player::Winamp, {{"Winamp v1.x", "$$year %NP - Winamp"}}, "$$year %NP"},
        {Player::Winamp, {}, "WinAMP is not active"},
        {Player::Foobar,
         {{"FOOBAR2000_CLASS", "  Artist - Song  [foobar2000 v0.9]"}},
         "Artist - Song"},
        {Player::Foobar, {{"FOOBAR2000_CLASS", "foobar2000"}}, ""},
        {Player::Foobar, {{kFoobarGuid, "Song [foobar2000 v1.6]"}}, "Song"},
        {Player::Foobar, {{"foobar", "Song [foobar2000]"}}, "Foobar2000 is not active"},
        {Player::Quintessential, {{"PlayerCanvas", "[3. 2:15] Artist - Title"}}, "Artist - Title"},
        {Player::Quintessential,
         {{"PlayerCanvas", "Quintessential Player 3.3"}},
         "Quintessential Player is not active"},
        {Player::Quintessential, {{"PlayerCanvas", "no bracket"}}, "o bracket"},
        {Player::Quintessential, {{"PlayerCanvas", "x"}}, "Quintessential Player is not active"},
        {Player::Quintessential,
         {{"PlayerCanvas", "[3. 2:15]"}},
         "Quintessential Player is not active"},
        {Player::OneByOne, {{"1by1WndClass", "1by1 - The Directory Player"}}, ""},
        {Player::OneByOne, {{"1by1WndClass", "1by1"}}, ""},
        {Player::OneByOne, {{"1by1WndClass", "3'25 Artist - Title"}}, "Artist - Title"},
        {Player::OneByOne, {}, "1by1 is not active"},
        {Player::SystemTrayPlayer, {{"STPAppClass", "STP: Artist - Title"}}, "Artist - Title"},
        {Player::SystemTrayPlayer, {{"STPAppClass", "STP"}}, ""},
        {Player::SystemTrayPlayer, {}, "System Tray Player is not active"},
        {Player::Apollo,
         {{"Apollo - Main Window", "Apollo"}, {"Winamp v1.x", "5. Song - Winamp"}},
         "Song"},
        {Player::Apollo, {{"Apollo - Main Window", "Apollo"}}, ""},
        {Player::Apollo, {{"Winamp v1.x", "5. Song - Winamp"}}, "Apollo Player is not active"},
        {Player::LightAlloy, {{"LightAlloyFront", "movie.avi - Light Alloy"}}, "movie.avi"},
        {Player::LightAlloy, {{"LightAlloyFront", "Light Alloy"}}, "Light Alloy"},
        {Player::LightAlloy, {}, ""},
        {Player::MediaPlayerClassic,
         {{"MediaPlayerClassicW", "film.mkv - Media Player Classic"}},
         "film.mkv"},
        {Player::MediaPlayerClassic,
         {{"MediaPlayerClassicW", "Media Player Classic"}},
         "Media Player Classic"},
        {Player::ZoomPlayer,
         {{"Shell_TrayWnd", ""}, {"ZPClass", "clip.mp4 - Zoom Player"}},
         "clip.mp4 "},
        {Player::ZoomPlayer, {{"ZPClass", "Zoom Player"}}, ""},
    };
    for (const Case& c : cases) {
        furnish(c.windows);
        const std::string shown = c.windows.empty() ? "(none)" : c.windows.back().caption;
        EXPECT_EQ(playerTitle(desktop, strings, c.player), c.expected)
            << playerRow(c.player).name << ": " << shown;
    }
}

TEST_F(Players, TheExtrasOfQuintessentialAnd1by1) {
    struct Case {
        std::string caption;
        std::string time;
        std::string position;
        std::string oneByOneTime;
    };
    const std::vector<Case> cases = {
        {"[3. 2:15] Artist - Title", "2:15", "3. ", "[3."},
        {"1by1 - The Directory Player", "", "1by1 ", "0:00"},
        {"3'25 Artist - Title", "", "3'25 ", "3:25"},
        {"[12.] x", "", "12.] ", "[12.]"},
        {"nothing", "", "", ""},
        {"", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(quintessentialTimeOf(c.caption), c.time) << c.caption;
        EXPECT_EQ(quintessentialPlaylistPosOf(c.caption), c.position) << c.caption;
        EXPECT_EQ(oneByOneTimeOf(c.caption), c.oneByOneTime) << c.caption;
    }
    // Nothing of them without the player.
    furnish({{"Other", "[3. 2:15] Artist"}});
    EXPECT_EQ(quintessentialTime(desktop), "");
    EXPECT_EQ(quintessentialPlaylistPos(desktop), "");
    EXPECT_EQ(oneByOneTime(desktop), "");
}

TEST_F(Players, TheFirstPlayerInTheFixedOrderWins) {
    const std::vector<std::string> names = {
        "LightAlloy",         "Quintessential Player", "Apollo",     "Foobar", "1by1", "WinAMP",
        "System Tray Player", "Media Player Classic",  "Zoom Player"};
    ASSERT_EQ(playerRows().size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(playerRows()[i].name, names[i]);
        EXPECT_EQ(static_cast<std::size_t>(playerRows()[i].player), i);
    }

    furnish({{"Winamp v1.x", "1. Winamp Song - Winamp"},
             {"FOOBAR2000_CLASS", "Foobar Song [foobar2000]"}});
    EXPECT_EQ(activePlayerName(desktop), "Foobar");
    EXPECT_EQ(nowPlaying(desktop, strings, "x"), "Foobar Song");

    // Each player alone is found under its own name; all of them together give the first.
    const std::vector<Window> each = {{"LightAlloyFront", "a - Light Alloy"},
                                      {"PlayerCanvas", "[1. 0:01] b"},
                                      {"Apollo - Main Window", "Apollo"},
                                      {"FOOBAR2000_CLASS", "d [foobar]"},
                                      {"1by1WndClass", "0'01 e"},
                                      {"Winamp v1.x", "1. f - Winamp"},
                                      {"STPAppClass", "STP: g"},
                                      {"MediaPlayerClassicW", "h - Media Player Classic"},
                                      {"ZP", "i - Zoom Player"}};
    for (std::size_t i = 0; i < each.size(); ++i) {
        furnish({each[i]});
        EXPECT_EQ(activePlayerName(desktop), names[i]);
    }
    furnish(std::vector<Window>(each.rbegin(), each.rend()));
    EXPECT_EQ(activePlayerName(desktop), "LightAlloy");
    EXPECT_EQ(nowPlaying(desktop, strings, "x"), "a");

    // An idle Quintessential Player does not hide the next one.
    furnish({{"PlayerCanvas", "Quintessential Player"}, {"1by1WndClass", "0'01 e"}});
    EXPECT_EQ(activePlayerName(desktop), "1by1");
}

TEST_F(Players, NothingPlayingGivesTheFallback) {
    furnish({{"Notepad", "text.txt - Notepad"}});
    EXPECT_EQ(activePlayerName(desktop), "");
    EXPECT_EQ(nowPlaying(desktop, strings, "quiet"), "quiet");
    // A player found with an empty title gives the fallback too.
    furnish({{"Winamp v1.x", "Winamp 2.91"}});
    EXPECT_EQ(activePlayerName(desktop), "WinAMP");
    EXPECT_EQ(nowPlaying(desktop, strings, "quiet"), "quiet");
}

TEST_F(Players, WinampVersionDigits) {
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0x2091, "2.01"}, {0x5666, "5.66"}, {0x209, "2.0"}, {0x50, "5.0"},
        {0x5, "5"},       {0, "0"},         {-1, "f.ff"},   {0x12345678, "1.24"}};
    for (const auto& [reply, expected] : cases)
        EXPECT_EQ(winampVersionText(reply), expected) << std::hex << reply;
}

TEST_F(Players, WinampPositions) {
    struct Case {
        std::int32_t reply;
        int mode;
        std::string expected;
    };
    const std::vector<Case> cases = {{83456, 0, "1:23.45"},
                                     {0, 0, "0:00.00"},
                                     {9, 0, "0:00.00"},
                                     {60000, 0, "1:00.00"},
                                     {-1, 0, "0:00.00"},
                                     {-83456, 0, "0:00.00"},
                                     {245, 1, "4:05"},
                                     {-5, 1, "0:00"},
                                     {3600 * 1000 + 1010, 0, "60:01.01"},
                                     {2147483647, 0, "35791:23.64"}};
    for (const Case& c : cases)
        EXPECT_EQ(winampPositionText(c.reply, c.mode), c.expected) << c.reply << " " << c.mode;
}

TEST_F(Players, WinampQueriesByTheirCodes) {
    winamp({{{0, 0}, 0x2091},
            {{104, 0}, 3},
            {{105, 0}, 83456},
            {{105, 1}, 245},
            {{124, 0}, 12},
            {{125, 0}, 4},
            {{126, 0}, 44},
            {{126, 1}, 128},
            {{126, 2}, 2}});
    EXPECT_EQ(winampVersion(desktop), "2.01");
    EXPECT_EQ(winampStatus(desktop, strings, "", "", ""), "Paused");
    EXPECT_EQ(winampStatus(desktop, strings, "P", "p", "s"), "p");
    EXPECT_EQ(winampPosition(desktop, 0), "1:23.45");
    EXPECT_EQ(winampPosition(desktop, 1), "4:05");
    EXPECT_EQ(winampPlaylistLength(desktop), "12");
    EXPECT_EQ(winampPlaylistPos(desktop), "5");
    EXPECT_EQ(winampSampleRate(desktop), "44");
    EXPECT_EQ(winampBitRate(desktop), "128");
    EXPECT_EQ(winampChannelCount(desktop), "2");
    EXPECT_EQ(winampChannelsText(desktop, strings), "stereo");

    const std::vector<std::pair<std::int32_t, std::string>> states = {
        {1, "Playing"}, {3, "Paused"}, {0, "Stopped"}, {2, "Stopped"}, {-1, "Stopped"}};
    for (const auto& [state, expected] : states) {
        desktop.windows[0].replies[{104, 0}] = state;
        EXPECT_EQ(winampStatus(desktop, strings, "", "", ""), expected) << state;
    }
    desktop.windows[0].replies[{126, 2}] = 1;
    EXPECT_EQ(winampChannelsText(desktop, strings), "mono");
    desktop.windows[0].replies[{125, 0}] = 2147483647;
    EXPECT_EQ(winampPlaylistPos(desktop), "2147483648");
}

TEST_F(Players, AHungOrMissingWinampAnswersNothing) {
    for (const bool present : {false, true}) {
        furnish({});
        if (present) winamp({{{0, 0}, 0x2091}}).windows[0].hung = true;
        EXPECT_EQ(winampVersion(desktop), "");
        EXPECT_EQ(winampStatus(desktop, strings, "", "", ""), "");
        EXPECT_EQ(winampPosition(desktop, 0), "");
        EXPECT_EQ(winampPlaylistLength(desktop), "");
        EXPECT_EQ(winampPlaylistPos(desktop), "");
        EXPECT_EQ(winampChannelCount(desktop), "");
        EXPECT_EQ(winampChannelsText(desktop, strings), "");
        desktop.messagesSent = 0;
        EXPECT_EQ(winampEqualizer(desktop, 9), "");
        // The first unanswered message ends the picture: no waiting eleven times.
        EXPECT_EQ(desktop.messagesSent, present ? 1 : 0);
    }
    // The caption needs no message: the title is still there.
    EXPECT_EQ(playerTitle(desktop, strings, Player::Winamp), "Song");
}

// Bands 0, 63, 31, 32, 16, 47, 10, 53, 40, 20 and the pre-amplifier 31 in three rows: the row
// values are 0, 32 (31.5 to even) and 63; the levels Round(e * 2 / 63) are 0 2 1 1 1 1 0 2 1 1;
// the pre-amplifier's row is Round(31 * 3 / 63) = 1. A band on its level gets the mark of its
// distance in quarter steps: band 2 on row 1 is (31.5 - 31) * 4 = 2 away, so "s".
TEST_F(Players, EqualizerPictureWorkedOutByHand) {
    const std::array<std::int32_t, 11> bands = {0, 63, 31, 32, 16, 47, 10, 53, 40, 20, 31};
    EXPECT_EQ(equalizerPicture(bands, 3),
              "$     .   \r\n"
              "$=ss..$=..\r\n"
              "$$$$$$$.$$\r\n");
    // Values out of 0..63 are drawn as the nearest end.
    const std::array<std::int32_t, 11> wild = {-7, 200, 31, 32, 16, 47, 10, 53, 40, 20, 31};
    EXPECT_EQ(equalizerPicture(wild, 3), equalizerPicture(bands, 3));
    // The pre-amplifier's row shows "=" where a band lies beyond it.
    const std::array<std::int32_t, 11> flat = {63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 0};
    EXPECT_EQ(equalizerPicture(flat, 3), "==========\r\n          \r\n$$$$$$$$$$\r\n");
    // In 65 rows, row 32 stands for 32 (31.5 to even) while a band of 32 lies on row 33
    // (32.5 to even is 32, but 32 * 64 / 63 is 32.51): the band is left out of row 32's line.
    const std::array<std::int32_t, 11> middle = {32, 32, 32, 32, 32, 32, 32, 32, 32, 32, 32};
    const std::string tall = equalizerPicture(middle, 65);
    std::vector<std::string> lines;
    for (std::size_t from = 0, at; (at = tall.find("\r\n", from)) != std::string::npos;
         from = at + 2)
        lines.push_back(tall.substr(from, at - from));
    ASSERT_EQ(lines.size(), 65u);
    EXPECT_EQ(lines[31], "          ");
    EXPECT_EQ(lines[32], "");
    EXPECT_EQ(lines[33], "ssssssssss");
    EXPECT_EQ(lines[34], "$$$$$$$$$$");
}

TEST_F(Players, EqualizerRowCounts) {
    const std::vector<std::pair<int, int>> cases = {
        {0, 9}, {1, 3},   {2, 3},   {3, 3},    {-5, 3},
        {9, 9}, {65, 65}, {66, 65}, {100, 65}, {-2147483647 - 1, 3}};
    winamp({{{127, 4}, 40}, {{127, 10}, 63}});
    for (const auto& [requested, lines] : cases) {
        const std::string picture = winampEqualizer(desktop, requested);
        std::size_t count = 0;
        for (std::size_t at = picture.find("\r\n"); at != std::string::npos;
             at = picture.find("\r\n", at + 2))
            ++count;
        EXPECT_EQ(count, static_cast<std::size_t>(lines)) << requested;
        EXPECT_TRUE(picture.ends_with("\r\n"));
    }
}

}  // namespace
}  // namespace qbx::functions::players
