// SysUtils' files and folders: existence, folders, attributes, times, disk space, FindFirst and
// the handle routines. A routine that cannot do its work answers as Delphi's does (False, -1,
// 0 or empty); none stops the script unless Delphi raises. Files a script opens and searches it
// starts live in tables of the environment, bounded in number, so a script that forgets to
// close them cannot exhaust the process's handles.
#include <algorithm>
#include <memory>
#include <vector>

#include "base/datetime.h"
#include "base/text.h"
#include "platform/script_files.h"
#include "scripting/pascal/library_support.h"

namespace qbx::scripting::pascal::library {

namespace {

using namespace file_attribute;

constexpr std::size_t kMaxPath = 32767;
constexpr std::size_t kMaxOpenFiles = 64;
constexpr std::size_t kMaxSearches = 16;
// Windows' answers of FindFirst and FindNext.
constexpr std::int64_t kFileNotFound = 2;
constexpr std::int64_t kNoMoreFiles = 18;
constexpr std::int64_t kVolumeId = 0x08;
constexpr std::int64_t kAnyFile = 0x1FF;
constexpr std::int64_t kCreateMode = 0xFF00;

struct Search {
    std::vector<FoundFile> entries;
    std::size_t next = 0;
    std::uint32_t excluded = 0;
};

struct State {
    RuntimeServices services;
    HandleTable<OpenScriptFile, kMaxOpenFiles> files;
    HandleTable<Search, kMaxSearches> searches;  // by FindHandle

