#include "scripting/script_file.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text.h"

namespace qbx::scripting {
namespace {

constexpr std::string_view kHeaderKeyword = "@SCRIPT ";

struct LangDirective {
    std::string_view line;  // the whole line, upper-cased, compared exactly
    ScriptLang lang;
};
constexpr std::array<LangDirective, 3> kLangDirectives{{
    {"@LANG PAS", ScriptLang::Pascal},
    {"@LANG VB", ScriptLang::VBScript},
    {"@LANG JS", ScriptLang::JScript},
}};

void applyDirective(std::string_view line, ScriptSource& script) {
    script.directives.emplace_back(line);
    // Longer lines cannot match; no need to upper-case a whole long line.
    if (line.size() > 16) return;
    const std::string upper = toUpper1251(line);
    for (const LangDirective& directive : kLangDirectives)
        if (upper == directive.line) script.lang = directive.lang;
}

// Every joined line starts with its own line break, so the breaks trimmed off the front tell
// which joined line the text starts with.
SourceLines sourceLines(std::string_view trimmedFront, const std::vector<int>& fileLines) {
    SourceLines lines;
    const auto breaks =
        static_cast<std::size_t>(std::count(trimmedFront.begin(), trimmedFront.end(), '\n'));
    if (breaks == 0) return lines;
    int textLine = 1;
    for (std::size_t j = breaks - 1; j < fileLines.size(); ++j, ++textLine)
        if (j == breaks - 1 || fileLines[j] != fileLines[j - 1] + 1)
            lines.jumps.push_back({textLine, fileLines[j]});
    return lines;
}

}  // namespace

int SourceLines::fileLine(int textLine) const {
    const Jump* found = nullptr;
    for (const Jump& jump : jumps) {
        if (jump.textLine > textLine) break;
        found = &jump;
    }
    if (found == nullptr) return textLine;
    return found->fileLine + (textLine - found->textLine);
}

bool headerName(std::string_view line, std::string& name) {
    if (line.size() < kHeaderKeyword.size() ||
        toUpper1251(line.substr(0, kHeaderKeyword.size())) != kHeaderKeyword)
        return false;
    std::string_view rest = line.substr(kHeaderKeyword.size());
    std::size_t end = 0;
    while (end < rest.size() && !isBlankOrControl(rest[end])) ++end;
    name = toUpper1251(rest.substr(0, end));
    return true;
}

bool parseScriptFile(std::string_view bytes, ScriptFile& file) {
    file.sections.clear();
    if (bytes.size() > kMaxScriptFileBytes) return false;
    std::size_t lineCount = 0;
    std::size_t start = 0;
    std::string name;
    while (start < bytes.size()) {
        std::size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        const std::string_view line = bytes.substr(start, end - start);
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;  // LF, or the LF of CR LF

        if (++lineCount > kMaxScriptFileLines) {
            file.sections.clear();
            return false;
        }
        if (headerName(line, name))
            file.sections.push_back(
                ScriptSection{std::move(name), {}, static_cast<int>(lineCount) + 1});
        else if (!file.sections.empty())
            file.sections.back().lines.emplace_back(line);
    }
    return true;
}

std::size_t scriptCount(const ScriptFile& file) {
    const auto& sections = file.sections;
    std::size_t first = 0;
    while (first < sections.size() && sections[first].name.empty()) ++first;
    if (first == sections.size()) return 0;
    std::size_t count = sections.size() - first;
    // The joined names end in a line break then, which adds no line of its own.
    if (sections.back().name.empty()) --count;
    return count;
}

std::vector<ScriptSource> scriptsOf(const ScriptFile& file) {
    const auto& sections = file.sections;
    std::size_t first = 0;
    while (first < sections.size() && sections[first].name.empty()) ++first;
    std::size_t last = sections.size();
    while (last > first && sections[last - 1].name.empty()) --last;

    std::vector<ScriptSource> scripts;
    for (std::size_t i = first; i < last;) {
        ScriptSource script;
        script.name = sections[i].name;
        script.headers = 0;
        std::string text;
        std::vector<int> fileLines;  // of every line joined into the text
        for (; i < last && sections[i].name == script.name; ++i) {
            ++script.headers;
            int fileLine = sections[i].firstLine;
            for (const std::string& line : sections[i].lines) {
                if (!line.empty() && line.front() == '@') {
                    applyDirective(line, script);
                } else {
                    text += "\r\n";
                    text += line;
                    fileLines.push_back(fileLine);
                }
                ++fileLine;
            }
        }
        const std::string_view trimmed = trimBlankOrControl(text);
        script.text = std::string(trimmed);
        if (!trimmed.empty())
            script.lines =
                sourceLines(std::string_view(text).substr(
                                0, static_cast<std::size_t>(trimmed.data() - text.data())),
                            fileLines);
        scripts.push_back(std::move(script));
    }
    return scripts;
}

}  // namespace qbx::scripting
