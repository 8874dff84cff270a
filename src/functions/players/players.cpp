#include "functions/players/players.h"

#include <algorithm>
#include <cstdlib>

#include "base/text.h"

namespace qbx::functions::players {
namespace {

// The caption's part before the first marker; nothing when the marker is missing.
std::optional<std::string_view> before(std::string_view caption, std::string_view marker) {
    const std::size_t at = caption.find(marker);
    if (at == std::string_view::npos) return std::nullopt;
    return caption.substr(0, at);
}

// The caption's part after the first marker; the whole caption when the marker is missing.
std::string_view afterOrWhole(std::string_view caption, std::string_view marker) {
    const std::size_t at = caption.find(marker);
    return at == std::string_view::npos ? caption : caption.substr(at + marker.size());
}

std::string decimalText(std::int64_t value) { return decimal(value); }

std::string twoDigits(std::int64_t value) { return padLeft(decimal(value), 2, '0'); }

}  // namespace

// ---- the caption cuts ---------------------------------------------------------------------

std::string lightAlloyTitle(std::string_view caption) {
    return std::string(before(caption, " - Light Alloy").value_or(caption));
}

std::string quintessentialTitle(std::string_view caption) {
    // The bracket holds the playlist number and the time, and a blank follows it. Without one
    // the title starts at the second character, as it always has: the "]" counts as found
    // before the first.
    const std::size_t bracket = caption.find(']');
    const std::size_t start = bracket == std::string_view::npos ? 1 : bracket + 2;
    if (start > caption.size()) return {};
    return std::string(caption.substr(start));
}

std::string foobarTitle(std::string_view caption) {
    const std::optional<std::string_view> title = before(caption, "[foobar");
    return title ? std::string(trimBlankOrControl(*title)) : std::string();
}

std::string oneByOneTitle(std::string_view caption) {
    const std::string_view title = afterOrWhole(caption, " ");
    if (title == "- The Directory Player" || title == "1by1") return {};
    return std::string(title);
}

std::string winampTitle(std::string_view caption) {
    const std::optional<std::string_view> cut = before(caption, "- Winamp");
    if (!cut) return {};
    // The playlist number goes.
    return std::string(afterOrWhole(trimBlankOrControl(*cut), ". "));
}

std::string systemTrayPlayerTitle(std::string_view caption) {
    return std::string(caption.substr(std::min<std::size_t>(5, caption.size())));
}

std::string mediaPlayerClassicTitle(std::string_view caption) {
    return std::string(before(caption, " - Media Player Classic").value_or(caption));
}

std::string zoomPlayerTitle(std::string_view caption) {
    return std::string(before(caption, "- Zoom Player").value_or(std::string_view()));
}

std::string quintessentialTimeOf(std::string_view caption) {
    const std::string_view time = afterOrWhole(afterOrWhole(caption, "["), " ");
    return std::string(before(time, "]").value_or(std::string_view()));
}

std::string quintessentialPlaylistPosOf(std::string_view caption) {
    const std::string_view position = afterOrWhole(caption, "[");
    const std::size_t blank = position.find(' ');
    return blank == std::string_view::npos ? std::string()
                                           : std::string(position.substr(0, blank + 1));
}

std::string oneByOneTimeOf(std::string_view caption) {
    std::string time(before(caption, " ").value_or(std::string_view()));
    if (time == "1by1") time = "0'00";
    std::replace(time.begin(), time.end(), '\'', ':');
    return time;
}

// ---- the table of players ----------------------------------------------------------------------

namespace {

constexpr PlayerRow kPlayers[] = {
    {Player::LightAlloy,
     "LightAlloy",
     Presence::WindowOfClass,
     {"LightAlloyFront", {}},
     {},
     lightAlloyTitle,
     false,
     kNoText},
    {Player::Quintessential,
     "Quintessential Player",
     Presence::WindowOfClassNotQuinte,
     {"PlayerCanvas", {}},
     {},
     quintessentialTitle,
     true,
     kQuintessentialNotActiveText},
    // Apollo's title is on the window it keeps for Winamp's plug-ins.
    {Player::Apollo,
     "Apollo",
     Presence::WindowOfClass,
     {"Apollo - Main Window", {}},
     kWinampClass,
     winampTitle,
     false,
     kApolloNotActiveText},
    {Player::Foobar,
     "Foobar",
     Presence::WindowOfClass,
     {"FOOBAR2000_CLASS", "{DA7CD0DE-1602-45e6-89A1-C2CA151E008E}"},
     {},
     foobarTitle,
     false,
     kFoobarNotActiveText},
    {Player::OneByOne,
     "1by1",
     Presence::WindowOfClass,
     {"1by1WndClass", {}},
     {},
     oneByOneTitle,
     false,
     kOneByOneNotActiveText},
    {Player::Winamp,
     "WinAMP",
     Presence::WindowOfClass,
     {kWinampClass, {}},
     {},
     winampTitle,
     false,
     kWinampNotActiveText},
    {Player::SystemTrayPlayer,
     "System Tray Player",
     Presence::WindowOfClass,
     {"STPAppClass", {}},
     {},
     systemTrayPlayerTitle,
     false,
     kSystemTrayPlayerNotActiveText},
    {Player::MediaPlayerClassic,
     "Media Player Classic",
     Presence::WindowOfClass,
     {"MediaPlayerClassicW", {}},
     {},
     mediaPlayerClassicTitle,
     false,
     kNoText},
    {Player::ZoomPlayer,
     "Zoom Player",
     Presence::CaptionMarker,
     {"- Zoom Player", {}},
     {},
     zoomPlayerTitle,
     false,
     kNoText},
};

std::optional<FoundPlayer> findByClass(DesktopWindows& desktop, const PlayerRow& row) {
    for (const std::string_view className : row.finders) {
        if (className.empty()) continue;
        const WindowHandle window = desktop.findWindowByClass(className);
        if (window == 0) continue;
        FoundPlayer found{&row, window,
                          desktop.windowCaption(window, DesktopWindows::kMaxCaptionChars)};
        if (row.presence == Presence::WindowOfClassNotQuinte && found.caption.starts_with("Quinte"))
            return std::nullopt;
        return found;
    }
    return std::nullopt;
}

std::optional<FoundPlayer> findByCaption(DesktopWindows& desktop, const PlayerRow& row) {
    std::optional<FoundPlayer> found;
    desktop.forEachTopLevelWindow([&](WindowHandle window, std::string_view caption) {
        if (caption.find(row.finders[0]) == std::string_view::npos) return true;
        found = FoundPlayer{&row, window, std::string(caption)};
        return false;
    });
    return found;
}

std::string titleOf(DesktopWindows& desktop, const StringTable& strings, const FoundPlayer& found) {
    const PlayerRow& row = *found.row;
    std::string title;
    if (row.titleClass.empty()) {
        title = row.cutTitle(found.caption);
    } else {
        const WindowHandle window = desktop.findWindowByClass(row.titleClass);
        if (window != 0)
            title = row.cutTitle(desktop.windowCaption(window, DesktopWindows::kMaxCaptionChars));
    }
    if (title.empty() && row.untitledIsNotActive) return strings[row.notActiveText];
    return title;
}

std::optional<FoundPlayer> firstActivePlayer(DesktopWindows& desktop) {
    for (const PlayerRow& row : kPlayers)
        if (std::optional<FoundPlayer> found = findPlayer(desktop, row.player)) return found;
    return std::nullopt;
}

}  // namespace

std::span<const PlayerRow> playerRows() { return kPlayers; }

const PlayerRow& playerRow(Player player) { return kPlayers[static_cast<std::size_t>(player)]; }

// ---- the queries over the desktop ------------------------------------------------------------

std::optional<FoundPlayer> findPlayer(DesktopWindows& desktop, Player player) {
    const PlayerRow& row = playerRow(player);
    return row.presence == Presence::CaptionMarker ? findByCaption(desktop, row)
                                                   : findByClass(desktop, row);
}

bool isPlayerActive(DesktopWindows& desktop, Player player) {
    return findPlayer(desktop, player).has_value();
}

std::string playerTitle(DesktopWindows& desktop, const StringTable& strings, Player player) {
    const std::optional<FoundPlayer> found = findPlayer(desktop, player);
    if (!found) return strings[playerRow(player).notActiveText];
    return titleOf(desktop, strings, *found);
}

std::string activePlayerName(DesktopWindows& desktop) {
    const std::optional<FoundPlayer> found = firstActivePlayer(desktop);
    return found ? std::string(found->row->name) : std::string();
}

std::string nowPlaying(DesktopWindows& desktop, const StringTable& strings,
                       std::string_view fallback) {
    const std::optional<FoundPlayer> found = firstActivePlayer(desktop);
    std::string title = found ? titleOf(desktop, strings, *found) : std::string();
    return title.empty() ? std::string(fallback) : title;
}

std::string quintessentialTime(DesktopWindows& desktop) {
    const std::optional<FoundPlayer> found = findPlayer(desktop, Player::Quintessential);
    return found ? quintessentialTimeOf(found->caption) : std::string();
}

std::string quintessentialPlaylistPos(DesktopWindows& desktop) {
    const std::optional<FoundPlayer> found = findPlayer(desktop, Player::Quintessential);
    return found ? quintessentialPlaylistPosOf(found->caption) : std::string();
}

std::string oneByOneTime(DesktopWindows& desktop) {
    const std::optional<FoundPlayer> found = findPlayer(desktop, Player::OneByOne);
    return found ? oneByOneTimeOf(found->caption) : std::string();
}

// ---- Winamp's window messages ----------------------------------------------------------------

std::optional<std::int32_t> winampCommand(DesktopWindows& desktop, std::intptr_t code,
                                          std::uintptr_t data) {
    const WindowHandle window = desktop.findWindowByClass(kWinampClass);
    if (window == 0) return std::nullopt;
    return desktop.sendUserMessage(window, data, code);
}

std::string winampVersionText(std::int32_t reply) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    auto value = static_cast<std::uint32_t>(reply);
    do {
        hex.insert(hex.begin(), kDigits[value % 16]);
        value /= 16;
    } while (value != 0);
    // The 1st, 2nd and 4th digits (0x2091 is 2.01); a shorter number gives what it has.
    std::string version(1, hex[0]);
    if (hex.size() >= 2) version += {'.', hex[1]};
    if (hex.size() >= 4) version += hex[3];
    return version;
}

