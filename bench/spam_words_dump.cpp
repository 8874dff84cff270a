// The words behind every score of a corpus run, for looking at the score away from the module.
//   spam_words_dump STATDIR MINLEN FILE...
// reads the trained Spam and NonSpam files as the module reads them, makes each message into
// the text the score rates (messageScoreText) and prints "T <spam total> <non-spam total>",
// then per message "M <path>" and one "<s> <n>" line per distinct word in text order, the
// word's two counts. bench/corpus/tune_score.py searches the score's constants on this output.
//   spam_words_dump --words train|rate OUTDIR MINLEN FILE...
// writes each message as a mail of no headers whose body is the distinct words the module
// trains on (train) or rates (rate), one a line, into OUTDIR under the file's own name: another
// filter given these files learns and rates only what the module's filter sees.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "core/log.h"
#include "mail/encoded_blocks.h"
#include "mail/headers.h"
#include "message_items.h"
#include "platform/platform.h"
#include "statistics/spam_entry.h"
#include "statistics/stat_store.h"
#include "statistics/text_words.h"

namespace {

using namespace qbx::statistics;

constexpr std::size_t kWordBytes = std::size_t{1} << 18;

struct Message {
    std::string header;
    std::string body;  // without its encoded attachment lines, as the module counts it
};

// The message split into header block and body as qbxhost hands them to the module.
Message readMessage(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string raw = buffer.str();
    const qbxhost::MessageItems items = qbxhost::parseMessage(raw);
    Message message;
    message.header = items.header;
    message.body = qbx::mail::leaveOutEncodedBlocks(items.body).textOf(items.body);
    return message;
}

std::string rated(const Message& message) {
    return messageScoreText(message.body, qbx::mail::HeaderIndex(message.header));
}

int dumpCounts(const std::string& dir, int minLength, int count, char** files) {
    qbx::Platform platform = qbx::systemPlatform();
    qbx::Log log(platform);
    StatStore spam({log, *platform.files, *platform.clock, 4'000'000});
    StatStore ham({log, *platform.files, *platform.clock, 4'000'000});
    spam.read(dir + "/Spam.Stat");
    ham.read(dir + "/NonSpam.Stat");
    spam.tree().clearRootEntry();
    ham.tree().clearRootEntry();
    std::int64_t totals[2] = {0, 0};
    spam.tree().forEachEntry([&](const StatEntry& e) { totals[0] += e.count; });
    ham.tree().forEachEntry([&](const StatEntry& e) { totals[1] += e.count; });
    std::printf("T %lld %lld\n", static_cast<long long>(totals[0]),
                static_cast<long long>(totals[1]));
    for (int i = 0; i < count; ++i) {
        const std::string text = rated(readMessage(files[i]));  // the words view it
        const TextWords words = distinctWords(text, minLength, 1, kWordBytes);
        std::printf("M %s\n", files[i]);
        for (const TextWord& w : words.words)
            std::printf("%d %d\n", spam.tree().countOf(w.key), ham.tree().countOf(w.key));
    }
    return 0;
}

int writeWords(bool training, const std::string& outDir, int minLength, int count, char** files) {
    for (int i = 0; i < count; ++i) {
        const Message message = readMessage(files[i]);
        const std::string text =
            training ? prepareTrainingText(message.body, message.header) : rated(message);
        std::string out = "\n";
        const TextWords words = distinctWords(text, minLength, 1, kWordBytes);
        for (const TextWord& w : words.words)
            out.append(w.key).push_back('\n');
        std::string_view name = files[i];
        if (const std::size_t slash = name.rfind('/'); slash != std::string_view::npos)
            name.remove_prefix(slash + 1);
        std::ofstream file(outDir + "/" + std::string(name), std::ios::binary);
        file << out;
        if (!file) {
            std::cerr << "cannot write into " << outDir << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::strcmp(argv[1], "--words") == 0) {
        const std::string_view mode = argv[2];
        if (mode == "train" || mode == "rate")
            return writeWords(mode == "train", argv[3], std::atoi(argv[4]), argc - 5, argv + 5);
    } else if (argc >= 3 && argv[1][0] != '-') {
        return dumpCounts(argv[1], std::atoi(argv[2]), argc - 3, argv + 3);
    }
    std::cerr << "usage: spam_words_dump STATDIR MINLEN FILE...\n"
                 "       spam_words_dump --words train|rate OUTDIR MINLEN FILE...\n";
    return 2;
}
