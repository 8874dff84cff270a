// Arbitrary bytes as a "Top10.Statz" file, raw and wrapped in a valid zlib stream: reading
// never fails towards the caller and stays within the list's bounds, and what was read saves
// and reads back to the same titles and counts (normalising nothing).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "deflated_input.h"
#include "functions/playcount/play_count_table.h"

namespace {

using qbx::functions::playcount::PlayCountTable;

void check(bool condition) {
    if (!condition) std::abort();
}

std::string entries(const PlayCountTable& table) {
    std::string out;
    table.forEachEntry([&](std::string_view text, std::uint32_t count) {
        if (text.empty()) return;  // the root's entry is never written
        out.append(text).push_back('\0');
        out += std::to_string(count);
        out.push_back('\n');
    });
    return out;
}

void readAsFile(const std::string& bytes) {
    PlayCountTable table;
    const auto reading = table.readStream(bytes);
    check(table.titles() <= qbx::functions::playcount::kMaxTitles);
    check(reading.inflate.records * qbx::functions::playcount::kRecordBytes <=
          qbx::functions::playcount::kMaxInflatedBytes + (std::size_t{64} << 10));
    check(table.countEntries() <= table.countNodes());
    // Saving cuts a text of 2048 bytes to 2047, in the entry too.
    const std::string file = table.writeStream({});
    const std::string before = entries(table);
    PlayCountTable again;
    const auto back = again.readStream(file);
    check(back.inflate.damage.empty() && back.inflate.trailingBytes == 0);
    check(entries(again) == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 16)) return 0;
    readRawAndDeflated(data, size, readAsFile);
    return 0;
}
