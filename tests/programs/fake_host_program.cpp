// Plays the mail client's program for the splitting test: appends its command line and the
// contents of the file named after /MAILT=" to record.txt beside itself, each run closed by a
// line "----", and ends.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string folderOfThisProgram() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length < MAX_PATH ? length : 0);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string readWhole(const std::string& path) {
    std::string bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[4096];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

int main() {
    const std::string commandLine = GetCommandLineA();
    std::string named;
    constexpr const char* kMarker = "/MAILT=\"";
    const std::size_t at = commandLine.find(kMarker);
    if (at != std::string::npos) {
        const std::size_t start = at + std::char_traits<char>::length(kMarker);
        const std::size_t end = commandLine.find('"', start);
        if (end != std::string::npos) named = commandLine.substr(start, end - start);
    }
    const std::string record =
        commandLine + "\r\n" + (named.empty() ? std::string() : readWhole(named)) + "----\r\n";
    FILE* out = std::fopen((folderOfThisProgram() + "record.txt").c_str(), "ab");
    if (out == nullptr) return 1;
    std::fwrite(record.data(), 1, record.size(), out);
    std::fclose(out);
    return 0;
}
