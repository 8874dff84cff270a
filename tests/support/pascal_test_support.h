// Runs a script the way the runner does and gives its text: the value as text, or "!" followed by
// the error text, so that one table column holds either outcome.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
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

// One row of a golden table: a source and the outcome it gives.
struct Case {
    const char* source;
    const char* expected;
};

inline void expectOutcomes(std::initializer_list<Case> cases, Environment& env) {
    for (const Case& c : cases) EXPECT_EQ(outcome(c.source, env), c.expected) << c.source;
}

// Each row in a fresh environment of the core library.
inline void expectOutcomes(std::initializer_list<Case> cases) {
    for (const Case& c : cases) EXPECT_EQ(outcome(c.source), c.expected) << c.source;
}

}  // namespace qbx::scripting::pascal::testing
