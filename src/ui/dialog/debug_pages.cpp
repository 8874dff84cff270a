#include "ui/dialog/debug_pages.h"

#include <cmath>
#include <cstdio>

#include "base/float_text.h"
#include "base/regex_1251.h"
#include "base/text.h"
#include "core/host_texts.h"
#include "core/strings.h"
#include "core/variables.h"
#include "core/version.h"
#include "scripting/script_store.h"

namespace qbx::ui {
namespace {

namespace text = debug_text;

// Halves go to the even neighbour, whatever rounding mode the host left the FPU in.
std::int64_t roundHalfEven(double x) {
    const double floor = std::floor(x);
    const double rest = x - floor;
    double rounded = floor;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(floor, 2.0) != 0)) rounded = floor + 1;
    return static_cast<std::int64_t>(rounded);
}

std::string joinedName(std::string_view a, std::string_view b) {
    return std::string(a) + " " + std::string(b);
}

}  // namespace

std::string macroListText(std::string_view scriptNameList, const StringTable& strings) {
    return joinedName(kProductName, kVersionText) + "\r\n" + strings[text::kTotalMacros] + " " +
           macroCount(scriptNameList) + "\r\n" + buildMacroList(scriptNameList);
}

std::vector<std::string> variableHeader(const StringTable& strings) {
    return {strings[text::kVariableName], strings[text::kVariableType],
            strings[text::kVariableStatus], strings[text::kVariableValue]};
}

GridRows variableRows(const VarTable& variables, const StringTable& strings) {
    GridRows rows;
    for (int i = 1; i <= VarTable::kCapacity; ++i) {
        const VarRec& entry = variables.entry(i);
        if (!entry.used) continue;
        rows.push_back({entry.name, varTypeName(entry),
                        strings[entry.noSave ? text::kTemp : text::kPermanent],
                        varValueText(entry)});
    }
    return rows;
}

GridRows briefStatisticsRows(const BriefCounters& c, const DisplayUnits& units,
                             const StringTable& strings) {
    const std::string na = strings[text::kNotAvailable];
    const auto duration = [&](std::int64_t seconds) {
        return formatDuration(units.time, true, seconds, strings, units.words);
    };
    const auto size = [&](std::int64_t bytes) {
        return formatByteSize(units.size, true, bytes, strings);
    };
    const auto key = [&](int index) { return strings[index]; };
    GridRows rows;
    rows.push_back({key(text::kOnlineTotal), duration(c.onlineSeconds)});
    rows.push_back({key(text::kOnlineMean),
                    c.onlineSessions == 0
                        ? na
                        : duration(roundHalfEven(static_cast<double>(c.onlineSeconds) /
                                                 static_cast<double>(c.onlineSessions)))});
    const int k = text::kLettersReceived;
    rows.push_back({key(k), decimal(c.letters)});
    rows.push_back({key(k + 1), decimal(c.starts)});
    rows.push_back({key(k + 2), decimal(c.ends)});
    rows.push_back({key(k + 3), duration(c.sessionSeconds)});
    rows.push_back({key(k + 4), duration(c.totalSessionSeconds)});
    // The mean of the sessions that ended: their stored length over their count. This one has
    // not ended, and a stored length below zero is a damaged counter, no mean.
    rows.push_back(
        {key(k + 5), c.ends <= 0 || c.endedSessionSeconds < 0
                         ? na
                         : duration(roundHalfEven(static_cast<double>(c.endedSessionSeconds) /
                                                  static_cast<double>(c.ends)))});
    // Unsigned, so that a damaged counter wraps instead of overflowing.
    const auto attachments = static_cast<std::int64_t>(static_cast<std::uint64_t>(c.totalBytes) -
                                                       static_cast<std::uint64_t>(c.headerBytes) -
                                                       static_cast<std::uint64_t>(c.textBytes));
    const std::int64_t sizes[] = {c.totalBytes, c.headerBytes, c.textBytes, attachments};
    for (int i = 0; i < 4; ++i) rows.push_back({key(k + 6 + i), size(sizes[i])});
    for (int i = 0; i < 4; ++i) {
        // INT64_MIN / -1 is the one quotient that does not fit.
        const bool fits = c.letters != 0 && !(c.letters == -1 && sizes[i] == INT64_MIN);
        rows.push_back({key(k + 10 + i), fits ? size(sizes[i] / c.letters) : na});
    }
    rows.push_back({key(k + 14), decimal(c.mouse.pixels)});
    rows.push_back({key(k + 15), decimal(roundHalfEven(c.mouse.millimetres / 10))});
    rows.push_back(
        {key(k + 16),
         c.sessionSeconds == 0
             ? na
             : floatToText(c.mouse.millimetres / static_cast<double>(c.sessionSeconds) * 0.0036)});
    return rows;
}

