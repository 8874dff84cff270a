// The media players running on this desktop: which one plays, and what. The players are other
// makers' programs, found by their top-level windows; their titles are cut out of the window
// captions, and Winamp also answers questions through its window messages. Nothing is kept
// between calls: every query looks at the desktop afresh.
//
// Captions are other programs' texts: they are cut and returned as they stand, never expanded.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/strings.h"
#include "platform/desktop_windows.h"

namespace qbx::functions::players {

// Interface texts of the player queries.
inline constexpr int kSilenceText = 149;
inline constexpr int kPlayingText = 150;
inline constexpr int kPausedText = 151;
inline constexpr int kStoppedText = 152;
inline constexpr int kWinampNotActiveText = 153;
inline constexpr int kStereoText = 154;
inline constexpr int kMonoText = 155;
inline constexpr int kFoobarNotActiveText = 156;
inline constexpr int kOneByOneNotActiveText = 157;
inline constexpr int kSystemTrayPlayerNotActiveText = 158;
inline constexpr int kQuintessentialNotActiveText = 159;
inline constexpr int kApolloNotActiveText = 160;
// A player without a not-active text of its own: the string table reads index 0 as empty.
inline constexpr int kNoText = 0;

// In the order in which the name and title queries try them: the first one found wins.
enum class Player {
    LightAlloy,
    Quintessential,
    Apollo,
    Foobar,
    OneByOne,
    Winamp,
    SystemTrayPlayer,
    MediaPlayerClassic,
    ZoomPlayer,
};

enum class Presence {
    WindowOfClass,           // a window of one of the classes exists
    WindowOfClassNotQuinte,  // ... and its caption does not begin with "Quinte" (the idle player)
    CaptionMarker,           // some top-level window's caption holds the marker
};

struct PlayerRow {
    Player player;
    std::string_view name;  // as NPP answers it
    Presence presence;
    std::array<std::string_view, 2> finders;  // window classes tried in order, or the marker
    // The class of the window whose caption holds the title, when it is not the window found.
    std::string_view titleClass;
    std::string (*cutTitle)(std::string_view caption);
    bool untitledIsNotActive;  // an empty cut answers the not-active text
    int notActiveText;         // kNoText: the empty text
};

std::span<const PlayerRow> playerRows();
const PlayerRow& playerRow(Player player);

// ---- the caption cuts ---------------------------------------------------------------------

std::string lightAlloyTitle(std::string_view caption);
std::string quintessentialTitle(std::string_view caption);
std::string foobarTitle(std::string_view caption);
std::string oneByOneTitle(std::string_view caption);
std::string winampTitle(std::string_view caption);
std::string systemTrayPlayerTitle(std::string_view caption);
std::string mediaPlayerClassicTitle(std::string_view caption);
std::string zoomPlayerTitle(std::string_view caption);

// The time and the playlist position that Quintessential Player shows between brackets, and
// the time that 1by1 shows before its first blank ("1by1" alone is 0:00).
std::string quintessentialTimeOf(std::string_view caption);
std::string quintessentialPlaylistPosOf(std::string_view caption);
std::string oneByOneTimeOf(std::string_view caption);

// ---- the queries over the desktop ------------------------------------------------------------

// A player found: its row, its window and that window's caption.
struct FoundPlayer {
    const PlayerRow* row = nullptr;
    WindowHandle window = 0;
    std::string caption;
};

std::optional<FoundPlayer> findPlayer(DesktopWindows& desktop, Player player);
bool isPlayerActive(DesktopWindows& desktop, Player player);
// The player's title; its not-active text when it is not found.
std::string playerTitle(DesktopWindows& desktop, const StringTable& strings, Player player);
// The name of the first player found; empty when none is.
std::string activePlayerName(DesktopWindows& desktop);
// The title of the first player found; the fallback when that is empty or none is found.
std::string nowPlaying(DesktopWindows& desktop, const StringTable& strings,
                       std::string_view fallback);

// Empty when the player is not found.
std::string quintessentialTime(DesktopWindows& desktop);
std::string quintessentialPlaylistPos(DesktopWindows& desktop);
std::string oneByOneTime(DesktopWindows& desktop);

// ---- Winamp's window messages ----------------------------------------------------------------

inline constexpr std::string_view kWinampClass = "Winamp v1.x";

// Message codes (lParam of WM_USER); the data goes in wParam.
inline constexpr std::intptr_t kWinampVersionCode = 0;
inline constexpr std::intptr_t kWinampStateCode = 104;
inline constexpr std::intptr_t kWinampPositionCode = 105;  // data 0 ms played, 1 length in s
inline constexpr std::intptr_t kWinampPlaylistLengthCode = 124;
inline constexpr std::intptr_t kWinampPlaylistPosCode = 125;
inline constexpr std::intptr_t kWinampStreamCode = 126;     // data 0 rate, 1 bit rate, 2 channels
inline constexpr std::intptr_t kWinampEqualizerCode = 127;  // data 0..9 bands, 10 pre-amplifier

inline constexpr int kEqualizerBands = 10;
inline constexpr std::int32_t kEqualizerMax = 63;

// The reply of the first Winamp window; nothing when there is none or it does not answer in
// time (a hung player counts as none).
std::optional<std::int32_t> winampCommand(DesktopWindows& desktop, std::intptr_t code,
                                          std::uintptr_t data);

// Every Winamp query answers the empty text when Winamp is not found or does not answer.
std::string winampVersion(DesktopWindows& desktop);
// Empty texts stand for Strings[150], [151] and [152].
std::string winampStatus(DesktopWindows& desktop, const StringTable& strings,
                         std::string_view playing, std::string_view paused,
                         std::string_view stopped);
// Mode 0: the play position, minutes:seconds.hundredths; any other: the track length m:ss.
std::string winampPosition(DesktopWindows& desktop, int mode);
std::string winampPlaylistLength(DesktopWindows& desktop);
std::string winampPlaylistPos(DesktopWindows& desktop);  // counted from 1
std::string winampSampleRate(DesktopWindows& desktop);
std::string winampBitRate(DesktopWindows& desktop);
std::string winampChannelCount(DesktopWindows& desktop);
std::string winampChannelsText(DesktopWindows& desktop, const StringTable& strings);
std::string winampEqualizer(DesktopWindows& desktop, int rows);

// The pure parts of the Winamp answers.
std::string winampVersionText(std::int32_t reply);
std::string winampPositionText(std::int32_t reply, int mode);
// 0 asks for 9 rows; then 3 .. 65.
int equalizerRows(int requested);
// The bands 0..9 and the pre-amplifier (index 10), each clamped to 0..63, as a picture of the
// given number of rows (equalizerRows applied), each line ending in CR LF.
std::string equalizerPicture(const std::array<std::int32_t, kEqualizerBands + 1>& values, int rows);

}  // namespace qbx::functions::players
