// The scripting subsystem while the module runs: the table of stored scripts, the parameters of
// the current run, the Pascal interpreter's environment and its compiled programs, and the way
// out to the system's JScript and VBScript engines. Every run gives a text; no failure of a
// script, of the interpreter or of an engine leaves the runner as an exception.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/own_objects.h"
#include "core/ports/scripting_host.h"
#include "platform/active_script.h"
#include "scripting/pascal/pascal.h"
#include "scripting/script_params.h"
#include "scripting/script_store.h"

namespace qbx {
struct Plugin;
}

namespace qbx::scripting {

using qbx::ActiveLanguage;
using qbx::ActiveOutcome;
using qbx::ActiveScriptEngine;
using qbx::languageName;

// Makes one engine per run; empty, or giving null, where the system has none.
using ActiveScriptEngineFactory = std::function<std::unique_ptr<ActiveScriptEngine>(Plugin&)>;

class ScriptRunner final : public ScriptingHost {
public:
    ScriptRunner(Plugin& plugin, ActiveScriptEngineFactory engines);
    ~ScriptRunner() override;
    ScriptRunner(const ScriptRunner&) = delete;
    ScriptRunner& operator=(const ScriptRunner&) = delete;

    // StartScripting, also as the debugger's "Reinit": a fresh environment, no compiled program
    // kept, and the table read again. A failure of registration passes on to the caller.
    void start();
    // StopScripting: drops the environment and the compiled programs; runs then fail with a
    // script error until the next start.
    void stop() override;
    bool running() const { return environment_ != nullptr; }

    std::string scriptNameList() const override;
    const ScriptTable& table() const { return table_; }
    ScriptParams& params() { return params_; }
    const ScriptParams& params() const { return params_; }

    // RunScript: the stored script of that name (case ignored), with the macro variables
    // published first.
    std::string runScript(std::string_view name);
    // RunPascalScript: the source's value as text, or Strings[401] + " " + the error. The
    // error's line is the file's when the lines of a stored script's file are given.
    std::string runPascal(std::string_view source, const SourceLines* lines = nullptr);
    // RunActiveScript with the errors caught: the engine's result, or its error message. The
    // current script parameters go along (VBScript's Main receives them).
    ActiveOutcome runActive(std::string_view source, ActiveLanguage language);
    // PublishVariablesToScripts: a constant "zvx_" + name per used variable, replacing the
    // constants of the same names from earlier runs.
    void publishVariables();

private:
    std::shared_ptr<const pascal::Program> compiled(std::string_view source,
                                                    pascal::ScriptError& error);
    void registerBatUtils(pascal::Environment& environment);
    std::string scriptError(const std::string& message) const;

    Plugin& plugin_;
    ActiveScriptEngineFactory engines_;
    ScriptTable table_;
    ScriptParams params_;
    std::unique_ptr<pascal::Environment> environment_;
    // Compiled programs by source text: a stored script or an EPS text that runs again is not
    // compiled again. Bounded in count and source bytes; emptied when full.
    std::unordered_map<std::string, std::shared_ptr<const pascal::Program>> programs_;
    std::size_t programSourceBytes_ = 0;
    int runDepth_ = 0;
    OwnObjects<ScriptingHost, ScriptRunner>::Entry entry_{ownObjects<ScriptingHost, ScriptRunner>(),
                                                          this};
};

// Registers the scripting factory of the start-up; engines may be left empty.
void installScripting(Plugin& plugin, ActiveScriptEngineFactory engines = {});

// The runner of the module, or null while scripting is not started.
ScriptRunner* scriptRunner(Plugin& plugin);

}  // namespace qbx::scripting
