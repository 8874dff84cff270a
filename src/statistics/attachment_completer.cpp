#include "statistics/attachment_completer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/float_text.h"
#include "base/ini_file.h"
#include "base/text.h"
#include "base/uu_codec.h"
#include "core/guard.h"
#include "core/kept_files.h"
#include "core/plugin.h"
#include "statistics/spam_filter.h"
#include "statistics/uue_part.h"

namespace qbx::statistics {
namespace {

constexpr std::string_view kIniName = "UC.INI";
constexpr std::string_view kPending = "PendingFiles";
constexpr std::string_view kCount = "Count";
constexpr std::string_view kCurrentCount = "CurrentCount";
constexpr std::string_view kDateStamp = "DateStamp";
// The unique numbers of part file names: four hexadecimal digits, as the system's own
// temporary names have them.
constexpr unsigned kPartNumbers = 0xFFFF;
// "name (2).ext" .. : a decoded file never replaces one that is there.
constexpr int kMaxNameCopies = 1000;
// The assembled text of the largest decoded file: its full lines, with check characters and
// line ends.
constexpr std::size_t kMaxAssembledTextBytes =
    (kMaxAssembledFileBytes / kUuBytesPerLine + 1) * (kUuBytesPerLine / 3 * 4 + 5);
// Days counted from stamps that went through text lose their last digits; half a millisecond
// keeps a set of exactly fourteen days at fourteen.
constexpr double kHalfMillisecond = 0.5 / 86400000.0;
constexpr std::size_t kMaxLoggedNameBytes = 120;

template <class T>
T& service(T* pointer, const char* what) {
    if (pointer == nullptr) throw std::runtime_error(std::string("no ") + what);
    return *pointer;
}

// A folder as compared with another: one kind of separator, none at the end.
std::string comparableFolder(std::string_view folder) {
    std::string text(folder);
    std::replace(text.begin(), text.end(), '/', '\\');
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

// The parts folder, ending in a backslash.
std::string partsFolderPath(const Plugin& plugin) {
    std::string folder = plugin.settings.partsDir;
    if (folder.empty()) throw std::runtime_error("no folder for UUE parts");
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

// A mailed "x.s" decoded into the scripts folder would become a script and run as a macro.
bool isScriptsFolder(const Plugin& plugin, std::string_view folder) {
    const std::string scripts = comparableFolder(plugin.settings.scriptsDir);
    return !scripts.empty() && equalsIgnoreCase1251(comparableFolder(folder), scripts);
}

// The parts folder, or nothing (logged) when it is the scripts folder.
std::optional<std::string> partsFolder(Plugin& plugin) {
    std::string folder = partsFolderPath(plugin);
    if (!isScriptsFolder(plugin, folder)) return folder;
    plugin.log.write("UUE completer refused: its folder " + folder + " is the scripts folder");
    return std::nullopt;
}

// A name from the mail as the log may show it: one line, cut short.
std::string shown(std::string_view name) {
    std::string text = lineBreaksToBlanks(name.substr(0, kMaxLoggedNameBytes));
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    return text;
}

// Whether the path names a plain file right inside the folder: "UC.INI" is ours, but someone
// may have edited it, and part files are read and deleted only where we create them.
bool liesIn(std::string_view path, std::string_view folder) {
    if (path.size() <= folder.size() ||
        !equalsIgnoreCase1251(path.substr(0, folder.size()), folder))
        return false;
    const std::string_view name = path.substr(folder.size());
    return name.find_first_of("\\/:") == std::string_view::npos && name != "." && name != "..";
}

// A day count as "UC.INI" keeps it: written with the locale's decimal separator, read with
// either, since the locale may have changed in between.
std::optional<double> parseDayCount(std::string_view text, char separator) {
    std::string number(trimBlankOrControl(text));
    if (separator != '.') std::replace(number.begin(), number.end(), separator, '.');
    std::replace(number.begin(), number.end(), ',', '.');
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string dayCountText(double dateTime, char separator) {
    std::string text = floatToText(dateTime);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

// The part number a key of a set's section stands for: "1" .. "M" as written, nothing for
// any other key.
std::optional<std::int64_t> partNumberOf(std::string_view key, std::int64_t count) {
    if (key.empty() || key.size() > 5 || key.front() < '1' || key.front() > '9') return {};
    std::int64_t value = 0;
    for (const char c : key) {
        if (c < '0' || c > '9') return {};
        value = value * 10 + (c - '0');
    }
    if (value > count) return {};
    return value;
}

// "UC.INI", read once per operation, edited in memory and written once, to a temporary name
// renamed over the old file: a kill half-way through leaves the old file or the new one.
class PartsIni {
public:
    PartsIni(Plugin& plugin, const std::string& folder)
        : plugin_(plugin),
          files_(service(plugin.platform.files, "file system")),
          path_(folder + std::string(kIniName)) {}

    // Reads the file. One that could not be read, or not whole, is the user's record of what
    // is pending: it goes aside unchanged and what was read of it takes its place; when it
    // cannot go aside, nothing is written and the call does nothing. False then (logged).
    bool load() {
        if (!files_.fileExists(path_) && !files_.directoryExists(path_)) return true;
        std::string reason;
        bool sound = false;  // read, but more than the document takes: kept as it was
        try {
            if (std::optional<std::string> bytes = files_.readFile(path_, IniFile::kMaxFileBytes)) {
                doc_ = IniFile::parse(*bytes);
                reason = doc_.cut();
                sound = true;
            } else {
                reason = files_.lastError().empty() ? "unreadable" : files_.lastError();
                sound = isTooLongReason(reason);
            }
        } catch (...) {
            reason = describeException(std::current_exception());
        }
        if (reason.empty()) return true;
        const KeptAside aside =
            keepAside(files_, path_, sound ? kNotTakenWholeSuffix : kDamagedSuffix);
        if (!aside.kept) {
            plugin_.log.write(path_ + " could not be read whole (" + reason + ") nor kept aside (" +
                              aside.failure + "): it is not written");
            return false;
        }
        plugin_.log.write(path_ + " could not be read whole (" + reason + "): kept as " +
                          aside.path);
        // What was read stands in its place at once, whatever becomes of this call.
        if (files_.writeFileAtomic(path_, doc_.serialize())) return true;
        plugin_.log.write("Cannot write " + path_ + ": " + files_.lastError());
        return false;
    }

    std::string read(std::string_view section, std::string_view key) const {
        return doc_.getString(section, key, "");
    }
    std::int64_t readInt(std::string_view section, std::string_view key) const {
        return parseDelphiInteger(read(section, key)).value_or(0);
    }
    void write(std::string_view section, std::string_view key, std::string_view value) {
        const std::optional<std::string> old = doc_.get(section, key);
        if (old && *old == value) return;
        doc_.set(section, key, value);
        changed_ = true;
    }
    void writeInt(std::string_view section, std::string_view key, std::int64_t value) {
        write(section, key, decimal(value));
    }
    void deleteKey(std::string_view section, std::string_view key) {
        if (!doc_.get(section, key)) return;
        doc_.erase(section, key);
        changed_ = true;
    }
    // The pending files in file order, less the count.
    std::vector<std::string> pendingNames() const {
        std::vector<std::string> names = doc_.keyNames(kPending);
        const auto count = std::find_if(names.begin(), names.end(), [](const std::string& name) {
            return equalsIgnoreCase1251(name, kCount);
        });
        if (count != names.end()) names.erase(count);
        return names;
    }
    // The set's part count as written, within what a set can have.
    std::int64_t partCount(std::string_view name) const {
        return std::clamp<std::int64_t>(readInt(name, kCount), 0, kMaxUuePartCount);
    }
    // The set's part files by number, as far as its section names them: a set that claims
    // thousands of parts costs only the keys it has.
    std::vector<std::pair<std::int64_t, std::string>> partPaths(std::string_view name) const {
        std::vector<std::pair<std::int64_t, std::string>> parts;
        const std::int64_t count = partCount(name);
        for (const IniFile::Entry& entry : doc_.entries(name))
            if (const auto number = partNumberOf(entry.key, count))
                parts.emplace_back(*number, entry.value);
        return parts;
    }
    // The sets are no longer pending. One pass over the document, however many go.
    void dropSets(const std::vector<std::string>& names) {
        if (names.empty()) return;
        std::set<std::string> gone;
        for (const std::string& name : names) gone.insert(toUpper1251(name));
        const std::int64_t pending = readInt(kPending, kCount);
        IniFile kept;
        for (const std::string& section : doc_.sectionNames()) {
            if (gone.count(toUpper1251(section)) != 0) continue;
            const bool isPending = equalsIgnoreCase1251(section, kPending);
            if (doc_.entries(section).empty()) {  // a section without keys stays one
                kept.set(section, "", "");
                kept.erase(section, "");
            }
            for (const IniFile::Entry& entry : doc_.entries(section))
                if (!isPending || gone.count(toUpper1251(entry.key)) == 0)
                    kept.set(section, entry.key, entry.value);
        }
        doc_ = std::move(kept);
        writeInt(kPending, kCount, pending - static_cast<std::int64_t>(names.size()));
        changed_ = true;
    }
    // Throws when the file cannot be written; nothing is written when nothing changed.
    void save() {
        if (!changed_) return;
        if (!files_.writeFileAtomic(path_, doc_.serialize()))
            throw std::runtime_error("cannot write " + path_ + ": " + files_.lastError());
        changed_ = false;
    }

private:
    Plugin& plugin_;
    FileSystem& files_;
    std::string path_;
    IniFile doc_;
    bool changed_ = false;
};

struct PartFile {
    std::string path;
    std::unique_ptr<OutputFile> file;
};

// A new file "<first three characters of the name><hex>.tmp" in the folder, never one that
// exists: the system's temporary-file naming, with the creation itself refusing a taken name.
PartFile createPartFile(Plugin& plugin, const std::string& folder, const std::string& name) {
    FileSystem& files = service(plugin.platform.files, "file system");
    const std::string prefix = folder + name.substr(0, 3);
    const std::uint32_t tick = service(plugin.platform.clock, "clock").tickCount();
    for (unsigned tried = 0; tried < kPartNumbers; ++tried) {
        const unsigned number = (tick + tried) % kPartNumbers + 1;
        PartFile part{prefix + hexUpper(number) + ".tmp", nullptr};
        part.file = files.createNewFile(part.path);
        if (part.file) return part;
        if (!files.fileExists(part.path))
            throw std::runtime_error("cannot create " + part.path + ": " + files.lastError());
    }
    throw std::runtime_error("no free name for a part file of " + name);
}

// "name (n).ext": the copy number goes before the extension, as the system's own copies
// have it.
std::string numberedName(const std::string& name, int copy) {
    if (copy == 1) return name;
    const std::size_t dot = name.rfind('.');
    const std::string number = " (" + decimal(copy) + ")";
    if (dot == std::string::npos) return name + number;
    return name.substr(0, dot) + number + name.substr(dot);
}

// Takes the first free one of the names above for the decoded file, by creating it empty: a
// file of that name in any letter case, and one made meanwhile, stays as it is.
std::string reserveFreeName(FileSystem& files, const std::string& folder, const std::string& name) {
    for (int copy = 1; copy <= kMaxNameCopies; ++copy) {
        const std::string path = folder + numberedName(name, copy);
        if (files.createNewFile(path)) return path;
        if (!files.fileExists(path) && !files.directoryExists(path))
            throw std::runtime_error("cannot create " + path + ": " + files.lastError());
    }
    throw std::runtime_error("no free name for " + name);
}

// Appends the text's non-empty lines, each ended by CR LF.
void appendLines(std::string& out, std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) {
            out.append(text.substr(start, end - start));
            out += "\r\n";
        }
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

void writeWhole(FileSystem& files, const std::string& path, std::string_view bytes) {
    if (!files.writeFileAtomic(path, bytes))
        throw std::runtime_error("cannot write " + path + ": " + files.lastError());
}

// Concatenates the parts' data lines into NAME.uue and decodes it into NAME, or into the first
// free "NAME (n)" when that is taken. Throws, leaving no file of its own behind, when the
// files cannot be written.
void assemble(Plugin& plugin, const std::string& folder, const std::string& name,
              const std::vector<std::string>& parts, bool deleteAssembledText) {
    FileSystem& files = *plugin.platform.files;
    std::string text;
    for (const std::string& part : parts) {
        const std::size_t room =
            kMaxAssembledTextBytes - std::min(text.size(), kMaxAssembledTextBytes);
        std::optional<std::string> bytes;
        if (!part.empty()) bytes = files.readFile(part, room);
        if (!bytes) {
            plugin.log.write("Error opening [" + part + "] of " + name);
            continue;
        }
        appendLines(text, *bytes);
    }
    const std::string target = reserveFreeName(files, folder, name);
    const std::string textPath = target + ".uue";
    try {
        writeWhole(files, textPath, text);
        writeWhole(files, target, uuDecode(text, kMaxAssembledFileBytes));
    } catch (...) {
        files.deleteFile(target);
        if (files.fileExists(textPath)) files.deleteFile(textPath);
        throw;
    }
    if (target != folder + name)
        plugin.log.write(name + " is there already: the new one is kept as " +
                         target.substr(folder.size()));
    if (deleteAssembledText) files.deleteFile(textPath);
}

double wholeDaysBetween(double a, double b) {
    return std::floor(std::min(std::fabs(a - b) + kHalfMillisecond, 1e9));
}

}  // namespace

void initUueCompleter(Plugin& plugin) {
    // The disabled mode has no folder for parts, and nothing to start: quietly.
    if (plugin.settings.partsDir.empty()) return;
    const std::optional<std::string> folder = partsFolder(plugin);
    if (!folder) return;
    FileSystem& files = service(plugin.platform.files, "file system");
    if (!files.directoryExists(*folder) && !files.createDirectories(*folder))
        throw std::runtime_error("cannot create " + *folder + ": " + files.lastError());
    plugin.log.write("UUE completer is initialized");
}

void addUuePart(Plugin& plugin, std::string_view body) {
    if (body.empty()) return;
    const UuePart part = parseUuePart(body);
    if (part.name.empty() || part.data.empty() || part.part < 1 || part.count < 2) return;
    const std::optional<std::string> name = cleanPartFileName(part.name);
    if (!name) {
        plugin.log.write("UUE part of an unusable file name ignored: " + shown(part.name));
        return;
    }
    if (part.count > kMaxUuePartCount || part.part > part.count) {
        plugin.log.write("UUE part [" + decimal(part.part) + "/" + decimal(part.count) + "] of " +
                         *name + " ignored");
        return;
    }
    plugin.log.write("Adding " + decimal(static_cast<std::int64_t>(part.data.size())) + " bytes [" +
                     decimal(part.part) + "/" + decimal(part.count) + "] of " + *name);

    const std::optional<std::string> folder = partsFolder(plugin);
    if (!folder) return;
    PartsIni ini(plugin, *folder);
    if (!ini.load()) throw std::runtime_error("UC.INI is not written");

    FileSystem& files = *plugin.platform.files;
    PartFile file = createPartFile(plugin, *folder, *name);
    const bool written = file.file->write(part.data) && file.file->flush();
    file.file.reset();
    try {
        if (!written) throw std::runtime_error("cannot write " + file.path);
        const std::int64_t received = ini.readInt(kPending, *name);
        if (received == 0) ini.writeInt(kPending, kCount, ini.readInt(kPending, kCount) + 1);
        ini.writeInt(kPending, *name, received + 1);
        ini.writeInt(*name, kCount, part.count);
        ini.writeInt(*name, kCurrentCount, ini.readInt(*name, kCurrentCount) + 1);
        ini.write(*name, kDateStamp,
                  dayCountText(service(plugin.platform.clock, "clock").now(),
                               service(plugin.platform.locale, "locale").decimalSeparator()));
        ini.write(*name, decimal(part.part), file.path);
        ini.save();
    } catch (...) {
        // A part file that "UC.INI" does not name would never be assembled nor removed.
        files.deleteFile(file.path);
        throw;
    }
}

void completePendingUue(Plugin& plugin, bool deleteAssembledText) {
    const std::optional<std::string> folder = partsFolder(plugin);
    if (!folder) return;
    FileSystem& files = service(plugin.platform.files, "file system");
    PartsIni ini(plugin, *folder);
    if (!ini.load()) return;
    std::vector<std::string> assembled;
    for (const std::string& name : ini.pendingNames()) {
        plugin.log.write("assembling " + name);
        // Only a name the completer itself registers may become a file here.
        if (cleanPartFileName(name) != name) {
            plugin.log.write("Unusable file name left alone: " + shown(name));
            continue;
        }
        const std::int64_t collected = ini.readInt(name, kCurrentCount);
        const std::int64_t expected = ini.partCount(name);
        std::vector<std::string> parts(
            static_cast<std::size_t>(collected == expected ? expected : 0));
        std::int64_t found = 0;
        for (auto& [number, path] : ini.partPaths(name)) {
            if (liesIn(path, *folder) && files.fileExists(path)) {
                ++found;
                if (!parts.empty()) parts[static_cast<std::size_t>(number - 1)] = std::move(path);
            } else if (!path.empty()) {
                ini.deleteKey(name, decimal(number));
            }
        }
        ini.writeInt(name, kCurrentCount, found);
        if (collected != expected || collected <= 0 || found != expected) continue;
        try {
            assemble(plugin, *folder, name, parts, deleteAssembledText);
        } catch (...) {
            // One set that cannot be written (a name the system refuses, a path too long)
            // keeps its parts for another try; the others go on.
            plugin.log.write("Cannot assemble " + name + ": " +
                             describeException(std::current_exception()));
            continue;
        }
        for (const std::string& part : parts)
            if (!part.empty()) files.deleteFile(part);
        assembled.push_back(name);
    }
    ini.dropSets(assembled);
    ini.save();
}

void removeOlderUueParts(Plugin& plugin, std::int32_t days) {
    const std::optional<std::string> folder = partsFolder(plugin);
    if (!folder) return;
    FileSystem& files = service(plugin.platform.files, "file system");
    const double now = service(plugin.platform.clock, "clock").now();
    const char separator = service(plugin.platform.locale, "locale").decimalSeparator();
    PartsIni ini(plugin, *folder);
    if (!ini.load()) return;
    std::vector<std::string> removed;
    for (const std::string& name : ini.pendingNames()) {
        const double stamp = parseDayCount(ini.read(name, kDateStamp), separator).value_or(now);
        if (wholeDaysBetween(now, stamp) < days) continue;
        for (const auto& [number, path] : ini.partPaths(name))
            if (liesIn(path, *folder) && files.fileExists(path)) files.deleteFile(path);
        removed.push_back(name);
    }
    ini.dropSets(removed);
    ini.save();
}

std::vector<PendingUueSet> readPendingUueSets(Plugin& plugin, std::size_t maxSets) {
    std::vector<PendingUueSet> sets;
    const std::string folder = partsFolderPath(plugin);
    if (isScriptsFolder(plugin, folder)) return sets;
    FileSystem& files = service(plugin.platform.files, "file system");
    const char separator = service(plugin.platform.locale, "locale").decimalSeparator();
    std::optional<std::string> bytes;
    try {
        bytes = files.readFile(folder + std::string(kIniName), IniFile::kMaxFileBytes);
    } catch (...) {  // what cannot be read shows as nothing pending
    }
    if (!bytes) return sets;
    const IniFile ini = IniFile::parse(*bytes);
    const auto number = [&](std::string_view section, std::string_view key) {
        return parseDelphiInteger(ini.getString(section, key, "")).value_or(0);
    };
    for (const std::string& name : ini.keyNames(kPending)) {
        if (equalsIgnoreCase1251(name, kCount)) continue;
        if (sets.size() == maxSets) break;
        sets.push_back({name, number(name, kCurrentCount), number(name, kCount),
                        parseDayCount(ini.getString(name, kDateStamp, ""), separator)});
    }
    return sets;
}

void installAttachmentCompleter(Plugin& plugin) {
    plugin.factories.initAttachmentCompleter = [](Plugin& p) { initUueCompleter(p); };
    if (SpamFilterState* filter = spamFilter(plugin)) {
        filter->hooks.isUuePart = [](Plugin&, std::string_view body) { return isUuePart(body); };
        filter->hooks.addUuePart = [](Plugin& p, std::string_view body) { addUuePart(p, body); };
    }
}

}  // namespace qbx::statistics