    ScriptFiles& fs() const { return need(services.scriptFiles, "The file system"); }
};

// A path argument; an empty or overlong one names nothing.
std::optional<std::string> pathArg(const Value& v) {
    std::string h;
    const std::string_view path = stringArg(v, h);
    if (path.empty() || path.size() > kMaxPath || path.find('\0') != std::string_view::npos)
        return std::nullopt;
    return std::string(path);
}

bool isDelimiter(char c) { return c == '\\'; }

// The DOS date and time stamp that FileAge and TSearchRec.Time give.
std::int64_t fileDate(double dateTime) {
    const DateTimeFields f = decodeDateTime(dateTime);
    if (f.year < 1980 || f.year > 2107) return 0;
    return (static_cast<std::int64_t>(f.year - 1980) << 25) | (std::int64_t{f.month} << 21) |
           (std::int64_t{f.day} << 16) | (std::int64_t{f.hour} << 11) |
           (std::int64_t{f.minute} << 5) | (f.second / 2);
}

// ---- existence and folders

// A routine of one path that answers whether the system did it; a path that is no path is False.
template <bool (ScriptFiles::*done)(const std::string&)>
Value onPath(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    return Value(path && (s.fs().*done)(*path));
}

// Delphi raises for an empty name; any other failure is False.
Value forceDirectories(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    if (!path) throw RuntimeError("Unable to create directory", "EInOutError");
    return Value(s.fs().createDirectories(*path));
}

Value renameFile(Args a, CallContext&, State& s) {
    const auto from = pathArg(a[0]);
    const auto to = pathArg(a[1]);
    return Value(from && to && s.fs().renameFile(*from, *to));
}

// FileAge(Name): the stamp or -1; FileAge(Name, var DateTime): whether the file is there.
Value fileAge(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    std::optional<double> when;
    if (path && !s.fs().directoryExists(*path)) when = s.fs().modified(*path);
    if (a.size() == 2) {
        if (when) a[1].assign(Value(*when));
        return Value(when.has_value());
    }
    return Value(when ? fileDate(*when) : std::int64_t{-1});
}

Value fileGetAttr(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    const auto bits = path ? s.fs().attributes(*path) : std::nullopt;
    return Value(bits ? static_cast<std::int64_t>(*bits) : std::int64_t{-1});
}

// 0, or the system's error code: the file is missing (2) or may not be changed (5).
Value fileSetAttr(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    if (!path || !s.fs().attributes(*path)) return Value(kFileNotFound);
    const auto bits = static_cast<std::uint32_t>(a[1].toInteger());
    return Value(s.fs().setAttributes(*path, bits) ? std::int64_t{0} : std::int64_t{5});
}

// Drive 0 is the current folder's, 1 is A:, 2 is B:, ...; -1 for a drive that is not there.
std::optional<DiskSpace> diskSpaceOf(const Value& drive, State& s) {
    const std::int64_t number = drive.toInteger();
    if (number < 0 || number > 26) return std::nullopt;
    if (number == 0) return s.fs().diskSpace(s.fs().currentDirectory());
    return s.fs().diskSpace(std::string(1, static_cast<char>('A' + number - 1)) + ":\\");
}

Value diskFree(Args a, CallContext&, State& s) {
    const auto space = diskSpaceOf(a[0], s);
    return Value(space ? space->free : std::int64_t{-1});
}

Value diskSize(Args a, CallContext&, State& s) {
    const auto space = diskSpaceOf(a[0], s);
    return Value(space ? space->total : std::int64_t{-1});
}

Value getCurrentDir(Args, CallContext&, State& s) { return Value(s.fs().currentDirectory()); }

Value setCurrentDir(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    return Value(path && s.fs().setCurrentDirectory(*path));
}

// ---- names

// Delphi's ExpandFileName on Windows: relative to the current folder (or the current drive's
// root for "\name"), "." and ".." resolved; the name is not looked for.
Value expandFileName(Args a, CallContext& c, State& s) {
    std::string h;
    std::string path(stringArg(a[0], h));
    if (path.empty()) return Value("");
    c.checkLength(path.size() + kMaxPath);
    for (char& ch : path)
        if (ch == '/') ch = '\\';
    std::string prefix;  // "C:" or "\\server\share", never touched by ".."
    std::string rest;
    const bool unc = path.starts_with("\\\\");
    if (unc) {
        const std::size_t share = path.find('\\', 2);
        const std::size_t end =
            share == std::string::npos ? std::string::npos : path.find('\\', share + 1);
        prefix = path.substr(0, end);
        rest = end == std::string::npos ? "" : path.substr(end);
    } else if (path.size() >= 2 && path[1] == ':') {
        prefix = path.substr(0, 2);
        rest = path.substr(2);
        if (rest.empty() || rest.front() != '\\') {
            std::string current = s.fs().currentDirectory();
            const bool sameDrive = current.size() >= 2 && current[1] == ':' &&
                                   equalsIgnoreCase1251(current.substr(0, 1), prefix.substr(0, 1));
            rest = (sameDrive ? current.substr(2) : std::string()) + "\\" + rest;
        }
    } else {
        const std::string current = s.fs().currentDirectory();
        if (current.size() >= 2 && current[1] == ':') {
            prefix = current.substr(0, 2);
            rest = path.front() == '\\' ? path : current.substr(2) + "\\" + path;
        } else {
            rest = path.front() == '\\' ? path : current + "\\" + path;
        }
    }
    const bool trailing = !rest.empty() && rest.back() == '\\';
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= rest.size()) {
        std::size_t end = rest.find('\\', at);
        if (end == std::string::npos) end = rest.size();
        const std::string part = rest.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string out = prefix;
    for (const std::string& part : parts) out += "\\" + part;
    if (parts.empty() || trailing) out += "\\";
    return Value(out);
}

Value extractFileDir(Args a, CallContext&, State&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    std::size_t end = path.find_last_of("\\:");
    if (end == std::string_view::npos) return Value("");
    ++end;  // the length up to and with the delimiter
    if (end > 1 && path[end - 1] == '\\' && path[end - 2] != '\\' && path[end - 2] != ':') --end;
    return Value(path.substr(0, end));
}

Value extractFileDrive(Args a, CallContext&, State&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    if (path.size() >= 2 && path[1] == ':') return Value(path.substr(0, 2));
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        const std::size_t server = path.find('\\', 2);
        if (server == std::string_view::npos || server == 2) return Value("");
        const std::size_t share = path.find('\\', server + 1);
        return Value(path.substr(0, share));
    }
    return Value("");
}

Value includeTrailingDelimiter(Args a, CallContext& c, State&) {
    std::string h;
    const std::string_view path = stringArg(a[0], h);
    if (!path.empty() && isDelimiter(path.back())) return Value(path);
    c.checkLength(path.size() + 1);
    return Value(std::string(path) + "\\");
}

Value excludeTrailingDelimiter(Args a, CallContext&, State&) {
    std::string h;
    std::string_view path = stringArg(a[0], h);
    if (!path.empty() && isDelimiter(path.back())) path.remove_suffix(1);
    return Value(path);
}

// ---- FindFirst, FindNext, FindClose

// TSearchRec's fields in their order: Time, Size, Attr, Name, ExcludeAttr, FindHandle.
enum SearchField { kTime, kSize, kAttr, kName, kExcludeAttr, kFindHandle, kSearchFields };

// The record argument, unshared, so that the caller's variable alone takes the new fields.
ArrayBox& searchRecord(Value& v) {
    if (!v.isArray() || !v.arrayBox()->record || v.arrayBox()->items.size() != kSearchFields)
        throw RuntimeError("TSearchRec required", "EInvalidCast");
    if (v.arrayBox()->refs > 1) v = Value::array(cloneArrayBox(*v.arrayBox()));
    return *v.arrayBox();
}

Search* searchOf(const ArrayBox& record, State& s) {
    const Value& handle = record.items[kFindHandle];
    return s.searches.find(handle.isInteger() ? handle.integer() : 0);
}

// The next entry that the search's attributes let through into the record; 18 at the end.
std::int64_t nextFound(Search& search, ArrayBox& record) {
    while (search.next < search.entries.size()) {
        const FoundFile& f = search.entries[search.next++];
        if ((f.attributes & search.excluded) != 0) continue;
        record.items[kTime].assign(Value(fileDate(f.modified)));
        record.items[kSize].assign(Value(f.size));
        record.items[kAttr].assign(Value(static_cast<std::int64_t>(f.attributes)));
        record.items[kName].assign(Value(f.name));
        return 0;
    }
    return kNoMoreFiles;
}

void closeSearch(ArrayBox& record, State& s) {
    const Value& handle = record.items[kFindHandle];
    s.searches.release(handle.isInteger() ? handle.integer() : 0);
    record.items[kFindHandle].assign(Value(std::int64_t{-1}));
}

Value findFirst(Args a, CallContext&, State& s) {
    ArrayBox& record = searchRecord(a[2]);
    const auto pattern = pathArg(a[0]);
    const std::int64_t attributes = a[1].toInteger();
    auto search = std::make_unique<Search>();
    search->excluded =
        static_cast<std::uint32_t>(~attributes & (kHidden | kSystem | kVolumeId | kDirectory));
    record.items[kExcludeAttr].assign(Value(static_cast<std::int64_t>(search->excluded)));
    if (pattern) search->entries = s.fs().find(*pattern);
    if (nextFound(*search, record) != 0) {
        record.items[kFindHandle].assign(Value(std::int64_t{-1}));
        return Value(kFileNotFound);
    }
    const std::int64_t handle = s.searches.keep(std::move(search));
    if (handle == 0)
        throw RuntimeError("Too many searches open: FindClose the ones that are done",
                           "EInOutError");
    record.items[kFindHandle].assign(Value(handle));
    return Value(std::int64_t{0});
}

Value findNext(Args a, CallContext&, State& s) {
    ArrayBox& record = searchRecord(a[0]);
    Search* search = searchOf(record, s);
    if (search == nullptr) return Value(kNoMoreFiles);
    return Value(nextFound(*search, record));
}

Value findClose(Args a, CallContext&, State& s) {
    closeSearch(searchRecord(a[0]), s);
    return Value();
}

// ---- handles

OpenScriptFile* fileOf(const Value& handle, State& s) {
    return s.files.find(handle.toInteger());
}

Value keepOpen(std::unique_ptr<OpenScriptFile> file, State& s) {
    if (!file) return Value(std::int64_t{-1});
    const std::int64_t handle = s.files.keep(std::move(file));
    return Value(handle == 0 ? std::int64_t{-1} : handle);
}

Value fileCreate(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    if (!path) return Value(std::int64_t{-1});
    return keepOpen(s.fs().open(*path, FileAccess::ReadWrite, true), s);
}

// The mode's low bits choose the access; the sharing bits are the system's business.
Value fileOpen(Args a, CallContext&, State& s) {
    const auto path = pathArg(a[0]);
    const std::int64_t mode = a[1].toInteger();
    if (!path || (mode & 3) == 3) return Value(std::int64_t{-1});
    if ((mode & kCreateMode) == kCreateMode)
        return keepOpen(s.fs().open(*path, FileAccess::ReadWrite, true), s);
    return keepOpen(s.fs().open(*path, static_cast<FileAccess>(mode & 3), false), s);
}

// The buffer is the script's own variable: a string, which becomes the bytes read, or an
// array, whose items take the bytes in turn. Never more than the array holds or a string may.
Value fileRead(Args a, CallContext& c, State& s) {
    OpenScriptFile* file = fileOf(a[0], s);
    const std::int64_t count = a[2].toInteger();
    if (file == nullptr || count < 0) return Value(std::int64_t{-1});
    Value& buffer = a[1];
    std::size_t room = static_cast<std::size_t>(count);
    if (buffer.isArray()) {
        room = std::min(room, buffer.arrayBox()->items.size());
    } else {
        c.checkLength(room);
    }
    std::string bytes(room, '\0');
    const std::int64_t got = room == 0 ? 0 : file->read(bytes.data(), room);
    if (got < 0) return Value(std::int64_t{-1});
    bytes.resize(static_cast<std::size_t>(got));
    if (buffer.isArray()) {
        if (buffer.arrayBox()->refs > 1) buffer = Value::array(cloneArrayBox(*buffer.arrayBox()));
        auto& items = buffer.arrayBox()->items;
        for (std::size_t i = 0; i < bytes.size(); ++i)
            items[i].assign(Value(static_cast<std::int64_t>(static_cast<unsigned char>(bytes[i]))));
    } else {
        buffer.assign(Value(std::move(bytes)));
    }
    return Value(got);
}

Value fileWrite(Args a, CallContext&, State& s) {
    OpenScriptFile* file = fileOf(a[0], s);
    const std::int64_t count = a[2].toInteger();
    if (file == nullptr || count < 0) return Value(std::int64_t{-1});
    std::string bytes;
    if (a[1].isArray()) {
        const auto& items = a[1].arrayBox()->items;
        const std::size_t n = std::min(items.size(), static_cast<std::size_t>(count));
        bytes.reserve(n);
        for (std::size_t i = 0; i < n; ++i) bytes += static_cast<char>(items[i].toInteger());
    } else {
        std::string h;
        const std::string_view text = stringArg(a[1], h);
        bytes = text.substr(0, static_cast<std::size_t>(count));
    }
    if (bytes.empty()) return Value(std::int64_t{0});
    return Value(file->write(bytes.data(), bytes.size()));
}

Value fileSeek(Args a, CallContext&, State& s) {
    OpenScriptFile* file = fileOf(a[0], s);
    const std::int64_t origin = a[2].toInteger();
    if (file == nullptr || origin < 0 || origin > 2) return Value(std::int64_t{-1});
    return Value(file->seek(a[1].toInteger(), static_cast<SeekOrigin>(origin)));
}

Value fileClose(Args a, CallContext&, State& s) {
    s.files.release(a[0].toInteger());
    return Value();
}

// ---- plain computation

Value fileDateToDateTime(Args a, CallContext&, State&) {
    const std::int64_t stamp = a[0].toInteger();
    DateTimeFields f;
    f.year = static_cast<int>(((stamp >> 25) & 0x7F) + 1980);
    f.month = static_cast<int>((stamp >> 21) & 0x0F);
    f.day = static_cast<int>((stamp >> 16) & 0x1F);
    f.hour = static_cast<int>((stamp >> 11) & 0x1F);
    f.minute = static_cast<int>((stamp >> 5) & 0x3F);
    f.second = static_cast<int>((stamp & 0x1F) * 2);
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month) ||
        f.hour > 23 || f.minute > 59 || f.second > 59)
        throw RuntimeError("Invalid argument to date encode", "EConvertError");
    return Value(encodeDateTime(f));
}

