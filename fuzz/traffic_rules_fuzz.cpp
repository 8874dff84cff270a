// The recipient list file as arbitrary bytes, read and compiled into traffic rules, then applied
// to raw traffic keys taken from the rest of the input: no crash, no hang, and every named key
// within the key length, made of a raw key's date and type letter and a rule's name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/log.h"
#include "core/recipient_list.h"
#include "statistics/stat_entry.h"
#include "statistics/traffic_rules.h"
#include "statistics/word_trie.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr const char* kInstall = "C:\\Mail\\Plugins\\";
constexpr std::size_t kMaxRawKeys = 200;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The file, then after the first NUL one raw key a line.
    const std::size_t cut = input.find('\0');
    const std::string_view file = input.substr(0, cut);
    const std::string_view keys =
        cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);

    qbx::test::FakePlatform fake;
    qbx::Log log(fake.platform());
    fake.files.put(std::string(kInstall) + qbx::kRecipientFileName, std::string(file));
    qbx::RecipientList list;
    qbx::loadRecipientList(list, fake.files, kInstall);
    check(list.lines.size() <= qbx::kMaxRecipientLines);
    const auto rules = qbx::statistics::compileTrafficRules(list.lines, log);

    qbx::statistics::WordTrie raw(45000.0, 4000);
    std::size_t added = 0;
    for (const std::string& key : qbx::recipientLinesOf(keys)) {
        if (++added > kMaxRawKeys) break;
        raw.addWord(key, 3, 45000.0);
    }
    qbx::statistics::WordTrie traffic(45000.0, 4000);
    qbx::statistics::mapRawTraffic(raw, traffic, rules, log, 45000.5);
    traffic.forEachEntry([&](const qbx::statistics::StatEntry& entry) {
        check(entry.key.size() <= qbx::statistics::kMaxKeyLength);
    });
    return 0;
}
