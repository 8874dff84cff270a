#include "scripting/script_runner.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <limits>
#include <span>
#include <utility>

#include "core/kept_files.h"
#include "core/plugin.h"
#include "macros/message_text.h"
#include "macros/work_budget.h"
#include "scripting/bat_utils_table.h"
#include "scripting/js_prelude.h"
#include "scripting/pascal/library.h"
#include "scripting/script_variables.h"

namespace qbx::scripting {
namespace {

// A Pascal run's waits (Sleep) hold the mail client's thread. Inside a macro call they may take
// no more than what is left of the call's time, so that the call ends within its bound as a
// JScript run does; elsewhere (the dialog's Run button) the run's own limit holds.
std::int64_t waitAllowance(const Plugin& plugin) {
    constexpr std::int64_t kOwnLimit = pascal::Limits{}.maxWaitMs;
    if (plugin.macroDepth <= 0) return kOwnLimit;
    const std::int64_t left =
        std::int64_t{macros::kMaxWorkMilliseconds} - std::int64_t{macros::macroWorkElapsed(plugin)};
    return std::clamp<std::int64_t>(left, 0, kOwnLimit);
}

constexpr int kScriptNotFound = 400;       // "Script not found"
constexpr int kScriptErrorPrefix = 401;    // "Script error:"
constexpr int kUnsupportedLanguage = 430;  // "Unsupported scripting language"

constexpr std::size_t kMaxCachedPrograms = 64;
constexpr std::size_t kMaxCachedSourceBytes = std::size_t{4} << 20;

constexpr std::string_view kJScriptLogSeparator = "\r\n*****************\r\n";

using pascal::CallContext;
using pascal::Value;

// An index argument of a BatUtils function: an integer, or a text that reads as one (the
// interpreter hands a Variant parameter over as it is).
std::int64_t indexArgument(const Value& value) {
    if (value.isString()) {
        const std::string_view text = value.string();
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size() || text.empty())
            throw pascal::RuntimeError(
                "Could not convert variant of type (String) into type (Integer)",
                "EVariantTypeCastError");
        return number;
    }
    return value.toInteger();
}

// An argument or item index of the host's interface; anything beyond 32 bits names no item.
std::int32_t hostIndex(std::int64_t index) {
    if (index < std::numeric_limits<std::int32_t>::min() ||
        index > std::numeric_limits<std::int32_t>::max())
        return -1;
    return static_cast<std::int32_t>(index);
}

std::string describe(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown failure";
    }
}

// Counts a run under way for as long as it lasts.
class RunScope {
public:
    explicit RunScope(int& depth) : depth_(depth) { ++depth_; }
    ~RunScope() { --depth_; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

private:
    int& depth_;
};

}  // namespace

ScriptRunner::ScriptRunner(Plugin& plugin, ActiveScriptEngineFactory engines)
    : plugin_(plugin), engines_(std::move(engines)) {}

ScriptRunner::~ScriptRunner() = default;

void ScriptRunner::registerBatUtils(pascal::Environment& environment) {
    Plugin& plugin = plugin_;
    const ScriptParams& params = params_;
    for (const ScriptFunctionInfo& info : kBatUtilsFunctions) {
        pascal::NativeFn function;
        switch (info.function) {
            case BatUtilsFunction::GetParams:
                function = [&plugin](std::span<Value> args, CallContext&) {
                    return Value(batGetParams(plugin, hostIndex(indexArgument(args[0]))));
                };
                break;
            case BatUtilsFunction::GetTemplate:
                function = [&plugin](std::span<Value> args, CallContext&) {
                    return Value(batGetTemplate(plugin, hostIndex(indexArgument(args[0]))));
                };
                break;
            case BatUtilsFunction::Nl:
                function = [](std::span<Value>, CallContext&) { return Value(kScriptLineBreak); };
                break;
            case BatUtilsFunction::ParamCount:
                function = [&params](std::span<Value>, CallContext&) {
                    return Value(batParamCount(params));
                };
                break;
            case BatUtilsFunction::ParamStr:
            case BatUtilsFunction::Test:
                function = [&params](std::span<Value> args, CallContext&) {
                    return Value(batParamStr(params, indexArgument(args[0])));
                };
                break;
        }
        environment.addFunction(info.name, info.paramCount, info.paramCount, std::move(function));
    }
    for (const ScriptConstant& constant : kBatUtilsConstants)
        environment.addConstant(constant.name, Value(constant.value));
}

void ScriptRunner::start() {
    Log& log = plugin_.log;
    if (runDepth_ > 0) {
        // Only a script's own host call could get here; its environment must outlive it.
        log.write("Scripting cannot be restarted while a script runs");
        return;
    }
    log.write("Initiating scripting subsystem...");
    // Everything of an earlier start goes: its registrations, programs and table.
    environment_.reset();
    programs_.clear();
    programSourceBytes_ = 0;
    table_ = ScriptTable{};

    auto environment = std::make_unique<pascal::Environment>();
    pascal::addCoreLibrary(*environment);
    pascal::addRuntimeLibrary(*environment, pascal::runtimeServices(plugin_.platform));
    registerBatUtils(*environment);
    environment_ = std::move(environment);

    // In disabled mode there is no scripts folder of ours: nothing is read from anywhere.
    ScriptFolder folder;
    if (!plugin_.settings.needsRestart && !plugin_.settings.scriptsDir.empty()) {
        folder.dir = plugin_.settings.scriptsDir;
        removeStaleTemporariesIn(*plugin_.platform.files, folder.dir, ".s", log);
        folder.entryNames = plugin_.platform.files->listFiles(folder.dir, ".s");
    }
    table_ = registerScripts(ScriptStoreIo{*plugin_.platform.files, log}, folder);

    log.write("\r\n" + scriptFileList(table_));
    log.write("Scripting subsystem initiated successfully");
}