std::string winampPositionText(std::int32_t reply, int mode) {
    const std::int64_t value = std::max<std::int32_t>(reply, 0);  // a stopped player says -1
    if (mode == 0) {
        const std::int64_t seconds = value / 1000;
        const std::int64_t hundredths = (value % 1000) / 10;
        return decimalText(seconds / 60) + ':' + twoDigits(seconds % 60) + '.' +
               twoDigits(hundredths);
    }
    return decimalText(value / 60) + ':' + twoDigits(value % 60);
}

std::string winampVersion(DesktopWindows& desktop) {
    const std::optional<std::int32_t> reply = winampCommand(desktop, kWinampVersionCode, 0);
    return reply ? winampVersionText(*reply) : std::string();
}

std::string winampStatus(DesktopWindows& desktop, const StringTable& strings,
                         std::string_view playing, std::string_view paused,
                         std::string_view stopped) {
    const std::optional<std::int32_t> state = winampCommand(desktop, kWinampStateCode, 0);
    if (!state) return {};
    const auto orDefault = [&](std::string_view text, int index) {
        return text.empty() ? strings[index] : std::string(text);
    };
    if (*state == 1) return orDefault(playing, kPlayingText);
    if (*state == 3) return orDefault(paused, kPausedText);
    return orDefault(stopped, kStoppedText);
}

