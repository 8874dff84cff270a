// The text-level expression language of templates and macro arguments: variable references
// ("$$name"), whole-number arithmetic done strictly left to right, string concatenation,
// brackets, quoting; and the numeric evaluator of the conditional macros.
// Every function is bounded: passes, recursion and result length are capped, and a cap that
// is hit is logged and the text reached so far returned.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

class Log;
class StringTable;
class VarTable;

namespace macros {

class HeldTexts;

// What the expression functions read: the variables, the interface texts (Strings[93] and
// [97]) and the log their stages write to. With `held`, the texts are those of a template
// under evaluation: a String variable's value is held aside as data (macros/marked_text.h)
// instead of being spliced into the text, and log lines show the data put back.
// With `messageReads`, a variable whose value came from the message counts as a read of the
// message (macros/message_text.h), and a held value keeps that origin.
struct ExpressionContext {
    const VarTable& vars;
    const StringTable& strings;
    Log& log;
    HeldTexts* held = nullptr;
    std::uint64_t* messageReads = nullptr;
};

inline constexpr std::size_t kMaxExpressionText = 1u << 20;  // longer results are cut there

// Every "$$name" replaced by the variable's value, in one pass: a value is never read for
// further references.
std::string expandVariables(const ExpressionContext& ctx, std::string_view text);
std::string evaluateVars(const ExpressionContext& ctx, std::string_view text);
std::string dospaces(const ExpressionContext& ctx, std::string_view text);
std::vector<std::string> tokenizeExpression(std::string_view text);
// The tokens of a text one at a time, as tokenizeExpression cuts them, without a list of them:
// walking a huge text costs nothing beside the text.
class TokenCursor {
public:
    explicit TokenCursor(std::string_view text) : text_(text) {}
    // The next token; false at the end.
    bool next(std::string_view& token);

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};
// result := trim(result + " " + token): how joinTokens joins, one token at a time.
void appendJoined(std::string& result, std::string_view token);
std::string keepTokenRange(std::string_view text, int from, int to);
std::string joinTokens(const std::vector<std::string>& tokens);
std::string foldMacroCalls(const ExpressionContext& ctx, std::string_view text);
std::string evaluateSubExpression(const ExpressionContext& ctx, std::string_view text);
std::string evaluateTokens(const ExpressionContext& ctx, std::string_view text);
// A result that holds double quotes is data: inner quotes are doubled by quoteText and
// undoubled by unquoteText, so such a text can never open a quote that swallows the rest.
std::string quoteText(std::string_view text);
std::string unquoteText(std::string_view text);

// The conditional macros' numeric evaluator: numbers with "." as decimal point, unary minus,
// + - * / with the usual precedence, brackets and the comparisons = <> < > <= >= (1 or 0).
// Throws ExpressionError for anything else and for a non-finite result.
struct ExpressionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
double evaluateExpression(const ExpressionContext& ctx, std::string_view text);
// The same for a text whose variables are expanded already.
double evaluateNumber(std::string_view text);

}  // namespace macros
}  // namespace qbx
