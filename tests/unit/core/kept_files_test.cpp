// Leftovers of cut-short saves in a folder of many files: only our own temporary names go.
#include "core/kept_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/log.h"
#include "support/fakes.h"

namespace qbx {
namespace {

TEST(KeptFiles, ScriptFoldersLoseOnlyTheTemporariesOfTheirScripts) {
    test::FakePlatform fake;
    Log log{fake.platform()};
    std::vector<std::string> lines;
    log.setMirror([&lines](const std::string& line) { lines.push_back(line); });
    const std::string dir = "C:\\QBX\\Scripts\\";
    const std::vector<std::string> gone = {"a.s.tmp12.3", "C.S.tmp5.60"};
    const std::vector<std::string> kept = {"a.s",        "a.stmp1.2", "notes.txt.tmp1.2",
                                           "b.s.tmp",    "b.s.tmp1",  "b.s.tmp1.x",
                                           "b.s.tmpx.1", "b.s.bad",   "d.s.tmp1.2.s"};
    for (const auto& name : gone) fake.files.put(dir + name, "x");
    for (const auto& name : kept) fake.files.put(dir + name, "x");
    removeStaleTemporariesIn(fake.files, "C:\\QBX\\Scripts", ".s", log);
    for (const auto& name : gone) EXPECT_FALSE(fake.files.has(dir + name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(fake.files.has(dir + name)) << name;
    EXPECT_EQ(lines, std::vector<std::string>{"Removed 2 stale temporary files of " + dir + "*.s"});
}

}  // namespace
}  // namespace qbx
