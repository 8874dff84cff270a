// The way out to the system's JScript and VBScript engines. The scripting subsystem makes one
// engine per run through a factory; the Windows build supplies the real engines, other builds
// none.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qbx {

enum class ActiveLanguage : std::uint8_t { JScript, VBScript };

// "JScript" or "VBScript", as the engines and the log name them.
constexpr std::string_view languageName(ActiveLanguage language) {
    return language == ActiveLanguage::VBScript ? "VBScript" : "JScript";
}

// One run of a JScript or VBScript source in the system's script engine.
struct ActiveOutcome {
    bool ok = false;
    std::string text;  // the result value as text, or the engine's error message
};

class ActiveScriptEngine {
public:
    virtual ~ActiveScriptEngine() = default;
    // JScript: the value of the whole source. VBScript: the source is added as code and run;
    // when it defines a function Main, that is called with the parameters and its value is
    // the result, else the result is empty. Source and texts are code page 1251.
    // May throw; the caller turns anything thrown into an error message.
    virtual ActiveOutcome run(std::string_view source, ActiveLanguage language,
                              std::span<const std::string> params) = 0;
};

}  // namespace qbx
