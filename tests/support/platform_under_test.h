// What the platform contract tests need from the build they run in; defined once in the native
// and once in the Windows system tests.
#pragma once

#include <string>

namespace qbx::test {

// Removes a registry key with everything below it. The native registry is a file in the
// test's own folder and goes with it.
void removeRegistryKey(const std::string& key);

}  // namespace qbx::test
