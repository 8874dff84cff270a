#include "functions/players/players_macros.h"

#include <string>

#include "core/plugin.h"
#include "functions/players/players.h"
#include "macros/arguments.h"

namespace qbx::functions::players {
namespace {

using macros::MacroCall;

DesktopWindows& desktopOf(MacroCall& call) {
    static EmptyDesktopWindows empty;
    DesktopWindows* desktop = call.plugin.platform.desktopWindows;
    return desktop != nullptr ? *desktop : empty;
}

std::string ifActive(MacroCall& call, Player player) {
    return macros::getParamText(call.params, isPlayerActive(desktopOf(call), player) ? 0 : 1);
}

std::string titleOf(MacroCall& call, Player player) {
    return playerTitle(desktopOf(call), call.plugin.strings, player);
}

}  // namespace

std::string waIf(MacroCall& call) { return ifActive(call, Player::Winamp); }
std::string fbIf(MacroCall& call) { return ifActive(call, Player::Foobar); }
std::string stpIf(MacroCall& call) { return ifActive(call, Player::SystemTrayPlayer); }
std::string qcdIf(MacroCall& call) { return ifActive(call, Player::Quintessential); }
std::string oneByOneIf(MacroCall& call) { return ifActive(call, Player::OneByOne); }
std::string apIf(MacroCall& call) { return ifActive(call, Player::Apollo); }

std::string npIf(MacroCall& call) {
    static constexpr Player kTested[] = {
        Player::Winamp,         Player::Foobar, Player::OneByOne,   Player::SystemTrayPlayer,
        Player::Quintessential, Player::Apollo, Player::ZoomPlayer, Player::LightAlloy};
    DesktopWindows& desktop = desktopOf(call);
    for (const Player player : kTested)
        if (isPlayerActive(desktop, player)) return macros::getParamText(call.params, 0);
    return macros::getParamText(call.params, 1);
}

std::string npp(MacroCall& call) { return activePlayerName(desktopOf(call)); }

std::string np(MacroCall& call) {
    std::string title = nowPlaying(desktopOf(call), call.plugin.strings, {});
    if (title.empty()) title = macros::getParamText(call.params, 0);
    return title.empty() ? call.plugin.strings[kSilenceText] : title;
}

std::string waNp(MacroCall& call) { return titleOf(call, Player::Winamp); }
std::string fbNp(MacroCall& call) { return titleOf(call, Player::Foobar); }
std::string stpNp(MacroCall& call) { return titleOf(call, Player::SystemTrayPlayer); }
std::string apNp(MacroCall& call) { return titleOf(call, Player::Apollo); }
std::string qcdNp(MacroCall& call) { return titleOf(call, Player::Quintessential); }
std::string oneByOneNp(MacroCall& call) { return titleOf(call, Player::OneByOne); }

std::string qcdTime(MacroCall& call) { return quintessentialTime(desktopOf(call)); }
std::string qcdPlPos(MacroCall& call) { return quintessentialPlaylistPos(desktopOf(call)); }
std::string oneByOneTime(MacroCall& call) { return players::oneByOneTime(desktopOf(call)); }

std::string waVer(MacroCall& call) { return winampVersion(desktopOf(call)); }

std::string waStatus(MacroCall& call) {
    return winampStatus(desktopOf(call), call.plugin.strings, {}, {}, {});
}

std::string waPos(MacroCall& call) { return winampPosition(desktopOf(call), 0); }
std::string waPlLen(MacroCall& call) { return winampPlaylistLength(desktopOf(call)); }
std::string waPlPos(MacroCall& call) { return winampPlaylistPos(desktopOf(call)); }
std::string waRate(MacroCall& call) { return winampSampleRate(desktopOf(call)); }
std::string waBitRate(MacroCall& call) { return winampBitRate(desktopOf(call)); }
std::string waCh(MacroCall& call) {
    return winampChannelsText(desktopOf(call), call.plugin.strings);
}

std::string waEq(MacroCall& call) {
    return winampEqualizer(desktopOf(call), macros::getParamInt(call.params, 0));
}

}  // namespace qbx::functions::players
