// Golden files: expected outputs kept under tests/golden. With QBX_UPDATE_GOLDEN=1 in the
// environment the files are rewritten from the actual output instead (review the diff).
#pragma once

#include <string>

namespace qbx::test {

// The path of a file under tests/, usable by the native and the Windows test programs.
std::string testDataPath(const std::string& relative);

// True when actual equals the golden file; on a difference reports the first differing line.
bool matchesGolden(const std::string& name, const std::string& actual);

}  // namespace qbx::test
