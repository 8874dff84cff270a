#include "scripting/js_prelude.h"

#include <algorithm>
#include <vector>

#include "base/text.h"

namespace qbx::scripting {

std::string jscriptStringBody(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string body;
    body.reserve(value.size());
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': body += "\\\\"; break;
            case '"': body += "\\\""; break;
            case '\n': body += "\\n"; break;
            case '\r': body += "\\r"; break;
            case '\t': body += "\\t"; break;
            default:
                if (byte < 0x20) {
                    body += "\\x";
                    body += kHex[byte >> 4];
                    body += kHex[byte & 0x0F];
                } else {
                    body += c;
                }
        }
    }
    return body;
}

std::string buildJScriptPrelude(const ScriptParams& params) {
    const std::int32_t count = std::clamp(params.count, std::int32_t{0}, kMaxScriptParams);
    std::string prelude = "var ParamCount=" + decimal(count) + ";\r\n";
    prelude += "var ParamStr=new Array();\r\n";
    prelude += "function GetParams() {\r\n";
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::string& value = scriptParam(params, i);
        prelude += "ParamStr[" + decimal(i) + "]=";
        const std::vector<std::string> lines = splitLines(value);
        if (lines.size() <= 1) {
            prelude += '"' + jscriptStringBody(value) + "\";\r\n";
            continue;
        }
        // A text of several lines is a sum of one literal a line, each ending in a line feed.
        for (std::size_t n = 0; n < lines.size(); ++n) {
            if (n > 0) prelude += '+';
            prelude += '"' + jscriptStringBody(lines[n]) + "\\n\"\r\n";
        }
    }
    prelude += ";};";
    return prelude;
}

}  // namespace qbx::scripting
