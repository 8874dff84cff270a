// What the dialog's read-out and tester pages show, computed without a window: the macro list,
// the variables grid, the brief statistics, the regular-expression tester and the scripts grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/regex_1251.h"
#include "core/formatting.h"
#include "core/ports/tray_module.h"
#include "scripting/script_file.h"

namespace qbx {
class StringTable;
class VarTable;
}  // namespace qbx

namespace qbx::scripting {
struct ScriptTable;
}

namespace qbx::ui {

using GridRows = std::vector<std::vector<std::string>>;

// A file loaded into the tester is read whole up to this size.
inline constexpr std::size_t kMaxTesterFileBytes = std::size_t{16} << 20;
// The tester lists at most this many matches: a pattern that matches every character of a
// large text would otherwise fill the host's memory with lines.
inline constexpr std::size_t kMaxTesterLines = 100000;

// Interface texts of these pages (indexes of the string table).
namespace debug_text {
inline constexpr int kNotAvailable = 40;
inline constexpr int kVariableName = 90;  // "Name", "Type"
inline constexpr int kVariableType = 91;
inline constexpr int kVariableValue = 92;
inline constexpr int kVariableStatus = 94;
inline constexpr int kTemp = 95;
inline constexpr int kPermanent = 96;
inline constexpr int kLettersReceived = 100;  // 100 .. 116 the brief statistics' keys
inline constexpr int kTotalMacros = 118;
inline constexpr int kOnlineTotal = 134;
inline constexpr int kOnlineMean = 135;
inline constexpr int kTrafficMissing = 184;
inline constexpr int kFileColumn = 197;
inline constexpr int kSpamScore = 301;
inline constexpr int kAntispamDisabled = 302;
inline constexpr int kSuggestsSpam = 303;
inline constexpr int kSuggestsNonSpam = 304;
inline constexpr int kTrainedNextStart = 305;
inline constexpr int kScriptError = 401;
inline constexpr int kScriptResult = 405;
inline constexpr int kPascal = 410;  // "Pascal", "VBscript", "Unknown", "JavaScript"
inline constexpr int kVBScript = 411;
inline constexpr int kUnknownLanguage = 412;
inline constexpr int kJavaScript = 413;
}  // namespace debug_text

// "Quilbex " + version, the count line, then every macro name, each line ending in CR LF.
std::string macroListText(std::string_view scriptNameList, const StringTable& strings);

// One row per used variable in table order: name, type, Temp or Permanent, value.
GridRows variableRows(const VarTable& variables, const StringTable& strings);
std::vector<std::string> variableHeader(const StringTable& strings);

// The counters the brief statistics read.
struct BriefCounters {
    std::int64_t onlineSeconds = 0;
    std::int64_t onlineSessions = 0;
    std::int64_t letters = 0;
    std::int64_t starts = 0;
    std::int64_t ends = 0;
    std::int64_t sessionSeconds = 0;
    std::int64_t totalSessionSeconds = 0;  // this session's and the earlier ones'
    std::int64_t endedSessionSeconds = 0;  // the earlier ones' only, as stored

    std::int64_t totalBytes = 0;
    std::int64_t headerBytes = 0;
    std::int64_t textBytes = 0;
    MouseTravel mouse;
};
struct DisplayUnits {
    int time = 0;
    int size = 0;
    RussianDurationWords words;  // for the two units in words
};
// The 17 rows of key and value.
GridRows briefStatisticsRows(const BriefCounters& counters, const DisplayUnits& units,
                             const StringTable& strings);

// The tester's answer: group 1 of every match in turn (one empty line for a text without a
// match), or the one line of a pattern that does not compile.
struct TesterResult {
    std::vector<std::string> lines;
    bool cut = false;    // stopped at maxLines
    std::string gaveUp;  // the library's reason when a search gave up on its limits
};
// The searches are bounded as a macro's are; without a watch of its own the walk gets the time
// of one macro call.
TesterResult searchPattern(std::string_view pattern, std::string_view text,
                           std::size_t maxLines = kMaxTesterLines, const RegexWatch& watch = {});

// The spam tester's lines for a score: the score line and its verdict; -1 for no score.
std::string spamVerdictText(std::int32_t score, const StringTable& strings);
// A token list line: the word's spam probability with two decimals, a blank, the word.
std::string tokenScoreLine(double probability, std::string_view word);
// The token list holds at most this many words of the tested text.
inline constexpr std::size_t kMaxTokenLines = 10000;

// The statistics viewer's dumps stop after this many entries.
inline constexpr std::size_t kMaxDumpLines = 100000;

// Format("%8d %20s", count, key) and Format("| %-3d | %-25s | %-6d | %-3d |", n, key, size,
// count): a line of an item's dump and of the traffic table.
std::string dumpLine(std::int32_t count, std::string_view key);
std::string trafficTableLine(std::int64_t number, std::string_view key, std::int32_t size,
                             std::int32_t count);

// The scripts grid: one row per stored script with a name and a text: name, language, file.
GridRows scriptRows(const scripting::ScriptTable& table, const StringTable& strings);
std::string scriptLanguageName(scripting::ScriptLang lang, const StringTable& strings);

}  // namespace qbx::ui