std::string winampPosition(DesktopWindows& desktop, int mode) {
    const std::optional<std::int32_t> reply =
        winampCommand(desktop, kWinampPositionCode, static_cast<std::uint32_t>(mode));
    return reply ? winampPositionText(*reply, mode) : std::string();
}

namespace {

std::string decimalReply(DesktopWindows& desktop, std::intptr_t code, std::uintptr_t data,
                         std::int64_t added = 0) {
    const std::optional<std::int32_t> reply = winampCommand(desktop, code, data);
    return reply ? decimalText(*reply + added) : std::string();
}

}  // namespace

std::string winampPlaylistLength(DesktopWindows& desktop) {
    return decimalReply(desktop, kWinampPlaylistLengthCode, 0);
}

std::string winampPlaylistPos(DesktopWindows& desktop) {
    return decimalReply(desktop, kWinampPlaylistPosCode, 0, 1);
}

std::string winampSampleRate(DesktopWindows& desktop) {
    return decimalReply(desktop, kWinampStreamCode, 0);
}

std::string winampBitRate(DesktopWindows& desktop) {
    return decimalReply(desktop, kWinampStreamCode, 1);
}

std::string winampChannelCount(DesktopWindows& desktop) {
    return decimalReply(desktop, kWinampStreamCode, 2);
}

