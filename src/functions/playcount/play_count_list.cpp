#include "functions/playcount/play_count_list.h"

#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

#include "base/text.h"
#include "core/guard.h"
#include "core/kept_files.h"
#include "core/plugin.h"
#include "core/settings.h"
#include "platform/platform.h"

namespace qbx::functions::playcount {
namespace {

FileSystem& filesOf(Plugin& plugin) {
    if (plugin.platform.files == nullptr) throw std::runtime_error("no file system");
    return *plugin.platform.files;
}

std::string reasonOf(std::exception_ptr failure) {
    try {
        return describeException(failure);
    } catch (...) {
        return "unknown failure";
    }
}

}  // namespace

TitleOptions titleOptions(const Settings& settings) {
    return TitleOptions{settings.playCountTrimSpaces, settings.playCountTrimNumbers,
                        settings.playCountTrimExtensions};
}

std::string normalizeTrackName(std::string_view text, const Settings& settings) {
    return normalizeTrackName(text, titleOptions(settings));
}

PlayCountStore::PlayCountStore(Plugin& plugin) : plugin_(plugin) {}

void PlayCountStore::loadFromFile(const std::string& path) {
    Log& log = plugin_.log;
    try {
        FileSystem& files = filesOf(plugin_);
        removeStaleTemporaries(files, path, log);
        if (!files.fileExists(path)) return;  // the first start: nothing counted yet
        const std::optional<std::string> file = files.readFile(path, kMaxFileBytes);
        if (!file) {
            keepBeforeSave_ = path;
            keptWhole_ = isTooLongReason(files.lastError());
            log.write("Top10: cannot read " + path + ": " + files.lastError());
            return;
        }
        const PlayCountTable::StreamReading reading = table_.readStream(*file);
        if (!reading.inflate.damage.empty() || reading.inflate.trailingBytes > 0) {
            keepBeforeSave_ = path;
            keptWhole_ = false;
            const std::string damage =
                !reading.inflate.damage.empty()
                    ? reading.inflate.damage
                    : decimal(static_cast<std::int64_t>(reading.inflate.trailingBytes)) +
                          " bytes at its end are not a whole record";
            log.write("Top10: " + path + " is damaged (" + damage + "): the " +
                      decimal(static_cast<std::int64_t>(reading.inflate.records)) +
                      " records before it are kept");
        }
        if (reading.refused > 0) {
            fullLogged_ = true;
            // The file stays whole beside the list that holds only part of it.
            if (keepBeforeSave_.empty()) {
                keepBeforeSave_ = path;
                keptWhole_ = true;
            }
            log.write("Top10: " + path + " holds more titles than the list takes (" +
                      decimal(static_cast<std::int64_t>(kMaxTitles)) + " titles, " +
                      decimal(static_cast<std::int64_t>(kMaxTitleBytes >> 20)) +
                      " MiB): " + decimal(static_cast<std::int64_t>(reading.refused)) +
                      " records left out; the file is kept whole before the list is saved");
        }
    } catch (...) {
        // Most likely memory: what was read stays, and the file is not written over.
        keepBeforeSave_ = path;
        keptWhole_ = false;
        log.write("Top10: cannot read " + path + ": " + reasonOf(std::current_exception()));
    }
}

void PlayCountStore::saveToFile(const std::string& path) {
    Log& log = plugin_.log;
    try {
        FileSystem& files = filesOf(plugin_);
        if (!keepBeforeSave_.empty() && keepBeforeSave_ == path) {
            const char* what = keptWhole_ ? "the file whose titles the list could not all take"
                                          : "the file that could not be read";
            if (files.fileExists(path)) {
                const KeptAside aside =
                    keepAside(files, path, keptWhole_ ? kNotTakenWholeSuffix : kDamagedSuffix);
                if (!aside.kept) {
                    log.write("Top10: cannot save " + path + ": " + what +
                              " is still there and cannot be kept aside (" + aside.failure + ")");
                    return;
                }
                log.write("Top10: " + std::string(what) + " is kept as " + aside.path);
            }
            keepBeforeSave_.clear();
            keptWhole_ = false;
        }
        const std::string bytes = table_.writeStream(titleOptions(plugin_.settings));
        if (!files.writeFileAtomic(path, bytes))
            log.write("Top10: cannot save " + path + ": " + files.lastError());
    } catch (...) {
        log.write("Top10: cannot save " + path + ": " + reasonOf(std::current_exception()));
    }
}

void PlayCountStore::add(std::string_view title) {
    if (table_.add(title) == Counted::Full) noteFull();
}

void PlayCountStore::addWords(std::string_view text) {
    if (table_.addWords(text) > 0) noteFull();
}

void PlayCountStore::noteFull() {
    if (fullLogged_) return;
    fullLogged_ = true;
    plugin_.log.write("Top10: the list is full at " +
                      decimal(static_cast<std::int64_t>(table_.titles())) +
                      " titles: new titles are left out");
}

void installPlayCountList(Plugin& plugin) {
    plugin.factories.playCountList = [](Plugin& owner) -> std::unique_ptr<PlayCountList> {
        return std::make_unique<PlayCountStore>(owner);
    };
}

PlayCountStore* playCountList(Plugin& plugin) {
    return ownObjects<PlayCountList, PlayCountStore>().find(plugin.top10List.get());
}

}  // namespace qbx::functions::playcount
