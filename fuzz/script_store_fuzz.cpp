// A script file's bytes through the reader: header and directive rules, runs of repeated
// headers, and the bounds on size and lines.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "scripting/script_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::scripting;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ScriptFile file;
    if (!parseScriptFile(bytes, file)) return 0;
    const std::size_t counted = scriptCount(file);
    std::size_t entries = 0;
    std::size_t textBytes = 0;
    for (const ScriptSource& script : scriptsOf(file)) {
        entries += script.headers;
        textBytes += script.text.size();
        if (script.headers == 0 || static_cast<std::uint8_t>(script.lang) > 3) __builtin_trap();
        // The text's lines stand in the file in their order, each on a line the file has.
        const auto textLines =
            static_cast<int>(std::count(script.text.begin(), script.text.end(), '\n')) + 1;
        int previous = 0;
        for (int line = 1; line <= textLines; ++line) {
            const int at = script.lines.fileLine(line);
            if (at <= previous || at > static_cast<int>(kMaxScriptFileLines)) __builtin_trap();
            previous = at;
        }
    }
    // Registration sizes the table by the count: every entry must find a place in it. Text
    // grows at most by the CR that joins lines ended by LF alone.
    if (entries > counted || textBytes > 2 * bytes.size()) __builtin_trap();
    return 0;
}
