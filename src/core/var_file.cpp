#include "core/var_file.h"

#include "core/log.h"
#include "core/text.h"
#include "platform/platform.h"

namespace qbx {
namespace {

bool isDecimalNumber(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::size_t firstForeignByte(std::string_view bytes) {
    while (!bytes.empty() && bytes.back() == '\x1A') bytes.remove_suffix(1);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (isForeignToVarFile(bytes[i])) return i;
    return std::string_view::npos;
}

bool isTemporaryNameOf(std::string_view fileName, std::string_view targetName) {
    const std::string prefix = std::string(targetName) + ".tmp";
    if (fileName.size() < prefix.size() ||
        !equalsIgnoreCase1251(fileName.substr(0, prefix.size()), prefix))
        return false;
    const std::string_view rest = fileName.substr(prefix.size());
    if (rest.empty()) return true;
    const std::size_t dot = rest.find('.');
    return dot != std::string_view::npos && isDecimalNumber(rest.substr(0, dot)) &&
           isDecimalNumber(rest.substr(dot + 1));
}

void removeStaleTemporaries(FileSystem& files, const std::string& path, Log& log) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return;
    const std::string folder = path.substr(0, slash + 1);
    const std::string_view target = std::string_view(path).substr(slash + 1);
    int removed = 0;
    int kept = 0;
    std::string reason;
    // Every name: the two forms share no suffix to filter by.
    for (const std::string& name : files.listFiles(folder, "")) {
        if (!isTemporaryNameOf(name, target)) continue;
        if (files.deleteFile(folder + name)) {
            ++removed;
        } else if (kept++ == 0) {
            reason = files.lastError();
        }
    }
    if (removed > 0)
        log.write("Removed " + decimal(removed) + " stale temporary files of " + path);
    if (kept > 0)
        log.write("Cannot remove " + decimal(kept) + " stale temporary files of " + path + " (" +
                  reason + ")");
}

KeptAside keepAside(FileSystem& files, const std::string& path) {
    for (int i = 1; i <= kMaxKeptAside; ++i) {
        const std::string candidate = path + ".bad" + (i == 1 ? std::string() : decimal(i));
        if (files.fileExists(candidate) || files.directoryExists(candidate)) continue;
        // Renaming never replaces: a name taken meanwhile fails rather than losing that file.
        if (files.renameFile(path, candidate)) return {true, candidate};
        return {false, files.lastError()};
    }
    return {false, "no free name up to " + path + ".bad" + decimal(kMaxKeptAside)};
}

}  // namespace qbx
