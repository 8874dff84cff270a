#include "functions/files/files.h"

#include <array>
#include <charconv>
#include <utility>

#include "base/text.h"

namespace qbx::functions::files {
namespace {

std::string_view withoutQuote(std::string_view text, char quote) {
    if (!text.empty() && text.front() == quote) text.remove_prefix(1);
    if (!text.empty() && text.back() == quote) text.remove_suffix(1);
    return text;
}

// Visits the files of a search, at most kMaxSearchEntries entries (folders included) in all.
template <typename Visit>
void forEachFile(FileInfo& files, const std::string& pattern, Visit&& visit) {
    std::size_t seen = 0;
    files.findEntries(pattern, [&](const FoundEntry& entry) {
        if (!entry.folder) visit(entry);
        return ++seen < kMaxSearchEntries;
    });
}

void appendCut(BoundedText& out, std::string_view bytes) {
    if (out.cut) return;
    const std::size_t room = out.limit - out.text.size();
    if (bytes.size() > room) {
        out.text.append(bytes.substr(0, room));
        out.cut = true;
        return;
    }
    out.text.append(bytes);
}

constexpr std::array<FolderKey, 29> kFolderKeys{{
    {"COMMON", FolderSource::CommonFiles, 0},   {"CUR", FolderSource::Current, 0},
    {"PROGRAM", FolderSource::ProgramFiles, 0}, {"WINDOWS", FolderSource::Windows, 0},
    {"SYSTEM", FolderSource::System, 0},        {"TEMP", FolderSource::Temp, 0},
    {"DESKTOP", FolderSource::Shell, 0},        {"PROGRAMS", FolderSource::Shell, 2},
    {"PERS", FolderSource::Shell, 5},           {"FAV", FolderSource::Shell, 6},
    {"STARTUP", FolderSource::Shell, 7},        {"RECENT", FolderSource::Shell, 8},
    {"SENDTO", FolderSource::Shell, 9},         {"STARTMENU", FolderSource::Shell, 11},
    {"DESKTOPDIR", FolderSource::Shell, 16},    {"NETHOOD", FolderSource::Shell, 19},
    {"FONTS", FolderSource::Shell, 20},         {"CSTARTMENU", FolderSource::Shell, 22},
    {"CPROGRAMS", FolderSource::Shell, 23},     {"CSTARTUP", FolderSource::Shell, 24},
    {"CDESKTOP", FolderSource::Shell, 25},      {"CAPPDATA", FolderSource::Shell, 35},
    {"APPDATA", FolderSource::Shell, 26},       {"PRINTHOOD", FolderSource::Shell, 27},
    {"CFAV", FolderSource::Shell, 31},          {"TEMPLATES", FolderSource::Shell, 21},
    {"ICACHE", FolderSource::Shell, 32},        {"COOKIES", FolderSource::Shell, 33},
    {"HISTORY", FolderSource::Shell, 34},
}};

}  // namespace

std::string withoutQuotes(std::string_view text) {
    return std::string(withoutQuote(withoutQuote(text, '"'), '\''));
}

std::string searchPattern(std::string_view folder, std::string_view mask) {
    std::string pattern(folder);
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    pattern += mask.empty() ? std::string_view("*.*") : mask;
    return pattern;
}

std::uint64_t folderFilesSize(FileInfo& files, std::string_view folder, std::string_view mask) {
    std::uint64_t sum = 0;
    forEachFile(files, searchPattern(withoutQuotes(folder), withoutQuotes(mask)),
                [&](const FoundEntry& entry) { sum += entry.size; });
    return sum;
}

std::uint64_t folderFilesCount(FileInfo& files, std::string_view folder, std::string_view mask) {
    std::uint64_t count = 0;
    forEachFile(files, searchPattern(withoutQuotes(folder), withoutQuotes(mask)),
                [&](const FoundEntry&) { ++count; });
    return count;
}

BoundedText folderFilesList(FileInfo& files, std::string_view folder, std::string_view mask,
                            std::size_t maxBytes) {
    BoundedText list;
    list.limit = maxBytes;
    forEachFile(files, searchPattern(folder, mask), [&](const FoundEntry& entry) {
        appendCut(list, entry.name);
        appendCut(list, "\r\n");
    });
    const std::string_view trimmed = trimBlankOrControl(list.text);
    if (trimmed.size() != list.text.size())
        list.text = std::string(trimmed);  // a copy: trimmed points into the text
    return list;
}

BoundedText logLines(const FileHead& head, std::size_t maxBytes) {
    BoundedText text;
    text.limit = maxBytes;
    text.text.reserve(head.bytes.size() < maxBytes ? head.bytes.size() + 2 : maxBytes);
    const std::string_view bytes = head.bytes;
    std::size_t start = 0;
    while (start < bytes.size() && !text.cut) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        appendCut(text, bytes.substr(start, end - start));
        appendCut(text, "\r\n");
        if (end < bytes.size() && bytes[end] == '\r') ++end;
        if (end < bytes.size() && bytes[end] == '\n') ++end;
        start = end;
    }
    // The file went on past the head read: the answer is cut even where its lines fitted.
    text.cut = text.cut || head.more;
    return text;
}

