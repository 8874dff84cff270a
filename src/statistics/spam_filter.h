// The spam filter's own state while the module is loaded: the thresholds (0 until the first
// update), the re-entry flag of the scoring, the anti-spam monitor's counters and the hooks of
// the two mail entry points. Installed with the statistics layer; the Plugin holds it through
// its port, and this layer finds it again with spamFilter().
#pragma once

#include <cstdint>
#include <vector>

#include "core/own_objects.h"
#include "core/ports/spam_filter.h"
#include "mail/headers.h"
#include "statistics/spam_entry.h"
#include "statistics/spam_model.h"
#include "statistics/text_words.h"

namespace qbx {
struct Plugin;
}

namespace qbx::statistics {

// Room the scoring of a message works in, kept from message to message (the busy flag lets
// one scoring run at a time): after the first messages a score allocates next to nothing.
struct ScoreBuffers {
    mail::ServerListBuffers serverParts;
    std::string servers;    // the Received chain's servers, one a line
    std::string words;      // the body's text mapped for the Words item
    std::string scoreText;  // the Subject and body mapped for the rating
    // The rating's words, counted once for it and (when the Words item takes the same words)
    // for that item too; kept from message to message with their counting room.
    WordCountRoom wordRoom;
    TextWords messageWords;
    std::vector<TextWord> ratedWords;   // those long enough for the rating, when it wants fewer
    std::vector<TextWord> bodyWords;    // the body's, counted for the Words item
    std::vector<TextWord> joinedWords;  // the item's words the score splits ("user@host")
    std::string joinedKeys;             // their keys
    std::string header;                 // the message's header block and body as the host gave them
    std::string body;
    std::string hostItem;  // an address item before its address is taken out
    std::string logLine;   // a log line with a figure in it
    // The trained words' counts, made when the thresholds are worked out (the rating reads the
    // trees instead once either has changed since).
    RatingCounts ratingCounts;
};

// What the anti-spam monitor shows: messages scored and trained, and their verdicts.
struct MonitorCounters {
    std::int32_t incomingScored = 0;
    std::int32_t messagesProcessed = 0;
    std::int32_t detectedSpam = 0;
    std::int32_t detectedNonSpam = 0;
    std::int32_t spamFed = 0;
    std::int32_t nonSpamFed = 0;
    std::int32_t bytesProcessed = 0;
};

class SpamFilterState final : public SpamFilter {
public:
    SpamFilterState(Plugin& plugin, SpamEntryHooks entryHooks);

    void updateThresholds() override;  // updateSpamFrequencies

    SpamThresholds thresholds;
    bool scoreBusy = false;
    MonitorCounters monitor;
    SpamEntryHooks hooks;
    ScoreBuffers buffers;

private:
    Plugin& plugin_;
    OwnObjects<SpamFilter, SpamFilterState>::Entry entry_;
};

// The filter the Plugin holds; null before the install (or when it holds another kind).
SpamFilterState* spamFilter(Plugin& plugin);

// Creates the filter, with the hooks the mail entry points use.
void installSpamFilter(Plugin& plugin, SpamEntryHooks hooks = {});

}  // namespace qbx::statistics
