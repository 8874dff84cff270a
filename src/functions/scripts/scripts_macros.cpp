#include "functions/scripts/scripts_macros.h"

#include <string_view>

#include "core/plugin.h"
#include "macros/arguments.h"
#include "scripting/script_runner.h"

namespace qbx::functions::scripts {
namespace {

using macros::MacroCall;
using scripting::ScriptRunner;
using scripting::scriptRunner;

constexpr int kScriptNotFound = 400;
constexpr int kScriptErrorPrefix = 401;
constexpr std::string_view kFnPrefix = "FN";

std::string notStarted(const Plugin& plugin) {
    return plugin.strings[kScriptErrorPrefix] + " Scripting is not started";
}

// What argument 0 of a script macro holds: the code of EPS, EJS and EVS, the name of the
// stored script that S runs.
enum class CodeArgument { Text, Name };

// Argument 0 of a script macro chooses code to run: text that the calling template produced
// (the message's, a variable's, a macro's result) never does. Only what the user wrote in the
// template runs.
bool refusesProducedCode(MacroCall& call, CodeArgument what, std::string& answer) {
    const macros::MarkedText code = macros::getParamTemplate(call.params, 0);
    if (!macros::holdsData(code)) return false;
    const std::string_view noun = what == CodeArgument::Text ? "text" : "name";
    call.plugin.log.write("***** ERROR!!! Macro " + call.name + ": script " + std::string(noun) +
                          " produced by another macro or a variable is not run");
    answer = call.plugin.strings[kScriptErrorPrefix] + " Script " + std::string(noun) +
             " produced by another macro or a variable is not run";
    return true;
}

std::string runSource(MacroCall& call, ActiveLanguage language) {
    std::string refused;
    if (refusesProducedCode(call, CodeArgument::Text, refused)) return refused;
    ScriptRunner* runner = scriptRunner(call.plugin);
    if (runner == nullptr) return notStarted(call.plugin);
    const ActiveOutcome outcome = runner->runActive(macros::getParamText(call.params, 0), language);
    return outcome.ok ? outcome.text : call.plugin.strings[kScriptErrorPrefix] + " " + outcome.text;
}

}  // namespace

std::string macroFn(MacroCall& call) {
    ScriptRunner* runner = scriptRunner(call.plugin);
    if (runner == nullptr) return call.plugin.strings[kScriptNotFound];
    scripting::takeFnArguments(runner->params(), call.params);
    const std::string_view name = std::string_view(call.name).substr(kFnPrefix.size());
    return runner->runScript(name);
}

std::string macroS(MacroCall& call) {
    std::string refused;
    if (refusesProducedCode(call, CodeArgument::Name, refused)) return refused;
    ScriptRunner* runner = scriptRunner(call.plugin);
    if (runner == nullptr) return call.plugin.strings[kScriptNotFound];
    scripting::takeSArguments(runner->params(), call.params);
    const std::string result = runner->runScript(macros::getParamText(call.params, 0));
    call.plugin.log.write("Result: " + result);
    return result;
}

std::string macroEps(MacroCall& call) {
    std::string refused;
    if (refusesProducedCode(call, CodeArgument::Text, refused)) return refused;
    ScriptRunner* runner = scriptRunner(call.plugin);
    if (runner == nullptr) return notStarted(call.plugin);
    return runner->runPascal(macros::getParamText(call.params, 0));
}

std::string macroEjs(MacroCall& call) { return runSource(call, ActiveLanguage::JScript); }

std::string macroEvs(MacroCall& call) { return runSource(call, ActiveLanguage::VBScript); }

}  // namespace qbx::functions::scripts
