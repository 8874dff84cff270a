#include "ui/tray/builtin_variables.h"

#include <array>

#include "core/formatting.h"
#include "core/plugin.h"
#include "core/version.h"
#include "functions/dates/calendar.h"
#include "functions/players/players.h"

namespace qbx::ui {
namespace {

namespace players = functions::players;
namespace dates = functions::dates;

LocaleFormat& locale(const TickFacts& f) { return *f.plugin.platform.locale; }
const StringTable& strings(const TickFacts& f) { return f.plugin.strings; }

constexpr BuiltInVariable text(std::string_view name, std::string (*value)(const TickFacts&)) {
    return {name, VarKind::String, value, nullptr};
}
constexpr BuiltInVariable number(std::string_view name, std::int32_t (*value)(const TickFacts&)) {
    return {name, VarKind::Integer, nullptr, value};
}

const std::array kClockVariables = {
    text("np",
         [](const TickFacts& f) {
             return players::nowPlaying(f.desktop, strings(f), strings(f)[players::kSilenceText]);
         }),
    text("npp", [](const TickFacts& f) { return players::activePlayerName(f.desktop); }),
    text("datetime", [](const TickFacts& f) { return defaultDateTimeText(locale(f), f.now); }),
    text("inettime",
         [](const TickFacts& f) {
             return dates::internetTime(f.plugin.platform.clock->universalNow(),
                                        locale(f).decimalSeparator());
         }),
    text("date", [](const TickFacts& f) { return locale(f).shortDate(f.now); }),
    text("time", [](const TickFacts& f) { return locale(f).longTime(f.now); }),
    number("year", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.year); }),
    number("month", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.month); }),
    number("day", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.day); }),
    number("hour", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.hour); }),
    number("min", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.minute); }),
    number("sec", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.second); }),
    number("weekofyear", [](const TickFacts& f) { return dates::isoWeek(f.now); }),
    number("dayofweek", [](const TickFacts& f) { return isoDayOfWeek(f.now); }),
    number("dayofyear", [](const TickFacts& f) { return dates::dayOfYear(f.now); }),
    number("hourofday", [](const TickFacts& f) { return static_cast<std::int32_t>(f.at.hour); }),
    number("hourofmonth", [](const TickFacts& f) { return dates::hourOfMonth(f.now); }),
    number("hourofweek", [](const TickFacts& f) { return dates::hourOfWeek(f.now); }),
    number("hourofyear", [](const TickFacts& f) { return dates::hourOfYear(f.now); }),
    text("ver", [](const TickFacts&) { return std::string(kVersionText); }),
    text("zvxdir", [](const TickFacts& f) { return f.plugin.settings.installDir; }),
    text("tbdir", [](const TickFacts& f) { return f.plugin.settings.programDir; }),
};

const std::array kPlayerVariables = {
    text("wa",
         [](const TickFacts& f) {
             return std::string(f.desktop.findWindowByClass(players::kWinampClass) != 0 ? "1"
                                                                                        : "0");
         }),
    text("wa_ver", [](const TickFacts& f) { return players::winampVersion(f.desktop); }),
    text("wa_state",
         [](const TickFacts& f) {
             return players::winampStatus(f.desktop, strings(f), {}, {}, {});
         }),
    text("wa_tracklen", [](const TickFacts& f) { return players::winampPosition(f.desktop, 1); }),
    text("wa_trackpos", [](const TickFacts& f) { return players::winampPosition(f.desktop, 0); }),
    text("wa_pllen", [](const TickFacts& f) { return players::winampPlaylistLength(f.desktop); }),
    text("wa_plpos", [](const TickFacts& f) { return players::winampPlaylistPos(f.desktop); }),
    text("wa_rate", [](const TickFacts& f) { return players::winampSampleRate(f.desktop); }),
    text("wa_brate", [](const TickFacts& f) { return players::winampBitRate(f.desktop); }),
    text("wa_ch", [](const TickFacts& f) { return players::winampChannelCount(f.desktop); }),
    text("wa_cht",
         [](const TickFacts& f) { return players::winampChannelsText(f.desktop, strings(f)); }),
    text("wa_title",
         [](const TickFacts& f) {
             return players::playerTitle(f.desktop, strings(f), players::Player::Winamp);
         }),
};

}  // namespace

std::span<const BuiltInVariable> clockVariables() { return kClockVariables; }
std::span<const BuiltInVariable> playerVariables() { return kPlayerVariables; }

void storeVariables(VarTable& variables, std::span<const BuiltInVariable> rows,
                    const TickFacts& facts) {
    for (const BuiltInVariable& row : rows) {
        if (row.kind == VarKind::Integer)
            variables.storeInt(row.name, row.number(facts));
        else
            variables.storeStr(row.name, row.text(facts));
    }
}

int isoDayOfWeek(double dateTime) {
    // dayOfWeek counts from Sunday = 1.
    return (dayOfWeek(dateTime) + 5) % 7 + 1;
}

}  // namespace qbx::ui
