#include "core/host_texts.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

#include "base/text.h"
#include "core/version.h"

namespace qbx {
namespace {

std::span<const std::string_view> installedNames;

// A letter of code page 1251: Latin or Cyrillic, the only characters that have two cases.
bool isLetter1251(char c) { return toUpper1251(c) != toLower1251(c); }

constexpr std::string_view kLineEnd = "\r\n";

// The about page. "0.0" marks where the version goes and must stand nowhere else in it.
constexpr std::string_view kVersionMarker = "0.0";
constexpr std::string_view kAboutPage =
    "<html>\r\n"
    "<head>\r\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\r\n"
    "<title>Quilbex</title>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<h2>Quilbex</h2>\r\n"
    "<p><b>Version&nbsp; 0.0</b></p>\r\n"
    "<p>Quilbex adds to your mail client:</p>\r\n"
    "<ul>\r\n"
    "<li>about two hundred macros for message templates: system and hardware information, text "
    "transformations, header analysis, dates and times, media players, files and INI files, "
    "variables, expressions, conditions and loops;</li>\r\n"
    "<li>mail statistics (words, charsets, mailers, senders, recipients, servers, traffic) and "
    "a spam filter that learns from the messages you mark as spam or not spam;</li>\r\n"
    "<li>scripts in Pascal, JScript and VBScript, each stored script offered as a macro of its "
    "own.</li>\r\n"
    "</ul>\r\n"
    "<p>Open the settings from the plug-in list or from the tray icon to choose the statistics, "
    "tune the spam filter, try out regular expressions and write scripts.</p>\r\n"
    "</body>\r\n"
    "</html>\r\n";

constexpr std::size_t countOccurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}
static_assert(countOccurrences(kAboutPage, kVersionMarker) == 1);

template <typename Visit>
void forEachScriptName(std::string_view scriptNameList, Visit visit) {
    for (const std::string& name : splitLines(scriptNameList)) {
        if (!name.empty()) visit(name);
    }
}

}  // namespace

std::int32_t copyToHostBuffer(std::string_view text, char* buffer, std::int32_t size) noexcept {
    constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
    const std::size_t length = std::min(text.size(), kMax);
    if (buffer == nullptr || size < 0) return static_cast<std::int32_t>(length);
    const std::size_t count = std::min(static_cast<std::size_t>(size), length);
    if (count > 0) std::memcpy(buffer, text.data(), count);
    return static_cast<std::int32_t>(count);
}

std::string buildAboutPage() {
    std::string page(kAboutPage);
    const std::size_t at = page.find(kVersionMarker);
    page.replace(at, kVersionMarker.size(), kVersionText);
    return page;
}

void installOfferedMacroNames(std::span<const std::string_view> names) noexcept {
    installedNames = names;
}

std::span<const std::string_view> offeredMacroNames() noexcept { return installedNames; }

std::string buildMacroList(std::string_view scriptNameList) {
    std::string list;
    list.reserve(installedNames.size() * 12 + scriptNameList.size() * 2);
    for (const std::string_view name : installedNames) {
        list += name;
        list += kLineEnd;
    }
    forEachScriptName(scriptNameList, [&list](const std::string& name) {
        list += "FN";
        list += name;
        list += kLineEnd;
    });
    return list;
}

std::string macroCount(std::string_view scriptNameList) {
    std::int64_t count = static_cast<std::int64_t>(installedNames.size());
    forEachScriptName(scriptNameList, [&count](const std::string&) { ++count; });
    return decimal(count);
}

bool holdsHostMacro(std::string_view text) {
    for (std::size_t at = text.find('%'); at != std::string_view::npos && at + 1 < text.size();
         at = text.find('%', at + 1))
        if (isLetter1251(text[at + 1])) return true;
    return false;
}

std::string withHostMacrosBroken(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '%' && i + 1 < text.size() && isLetter1251(text[i + 1])) out += ' ';
    }
    return out;
}

}  // namespace qbx
