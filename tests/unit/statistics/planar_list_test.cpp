// The file list over ".Stat" files made here: node layout, trie shape, log lines, and what a
// missing file, a damaged stream and a full buffer leave behind.
#include "statistics/planar_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/zlib_stream.h"
#include "core/plugin.h"
#include "statistics/stat_entry.h"
#include "support/fakes.h"

namespace qbx::statistics {
namespace {

using Lines = std::vector<std::string>;

const std::string kFile = "C:\\Mail\\Statistics\\Spam.Stat";

std::string records(const std::vector<std::string>& keys, int level = 6) {
    ZlibDeflater deflater(level);
    for (const std::string& key : keys) {
        StatEntry entry;
        entry.key = key;
        entry.marker = kMarkerStored;
        entry.count = 1;
        deflater.add(serialiseStatEntry(entry));
    }
    return deflater.finish();
}

class PlanarListTest : public ::testing::Test {
protected:
    PlanarListTest() {
        plugin.log.setMirror([this](const std::string& line) { log.push_back(line); });
    }
    // The lines between the list's creation and its destruction.
    Lines load(const std::string& bytes, std::size_t maxNodes = PlanarList::kMaxNodes) {
        fake.files.put(kFile, bytes);
        {
            PlanarList list(plugin.log, fake.files, maxNodes);
            list.loadFromFile(kFile);
            nodes = list.nodeCount();
            root = list.rootIndex();
            for (std::size_t i = 0; i < list.nodeCount(); ++i) {
                recordNode.push_back(list.isRecordNode(i));
                nodeBytes.emplace_back(list.node(i).begin(), list.node(i).end());
                children.push_back({});
                for (unsigned c = 32; c < 256; ++c) children.back().push_back(list.child(i, c));
            }
        }
        return log;
    }
    int childCount(std::size_t node) const {
        int n = 0;
        for (std::int32_t c : children[node]) n += c != -1;
        return n;
    }

