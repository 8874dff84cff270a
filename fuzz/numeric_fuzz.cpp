// Arbitrary text as a condition: the value is finite or the evaluator says why it has none;
// nothing but ExpressionError leaves it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "expression_fuzz_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const double value = qbx::macros::evaluateExpression(qbx::fuzz::expressionContext(), text);
        if (!std::isfinite(value)) std::abort();
    } catch (const qbx::macros::ExpressionError&) {
    }
    return 0;
}
