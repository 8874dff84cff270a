// The word counts behind every score of a corpus run, for choosing the score's constants away
// from the module: the trained Spam and NonSpam files are read as the module reads them, each
// message is made into the text the score rates (messageScoreText), and every distinct word's
// two counts are printed. bench/corpus/tune_score.py searches the constants on this output.
//   spam_words_dump STATDIR MINLEN FILE...
// prints "T <spam total> <non-spam total>", then per message "M <path>" and one "<s> <n>" line
// per distinct word in text order.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/log.h"
#include "mail/encoded_blocks.h"
#include "mail/headers.h"
#include "platform/platform.h"
#include "statistics/spam_entry.h"
#include "statistics/stat_store.h"
#include "statistics/text_words.h"

int main(int argc, char** argv) {
    using namespace qbx::statistics;
    if (argc < 3) {
        std::cerr << "usage: spam_words_dump STATDIR MINLEN FILE...\n";
        return 2;
    }
    qbx::Platform platform = qbx::systemPlatform();
    qbx::Log log(platform);
    StatStore spam({log, *platform.files, *platform.clock, 4'000'000});
    StatStore ham({log, *platform.files, *platform.clock, 4'000'000});
    const std::string dir = argv[1];
    spam.read(dir + "/Spam.Stat");
    ham.read(dir + "/NonSpam.Stat");
    spam.tree().clearRootEntry();
    ham.tree().clearRootEntry();
    const int minLength = std::atoi(argv[2]);
    std::int64_t totals[2] = {0, 0};
    spam.tree().forEachEntry([&](const StatEntry& e) { totals[0] += e.count; });
    ham.tree().forEachEntry([&](const StatEntry& e) { totals[1] += e.count; });
    std::printf("T %lld %lld\n", static_cast<long long>(totals[0]),
                static_cast<long long>(totals[1]));
    for (int i = 3; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string raw = buffer.str();
        std::size_t split = raw.find("\n\n");
        std::size_t skip = 2;
        if (const std::size_t crlf = raw.find("\r\n\r\n"); crlf < split) split = crlf, skip = 4;
        const std::string header = split == std::string::npos ? raw : raw.substr(0, split);
        const std::string body = split == std::string::npos ? "" : raw.substr(split + skip);
        const auto encoded = qbx::mail::leaveOutEncodedBlocks(body);
        const std::string text =
            messageScoreText(encoded.textOf(body), qbx::mail::HeaderIndex(header));
        const TextWords words = distinctWords(text, minLength, 1, std::size_t{1} << 18);
        std::printf("M %s\n", argv[i]);
        for (const TextWord& w : words.words)
            std::printf("%d %d\n", spam.tree().countOf(w.key), ham.tree().countOf(w.key));
    }
    return 0;
}
