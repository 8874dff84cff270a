// The native stand-in's search masks and registry roots.
#include <gtest/gtest.h>

#include "platform/posix/posix_file_info.h"
#include "support/fakes.h"

namespace qbx::posix {
namespace {

TEST(PosixSearchMask, MatchesAsTheWindowsSearchDoes) {
    const struct {
        const char* name;
        const char* mask;
        bool match;
    } rows[] = {
        {"a.txt", "*.*", true},
        {"README", "*.*", true},
        {"a.txt", "*.TXT", true},
        {"a.txt", "?.txt", true},
        {"ab.txt", "?.txt", false},
        {"a.txt", "*", true},
        {"a.txt", "*.ini", false},
        {"a.b.c", "*.c", true},
        {"abc", "a*c*", true},
        {"\xCE\xF2\xF7\xB8\xF2.ini", "\xEE\xF2*", true},  // Cyrillic letters ignore case too
        {"x", "", false},
        {"", "*", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(matchesSearchMask(row.name, row.mask), row.match) << row.name << " " << row.mask;
}

TEST(PosixRegistryRoots, OtherRootsLiveInSectionsNamedWithTheRoot) {
    test::FakeRegistry file;
    file.set("Software\\X", "a", "user");
    file.set("HKEY_LOCAL_MACHINE\\Software\\X", "a", "machine");
    IniRegistryRoots roots(file);
    EXPECT_EQ(roots.readString(RegistryRoot::CurrentUser, "\\Software\\X", "a").text, "user");
    EXPECT_EQ(roots.readString(RegistryRoot::LocalMachine, "Software\\X\\", "a").text, "machine");
    EXPECT_EQ(roots.readString(RegistryRoot::Users, "Software\\X", "a").status, RegStatus::Missing);
}

}  // namespace
}  // namespace qbx::posix