std::string winampChannelsText(DesktopWindows& desktop, const StringTable& strings) {
    const std::optional<std::int32_t> channels = winampCommand(desktop, kWinampStreamCode, 2);
    if (!channels) return {};
    return strings[*channels == 2 ? kStereoText : kMonoText];
}

// ---- the equaliser picture -------------------------------------------------------------------

namespace {

// numerator / denominator (denominator > 0) to the nearest integer, halves to the even one;
// exact, so that the ties of the picture fall the same way on every machine.
std::int64_t roundHalfEven(std::int64_t numerator, std::int64_t denominator) {
    std::int64_t quotient = numerator / denominator;
    std::int64_t remainder = numerator % denominator;
    if (remainder < 0) {
        --quotient;
        remainder += denominator;
    }
    const std::int64_t twice = 2 * remainder;
    if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
    return quotient;
}

}  // namespace

int equalizerRows(int requested) {
    if (requested == 0) return 9;
    return std::clamp(requested, 3, 65);
}

std::string equalizerPicture(const std::array<std::int32_t, kEqualizerBands + 1>& values,
                             int rows) {
    rows = equalizerRows(rows);
    std::array<std::int64_t, kEqualizerBands + 1> e{};
    for (std::size_t i = 0; i < e.size(); ++i) e[i] = std::clamp(values[i], 0, kEqualizerMax);
    const std::int64_t steps = rows - 1;
    const std::int64_t preRow = roundHalfEven(e[kEqualizerBands] * rows, kEqualizerMax);
    static constexpr char kMarks[] = "$Ss.";
    std::string picture;
    picture.reserve(static_cast<std::size_t>(rows) * (kEqualizerBands + 2));
    for (std::int64_t r = 0; r < rows; ++r) {
        const std::int64_t rowValue = roundHalfEven(r * kEqualizerMax, steps);
        for (int b = 0; b < kEqualizerBands; ++b) {
            const std::int64_t level = roundHalfEven(e[b] * steps, kEqualizerMax);
            if (r == level) {
                // How far the band's value lies from this row's, in quarters of a step.
                const std::int64_t offset =
                    std::abs(roundHalfEven(4 * (r * kEqualizerMax - e[b] * steps), steps));
                picture += kMarks[std::min<std::int64_t>(offset, 3)];
            } else if (e[b] < rowValue) {
                picture += '$';
            } else if (e[b] > rowValue) {
                picture += r == preRow ? '=' : ' ';
            }
        }
        picture += "\r\n";
    }
    return picture;
}

std::string winampEqualizer(DesktopWindows& desktop, int rows) {
    std::array<std::int32_t, kEqualizerBands + 1> values{};
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::optional<std::int32_t> reply = winampCommand(desktop, kWinampEqualizerCode, i);
        if (!reply) return {};
        values[i] = *reply;
    }
    return equalizerPicture(values, rows);
}

}  // namespace qbx::functions::players
