// Runs a script the way the runner does and gives its text: the value as text, or "!" followed by
// the error text, so that one table column holds either outcome.
#pragma once

#include <string>
#include <string_view>

#include "scripting/pascal/pascal.h"

namespace qbx::scripting::pascal::testing {

inline Environment standardEnvironment() {
    Environment env;
    addCoreLibrary(env);
    return env;
}

inline std::string outcome(std::string_view source, Environment& env) {
    const CompileResult compiled = compile(source, env);
    if (compiled.error) return "!" + compiled.error->text();
    const RunResult result = run(*compiled.program, env);
    if (result.error) return "!" + result.error->text();
    return toText(result.value);
}

inline std::string outcome(std::string_view source) {
    Environment env = standardEnvironment();
    return outcome(source, env);
}

}  // namespace qbx::scripting::pascal::testing