void ScriptRunner::stop() {
    Log& log = plugin_.log;
    log.write("Stopping scripting system...");
    if (runDepth_ == 0) {
        environment_.reset();
        programs_.clear();
        programSourceBytes_ = 0;
    }
    log.write("Scripting system has been stopped");
}

std::string ScriptRunner::scriptNameList() const { return scripting::scriptNameList(table_); }

void ScriptRunner::publishVariables() {
    if (!environment_ || runDepth_ > 0) return;
    for (auto& [name, value] : scriptVariableConstants(plugin_.variables))
        environment_->addConstant(name, Value(std::move(value)));
    // The script may compute its answer from any of them: one from the message makes the
    // answer so.
    for (int i = 1; i <= VarTable::kCapacity; ++i) {
        const VarRec& entry = plugin_.variables.entry(i);
        if (entry.used && entry.fromMessage) {
            macros::noteMessageRead(plugin_);
            break;
        }
    }
}

std::string ScriptRunner::scriptError(const std::string& message) const {
    return plugin_.strings[kScriptErrorPrefix] + " " + message;
}

std::string ScriptRunner::runScript(std::string_view name) {
    try {
        publishVariables();
        const FoundScript found = findScript(table_, name);
        if (found.index < 0) return plugin_.strings[kScriptNotFound];
        const ZvxScript& script = table_.entries[static_cast<std::size_t>(found.index)];
        switch (script.lang) {
            case ScriptLang::Pascal: return runPascal(found.text, &found.lines);
            case ScriptLang::VBScript: {
                const ActiveOutcome outcome = runActive(found.text, ActiveLanguage::VBScript);
                return outcome.ok ? outcome.text : scriptError(outcome.text);
            }
            case ScriptLang::JScript: {
                const std::string source = buildJScriptPrelude(params_) + found.text + "\r\n";
                // A stored JScript script's failure is its result: the message alone.
                const std::string result = runActive(source, ActiveLanguage::JScript).text;
                plugin_.log.write(std::string(kJScriptLogSeparator) + source +
                                  std::string(kJScriptLogSeparator) + result +
                                  std::string(kJScriptLogSeparator));
                return result;
            }
            case ScriptLang::None: break;
        }
        return plugin_.strings[kUnsupportedLanguage];
    } catch (...) {
        return scriptError(describe(std::current_exception()));
    }
}

std::shared_ptr<const pascal::Program> ScriptRunner::compiled(std::string_view source,
                                                              pascal::ScriptError& error) {
    const std::string key(source);
    if (const auto it = programs_.find(key); it != programs_.end()) return it->second;
    pascal::CompileResult result = pascal::compile(source, *environment_);
    if (result.error || !result.program) {
        if (result.error)
            error = *result.error;
        else
            error.message = "Compilation failed";
        return nullptr;
    }
    if (programs_.size() >= kMaxCachedPrograms ||
        key.size() > kMaxCachedSourceBytes - programSourceBytes_) {
        programs_.clear();
        programSourceBytes_ = 0;
    }
    if (key.size() <= kMaxCachedSourceBytes) {
        programSourceBytes_ += key.size();
        programs_.emplace(key, result.program);
    }
    return result.program;
}

std::string ScriptRunner::runPascal(std::string_view source, const SourceLines* lines) {
    try {
        if (!environment_) return scriptError("Scripting is not started");
        if (runDepth_ > 0) return scriptError("A script cannot be started while another one runs");
        const RunScope scope(runDepth_);
        // The user finds the line in the script's file, which holds more than the text.
        const auto fileError = [&](pascal::ScriptError error) {
            if (lines != nullptr && error.line > 0) error.line = lines->fileLine(error.line);
            return scriptError(error.text());
        };
        pascal::ScriptError error;
        // Held here: a reinit from within the run must not free the program under it.
        const std::shared_ptr<const pascal::Program> program = compiled(source, error);
        if (!program) return fileError(error);
        environment_->limits.maxWaitMs = waitAllowance(plugin_);
        const pascal::RunResult result = pascal::run(*program, *environment_);
        if (result.error) return fileError(*result.error);
        return pascal::toText(result.value);
    } catch (...) {
        return scriptError(describe(std::current_exception()));
    }
}

ActiveOutcome ScriptRunner::runActive(std::string_view source, ActiveLanguage language) {
    const std::string name(languageName(language));
    try {
        if (runDepth_ > 0) return {false, "A script cannot be started while another one runs"};
        const RunScope scope(runDepth_);
        std::unique_ptr<ActiveScriptEngine> engine;
        if (engines_) engine = engines_(plugin_);
        if (!engine) return {false, name + " is not available"};
        plugin_.log.write("Running script lang \"" + name + "\"");
        if (language == ActiveLanguage::VBScript) plugin_.log.write("VBS mode");
        const std::span<const std::string> params(
            params_.values.data() + 1,
            static_cast<std::size_t>(std::clamp(params_.count, 0, kMaxScriptParams)));
        return engine->run(source, language, params);
    } catch (...) {
        return {false, describe(std::current_exception())};
    }
}

void installScripting(Plugin& plugin, ActiveScriptEngineFactory engines) {
    plugin.factories.scripting =
        [engines = std::move(engines)](Plugin& owner) -> std::unique_ptr<ScriptingHost> {
        auto runner = std::make_unique<ScriptRunner>(owner, engines);
        runner->start();
        return runner;
    };
}

ScriptRunner* scriptRunner(Plugin& plugin) {
    return ownObjects<ScriptingHost, ScriptRunner>().find(plugin.scripting.get());
}

}  // namespace qbx::scripting