TesterResult searchPattern(std::string_view pattern, std::string_view subject, std::size_t maxLines,
                           const RegexWatch& watch) {
    TesterResult result;
    RegexCompileError error;
    const auto regex = Regex1251::compile(pattern, error);
    if (!regex) {
        result.lines.push_back("Error in regexp at position " +
                               decimal(static_cast<std::int64_t>(error.position)) +
                               " error: " + error.message);
        return result;
    }
    try {
        regex->forEachMatch(
            subject,
            [&](const RegexMatch& match) {
                if (result.lines.size() == maxLines) {
                    result.cut = true;
                    return false;
                }
                result.lines.emplace_back(match.group(1));
                return true;
            },
            watch);
    } catch (const std::runtime_error& e) {
        // The library gave up on a pathological pattern: what was found stays, and says so.
        result.gaveUp = e.what();
        result.lines.push_back("Error in regexp: " + result.gaveUp);
        return result;
    }
    if (result.lines.empty()) result.lines.emplace_back();
    return result;
}

std::string spamVerdictText(std::int32_t score, const StringTable& strings) {
    const int verdict = score == -1   ? text::kAntispamDisabled
                        : score >= 50 ? text::kSuggestsSpam
                                      : text::kSuggestsNonSpam;
    return strings[text::kSpamScore] + " " + decimal(score) + "\r\n" + strings[verdict] + "\r\n";
}

std::string tokenScoreLine(double probability, std::string_view word) {
    char number[32];
    std::snprintf(number, sizeof number, "%1.2f", probability);
    return std::string(number) + " " + std::string(word);
}

std::string dumpLine(std::int32_t count, std::string_view key) {
    char number[16];
    std::snprintf(number, sizeof number, "%8d ", static_cast<int>(count));
    std::string line = number;
    if (key.size() < 20) line.append(20 - key.size(), ' ');
    return line + std::string(key);
}

std::string trafficTableLine(std::int64_t number, std::string_view key, std::int32_t size,
                             std::int32_t count) {
    const auto padded = [](std::string text, std::size_t width) {
        if (text.size() < width) text.append(width - text.size(), ' ');
        return text;
    };
    return "| " + padded(decimal(number), 3) + " | " + padded(std::string(key), 25) + " | " +
           padded(decimal(size), 6) + " | " + padded(decimal(count), 3) + " |";
}

std::string scriptLanguageName(scripting::ScriptLang lang, const StringTable& strings) {
    switch (lang) {
        case scripting::ScriptLang::Pascal: return strings[text::kPascal];
        case scripting::ScriptLang::VBScript: return strings[text::kVBScript];
        case scripting::ScriptLang::JScript: return strings[text::kJavaScript];
        default: return strings[text::kUnknownLanguage];
    }
}

GridRows scriptRows(const scripting::ScriptTable& table, const StringTable& strings) {
    GridRows rows;
    for (const scripting::ZvxScript& script : table.entries)
        if (!script.name.empty() && !script.text.empty())
            rows.push_back(
                {script.name, scriptLanguageName(script.lang, strings), script.fileName});
    return rows;
}

}  // namespace qbx::ui
