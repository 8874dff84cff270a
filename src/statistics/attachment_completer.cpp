#include "statistics/attachment_completer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/float_text.h"
#include "base/text.h"
#include "base/uu_codec.h"
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
// The assembled text of the largest decoded file: its full lines, with check characters and
// line ends.
constexpr std::size_t kMaxAssembledTextBytes =
    (kMaxAssembledFileBytes / kUuBytesPerLine + 1) * (kUuBytesPerLine / 3 * 4 + 5);
// Days counted from stamps that went through text lose their last digits; half a millisecond
// keeps a set of exactly fourteen days at fourteen.
constexpr double kHalfMillisecond = 0.5 / 86400000.0;
constexpr std::size_t kMaxLoggedNameBytes = 120;

std::string partsFolder(const Plugin& plugin) {
    std::string folder = plugin.settings.partsDir;
    if (folder.empty()) throw std::runtime_error("no folder for UUE parts");
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

template <class T>
T& service(T* pointer, const char* what) {
    if (pointer == nullptr) throw std::runtime_error(std::string("no ") + what);
    return *pointer;
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
std::optional<double> parseDayCount(std::string_view text) {
    std::string number(trimBlankOrControl(text));
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

// "UC.INI" through the profile functions: every call reads or writes the file itself.
class PartsIni {
public:
    PartsIni(Plugin& plugin, const std::string& folder)
        : store_(service(plugin.platform.profiles, "INI files")),
          path_(folder + std::string(kIniName)) {}

    std::string read(std::string_view section, std::string_view key) {
        return store_.readString(path_, section, key, "");
    }
    std::int64_t readInt(std::string_view section, std::string_view key) {
        return parseDelphiInteger(read(section, key)).value_or(0);
    }
    void write(std::string_view section, std::string_view key, std::string_view value) {
        if (!store_.writeString(path_, section, key, value)) cannotWrite();
    }
    void writeInt(std::string_view section, std::string_view key, std::int64_t value) {
        write(section, key, decimal(value));
    }
    void deleteKey(std::string_view section, std::string_view key) {
        if (!store_.deleteKey(path_, section, key)) cannotWrite();
    }
    void eraseSection(std::string_view section) {
        if (!store_.eraseSection(path_, section)) cannotWrite();
    }
    // The pending files in file order, less the count.
    std::vector<std::string> pendingNames() {
        std::vector<std::string> names = store_.keyNames(path_, kPending);
        const auto count = std::find_if(names.begin(), names.end(), [](const std::string& name) {
            return equalsIgnoreCase1251(name, kCount);
        });
        if (count != names.end()) names.erase(count);
        return names;
    }
    // The set's part count as written, within what a set can have.
    std::int64_t partCount(std::string_view name) {
        return std::clamp<std::int64_t>(readInt(name, kCount), 0, kMaxUuePartCount);
    }
    // The set is no longer pending.
    void dropSet(std::string_view name) {
        eraseSection(name);
        deleteKey(kPending, name);
        writeInt(kPending, kCount, readInt(kPending, kCount) - 1);
    }

private:
    [[noreturn]] void cannotWrite() { throw std::runtime_error("cannot write " + path_); }

    ProfileStore& store_;
    std::string path_;
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

void deleteIfExists(FileSystem& files, const std::string& path) {
    if (files.fileExists(path) && !files.deleteFile(path))
        throw std::runtime_error("cannot delete " + path + ": " + files.lastError());
}

void writeWhole(FileSystem& files, const std::string& path, std::string_view bytes) {
    if (!files.writeFileAtomic(path, bytes))
        throw std::runtime_error("cannot write " + path + ": " + files.lastError());
}

// Concatenates the parts' data lines into NAME.uue, decodes it into NAME and forgets the set.
void assemble(Plugin& plugin, PartsIni& ini, const std::string& folder, const std::string& name,
              const std::vector<std::string>& parts, bool deleteAssembledText) {
    FileSystem& files = *plugin.platform.files;
    const std::string textPath = folder + name + ".uue";
    const std::string target = folder + name;
    deleteIfExists(files, textPath);
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
    writeWhole(files, textPath, text);
    deleteIfExists(files, target);
    writeWhole(files, target, uuDecode(text, kMaxAssembledFileBytes));
    if (deleteAssembledText) files.deleteFile(textPath);
    for (const std::string& part : parts)
        if (!part.empty()) files.deleteFile(part);
    ini.dropSet(name);
}

double wholeDaysBetween(double a, double b) {
    return std::floor(std::min(std::fabs(a - b) + kHalfMillisecond, 1e9));
}

}  // namespace

void initUueCompleter(Plugin& plugin) {
    const std::string folder = partsFolder(plugin);
    FileSystem& files = service(plugin.platform.files, "file system");
    if (!files.directoryExists(folder) && !files.createDirectories(folder))
        throw std::runtime_error("cannot create " + folder + ": " + files.lastError());
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

    const std::string folder = partsFolder(plugin);
    PartsIni ini(plugin, folder);
    const std::int64_t received = ini.readInt(kPending, *name);
    if (received == 0) ini.writeInt(kPending, kCount, ini.readInt(kPending, kCount) + 1);
    ini.writeInt(kPending, *name, received + 1);

    PartFile file = createPartFile(plugin, folder, *name);
    ini.writeInt(*name, kCount, part.count);
    ini.writeInt(*name, kCurrentCount, ini.readInt(*name, kCurrentCount) + 1);
    ini.write(*name, kDateStamp,
              dayCountText(service(plugin.platform.clock, "clock").now(),
                           service(plugin.platform.locale, "locale").decimalSeparator()));
    ini.write(*name, decimal(part.part), file.path);
    if (!file.file->write(part.data) || !file.file->flush())
        throw std::runtime_error("cannot write " + file.path);
}

void completePendingUue(Plugin& plugin, bool deleteAssembledText) {
    const std::string folder = partsFolder(plugin);
    FileSystem& files = service(plugin.platform.files, "file system");
    PartsIni ini(plugin, folder);
    for (const std::string& name : ini.pendingNames()) {
        plugin.log.write("assembling " + name);
        // Only a name the completer itself registers may become a file here.
        if (cleanPartFileName(name) != name) {
            plugin.log.write("Unusable file name left alone: " + shown(name));
            continue;
        }
        const std::int64_t collected = ini.readInt(name, kCurrentCount);
        const std::int64_t expected = ini.partCount(name);
        std::vector<std::string> parts;
        parts.reserve(static_cast<std::size_t>(expected));
        for (std::int64_t j = 1; j <= expected; ++j) {
            const std::string key = decimal(j);
            std::string path = ini.read(name, key);
            if (liesIn(path, folder) && files.fileExists(path)) {
                parts.push_back(std::move(path));
            } else {
                if (!path.empty()) ini.deleteKey(name, key);
                parts.emplace_back();
            }
        }
        const auto found = static_cast<std::int64_t>(
            std::count_if(parts.begin(), parts.end(), [](const auto& p) { return !p.empty(); }));
        ini.writeInt(name, kCurrentCount, found);
        if (collected == expected && collected > 0 && found == expected)
            assemble(plugin, ini, folder, name, parts, deleteAssembledText);
    }
}

void removeOlderUueParts(Plugin& plugin, std::int32_t days) {
    const std::string folder = partsFolder(plugin);
    FileSystem& files = service(plugin.platform.files, "file system");
    const double now = service(plugin.platform.clock, "clock").now();
    PartsIni ini(plugin, folder);
    for (const std::string& name : ini.pendingNames()) {
        const double stamp = parseDayCount(ini.read(name, kDateStamp)).value_or(now);
        if (wholeDaysBetween(now, stamp) < days) continue;
        const std::int64_t expected = ini.partCount(name);
        for (std::int64_t j = 1; j <= expected; ++j) {
            const std::string path = ini.read(name, decimal(j));
            if (liesIn(path, folder) && files.fileExists(path)) files.deleteFile(path);
        }
        ini.dropSet(name);
    }
}

void installAttachmentCompleter(Plugin& plugin) {
    plugin.factories.initAttachmentCompleter = [](Plugin& p) { initUueCompleter(p); };
    if (SpamFilterState* filter = spamFilter(plugin)) {
        filter->hooks.isUuePart = [](Plugin&, std::string_view body) { return isUuePart(body); };
        filter->hooks.addUuePart = [](Plugin& p, std::string_view body) { addUuePart(p, body); };
    }
}

}  // namespace qbx::statistics
