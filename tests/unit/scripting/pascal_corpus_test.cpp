// The Pascal corpus: ordinary programs of the kinds users bring (tests/data/pascal/NAME.s, each
// with NAME.expected) stored in the scripts folder and run by name through the S macro, as the
// module runs them. known_failures.txt names the programs that do not give their result yet; a
// listed program that passes fails the test too, so that the list only shrinks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/golden.h"
#include "support/script_fixture.h"

namespace qbx::scripting {
namespace {

// The same parameters as the prelude of tests/data/pascal/check_with_fpc.sh.
const std::vector<std::string> kParameters = {"Anna Maria Smith", "anna.smith@example.com", "42"};

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// "name  # reason" lines; blank lines and lines starting with '#' say nothing.
std::map<std::string, std::string> knownFailures(const std::filesystem::path& path) {
    std::map<std::string, std::string> names;
    std::istringstream lines(readBytes(path));
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t hash = line.find('#');
        std::string name = line.substr(0, hash);
        name.erase(name.find_last_not_of(" \t\r") + 1);
        name.erase(0, name.find_first_not_of(" \t"));
        if (!name.empty()) names[name] = hash == std::string::npos ? "" : line.substr(hash + 1);
    }
    return names;
}

// What a failing comparison shows: control characters made visible, so that a missing CR or a
// trailing blank can be seen.
std::string visible(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n    ";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += "\\x" + std::to_string(static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

class PascalCorpusTest : public test::ScriptFixture {};

TEST_F(PascalCorpusTest, ProgramsGiveTheirExpectedResults) {
    const std::filesystem::path folder = test::testDataPath("data/pascal");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".s") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    ASSERT_GE(names.size(), 70u) << "the corpus is not where it should be: " << folder;

    for (const std::string& name : names) put(name + ".s", readBytes(folder / (name + ".s")));
    start();

    const std::map<std::string, std::string> known = knownFailures(folder / "known_failures.txt");
    for (const auto& [name, reason] : known)
        EXPECT_TRUE(std::binary_search(names.begin(), names.end(), name))
            << "known_failures.txt names " << name << ", which is not in the corpus";

    // Programs that keep files do so in the current folder, here a fresh one of the test's own.
    const std::filesystem::path before = std::filesystem::current_path();
    const std::filesystem::path scratch = ::testing::TempDir() + "qbx_pascal_corpus";
    std::filesystem::remove_all(scratch);
    std::filesystem::create_directories(scratch);
    std::filesystem::current_path(scratch);
    // Natively, the registry stand-in's file too.
    const char* registry = std::getenv("QBX_REGISTRY");
    struct Back {
        std::filesystem::path folder;
        std::string registry;
        ~Back() {
            std::filesystem::current_path(folder);
            setProcessVariable("QBX_REGISTRY", registry);
        }
    } back{before, registry != nullptr ? registry : ""};
    setProcessVariable("QBX_REGISTRY", (scratch / "registry.ini").string());

    int passed = 0;
    for (const std::string& name : names) {
        const std::filesystem::path expectedPath = folder / (name + ".expected");
        ASSERT_TRUE(std::filesystem::exists(expectedPath)) << name << " has no expected result";
        const std::string expected = readBytes(expectedPath);
        std::vector<std::string> arguments{name};
        arguments.insert(arguments.end(), kParameters.begin(), kParameters.end());
        const std::string actual = run("S", arguments);
        const bool listed = known.count(name) != 0;
        if (actual == expected) {
            ++passed;
            EXPECT_FALSE(listed) << name
                                 << " now gives its expected result: take it off "
                                    "tests/data/pascal/known_failures.txt";
        } else if (!listed) {
            ADD_FAILURE() << name << " gave\n    " << visible(actual) << "\n  expected\n    "
                          << visible(expected);
        }
    }
    std::cout << "Pascal corpus: " << passed << " of " << names.size()
              << " programs give their expected result\n";
}

}  // namespace
}  // namespace qbx::scripting
