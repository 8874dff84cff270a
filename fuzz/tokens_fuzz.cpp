// Arbitrary text through the token evaluator and the variable expansion: every input ends,
// within the length and pass limits, whatever its brackets, operators and quotes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "expression_fuzz_context.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::macros;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto& ctx = qbx::fuzz::expressionContext();

    const std::string value = evaluateTokens(ctx, text);
    if (value.size() > 4 * kMaxExpressionText) std::abort();
    (void)evaluateSubExpression(ctx, text);
    if (expandVariables(ctx, text).size() > kMaxExpressionText + text.size()) std::abort();
    // The template order: variables, spacing, tokens, unquoting.
    (void)unquoteText(evaluateTokens(
        ctx, joinTokens(tokenizeExpression(dospaces(ctx, evaluateVars(ctx, text))))));
    return 0;
}
