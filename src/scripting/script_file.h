// One script file ("*.s") taken apart: its header lines, the directives and source lines of
// each section, and the scripts that registration makes of them. Pure functions over the
// file's bytes, so that a damaged or hostile file can be fed to them directly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::scripting {

enum class ScriptLang : std::uint8_t { Pascal = 0, VBScript = 1, JScript = 2, None = 3 };

// A file longer than this, or with more lines, is not read at all: scripts are small, and a
// runaway file must not fill the host's memory.
inline constexpr std::size_t kMaxScriptFileBytes = std::size_t{1} << 20;
inline constexpr std::size_t kMaxScriptFileLines = 65536;

// The lines after one header line, up to the next header or the end of the file.
struct ScriptSection {
    std::string name;  // upper-cased; may be empty
    std::vector<std::string> lines;
    int firstLine = 0;  // the file's line number (from 1) of the first of the lines
};

// Where the lines of a script's text stand in its file, so that a message can name the line
// the user sees in an editor: headers, directives and trimmed blank lines are not in the text.
struct SourceLines {
    struct Jump {
        int textLine;  // from this line of the text on ...
        int fileLine;  // ... the lines are consecutive from this line of the file
    };
    std::vector<Jump> jumps;  // ascending; empty when the text is not from a file
    // The file's line of a line of the text; the line itself without jumps.
    int fileLine(int textLine) const;
};

struct ScriptFile {
    std::vector<ScriptSection> sections;  // in file order; lines above the first header dropped
};

// One run of consecutive headers of the same name: every header of it is one table entry, and
// each of them gets the run's joined text and language (the last "@LANG" line wins).
struct ScriptSource {
    std::string name;
    std::string text;  // source lines joined by CR LF, blanks and control characters trimmed
    ScriptLang lang = ScriptLang::None;
    std::vector<std::string> directives;  // every "@" line met, as written, for the log
    std::size_t headers = 1;              // the entries this run makes
    SourceLines lines;                    // where the text's lines stand in the file
};

// The name of a header line, or false when the line is none. The keyword "@SCRIPT " is
// matched without regard to case; the name is upper-cased and ends at the first blank or
// control character.
bool headerName(std::string_view line, std::string& name);

// False when the bytes exceed the size or line bounds.
bool parseScriptFile(std::string_view bytes, ScriptFile& file);

// How many scripts the file counts for in the table's size: the lines of a text that starts
// with the first non-empty header name and adds every later one after a CR LF (so headers
// without a name count only after a named one, and a nameless last one not at all).
std::size_t scriptCount(const ScriptFile& file);

// The runs from the first named header to the last named one, in file order.
std::vector<ScriptSource> scriptsOf(const ScriptFile& file);

}  // namespace qbx::scripting
