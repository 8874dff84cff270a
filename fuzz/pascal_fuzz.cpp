// Arbitrary source through compile and run with the core library and a small budget: no crash,
// no leak, no escaped exception, bounded time and memory. The runtime library is there without
// services, so its record types and object classes are compiled while nothing of it reaches
// the system (each such routine is a script error).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "scripting/pascal/library.h"
#include "scripting/pascal/pascal.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::scripting::pascal;
    std::string_view source(reinterpret_cast<const char*>(data), size);
    // A stored script's header lines ("@SCRIPT name", "@LANG PAS") are the store's, not Pascal.
    while (source.starts_with('@')) {
        const std::size_t end = source.find('\n');
        source = end == std::string_view::npos ? std::string_view() : source.substr(end + 1);
    }
    static Environment* env = [] {
        auto* e = new Environment;
        addCoreLibrary(*e);
        addRuntimeLibrary(*e, RuntimeServices{});
        e->limits.maxSteps = 20000;
        e->limits.maxStringLength = 1 << 16;
        e->limits.maxStringMemory = 1 << 20;
        e->limits.maxSourceLength = 1 << 16;
        return e;
    }();
    const CompileResult compiled = compile(source, *env);
    if (compiled.error) {
        if (compiled.program || compiled.error->message.empty()) std::abort();
        return 0;
    }
    const RunResult result = run(*compiled.program, *env);
    if (result.error && result.error->text().empty()) std::abort();
    (void)toText(result.value);
    return 0;
}
