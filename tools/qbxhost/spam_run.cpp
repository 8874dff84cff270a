#include "spam_run.h"

#include <chrono>
#include <iomanip>
#include <sstream>

#include "mail_source.h"
#include "message_items.h"

namespace qbxhost {
namespace {

using Clock = std::chrono::steady_clock;

// Score lines are collected and written between messages, outside the timed part, in blocks
// of about this size.
constexpr std::size_t kOutputBlockBytes = 64 * 1024;

std::string timing(const SpamRun& run) {
    std::ostringstream text;
    text << "in " << std::fixed << std::setprecision(6) << run.seconds << " s, "
         << std::setprecision(1)
         << (run.seconds > 0 ? static_cast<double>(run.messages) / run.seconds : 0.0) << " msg/s";
    return text.str();
}

ProblemReport reportTo(std::ostream& problems) {
    return [&problems](const std::string& line) { problems << "qbxhost: " << line << "\n"; };
}

// The parsing of one message and the export call on it, timed together.
template <class Call>
std::int32_t timedCall(SpamRun& run, std::string_view raw, Call call) {
    const Clock::time_point start = Clock::now();
    const MessageItems items = parseMessage(raw);
    const std::int32_t result = call(reinterpret_cast<std::intptr_t>(&items));
    run.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    ++run.messages;
    return result;
}

}  // namespace

SpamRun feedMessages(FeedSpamExport feed, bool isSpam, const std::vector<std::string>& paths,
                     std::ostream& out, std::ostream& problems) {
    SpamRun run;
    const std::int32_t flag = isSpam ? 1 : 0;
    run.allRead = forEachMessage(
        paths,
        [&](const std::string&, std::string_view raw) {
            timedCall(run, raw, [&](std::intptr_t context) {
                return feed(context, flag, &messageItemCallback);
            });
        },
        reportTo(problems));
    out << "fed " << run.messages << " messages (" << (isSpam ? "spam" : "ham") << ") "
        << timing(run) << "\n";
    return run;
}

SpamRun scoreMessages(SpamScoreExport score, const std::vector<std::string>& paths,
                      std::ostream& out, std::ostream& problems) {
    SpamRun run;
    std::string lines;
    run.allRead = forEachMessage(
        paths,
        [&](const std::string& label, std::string_view raw) {
            const std::int32_t result = timedCall(run, raw, [&](std::intptr_t context) {
                return score(context, &messageItemCallback);
            });
            if (result < 0)
                ++run.unknown;
            else if (result >= 60)
                ++run.spam;
            else if (result <= 40)
                ++run.ham;
            lines += std::to_string(result);
            lines += '\t';
            lines += label;
            lines += '\n';
            if (lines.size() >= kOutputBlockBytes) {
                out << lines;
                lines.clear();
            }
        },
        reportTo(problems));
    out << lines << "scored " << run.messages << " messages " << timing(run)
        << "; spam>=60: " << run.spam << ", ham<=40: " << run.ham
        << ", unknown(-1): " << run.unknown << "\n";
    return run;
}

}  // namespace qbxhost
