// Arbitrary bytes as a template and as a token text with nested calls: the pipeline stays
// within its bounds, every nesting level it takes is given back, and the running call's kept
// containers are its own again afterwards.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/plugin.h"
#include "macros/expressions.h"
#include "macros/templates.h"
#include "support/fake_container.h"
#include "support/fakes.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Generous: a template's text may grow by what the nested calls give, each of them bounded.
constexpr std::size_t kMaxResult = 64 * qbx::macros::kMaxExpressionText;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096) return 0;  // longer texts only repeat what shorter ones reach
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    qbx::test::FakePlatform fake;
    qbx::test::FakeContainer message;  // its expander gives its input back
    qbx::test::FakeContainer params(std::vector<std::string>{"a", "b"});
    {
        qbx::Plugin plugin(fake.platform());
        plugin.strings.reset();
        plugin.variables.storeStr("who", "\"John\" <j@x>");
        plugin.variables.storeStr("self", "$$self");
        plugin.variables.storeInt("n", 3);
        plugin.curData = qbx::HostRef<qbx::ITBPDataProvider>(&message);
        plugin.curParams = qbx::HostRef<qbx::ITBPDataProvider>(&params);

        qbx::macros::MacroCall call{plugin, &message, &params, "ZVXFUZZ", qbx::kMacroResultId};
        const std::string evaluated = qbx::macros::evaluateTemplate(call, text);
        check(evaluated.size() <= kMaxResult);
        const std::string expanded = qbx::macros::expandMacroCalls(call, text);
        check(expanded.size() <= kMaxResult);
        // A small loop over the same text as its template.
        const std::string looped = qbx::macros::runForLoop(call, "i", -1, 2, text, ",");
        check(looped.size() <= (std::size_t{1} << 20));

        check(plugin.macroDepth == 0);
        check(plugin.curData.get() == &message);
        check(plugin.curParams.get() == &params);
        check(params.stores.empty());  // the outer arguments are never written
    }
    // Every reference the module took is given back.
    check(message.references == 1);
    check(params.references == 1);
    return 0;
}
