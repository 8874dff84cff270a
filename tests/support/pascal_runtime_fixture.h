// A test of the runtime library: the core and runtime libraries in one environment over a fake
// platform, with the golden-table helpers bound to it.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "scripting/pascal/library.h"
#include "support/fakes.h"
#include "support/pascal_test_support.h"

namespace qbx::scripting::pascal::testing {

class PascalRuntimeTest : public ::testing::Test {
protected:
    PascalRuntimeTest() {
        addCoreLibrary(env_);
        addRuntimeLibrary(env_, runtimeServices(platform_.platform()));
    }
    std::string outcome(std::string_view source) { return testing::outcome(source, env_); }
    void runTable(std::initializer_list<Case> cases) { testing::expectOutcomes(cases, env_); }

    test::FakePlatform platform_;
    Environment env_;
};

}  // namespace qbx::scripting::pascal::testing