std::optional<std::string> moduleFilePath(const std::string& name,
                                          const std::string& moduleFolder) {
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool hasDrive = name.size() >= 2 && name[1] == ':';
    const bool network = name.size() >= 2 && slash(name[0]) && slash(name[1]);
    if (hasDrive || network) return name;
    if (!name.empty() && slash(name[0]))
        return moduleFolder.size() >= 2 && moduleFolder[1] == ':' ? moduleFolder.substr(0, 2) + name
                                                                  : name;
    if (moduleFolder.empty()) return std::nullopt;
    return moduleFolder + name;
}

std::optional<std::int32_t> iniInteger(std::string_view text) {
    return parseDelphiInteger(text);
}

std::string fileVersionText(const FileVersion& version) {
    return decimal(version.mostSignificant >> 16) + '.' +
           decimal(version.mostSignificant & 0xFFFFu) + '.' +
           decimal(version.leastSignificant >> 16) + '.' +
           decimal(version.leastSignificant & 0xFFFFu);
}

std::string serialNumberText(std::uint32_t serial) {
    return hexUpper(serial >> 16, 4) + '-' + hexUpper(serial & 0xFFFFu, 4);
}

int driveNumber(char letter) {
    unsigned char c = static_cast<unsigned char>(letter);
    if (c >= 'a' && c <= 'z') c = static_cast<unsigned char>(c - 'a' + 'A');
    const int number = static_cast<int>(c) - 'A' + 1;
    return number < 0 || number > 255 ? 0 : number;
}

std::string freePercentText(std::int64_t free, std::int64_t total, char separator) {
    if (total == 0) return "---";
    const double percent = static_cast<double>(free) / static_cast<double>(total) * 100.0;
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), percent,
                                            std::chars_format::fixed, 2);
    if (error != std::errc()) return "---";
    std::string text(buffer.data(), end);
    for (char& c : text)
        if (c == '.') c = separator;
    return text;
}

RegistryRoot registryRoot(char letter) {
    switch (letter) {
        case 'R': return RegistryRoot::ClassesRoot;
        case 'M': return RegistryRoot::LocalMachine;
        case 'U': return RegistryRoot::Users;
        case 'P': return RegistryRoot::PerformanceData;
        case 'N': return RegistryRoot::CurrentConfig;
        case 'D': return RegistryRoot::DynData;
        default: return RegistryRoot::CurrentUser;
    }
}

std::optional<FolderKey> folderKey(std::string_view upperKey) {
    for (const FolderKey& row : kFolderKeys)
        if (row.key == upperKey) return row;
    return std::nullopt;
}

}  // namespace qbx::functions::files
