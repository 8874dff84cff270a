// Arbitrary bytes as a ".Stat" file, raw and wrapped in a valid zlib stream: reading never
// fails towards the caller, stays within the tree's node budget, and a file that could not be
// read whole is always moved aside, never left where the next write would replace it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "core/log.h"
#include "deflated_input.h"
#include "statistics/stat_store.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::size_t kBudget = 2000;

void readAsFile(const std::string& bytes) {
    const std::string name = "C:\\Mail\\Fuzz.Stat";
    qbx::test::FakePlatform fake;
    qbx::Log log(fake.platform());
    qbx::statistics::StatStore store({log, fake.files, fake.clock, kBudget});
    fake.files.put(name, bytes);
    const bool whole = store.read(name);
    check(whole == fake.files.has(name));
    check(whole != fake.files.has(name + ".bad"));
    check(store.tree().countNodes() <= kBudget);
    check(store.count() == 0);
    // What was read can be written and read again; only blank keys are left behind.
    std::size_t kept = 0;
    store.tree().forEachEntry([&](const qbx::statistics::StatEntry& e) {
        if (!qbx::trimBlankOrControl(e.key).empty()) ++kept;
    });
    store.store(name, 1);
    qbx::statistics::StatStore again({log, fake.files, fake.clock, kBudget});
    check(again.read(name));
    again.tree().clearRootEntry();
    check(again.tree().countWords() <= kept);
    std::size_t back = 0;
    again.tree().forEachEntry([&](const qbx::statistics::StatEntry& e) {
        if (!qbx::trimBlankOrControl(e.key).empty()) ++back;
    });
    check(back == kept);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 16)) return 0;
    readRawAndDeflated(data, size, readAsFile);
    return 0;
}