Value dateTimeToFileDate(Args a, CallContext&, State&) { return Value(fileDate(a[0].toDouble())); }

// Delphi cuts the system's text at its end's blanks, line breaks and dots.
Value sysErrorMessage(Args a, CallContext&, State& s) {
    std::string text = s.fs().errorText(static_cast<std::uint32_t>(a[0].toInteger()));
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return Value(text);
}

struct FileRow {
    std::string_view name;
    int minArgs;
    int maxArgs;
    std::uint32_t varParams;
    Value (*function)(Args, CallContext&, State&);
};

constexpr FileRow kRows[] = {
    {"FileExists", 1, 1, 0, onPath<&ScriptFiles::fileExists>},
    {"DirectoryExists", 1, 1, 0, onPath<&ScriptFiles::directoryExists>},
    {"CreateDir", 1, 1, 0, onPath<&ScriptFiles::createDirectory>},
    {"ForceDirectories", 1, 1, 0, forceDirectories},
    {"RemoveDir", 1, 1, 0, onPath<&ScriptFiles::removeDirectory>},
    {"DeleteFile", 1, 1, 0, onPath<&ScriptFiles::deleteFile>},
    {"RenameFile", 2, 2, 0, renameFile},
    {"FileAge", 1, 2, 0b10, fileAge},
    {"FileGetAttr", 1, 1, 0, fileGetAttr},
    {"FileSetAttr", 2, 2, 0, fileSetAttr},
    {"DiskFree", 1, 1, 0, diskFree},
    {"DiskSize", 1, 1, 0, diskSize},
    {"GetCurrentDir", 0, 0, 0, getCurrentDir},
    {"SetCurrentDir", 1, 1, 0, setCurrentDir},
    {"ExpandFileName", 1, 1, 0, expandFileName},
    {"ExtractFileDir", 1, 1, 0, extractFileDir},
    {"ExtractFileDrive", 1, 1, 0, extractFileDrive},
    {"IncludeTrailingPathDelimiter", 1, 1, 0, includeTrailingDelimiter},
    {"IncludeTrailingBackslash", 1, 1, 0, includeTrailingDelimiter},
    {"ExcludeTrailingPathDelimiter", 1, 1, 0, excludeTrailingDelimiter},
    {"ExcludeTrailingBackslash", 1, 1, 0, excludeTrailingDelimiter},
    {"FindFirst", 3, 3, 0b100, findFirst},
    {"FindNext", 1, 1, 0b1, findNext},
    {"FindClose", 1, 1, 0b1, findClose},
    {"FileCreate", 1, 3, 0, fileCreate},
    {"FileOpen", 2, 2, 0, fileOpen},
    {"FileRead", 3, 3, 0b10, fileRead},
    {"FileWrite", 3, 3, 0, fileWrite},
    {"FileSeek", 3, 3, 0, fileSeek},
    {"FileClose", 1, 1, 0, fileClose},
    {"FileDateToDateTime", 1, 1, 0, fileDateToDateTime},
    {"DateTimeToFileDate", 1, 1, 0, dateTimeToFileDate},
    {"SysErrorMessage", 1, 1, 0, sysErrorMessage},
};

