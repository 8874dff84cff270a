// The attachment-part completer: bodies that carry one UU-encoded section of a file mailed in
// parts are kept as part files in the parts folder ("UCdir") and registered in its "UC.INI";
// the user assembles the files whose parts have all arrived, and drops sets that waited too
// long. Its whole state is that folder: nothing stays in memory between calls.
//
// Everything written goes into the parts folder: names from the mail are cleaned first
// (statistics/uue_part.h), and part files named in "UC.INI" are used only when they lie there.
// A parts folder that is the scripts folder is refused (logged): a mailed "x.s" would run as a
// macro. "UC.INI" is read once per call and written once, to a temporary name renamed over it;
// a file that could not be read whole is kept aside first, and not written when it cannot be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {
struct Plugin;
}

namespace qbx::statistics {

// The decoded file stops here, and the part files are read only within what it needs.
inline constexpr std::size_t kMaxAssembledFileBytes = std::size_t{64} << 20;

// Creates the parts folder with its missing parents; logs "UUE completer is initialized".
// Without a parts folder (the disabled mode) it does nothing.
void initUueCompleter(Plugin& plugin);

// Stores the body as a part file and registers it, when it is a section of a file. Throws when
// the part file or "UC.INI" cannot be written (and then leaves no part file).
void addUuePart(Plugin& plugin, std::string_view body);

// Assembles and decodes every file whose parts have all arrived. A decoded file never replaces
// one that is there (in any letter case): it takes the first free "name (2).ext" .. (logged).
// A part file that cannot be read is logged and left out; a set whose files cannot be written
// is logged and stays pending, and the others go on. Throws when "UC.INI" cannot be written.
void completePendingUue(Plugin& plugin, bool deleteAssembledText);

// Drops the sets whose latest part is at least that many whole days old.
void removeOlderUueParts(Plugin& plugin, std::int32_t days);

// A set as the pending-parts grid shows it; counts as written, 0 when missing.
struct PendingUueSet {
    std::string name;
    std::int64_t collected = 0;   // "CurrentCount"
    std::int64_t expected = 0;    // "Count"
    std::optional<double> stamp;  // "DateStamp", nothing when missing or unreadable
};

// The first maxSets pending sets of "UC.INI" in file order; nothing is written.
std::vector<PendingUueSet> readPendingUueSets(Plugin& plugin, std::size_t maxSets);

// Gives the start-up and the dialog the completer's initialisation, and the spam filter's
// entry point its hooks (installed after the filter).
void installAttachmentCompleter(Plugin& plugin);

}  // namespace qbx::statistics
