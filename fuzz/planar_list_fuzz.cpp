// Arbitrary bytes as a ".Stat" file, raw and wrapped in a valid zlib stream, loaded into a file
// list with a small node cap: loading never throws, never passes the cap, and the layout holds
// (records first, then the root, then trie nodes whose links all point forward and in range).
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/log.h"
#include "statistics/planar_list.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::size_t kMaxNodes = 600;

void loadAsFile(const std::string& bytes) {
    const std::string name = "C:\\Mail\\Fuzz.Stat";
    qbx::test::FakePlatform fake;
    qbx::Log log(fake.platform());
    fake.files.put(name, bytes);
    qbx::statistics::PlanarList list(log, fake.files, kMaxNodes);
    list.loadFromFile(name);
    const std::size_t nodes = list.nodeCount();
    check(nodes >= 1 && nodes <= kMaxNodes);
    check(list.storageSize() == nodes * qbx::statistics::PlanarList::kNodeSize);
    const auto root = static_cast<std::size_t>(list.rootIndex());
    check(root < nodes);
    for (std::size_t i = 0; i < nodes; ++i) {
        check(list.isRecordNode(i) == (i < root));
        for (unsigned c = 32; c < 256; ++c) {
            const std::int32_t child = list.child(i, c);
            if (i < root) check(child == -1);
            if (child != -1) check(static_cast<std::size_t>(child) > i && child < nodes);
        }
        // The spare after the last code stays empty.
        const auto node = list.node(i);
        for (std::size_t at = qbx::statistics::PlanarList::kNodeSize - 4; at < node.size(); ++at)
            check(node[at] == 0xFF);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > (std::size_t{1} << 16)) return 0;
    const std::string raw(reinterpret_cast<const char*>(data), size);
    loadAsFile(raw);

    std::string packed(compressBound(static_cast<uLong>(size)), '\0');
    uLongf length = static_cast<uLongf>(packed.size());
    if (compress(reinterpret_cast<Bytef*>(packed.data()), &length, data,
                 static_cast<uLong>(size)) == Z_OK) {
        packed.resize(length);
        loadAsFile(packed);
    }
    return 0;
}
