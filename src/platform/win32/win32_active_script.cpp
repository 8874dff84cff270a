#include "platform/win32/win32_active_script.h"

#include "platform/script_loop_guard.h"
#include "platform/win32/active_script_ways.h"

namespace qbx::win32 {
namespace {

class Win32ActiveScriptEngine final : public ActiveScriptEngine {
public:
    explicit Win32ActiveScriptEngine(const ActiveScriptOptions& options) : options_(options) {}

    ActiveOutcome run(std::string_view source, ActiveLanguage language,
                      std::span<const std::string> params) override {
        // Declared first: every object of the run is released before the apartment goes.
        const ComApartment apartment;
        if (!apartment.usable())
            return {false,
                    "COM is not available (" + active::hresultText(apartment.result()) + ")"};
        // Where the engines never stop a script themselves, its loops call our guard; a source
        // the guard cannot read runs as it is.
        std::optional<std::string> guarded;
        ComPtr<active::LoopGuardObject> guard;
        if (active::enginesIgnoreDeadlines()) guarded = guardLoops(source, language);
        if (guarded) guard = active::LoopGuardObject::make(GetTickCount64() + options_.deadlineMs);
        const std::optional<Bstr> code = active::toBstr(guarded ? *guarded : source);
        if (!code) return {false, "The script text cannot be handed to the engine"};

        if (options_.way != ScriptEngineWay::Direct) {
            active::WayResult control =
                active::runThroughControl(code->get(), language, params, options_, guard.get());
            if (control.created || options_.way == ScriptEngineWay::ScriptControl)
                return std::move(control.outcome);
        }
        return active::runDirect(code->get(), language, params, options_, guard.get()).outcome;
    }

private:
    ActiveScriptOptions options_;
};

}  // namespace

std::unique_ptr<ActiveScriptEngine> makeActiveScriptEngine(const ActiveScriptOptions& options) {
    return std::make_unique<Win32ActiveScriptEngine>(options);
}

}  // namespace qbx::win32
