// The two mail entry points: scoring every incoming message (and feeding the statistics items
// with its sizes, words, charset, mailer, servers, addresses and names, its mailbox backup and
// its traffic) and training the filter with the messages the user marks.
//
// The message is read only through the host's callback. Nothing here pumps window messages,
// and no item is held across a call into the host: each use looks its slot up afresh.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/host_api.h"
#include "mail/headers.h"

namespace qbx {
struct Plugin;
}

namespace qbx::statistics {

// No item is read past this many bytes. A message part longer than this makes the size queries
// of the score fail; a field longer than this is cut here.
inline constexpr std::int32_t kMaxHostItemBytes = 64 * 1024 * 1024;

// The length query (null buffer, size -1). A negative answer reads as 0: the host has no such
// item. Only an exception thrown by the callback makes the query fail (it propagates).
std::int32_t hostItemLength(std::intptr_t context, HostDataCallback callback, std::int32_t id);

// The item's text given its length (at most kMaxHostItemBytes): the buffer's bytes up to the
// first zero, and no more than the callback says it copied when that is within 0 .. length.
// `copied`, when given, receives that count (the length when the answer was out of range).
std::string readHostItem(std::intptr_t context, HostDataCallback callback, std::int32_t id,
                         std::int32_t length, std::int32_t* copied = nullptr);
// The same into the caller's buffer, whose room is reused.
void readHostItem(std::string& buffer, std::intptr_t context, HostDataCallback callback,
                  std::int32_t id, std::int32_t length, std::int32_t* copied = nullptr);
// Length query, then the read; a longer item is cut at kMaxHostItemBytes.
std::string readHostItem(std::intptr_t context, HostDataCallback callback, std::int32_t id);

// How a message's words make its score. The thresholds' word probability of the dialog leaves
// most words without information or near 0.5, so the host's score rates words by their
// smoothed probability instead (statistics/spam_model.h); the other two stay for comparison.
enum class ScoreCombiner {
    Products,  // thresholds' probability, S / (S + H) as the dialog's test field
    Fisher,    // thresholds' probability, Robinson's chi-square combination
    Smoothed,  // smoothed probability, chi-square combination, spread over the host's cut-offs
};

// The parts of the entry points that lean on objects which do not exist yet, and the score for
// tests. An empty hook is the behaviour while its object is missing.
struct SpamEntryHooks {
    // The attachment-part completer: whether the body is a part of an encoded attachment, and
    // handing it over. Empty: no body is a part.
    std::function<bool(Plugin&, std::string_view body)> isUuePart;
    std::function<void(Plugin&, std::string_view body)> addUuePart;
    // The anti-spam monitor: shown, its hide timer restarted, for every fed message.
    std::function<void(Plugin&)> showMonitor;
    // The message's spam probability (-1 for none), given the body without its encoded
    // attachment lines. Empty: messageSpamProbability.
    std::function<double(Plugin&, std::string_view body, std::string_view header)> probability;
    ScoreCombiner combiner = ScoreCombiner::Smoothed;
};

// Scores the message and feeds the items; the body's encoded attachment lines (base64,
// uuencode) count for neither the score nor the Words item.
// 0 .. 100, or -1 when there is no score (no spam filter installed, no item enabled, filter
// off, nothing known, a call while the previous one runs, a part that cannot be measured).
// Never throws. Without hooks, those installed with the filter (statistics/spam_filter.h):
// that is the host's way in.
std::int32_t getSpamScore(Plugin& plugin, std::intptr_t context, HostDataCallback callback);
std::int32_t getSpamScore(Plugin& plugin, std::intptr_t context, HostDataCallback callback,
                          const SpamEntryHooks& hooks);

// Trains the Spam (isSpam not 0) or NonSpam (isSpam 0) item with the message's body, its
// encoded attachment lines left out; nothing without a spam filter. Never throws: a failure is
// logged.
void feedSpam(Plugin& plugin, std::intptr_t context, std::int32_t isSpam,
              HostDataCallback callback);
void feedSpam(Plugin& plugin, std::intptr_t context, std::int32_t isSpam, HostDataCallback callback,
              const SpamEntryHooks& hooks);

// The body prepared as training prepares it: KOI8-R folded when the Content-Type says koi8,
// lower-cased, normalised.
std::string prepareTrainingText(std::string_view body, std::string_view header);

// The text a message is rated by: its Subject, its From line and its body without the HTML
// markup (but links' targets), lower-cased and normalised as training prepares the body.
std::string messageScoreText(std::string_view body, const mail::HeaderIndex& headers);

// The probability 0 .. 1 that the message is spam, from the words of messageScoreText
// (counted apart: nothing is written), each distinct word once; -1 when the filter is off or no
// word of the message is informative. Smoothed: the message's score over 100.
double messageSpamProbability(Plugin& plugin, std::string_view body, std::string_view header,
                              ScoreCombiner combiner = ScoreCombiner::Smoothed);

// The score 0 .. 100 the host gets from the same words (smoothed), -1 as above.
std::int32_t messageSpamScore(Plugin& plugin, std::string_view body, std::string_view header);
// The same with the header block's lines split already.
std::int32_t messageSpamScore(Plugin& plugin, std::string_view body,
                              const mail::HeaderIndex& headers);

}  // namespace qbx::statistics