constexpr IntegerConstant kConstants[] = {
    {"faReadOnly", kReadOnly},  {"faHidden", kHidden},       {"faSysFile", kSystem},
    {"faVolumeID", kVolumeId},  {"faDirectory", kDirectory}, {"faArchive", kArchive},
    {"faNormal", kNormal},      {"faAnyFile", kAnyFile},     {"fmOpenRead", 0},
    {"fmOpenWrite", 1},         {"fmOpenReadWrite", 2},      {"fmShareCompat", 0},
    {"fmShareExclusive", 0x10}, {"fmShareDenyWrite", 0x20},  {"fmShareDenyRead", 0x30},
    {"fmShareDenyNone", 0x40},  {"fmCreate", kCreateMode},
};

}  // namespace

void addFileFunctions(Environment& environment, const RuntimeServices& services) {
    auto state = std::make_shared<State>();
    state->services = services;
    for (const FileRow& row : kRows) {
        auto* function = row.function;
        environment.addFunction(
            row.name, row.minArgs, row.maxArgs,
            [function, state](Args a, CallContext& c) { return function(a, c, *state); },
            row.varParams);
    }
    addIntegerConstants(environment, kConstants);
    environment.addConstant("PathDelim", Value("\\"));
    environment.addConstant("DriveDelim", Value(":"));
    environment.addConstant("PathSep", Value(";"));
    environment.addRecordType("TSearchRec", {{"Time", "Integer"},
                                             {"Size", "Int64"},
                                             {"Attr", "Integer"},
                                             {"Name", "String"},
                                             {"ExcludeAttr", "Integer"},
                                             {"FindHandle", "Integer"}});
}

}  // namespace qbx::scripting::pascal::library
