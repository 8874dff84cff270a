#include "core/help_file.h"

#include <array>

#include "base/text.h"

namespace qbx {
namespace {

constexpr std::size_t kMaxNameBytes = 240;

// Formats a help file comes in that the shell opens in a viewer. Everything else may be a
// program, a script or a shortcut to one.
constexpr std::array<std::string_view, 12> kDocumentExtensions = {
    "chm", "hlp", "htm", "html", "mht", "mhtml", "txt", "pdf", "rtf", "doc", "docx", "odt"};

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The system drops trailing dots and blanks of a name: "help.exe. " opens help.exe.
std::string_view withoutTrailingDotsAndBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    return name;
}

std::string refusalOf(std::string_view name) {
    if (name.size() > kMaxNameBytes)
        return "longer than " + decimal(static_cast<std::int64_t>(kMaxNameBytes)) + " bytes";
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 ||
            std::string_view("<>\"|?*:").find(c) != std::string_view::npos)
            return "not a file name inside the module's folder";
    if (isSeparator(name.front())) return "not a file name inside the module's folder";
    std::string_view last;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = start;
        while (end < name.size() && !isSeparator(name[end])) ++end;
        const std::string_view part = name.substr(start, end - start);
        // "..", and whatever the system reads as it or as the folder itself.
        if (withoutTrailingDotsAndBlanks(part).empty())
            return "not a file name inside the module's folder";
        last = part;
        start = end + 1;
    }
    const std::string_view file = withoutTrailingDotsAndBlanks(last);
    const std::size_t dot = file.rfind('.');
    const std::string extension =
        dot == std::string_view::npos ? std::string() : toLower1251(file.substr(dot + 1));
    for (const std::string_view known : kDocumentExtensions)
        if (extension == known) return {};
    return "not a document the help may open";
}

}  // namespace

HelpFile helpFileOf(std::string_view moduleFolder, std::string_view name) {
    HelpFile help;
    if (name.empty()) return help;
    if (moduleFolder.empty()) {
        help.refusal = "the module's folder is unknown";
        return help;
    }
    help.refusal = refusalOf(name);
    if (help.refusal.empty()) help.path = std::string(moduleFolder) + std::string(name);
    return help;
}

}  // namespace qbx
