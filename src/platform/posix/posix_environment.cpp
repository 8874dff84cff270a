#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/posix/posix_services.h"

extern char** environ;

namespace qbx::posix {
namespace {

// The limits of the system's expansion: longer texts are not expanded.
constexpr std::size_t kMaxExpandedBytes = 32767;
constexpr std::size_t kMaxLinkBytes = 64u << 10;

char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Variable names are matched as Windows does, without regard to case; an exact match wins.
const char* lookUp(std::string_view name) {
    if (name.empty() || name.find('=') != std::string_view::npos) return nullptr;
    const std::string exact(name);
    if (const char* value = std::getenv(exact.c_str())) return value;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view candidate(*entry);
        if (candidate.size() <= name.size() || candidate[name.size()] != '=') continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = asciiUpper(candidate[i]) == asciiUpper(name[i]);
        if (same) return *entry + name.size() + 1;
    }
    return nullptr;
}

std::string readLink(const char* link) {
    std::string buffer(4096, '\0');
    while (buffer.size() <= kMaxLinkBytes) {
        const ssize_t n = ::readlink(link, buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);  // possibly cut short: try again with more room
    }
    return {};
}

}  // namespace

std::string PosixEnvironment::expandVariables(std::string_view text) {
    try {
        if (text.size() > kMaxExpandedBytes) return std::string(text);
        std::string out;
        std::size_t pos = 0;
        while (pos < text.size()) {
            const std::size_t open = text.find('%', pos);
            const std::size_t close =
                open == std::string_view::npos ? open : text.find('%', open + 1);
            if (close == std::string_view::npos) {
                out.append(text.substr(pos));
                break;
            }
            out.append(text.substr(pos, open - pos));
            if (const char* value = lookUp(text.substr(open + 1, close - open - 1)))
                out.append(value);
            else
                out.append(text.substr(open, close - open + 1));  // unknown: as written
            pos = close + 1;
            if (out.size() > kMaxExpandedBytes) return std::string(text);
        }
        return out;
    } catch (...) {
        return std::string(text);
    }
}

std::string PosixEnvironment::tempDirectory() {
    std::string folder = "/tmp";
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && tmp[0] == '/') folder = tmp;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    return toWindowsPath(folder) + "\\";
}

std::string PosixEnvironment::systemDirectory() { return toWindowsPath("/usr/lib"); }

std::string PosixEnvironment::hostProgramPath() {
    return toWindowsPath(readLink("/proc/self/exe"));
}

std::string PosixEnvironment::modulePath() {
    // Any function of ours tells which loaded object we are part of.
    Dl_info info{};
    link_map* map = nullptr;
    void* self = reinterpret_cast<void*>(&toWindowsPath);
    if (::dladdr1(self, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 ||
        map == nullptr) {
        return {};
    }
    // The main program's entry has no name of its own: we are linked into the program.
    if (map->l_name == nullptr || map->l_name[0] == '\0') return hostProgramPath();
    std::string path = map->l_name;
    if (path.front() != '/') {
        if (char* full = ::realpath(path.c_str(), nullptr)) {
            path = full;
            std::free(full);
        }
    }
    return toWindowsPath(path);
}

}  // namespace qbx::posix
