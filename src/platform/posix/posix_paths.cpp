#include <dirent.h>
#include <sys/stat.h>

#include <string>
#include <string_view>

#include "base/text.h"

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

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// The entry of folder whose name equals name but for case, or name itself when there is none.
std::string matchCase(const std::string& folder, const std::string& name) {
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return name;
    std::string found = name;
    while (const dirent* entry = readdir(dir)) {
        if (equalsIgnoreCase1251(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    closedir(dir);
    return found;
}

// Windows paths ignore case and the module lower-cases some of them (the plug-in folder found
// in the host's list): like Wine, take each missing component in the case the disk has it.
std::string resolveCase(const std::string& path) {
    if (path.empty() || path.front() != '/' || exists(path)) return path;
    std::string resolved;
    std::size_t start = 1;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        const std::string name = path.substr(start, end - start);
        if (!name.empty()) {
            const std::string exact = resolved + "/" + name;
            resolved = exists(exact) ? exact : resolved + "/" + matchCase(resolved, name);
        }
        start = end + 1;
    }
    if (!path.empty() && path.back() == '/') resolved += '/';
    return resolved;
}

}  // namespace

std::string toNativePath(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return {};
    if (path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':') {
        std::string rest = withSlashes(path.substr(2), '\\', '/');
        if (rest.empty() || rest.front() != '/') rest.insert(rest.begin(), '/');
        return resolveCase(rest);
    }
    return resolveCase(withSlashes(path, '\\', '/'));
}

std::string toWindowsPath(std::string_view nativePath) {
    std::string out = withSlashes(nativePath, '/', '\\');
    if (!nativePath.empty() && nativePath.front() == '/') out.insert(0, "Z:");
    return out;
}

}  // namespace qbx::posix
