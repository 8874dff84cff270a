// A message made of fuzzed bytes, handed over by a fuzzed host: header, body, raw message and
// the three address fields come from the input, and so do the lengths and copy counts the host
// reports. Every statistics item is enabled over the fake platform, the Spam and NonSpam
// trees trained from two of the fuzzed fields when the input says so. The score stays in range,
// the busy flag is given back, the rating's table of counts rates as the trees do, and training
// with the same message never throws.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "core/plugin.h"
#include "statistics/spam_entry.h"
#include "statistics/spam_filter.h"
#include "statistics/stat_item.h"
#include "support/fakes.h"

namespace {

struct FuzzedHost {
    std::string parts[6];  // header, body, raw, reply, from, to
    std::int32_t lengthSkew[6] = {};
    std::int32_t copySkew[6] = {};
};

int partOf(std::int32_t id) {
    switch (id) {
        case qbx::kItemHeader: return 0;
        case qbx::kItemBody: return 1;
        case qbx::kItemRawMessage: return 2;
        case qbx::kItemReplyAddress: return 3;
        case qbx::kItemDecodedFrom: return 4;
        case qbx::kItemDecodedTo: return 5;
        default: return -1;
    }
}

std::int32_t QBX_STDCALL fuzzedCallback(std::intptr_t context, std::int32_t id, char* buffer,
                                        std::int32_t size) {
    const auto& host = *reinterpret_cast<const FuzzedHost*>(context);
    const int part = partOf(id);
    if (part < 0) std::abort();  // the module asks only for the documented items
    const std::string& text = host.parts[part];
    const auto length = static_cast<std::int32_t>(text.size());
    if (buffer == nullptr) {
        if (size != -1) std::abort();
        return length + host.lengthSkew[part];
    }
    if (size <= 0) std::abort();  // the module never offers an empty buffer
    // Write only what was offered, as an honest host would; the reported count may lie.
    std::memcpy(buffer, text.data(),
                std::min<std::size_t>(text.size(), static_cast<std::size_t>(size)));
    return std::min(length, size) + host.copySkew[part];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 16 || size > 64 * 1024) return 0;
    FuzzedHost host;
    for (int i = 0; i < 6; ++i) {
        host.lengthSkew[i] = static_cast<std::int8_t>(data[i]);
        host.copySkew[i] = static_cast<std::int8_t>(data[6 + i]);
    }
    const std::uint8_t switches = data[12];
    // The rest, split at 0xFF bytes into the six parts.
    int part = 0;
    for (std::size_t i = 16; i < size; ++i) {
        if (data[i] == 0xFF && part < 5) {
            ++part;
            continue;
        }
        host.parts[part] += static_cast<char>(data[i]);
    }

    qbx::test::FakePlatform fake;
    qbx::Plugin plugin(fake.platform());
    plugin.settings.statisticsDir = "C:\\QBX\\Statistics\\";
    plugin.settings.antispamActive = (switches & 1) != 0;
    plugin.settings.mailboxBackupOn = (switches & 2) != 0;
    plugin.settings.attachmentCompleterOn = (switches & 4) != 0;
    plugin.settings.enabledItems = 0xFFFF;
    qbx::statistics::installSpamFilter(plugin);
    for (int i = 0; i < qbx::kStatItemCount; ++i)
        plugin.statItems[static_cast<std::size_t>(i)] = std::make_unique<qbx::statistics::StatItem>(
            plugin,
            plugin.settings.statisticsDir + qbx::kStatItemNames[static_cast<std::size_t>(i)], i);

    // Trained sides from the fuzzed parts themselves, so that the score meets known words: the
    // reply field's words as spam, the From field's as not spam.
    if ((switches & 8) != 0) {
        qbx::statistics::statItem(plugin, qbx::StatSlot::Spam)
            ->store()
            .tree()
            .addText(host.parts[3], 1, 0);
        qbx::statistics::statItem(plugin, qbx::StatSlot::NonSpam)
            ->store()
            .tree()
            .addText(host.parts[4], 1, 0);
    }

    // The rating's table of counts made when the input says so, as the thresholds make it.
    const bool table = (switches & 16) != 0;
    if (table) qbx::statistics::spamFilter(plugin)->updateThresholds();

    const auto context = reinterpret_cast<std::intptr_t>(&host);
    const std::int32_t score = qbx::statistics::getSpamScore(plugin, context, fuzzedCallback);
    if (score < -1 || score > 100) std::abort();
    if (qbx::statistics::spamFilter(plugin)->scoreBusy) std::abort();
    if (table) {
        // The trees, once changed (a change that moves no count), rate the message alike.
        qbx::statistics::statItem(plugin, qbx::StatSlot::Spam)->store().tree().clearRootEntry();
        if (qbx::statistics::getSpamScore(plugin, context, fuzzedCallback) != score) std::abort();
    }
    qbx::statistics::feedSpam(plugin, context, static_cast<std::int8_t>(data[13]), fuzzedCallback);
    return 0;
}
