// A module context whose scripting folder is a fake folder the test fills, with scripting
// started on demand (optionally with an engine for JScript and VBScript).
#pragma once

#include <string>
#include <utility>

#include "scripting/script_runner.h"
#include "support/macro_fixture.h"

namespace qbx::test {

class ScriptFixture : public MacroFixture {
protected:
    static constexpr const char* kDir = "C:\\QBX\\Scripts\\";

    ScriptFixture() { plugin.settings.scriptsDir = kDir; }

    void put(const std::string& file, const std::string& text) {
        fake.files.put(std::string(kDir) + file, text);
    }
    void start(scripting::ActiveScriptEngineFactory engines = {}) {
        scripting::installScripting(plugin, std::move(engines));
        plugin.scripting = plugin.factories.scripting(plugin);
    }
    scripting::ScriptRunner& runner() { return *scripting::scriptRunner(plugin); }
};

}  // namespace qbx::test
