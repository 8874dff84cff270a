// The play-count list while the module runs: the titles the players were seen with, loaded
// from "Top10.Statz" at start-up and written back by the shut-down (and later the tray's
// autosave). The Plugin holds it through its port; the macros, the dialog's play-count timer
// and the tray find it again with playCountList().
//
// The file is written to a temporary name and renamed over the old one. A file that exists
// but could not be read whole (damaged, too long, or not readable at all) is kept aside under
// "<name>.bad..." before the first save writes over its place, one whose titles the list could
// not all take under "<name>.full..."; when it cannot be kept, the save is refused. Every failure
// is one log line; none leaves the list as an exception.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/own_objects.h"
#include "core/ports/play_count_list.h"
#include "functions/playcount/play_count_table.h"

namespace qbx {
struct Plugin;
struct Settings;
}  // namespace qbx

namespace qbx::functions::playcount {

// The normalisation the user chose ("doTrim", "doNum", "doExt").
TitleOptions titleOptions(const Settings& settings);
std::string normalizeTrackName(std::string_view text, const Settings& settings);

class PlayCountStore final : public PlayCountList {
public:
    explicit PlayCountStore(Plugin& plugin);

    void loadFromFile(const std::string& path) override;
    void saveToFile(const std::string& path) override;
    std::int64_t countNodes() const override { return table_.countNodes(); }
    std::int64_t countEntries() const override { return table_.countEntries(); }
    std::uint64_t totalCount() const { return table_.totalCount(); }

    // A title the players showed (normalised by the caller); a title the full list refuses is
    // logged once a session.
    void add(std::string_view title);
    void addWords(std::string_view text);

    const PlayCountTable& table() const noexcept { return table_; }

private:
    void noteFull();

    Plugin& plugin_;
    PlayCountTable table_;
    // The file the load could not read whole: it is kept aside before anything is written there,
    // as damaged ("<name>.bad") or, when it was sound but held more than the list takes, as it
    // was ("<name>.full").
    std::string keepBeforeSave_;
    bool keptWhole_ = false;
    bool fullLogged_ = false;
    OwnObjects<PlayCountList, PlayCountStore>::Entry entry_{
        ownObjects<PlayCountList, PlayCountStore>(), this};
};

// Registers the start-up's factory of the list.
void installPlayCountList(Plugin& plugin);

// The module's list, or null while there is none (the setting is off, or the module runs
// disabled).
PlayCountStore* playCountList(Plugin& plugin);

}  // namespace qbx::functions::playcount
