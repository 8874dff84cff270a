#include "core/settings.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "base/text.h"
#include "core/folder_setting.h"
#include "core/ini_io.h"
#include "core/log.h"
#include "core/settings_values.h"
#include "core/version.h"
#include "platform/platform.h"

namespace qbx {
namespace {

constexpr std::string_view kDefaultLangFile = "english.zlf";
constexpr std::string_view kFirstRunMarker = "Statistics reset";
constexpr std::int64_t kFirstRunDone = 88;
// Items Recipients, Senders and Spam: what a first run collects.
constexpr std::int32_t kFirstRunFlags = 88;
// The host's plug-in list is a file anyone can edit; its "Count" is not trusted.
constexpr std::int32_t kMaxPluginEntries = 1024;

constexpr std::int32_t kTempItemBit = 1 << 5;
constexpr std::int32_t kSpamBit = 1 << 6;
constexpr std::int32_t kNonSpamBit = 1 << 7;
constexpr std::int32_t kTrafficBit = 1 << 8;

constexpr std::string_view kPathDelimiters = "\\/:";

std::string folderOf(std::string_view path) {
    const auto cut = path.find_last_of(kPathDelimiters);
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

// A registry text inside a log line: on one line and of a readable length.
std::string forLog(std::string_view text) {
    constexpr std::size_t kShown = 120;
    std::string shown(text.substr(0, kShown));
    for (char& c : shown)
        if (isBlankOrControl(c)) c = ' ';
    if (text.size() > kShown) shown += "...";
    return shown;
}

std::string fileNameOf(std::string_view path) {
    const auto cut = path.find_last_of(kPathDelimiters);
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

void requireServices(const Platform& p, bool forLoading) {
    if (p.registry == nullptr || (forLoading && (p.files == nullptr || p.environment == nullptr ||
                                                 p.clock == nullptr || p.ui == nullptr)))
        throw std::invalid_argument("settings: platform services missing");
}

class Loader {
public:
    Loader(Settings& settings, SettingsIo io) : s_(settings), p_(io.platform), log_(io.log) {}

    void run() {
        log_.write("Reading data from registry");
        now_ = decodeDateTime(p_.clock->now());
        readRegistryBlock();
        findInstallation();
        readWorkingFolders();
        log_.write("Stage 1-10");
        log_.write("ZVX dir is " + s_.installDir);
        createInstallDir();
        createScriptingDir();
        log_.write("Stage 1-12");
        if (s_.needsRestart) {
            log_.write("!-!-!-!-! ZVX NEEDS REBOOT");
            s_.enabledItems = 0;
        }
        s_.antispamActive = s_.enableAntispam && (s_.enabledItems & kNonSpamBit) != 0;
        log_.write(s_.antispamActive ? "Antispam is enabled" : "Antispam is disabled");
        log_.write("Done");
    }

private:
    std::string expand(std::string_view text) { return p_.environment->expandVariables(text); }

    const std::string& moduleFolder() {
        if (!moduleFolder_) moduleFolder_ = folderOf(p_.environment->modulePath());
        return *moduleFolder_;
    }

    void read(int number) {
        const ValueRow* row = findValueRow(number);
        if (row == nullptr) return;
        const ReadOutcome outcome = readValue(*row, s_, *p_.registry, now_);
        const std::string value = std::string("Registry value \"") + row->name + "\"";
        if (outcome.result == ReadResult::WrongType)
            log_.write(value + " is not a text value, default used");
        if (outcome.result == ReadResult::FromLow32)
            log_.write(value + " is \"" + forLog(outcome.text) +
                       "\", a count stored in 32 bits: read as " + fieldText(*row, s_));
        if (outcome.result == ReadResult::OutOfRange)
            log_.write(value + " is \"" + forLog(outcome.text) + "\", out of range " +
                       decimal(row->range.min) + ".." + decimal(row->range.max) + ", default " +
                       fieldText(*row, s_) + " used");
        std::string* text = textField(*row);
        if (text == nullptr) return;
        if (row->expand) *text = expand(*text);
        // Only what the registry held: a default is the installation folder and a subfolder.
        if (row->kind != ValueKind::Folder || outcome.result != ReadResult::Stored || text->empty())
            return;
        // Refused, the folder is left empty: each folder's own default then applies.
        ResolvedFolder resolved = resolveFolderSetting(*text, moduleFolder());
        if (!resolved.refusal.empty())
            log_.write(value + " is \"" + forLog(*text) + "\", refused: " + resolved.refusal +
                       ", default used");
        *text = std::move(resolved.folder);
    }

    std::string* textField(const ValueRow& row) {
        return std::visit(
            [&](auto member) -> std::string* {
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(s_.*member)>,
                                             std::string>)
                    return &(s_.*member);
                else
                    return nullptr;
            },
            row.field);
    }

    void readRange(int first, int last) {
        for (const ValueRow& row : valueRows())
            if (row.number >= first && row.number <= last) read(row.number);
    }

    void readRegistryBlock() {
        try {
            log_.write("Stage 1-1");
            readRange(1, 11);
            log_.write("Stage 1-2");
            readRange(12, 20);
            log_.write("Stage 1-3");
            readRange(21, 27);
            log_.write("Stage 1-4");
            readRange(28, 48);
            log_.write("Stage 1-5");
            readRange(49, 54);
            if (!s_.viewerFilename.empty() && !p_.files->fileExists(s_.viewerFilename))
                s_.viewerFilename.clear();
            if (s_.languageFile.empty()) s_.languageFile = kDefaultLangFile;
        } catch (...) {
            log_.writeStartupLog("Exception block 1");
        }
    }

    void findInstallation() {
        log_.write("Stage 1-6");
        try {
            // Language files are looked up in the installation folder only.
            s_.languageFile = fileNameOf(s_.languageFile);
            if (s_.languageFile.empty()) s_.languageFile = kDefaultLangFile;
            if (s_.installDir.empty()) searchPluginList();
        } catch (...) {
            log_.writeStartupLog("Exception block 2");
        }
        // Decided outside the guard: a fault during the search must not leave the module
        // running on an empty installation folder.
        if (s_.installDir.empty()) enterDisabledMode();
    }

    void searchPluginList() {
        log_.write("Searching for a plugin....");
        log_.write("curdir is: " + p_.environment->hostProgramPath());
        std::string listPath = s_.hostWorkingDir;
        if (!listPath.empty() && listPath.back() != '\\') listPath += '\\';
        listPath += "TBPLUGIN.ini";
        const IniFile list = loadIniFile(*p_.files, listPath);
        const std::int32_t count = std::min(list.getInt("Plugins", "Count", 0), kMaxPluginEntries);
        const std::string moduleName = toLower1251(kModuleFileName);
        for (std::int32_t n = 1; n <= count; ++n) {
            const auto entry = list.get("Plugins", "Plugin #" + decimal(n));
            if (!entry) continue;
            const std::string path = expand(toLower1251(*entry));
            log_.write(path);
            if (path.find(moduleName) == std::string::npos) continue;
            std::string folder = folderOf(path);
            if (folder.empty()) continue;
            s_.installDir = std::move(folder);
            log_.write("Autodetected ZVX location: " + s_.installDir);
            return;
        }
    }

    void enterDisabledMode() {
        s_.needsRestart = true;
        s_.installDir.clear();
        s_.partsDir.clear();
        s_.statisticsDir.clear();
        const std::string caption = std::string(kProductName) + " " + std::string(kVersionNumber);
        p_.ui->messageBox("Please restart The Bat now", caption, MessageIcon::Information);
    }

    // Creates the folder; when that fails, falls back to the default under the installation
    // folder (created as well, so the items have somewhere to write).
    void createOrFallBack(std::string& folder, const std::string& fallback,
                          std::string_view failureLine) {
        bool created = false;
        try {
            created = p_.files->createDirectories(folder);
        } catch (...) {
        }
        if (created) return;
        log_.write("Cannot create folder " + folder + ": " + p_.files->lastError());
        folder = fallback;
        log_.write(failureLine);
        if (!p_.files->createDirectories(folder))
            log_.write("Cannot create folder " + folder + ": " + p_.files->lastError());
    }

    void readWorkingFolders() {
        log_.write("Stage 1-7");
        try {
            if (!s_.needsRestart) {
                try {
                    read(55);
                    if (s_.statisticsDir.empty())
                        s_.statisticsDir = expand(s_.installDir + "Statistics\\");
                    log_.write("Statdir: " + s_.statisticsDir);
                    createOrFallBack(s_.statisticsDir, s_.installDir + "Statistics\\",
                                     "Exception 1 (bad statistics directory, unable to use)");

                    read(56);
                    if (s_.partsDir.empty()) s_.partsDir = s_.installDir + "UC\\";
                    log_.write("UCdir: " + s_.partsDir);
                    createOrFallBack(s_.partsDir, s_.installDir + "UC\\",
                                     "Exception 2 (bad UC directory, unable to use)");

                    log_.write("Stage 1-8");
                    readRange(57, 63);
                } catch (...) {
                    log_.writeStartupLog("Exception block 3-1");
                    log_.write("Exception 3");
                }
            }
            log_.write("Stage 1-9");
            try {
                readFlags();
            } catch (...) {
                log_.writeStartupLog("Exception block 3-2");
            }
        } catch (...) {
            log_.writeStartupLog("Exception block 3");
        }
    }

    void readFlags() {
        readRange(64, 68);
        s_.enabledItems = deriveMadFlags(s_.statisticsFlags);
        s_.statisticsFlags = s_.enabledItems;
        log_.write("Mad flags: " + hexUpper(static_cast<std::uint32_t>(s_.enabledItems)) + " (" +
                   decimal(s_.enabledItems) + ")");
        const RegValue marker = p_.registry->readString(kSettingsKey, kFirstRunMarker);
        std::int64_t markerValue = 0;
        const bool firstRunDone = marker.status == RegStatus::Ok &&
                                  parseInt64(marker.text, markerValue) &&
                                  markerValue == kFirstRunDone;
        if (!firstRunDone) {
            s_.enabledItems = kFirstRunFlags;  // this run only; the stored flags stay derived
            s_.mouseTracking = false;
            log_.write("Statistics reset performed");
        }
        // A disabled run (typically the very first one, before the host lists the module)
        // keeps the marker unset so that the first real run still gets its first-run items.
        if (!s_.needsRestart &&
            !p_.registry->writeString(kSettingsKey, kFirstRunMarker, decimal(kFirstRunDone)))
            log_.write("Cannot store \"Statistics reset\"");
    }

    void createInstallDir() {
        log_.write("Stage 1-11");
        try {
            if (!s_.needsRestart && !s_.installDir.empty() &&
                !p_.files->directoryExists(s_.installDir) &&
                !p_.files->createDirectory(s_.installDir))
                log_.write("Cannot create folder " + s_.installDir + ": " + p_.files->lastError());
        } catch (...) {
            log_.writeStartupLog("Exception block 4");
        }
    }

    // Not guarded: without its scripts folder the start-up fails as a whole.
    void createScriptingDir() {
        if (s_.needsRestart) return;
        read(70);
        if (s_.scriptsDir.empty()) s_.scriptsDir = s_.installDir + "Scripts\\";
        log_.write("Scripting dir is: " + s_.scriptsDir);
        if (!p_.files->createDirectories(s_.scriptsDir))
            throw std::runtime_error("Cannot create the scripts folder " + s_.scriptsDir + ": " +
                                     p_.files->lastError());
    }

    Settings& s_;
    const Platform& p_;
    Log& log_;
    DateTimeFields now_;
    std::optional<std::string> moduleFolder_;  // asked for when the first folder is resolved
};

}  // namespace

std::int32_t deriveMadFlags(std::int32_t storedFlags) {
    std::int32_t flags = (storedFlags & ~kTempItemBit) | kTrafficBit;
    if ((flags & kSpamBit) != 0)
        flags |= kNonSpamBit;
    else
        flags &= ~kNonSpamBit;
    return flags;
}

void loadSettings(Settings& settings, SettingsIo io) {
    requireServices(io.platform, true);
    Loader(settings, io).run();
}

void saveSettings(const Settings& settings, SettingsIo io) {
    requireServices(io.platform, false);
    io.log.write("Saving data to registry....");
    if (settings.needsRestart) return;
    io.log.write("Begin");
    // The registry holds only strings, so one refused write says nothing about the next:
    // keep going and name what was not stored.
    std::int64_t failed = 0;
    for (const SavedValue& value : saveOrder()) {
        if (!io.platform.registry->writeString(value.key, value.name,
                                               storedText(value, settings))) {
            ++failed;
            io.log.write(std::string("Cannot store \"") + value.name + "\"");
        }
    }
    if (failed == 0)
        io.log.write("Data stored");
    else
        io.log.write("Data stored, " + decimal(failed) + " value(s) failed");
}

}  // namespace qbx
