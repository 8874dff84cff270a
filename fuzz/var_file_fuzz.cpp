// Arbitrary bytes as "var.dat": loading never fails towards the caller, a file it does not
// take is either kept aside or (when it could not be) never written over, and saving what was
// loaded invents and alters nothing: the next load is a part of this one, and a second round
// changes nothing more.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/log.h"
#include "core/variables.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

const std::string kPath = "C:\\QBX\\var.dat";

// Every variable of `part` is in `whole` with the same kind and value.
bool isPartOf(const qbx::VarTable& part, const qbx::VarTable& whole) {
    for (int i = 1; i <= qbx::VarTable::kCapacity; ++i) {
        const qbx::VarRec& e = part.entry(i);
        if (!e.used) continue;
        const int at = whole.find(e.name);
        if (at < 0 || whole.entry(at).kind != e.kind) return false;
        if (qbx::varValueText(whole.entry(at)) != qbx::varValueText(e)) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    qbx::test::FakePlatform fake;
    qbx::Log log(fake.platform());
    fake.files.put(kPath, bytes);

    qbx::VarTable first;
    first.load(fake.platform(), kPath, log);
    check(first.count() >= 2 && first.count() <= qbx::VarTable::kCapacity);
    const bool keptAside = fake.files.has(kPath + ".bad");
    check(keptAside != fake.files.has(kPath));
    check(!keptAside || fake.files.contents(kPath + ".bad") == bytes);

    check(first.save(fake.platform(), kPath, log));
    qbx::VarTable second;
    second.load(fake.platform(), kPath, log);
    check(isPartOf(second, first));
    check(!fake.files.has(kPath + ".bad2"));  // what we write is never taken for damaged

    check(second.save(fake.platform(), kPath, log));
    const std::string written = fake.files.contents(kPath);
    qbx::VarTable third;
    third.load(fake.platform(), kPath, log);
    check(isPartOf(third, second) && isPartOf(second, third));
    check(third.save(fake.platform(), kPath, log));
    check(fake.files.contents(kPath) == written);
    return 0;
}