    test::FakePlatform fake;
    Plugin plugin{fake.platform()};
    Lines log;
    std::size_t nodes = 0;
    std::int64_t root = -1;
    std::vector<bool> recordNode;
    std::vector<std::vector<std::uint8_t>> nodeBytes;
    std::vector<std::vector<std::int32_t>> children;
};

TEST_F(PlanarListTest, HeaderAndTwoKeysMakeThreeRecordNodesTheRootAndOneTrieNode) {
    EXPECT_EQ(load(records({"", "ab", "ac"})),
              (Lines{"Creating PL", "PL: reading data from file " + kFile,
                     "PL: total elements read: 3", "Data Read OK, storage size is 3120",
                     "Append ID: 3", "Destroying PL", "Destroyed OK"}));
    ASSERT_EQ(nodes, 5u);
    EXPECT_EQ(root, 3);
    EXPECT_EQ(recordNode, (std::vector<bool>{true, true, true, false, false}));
    EXPECT_EQ(children[3]['a' - 32], 4);
    EXPECT_EQ(childCount(3), 1);
    EXPECT_EQ(childCount(4), 0);  // the last character gets no node
    // The record node holds the file's bytes; the trie node the key that made it.
    EXPECT_EQ(nodeBytes[1][0], 2);
    EXPECT_EQ(std::string(nodeBytes[1].begin() + 1, nodeBytes[1].begin() + 3), "ab");
    EXPECT_EQ(nodeBytes[1][124], kMarkerStored);
    EXPECT_EQ(nodeBytes[1][136], 1);
    EXPECT_EQ(nodeBytes[4][0], 2);
    EXPECT_EQ(std::string(nodeBytes[4].begin() + 1, nodeBytes[4].begin() + 3), "ab");
    EXPECT_EQ(nodeBytes[4][124], 0);
    // A node without children: every slot, the spare after the 224 codes included, is -1.
    for (std::size_t at = 140; at < PlanarList::kNodeSize; ++at)
        EXPECT_EQ(nodeBytes[4][at], 0xFF) << at;
    // The root's link for 'a' in little-endian bytes at 140 + (97 - 32) * 4.
    EXPECT_EQ(std::vector<std::uint8_t>(nodeBytes[3].begin() + 400, nodeBytes[3].begin() + 404),
              (std::vector<std::uint8_t>{4, 0, 0, 0}));
}

TEST_F(PlanarListTest, TrieShapes) {
    struct Case {
        std::vector<std::string> keys;
        std::size_t trieNodes;
    };
    const Case cases[] = {
        {{""}, 0},
        {{"x"}, 0},
        {{"xy"}, 1},
        {{"abc", "abd"}, 2},  // "a", "ab" shared
        {{"abc", "abd", "ab", "a"}, 2},
        {{"\x05\x06z"}, 2},  // control codes walk the blank's path
        {{"\x05z", " q"}, 1},
        {{"\xC0\xC1\xC2", "\xC0\xC1"}, 2},
        {{std::string(80, 'k')}, 79},  // the longest key the field holds
    };
    for (const Case& c : cases) {
        PlanarListTest::log.clear();
        recordNode.clear();
        nodeBytes.clear();
        children.clear();
        load(records(c.keys));
        EXPECT_EQ(nodes, c.keys.size() + 1 + c.trieNodes) << c.keys.front();
        EXPECT_EQ(root, static_cast<std::int64_t>(c.keys.size()));
    }
}

TEST_F(PlanarListTest, MissingFileLeavesOnlyTheRoot) {
    PlanarList list(plugin.log, fake.files);
    list.loadFromFile("C:\\Mail\\Statistics\\None.Stat");
    EXPECT_EQ(log,
              (Lines{"Creating PL", "PL: reading data from file C:\\Mail\\Statistics\\None.Stat",
                     "PL: Can\"t read data", "Data Read OK, storage size is 0", "Append ID: 0"}));
    EXPECT_EQ(list.nodeCount(), 1u);
    EXPECT_EQ(list.rootIndex(), 0);
    EXPECT_FALSE(list.isRecordNode(0));
}

TEST_F(PlanarListTest, DamagedStreamKeepsTheWholeRecordsBeforeTheDamage) {
    // Stored blocks: the first 2 records and part of the third come out before the cut.
    const std::string stream = records({"", "ab", "ac", "ad"}, 0);
    const Lines lines = load(stream.substr(0, 2 + 5 + 136 * 2 + 50));
    EXPECT_EQ(lines, (Lines{"Creating PL", "PL: reading data from file " + kFile,
                            "PL: Can\"t read data", "Data Read OK, storage size is 2080",
                            "Append ID: 2", "Destroying PL", "Destroyed OK"}));
    EXPECT_EQ(nodes, 4u);  // and the trie node "ab" makes for its 'a'
    EXPECT_EQ(root, 2);
}

TEST_F(PlanarListTest, AFullBufferIsLoggedAndKeepsWhatFitted) {
    struct Case {
        std::size_t maxNodes;
        Lines middle;  // between the reading line and the destruction
        std::size_t nodes;
        std::int64_t root;
    };
    const Case cases[] = {
        {5,
         {"PL: total elements read: 3", "Data Read OK, storage size is 3120", "Append ID: 3"},
         5,
         3},
        {4,
         {"PL: total elements read: 3", "Data Read OK, storage size is 3120", "Append ID: 3",
          "PL: out of memory after 4 nodes"},
         4,
         3},
        {3,
         {"PL: out of memory after 2 nodes", "Data Read OK, storage size is 2080", "Append ID: 2",
          "PL: out of memory after 3 nodes"},
         3,
         2},
        {1,
         {"PL: out of memory after 0 nodes", "Data Read OK, storage size is 0", "Append ID: 0"},
         1,
         0},
    };
    for (const Case& c : cases) {
        PlanarListTest::log.clear();
        recordNode.clear();
        nodeBytes.clear();
        children.clear();
        Lines expected{"Creating PL", "PL: reading data from file " + kFile};
        expected.insert(expected.end(), c.middle.begin(), c.middle.end());
        expected.insert(expected.end(), {"Destroying PL", "Destroyed OK"});
        EXPECT_EQ(load(records({"", "ab", "ac"}), c.maxNodes), expected) << c.maxNodes;
        EXPECT_EQ(nodes, c.nodes) << c.maxNodes;
        EXPECT_EQ(root, c.root) << c.maxNodes;
    }
}

TEST_F(PlanarListTest, TheDebugButtonMakesLoadsAndFreesAList) {
    fake.files.put(kFile, records({"", "ab", "ac"}));
    loadPlanarList(plugin, kFile);
    EXPECT_EQ(log, (Lines{"Creating PL", "PL: reading data from file " + kFile,
                          "PL: total elements read: 3", "Data Read OK, storage size is 3120",
                          "Append ID: 3", "Destroying PL", "Destroyed OK"}));
}

}  // namespace
}  // namespace qbx::statistics
