// Arbitrary text through the spacing pass and the quoting: bounded output, and quoting always
// gives one token that unquotes to the data whenever the data holds an inner quote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "expression_fuzz_context.h"
#include "macros/expression_quoting.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qbx::macros;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto& ctx = qbx::fuzz::expressionContext();

    const std::string spaced = dospaces(ctx, text);
    if (spaced.size() > 3 * text.size() + 3) std::abort();
    (void)tokenizeExpression(spaced);
    (void)foldMacroCalls(ctx, evaluateVars(ctx, spaced));

    const std::string quoted = quoteText(text);
    if (tokenizeExpression(quoted).size() != 1) std::abort();
    if (needsEscaping(text) && unquoteText(quoted) != text) std::abort();
    if (unquoteText(text).size() > text.size()) std::abort();
    return 0;
}
