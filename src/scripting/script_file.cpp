#include "scripting/script_file.h"

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

}  // namespace

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
            file.sections.push_back(ScriptSection{std::move(name), {}});
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
        for (; i < last && sections[i].name == script.name; ++i) {
            ++script.headers;
            for (const std::string& line : sections[i].lines) {
                if (!line.empty() && line.front() == '@') {
                    applyDirective(line, script);
                } else {
                    text += "\r\n";
                    text += line;
                }
            }
        }
        script.text = std::string(trimBlankOrControl(text));
        scripts.push_back(std::move(script));
    }
    return scripts;
}

}  // namespace qbx::scripting
