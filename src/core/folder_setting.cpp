#include "core/folder_setting.h"

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"

namespace qbx {
namespace {

// Windows takes either slash as a separator, so a check that missed '/' could be walked round.
constexpr bool isSeparator(char c) { return c == '\\' || c == '/'; }

constexpr bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr std::string_view kInvalidCharacters = "<>\"|?*";

constexpr std::array<std::string_view, 4> kDeviceNames = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> kNumberedDevices = {"COM", "LPT"};

bool hasDriveLetter(std::string_view value) {
    return value.size() >= 2 && isAsciiLetter(value[0]) && value[1] == ':';
}

// Windows opens the device whatever extension or trailing blanks and dots follow its name.
bool isDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.remove_suffix(1);
    for (const std::string_view name : kDeviceNames)
        if (equalsIgnoreCase1251(base, name)) return true;
    if (base.size() != 4 || base[3] < '1' || base[3] > '9') return false;
    for (const std::string_view name : kNumberedDevices)
        if (equalsIgnoreCase1251(base.substr(0, 3), name)) return true;
    return false;
}

std::string deviceComponent(std::string_view value) {
    std::size_t start = 0;
    while (start <= value.size()) {
        std::size_t end = start;
        while (end < value.size() && !isSeparator(value[end])) ++end;
        const std::string_view component = value.substr(start, end - start);
        if (isDeviceName(component)) return std::string(component);
        start = end + 1;
    }
    return {};
}

std::string characterRefusal(std::string_view value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (isBlankOrControl(c) && c != ' ') return "control character";
        if (kInvalidCharacters.find(c) != std::string_view::npos)
            return std::string("character '") + c + "'";
        if (c == ':' && !(i == 1 && hasDriveLetter(value))) return "':' outside a drive";
    }
    return {};
}

// Where "\\server\share" ends, both names present; 0 when either is missing.
std::size_t networkRootEnd(std::string_view value) {
    std::size_t pos = 2;
    for (int names = 0; names < 2; ++names) {
        if (names > 0) ++pos;  // the separator after the server
        const std::size_t start = pos;
        while (pos < value.size() && !isSeparator(value[pos])) ++pos;
        if (pos == start) return 0;
    }
    return pos;
}

std::string withBackslashes(std::string_view path) {
    std::string out(path);
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

// A full path split where its root ends: "C:\" or "\\server\share\" (the root written with
// backslashes) and the names below it.
struct RootedPath {
    std::string root;
    std::string_view names;
};

std::optional<RootedPath> splitRoot(std::string_view path) {
    if (hasDriveLetter(path) && path.size() >= 3 && isSeparator(path[2]))
        return RootedPath{withBackslashes(path.substr(0, 3)), path.substr(3)};
    if (path.size() < 2 || !isSeparator(path[0]) || !isSeparator(path[1])) return std::nullopt;
    const std::size_t end = networkRootEnd(path);
    if (end == 0) return std::nullopt;
    return RootedPath{withBackslashes(path.substr(0, end)) + '\\', path.substr(end)};
}

template <typename OnName>
void forEachName(std::string_view names, OnName onName) {
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = start;
        while (end < names.size() && !isSeparator(names[end])) ++end;
        if (end > start) onName(names.substr(start, end - start));
        start = end + 1;
    }
}

// Windows trims the trailing dots and blanks of a path's last name only (of a name in the
// middle it drops one dot): made one level at a time, "C:\Data. \x\" would make "C:\Data" and
// then look for "x" under "Data. ". Trimmed in every name, the folder stored and logged is the
// folder made and used. A name of dots and blanks only (other than "." and "..") trims to
// nothing and goes, as "." does: that is what GetFullPathName makes of it as the last name
// ("C:\a\..." is "C:\a\"); in the middle it would leave an odd literal name ("...\" becomes
// a folder named "..").
void addName(std::vector<std::string_view>& kept, std::string_view name) {
    if (name == ".") return;
    if (name == "..") {
        if (!kept.empty()) kept.pop_back();  // never above the root
        return;
    }
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    if (!name.empty()) kept.push_back(name);
}

std::string joined(std::string root, const std::vector<std::string_view>& names) {
    for (const std::string_view name : names) {
        root += name;
        root += '\\';
    }
    return root;
}

ResolvedFolder refused(std::string reason) { return {{}, std::move(reason)}; }

}  // namespace

ResolvedFolder resolveFolderSetting(std::string_view value, std::string_view moduleFolder) {
    if (value.empty()) return {};
    const bool network = value.size() >= 2 && isSeparator(value[0]) && isSeparator(value[1]);
    if (network && value.size() >= 4 && (value[2] == '.' || value[2] == '?') &&
        isSeparator(value[3]))
        return refused("device or namespace path");
    if (std::string reason = characterRefusal(value); !reason.empty()) return refused(reason);
    if (std::string device = deviceComponent(value); !device.empty())
        return refused("device name \"" + device + "\"");
    if (hasDriveLetter(value) && (value.size() < 3 || !isSeparator(value[2])))
        return refused("drive without a backslash");
    if (network && networkRootEnd(value) == 0) return refused("network path without a share");

    std::vector<std::string_view> names;
    const auto addAll = [&](std::string_view text) {
        forEachName(text, [&](std::string_view name) { addName(names, name); });
    };
    if (std::optional<RootedPath> full = splitRoot(value)) {
        addAll(full->names);
        return {joined(std::move(full->root), names), {}};
    }
    if (moduleFolder.empty()) return refused("relative path and no module folder");
    std::optional<RootedPath> module = splitRoot(moduleFolder);
    const bool rooted = isSeparator(value.front());
    if (!module) {
        // Nothing above such a module folder can be named: it is the floor.
        if (rooted) return refused("rooted path and no drive in the module folder");
        std::string floor = withBackslashes(moduleFolder);
        if (floor.back() != '\\') floor += '\\';
        module = RootedPath{std::move(floor), {}};
    }
    // The module's own names are the folder it lies in, whatever Windows would trim of them.
    if (!rooted) forEachName(module->names, [&](std::string_view name) { names.push_back(name); });
    addAll(value);
    return {joined(std::move(module->root), names), {}};
}

}  // namespace qbx
