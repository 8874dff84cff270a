#include "support/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/text.h"

namespace qbx::test {

std::string testDataPath(const std::string& relative) {
#if defined(_WIN32)
    return std::string("Z:") + QBX_TESTS_DIR + "/" + relative;  // Wine's view of the host's root
#else
    return std::string(QBX_TESTS_DIR) + "/" + relative;
#endif
}

bool matchesGolden(const std::string& name, const std::string& actual) {
    const std::string path = testDataPath("golden/" + name);
    if (std::getenv("QBX_UPDATE_GOLDEN") != nullptr) {
        std::ofstream(path, std::ios::binary) << actual;
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "missing golden file " << path;
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    const std::string expected = buffer.str();
    if (expected == actual) return true;
    const auto want = splitLines(expected);
    const auto got = splitLines(actual);
    for (std::size_t i = 0; i < want.size() || i < got.size(); ++i) {
        const std::string w = i < want.size() ? want[i] : "<end>";
        const std::string g = i < got.size() ? got[i] : "<end>";
        if (w != g) {
            ADD_FAILURE() << name << " line " << i + 1 << "\n  expected: " << w
                          << "\n  actual:   " << g;
            return false;
        }
    }
    ADD_FAILURE() << name << " differs in its line ends";
    return false;
}

}  // namespace qbx::test
