#include "core/kept_files.h"

#include <cstdint>

#include "base/text.h"
#include "core/log.h"
#include "platform/platform.h"

namespace qbx {

KeptAside keepAside(FileSystem& files, const std::string& path, std::string_view suffix) {
    const std::string kept = path + std::string(suffix);
    for (int i = 1; i <= kMaxKeptAside; ++i) {
        const std::string candidate = kept + (i == 1 ? std::string() : decimal(i));
        if (files.fileExists(candidate) || files.directoryExists(candidate)) continue;
        // Renaming never replaces: a name taken meanwhile fails rather than losing that file.
        if (files.renameFile(path, candidate)) return {true, candidate, {}};
        return {false, candidate, files.lastError()};
    }
    return {false, {}, kept + " to " + kept + decimal(kMaxKeptAside) + " are taken"};
}

namespace {

// Deletes the names of the folder that `isLeftover` picks; logs how many went and how many
// could not be removed, with the first reason.
template <class Pick>
void removeLeftovers(FileSystem& files, const std::string& folder, const std::string& of, Log& log,
                     Pick isLeftover) noexcept {
    try {
        std::int64_t removed = 0;
        std::int64_t left = 0;
        std::string reason;
        // Every name: the forms share no suffix to filter by.
        for (const std::string& name : files.listFiles(folder, "")) {
            if (!isLeftover(std::string_view(name))) continue;
            if (files.deleteFile(folder + name))
                ++removed;
            else if (left++ == 0)
                reason = files.lastError();
        }
        if (removed > 0)
            log.write("Removed " + decimal(removed) + " stale temporary files of " + of);
        if (left > 0)
            log.write("Cannot remove " + decimal(left) + " stale temporary files of " + of + " (" +
                      reason + ")");
    } catch (...) {
        // Leftovers cost only disk space; what follows them matters more.
    }
}

}  // namespace

void removeStaleTemporaries(FileSystem& files, const std::string& path, Log& log,
                            bool bareTmp) noexcept {
    try {
        const std::size_t slash = path.find_last_of("\\/");
        if (slash == std::string::npos) return;
        const std::string target = path.substr(slash + 1);
        const std::string bare = target + ".tmp";
        removeLeftovers(files, path.substr(0, slash + 1), path, log, [&](std::string_view name) {
            return isAtomicTemporaryNameOf(name, target) || (bareTmp && sameNameText(name, bare));
        });
    } catch (...) {
    }
}

void removeStaleTemporariesIn(FileSystem& files, const std::string& folder, std::string_view suffix,
                              Log& log) noexcept {
    try {
        std::string dir = folder;
        if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';
        removeLeftovers(
            files, dir, dir + "*" + std::string(suffix), log, [&](std::string_view name) {
                const std::size_t tmp = name.rfind(".tmp");
                if (tmp == std::string_view::npos) return false;
                const std::string_view target = name.substr(0, tmp);
                return nameHasSuffix(target, suffix) && isAtomicTemporaryNameOf(name, target);
            });
    } catch (...) {
    }
}

}  // namespace qbx
