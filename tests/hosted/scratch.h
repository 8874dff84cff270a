// Files on the real file system for the system tests: a fresh folder per test, and whole-file
// reads and writes that bypass the services under test.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace qbx::test {

// The module beside the test program (the system tests run in the build folder).
#if defined(_WIN32)
inline constexpr const char* kModule = "QBX.tbp";
#else
inline constexpr const char* kModule = "./QBX.tbp";
#endif

inline std::string uniqueName() {
    static int counter = 0;
    return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
           std::to_string(++counter);
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char chunk[4096];  // not istreambuf_iterator: mingw's GCC 12 warns of a null dereference
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

inline void spit(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Where the system tests keep their homes and scratch folders: test-homes/ in the working
// folder, which CTest makes the build folder (and removes after the tests).
inline std::filesystem::path testHomes() { return std::filesystem::absolute("test-homes"); }

struct ScratchFolder {
    explicit ScratchFolder(const std::string& prefix) : ScratchFolder(testHomes(), prefix) {}
    ScratchFolder(const std::filesystem::path& parent, const std::string& prefix)
        : path(parent / (prefix + uniqueName())) {
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    const std::filesystem::path path;
};

}  // namespace qbx::test
