#include <string>
#include <string_view>

#include "platform/posix/posix_services.h"

namespace qbx::posix {
namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string withSlashes(std::string_view path, char from, char to) {
    std::string out(path);
    for (char& c : out) {
        if (c == from) c = to;
    }
    return out;
}

}  // namespace

std::string toNativePath(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return {};
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        std::string rest = withSlashes(path.substr(2), '\\', '/');
        if (rest.empty() || rest.front() != '/') rest.insert(rest.begin(), '/');
        return rest;
    }
    return withSlashes(path, '\\', '/');
}

std::string toWindowsPath(std::string_view nativePath) {
    std::string out = withSlashes(nativePath, '/', '\\');
    if (!nativePath.empty() && nativePath.front() == '/') out.insert(0, "Z:");
    return out;
}

}  // namespace qbx::posix
