// The feed and score commands: every message of the paths through the module's spam entry
// points, timed over the parsing of the messages and the calls alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "core/host_api.h"

namespace qbxhost {

using FeedSpamExport = std::int32_t(QBX_STDCALL*)(std::intptr_t, std::int32_t,
                                                  qbx::HostDataCallback);
using SpamScoreExport = std::int32_t(QBX_STDCALL*)(std::intptr_t, qbx::HostDataCallback);

struct SpamRun {
    std::size_t messages = 0;
    double seconds = 0;       // parsing and export calls only
    std::size_t spam = 0;     // score >= 60
    std::size_t ham = 0;      // 0 <= score <= 40
    std::size_t unknown = 0;  // no score (-1, or any negative answer)
    bool allRead = true;      // false when some path or file could not be read
};

// Feeds every message as spam or as not spam; prints
// "fed N messages (spam|ham) in S s, R msg/s".
SpamRun feedMessages(FeedSpamExport feed, bool isSpam, const std::vector<std::string>& paths,
                     std::ostream& out, std::ostream& problems);

// Scores every message; prints "<score>\t<label>" per message, then
// "scored N messages in S s, R msg/s; spam>=60: A, ham<=40: B, unknown(-1): C".
SpamRun scoreMessages(SpamScoreExport score, const std::vector<std::string>& paths,
                      std::ostream& out, std::ostream& problems);

}  // namespace qbxhost
