#include "core/folder_setting.h"

#include <array>
#include <utility>

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

// "\\server\share" with both names present.
bool isCompleteNetworkPath(std::string_view value) {
    std::size_t pos = 2;
    std::size_t names = 0;
    while (names < 2) {
        const std::size_t start = pos;
        while (pos < value.size() && !isSeparator(value[pos])) ++pos;
        if (pos == start) return false;
        ++names;
        if (pos < value.size()) ++pos;
    }
    return true;
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

    std::string folder;
    if (hasDriveLetter(value)) {
        if (value.size() < 3 || !isSeparator(value[2])) return refused("drive without a backslash");
        folder = value;
    } else if (network) {
        if (!isCompleteNetworkPath(value)) return refused("network path without a share");
        folder = value;
    } else {
        if (moduleFolder.empty()) return refused("relative path and no module folder");
        while (!value.empty() && isSeparator(value.front())) value.remove_prefix(1);
        folder = moduleFolder;
        if (!isSeparator(folder.back())) folder += '\\';
        folder += value;
    }
    if (!isSeparator(folder.back())) folder += '\\';
    return {std::move(folder), {}};
}

}  // namespace qbx
