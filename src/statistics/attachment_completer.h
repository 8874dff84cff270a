// The attachment-part completer: bodies that carry one UU-encoded section of a file mailed in
// parts are kept as part files in the parts folder ("UCdir") and registered in its "UC.INI";
// the user assembles the files whose parts have all arrived, and drops sets that waited too
// long. Its whole state is that folder: nothing stays in memory between calls.
//
// Everything written goes into the parts folder: names from the mail are cleaned first
// (statistics/uue_part.h), and part files named in "UC.INI" are used only when they lie there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qbx {
struct Plugin;
}

namespace qbx::statistics {

// The decoded file stops here, and the part files are read only within what it needs.
inline constexpr std::size_t kMaxAssembledFileBytes = std::size_t{64} << 20;

// Creates the parts folder with its missing parents; logs "UUE completer is initialized".
void initUueCompleter(Plugin& plugin);

// Stores the body as a part file and registers it, when it is a section of a file. Throws when
// the part file or "UC.INI" cannot be written.
void addUuePart(Plugin& plugin, std::string_view body);

// Assembles and decodes every file whose parts have all arrived. A part file that cannot be
// read is logged and left out; any other failure throws, the files handled before it staying
// handled.
void completePendingUue(Plugin& plugin, bool deleteAssembledText);

// Drops the sets whose latest part is at least that many whole days old.
void removeOlderUueParts(Plugin& plugin, std::int32_t days);

// Gives the start-up and the dialog the completer's initialisation, and the spam filter's
// entry point its hooks (installed after the filter).
void installAttachmentCompleter(Plugin& plugin);

}  // namespace qbx::statistics
