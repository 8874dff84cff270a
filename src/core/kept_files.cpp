#include "core/kept_files.h"

#include <cstdint>

#include "core/log.h"
#include "core/text.h"
#include "platform/platform.h"

namespace qbx {

KeptAside keepAside(FileSystem& files, const std::string& path) {
    std::string last;
    for (int i = 1; i <= kMaxKeptAside; ++i) {
        const std::string candidate = path + ".bad" + (i == 1 ? std::string() : decimal(i));
        if (files.fileExists(candidate) || files.directoryExists(candidate)) continue;
        // Renaming never replaces: a name taken meanwhile fails rather than losing that file.
        if (files.renameFile(path, candidate)) return {true, candidate, {}};
        return {false, candidate, files.lastError()};
    }
    return {false, {}, path + ".bad to " + path + ".bad" + decimal(kMaxKeptAside) + " are taken"};
}

void removeStaleTemporaries(FileSystem& files, const std::string& path, Log& log,
                            bool bareTmp) noexcept {
    try {
        const std::size_t slash = path.find_last_of("\\/");
        if (slash == std::string::npos) return;
        const std::string folder = path.substr(0, slash + 1);
        const std::string_view target = std::string_view(path).substr(slash + 1);
        const std::string bare = std::string(target) + ".tmp";
        std::int64_t removed = 0;
        std::int64_t left = 0;
        std::string reason;
        // Every name: the two forms share no suffix to filter by.
        for (const std::string& name : files.listFiles(folder, "")) {
            if (!isAtomicTemporaryNameOf(name, target) && !(bareTmp && sameNameText(name, bare)))
                continue;
            if (files.deleteFile(folder + name))
                ++removed;
            else if (left++ == 0)
                reason = files.lastError();
        }
        if (removed > 0)
            log.write("Removed " + decimal(removed) + " stale temporary files of " + path);
        if (left > 0)
            log.write("Cannot remove " + decimal(left) + " stale temporary files of " + path +
                      " (" + reason + ")");
    } catch (...) {
        // Leftovers cost only disk space; what follows them matters more.
    }
}

}  // namespace qbx
