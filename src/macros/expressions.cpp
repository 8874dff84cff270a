#include "macros/expressions.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <utility>

#include "base/text.h"
#include "core/log.h"
#include "core/strings.h"
#include "core/variables.h"
#include "macros/expression_quoting.h"
#include "macros/marked_text.h"

namespace qbx::macros {
namespace {

constexpr int kDivisionByZeroText = 93;
constexpr int kUnpairedBracketsText = 97;

// Bounds of one evaluation. Templates of real use stay far below them; they exist so that a
// self-referring variable or a huge text ends in a logged, partial result instead of a hang.
constexpr int kMaxPasses = 10000;
constexpr std::size_t kMaxWork = 8u * kMaxExpressionText;  // characters processed, all passes
constexpr int kMaxDepth = 64;                              // nested evaluations
constexpr std::size_t kMaxLogText = 4096;                  // of the text in one log line

void trimInPlace(std::string& text) {
    while (!text.empty() && isBlankOrControl(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && isBlankOrControl(text[first])) ++first;
    if (first > 0) text.erase(0, first);
}

bool isNameChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

bool isOperator(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

bool startsWithOperator(std::string_view token) {
    return !token.empty() && isOperator(token.front());
}

bool isSpacedChar(char c) {
    return c == '(' || c == ')' || c == '*' || c == '+' || c == ',' || c == '-' || c == '/';
}

// A long text is logged by its start (or, for the quote lines, by its end): the log is for
// reading, and a line per pass of a huge text must not cost its whole length each time. Data
// held aside is shown as it is.
void logText(const ExpressionContext& ctx, std::string_view prefix, std::string_view text,
             bool keepEnd = false) {
    std::string line(prefix);
    const bool cut = text.size() > kMaxLogText;
    const std::size_t from = cut && keepEnd ? text.size() - kMaxLogText : 0;
    const std::size_t count = cut ? kMaxLogText : text.size();
    if (cut && keepEnd) line += "...";
    if (ctx.held != nullptr && text.find(kHeldMark) != std::string_view::npos)
        line += ctx.held->revealWindow(text, from, count);
    else
        line += text.substr(from, count);
    if (cut && !keepEnd) line += "...";
    ctx.log.write(line);
}

// Tokens as views into the text they were cut from: the evaluator cuts a text once per pass.
using Tokens = std::vector<std::string_view>;

// Calls onToken for each token of the text in order until it answers false. A text is walked
// without a list of its tokens where only a bounded part of it is used.
template <typename OnToken>
void forEachToken(std::string_view text, OnToken&& onToken) {
    TokenCursor cursor(text);
    std::string_view token;
    while (cursor.next(token))
        if (!onToken(token)) return;
}

Tokens cutTokens(std::string_view text) {
    Tokens tokens;
    forEachToken(text, [&](std::string_view token) {
        tokens.push_back(token);
        return true;
    });
    return tokens;
}

// Tokens from..to (positions outside the list ignored), joined as JoinTokens joins them.
template <typename List>
std::string joinRange(const List& tokens, long from, long to) {
    std::string result;
    if (from < 0) from = 0;
    if (to >= static_cast<long>(tokens.size())) to = static_cast<long>(tokens.size()) - 1;
    std::size_t size = 0;
    for (long i = from; i <= to; ++i) size += tokens[static_cast<std::size_t>(i)].size() + 1;
    result.reserve(size);
    for (long i = from; i <= to; ++i) appendJoined(result, tokens[static_cast<std::size_t>(i)]);
    return result;
}

// The operand rule of the arithmetic: an optional "+" or "-" and decimal digits whose value
// fits in 32 bits; any other token (other notations, blanks, values out of range) reads as 0.
std::int32_t operandValue(std::string_view token) {
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (token.empty()) return 0;
    std::int64_t value = 0;
    for (char c : token) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return 0;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(value);
}

// Two's-complement wrap of a 64-bit intermediate to 32 bits.
std::int32_t wrap32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

struct Budget {
    int passes = 0;
    std::size_t work = 0;
    bool exhausted = false;
};

class TokenEvaluator {
public:
    explicit TokenEvaluator(const ExpressionContext& ctx) : ctx_(ctx) {}

    std::string evaluate(std::string_view text, int depth);
    std::string subExpression(std::string_view text, int depth);

private:
    bool overBudget(std::size_t size);
    std::string operation(std::string_view left, std::string_view op, std::string_view right);

    const ExpressionContext& ctx_;
    Budget budget_;
};

bool TokenEvaluator::overBudget(std::size_t size) {
    if (!budget_.exhausted) {
        ++budget_.passes;
        budget_.work += size;
        if (budget_.passes > kMaxPasses || budget_.work > kMaxWork) {
            budget_.exhausted = true;
            ctx_.log.write("Evaluating tokens: pass limit reached, evaluation stopped");
        }
    }
    return budget_.exhausted;
}

std::string TokenEvaluator::operation(std::string_view left, std::string_view op,
                                      std::string_view right) {
    if (left.front() == '"' || right.front() == '"') {
        const std::string a = quoteText(left);
        const std::string b = quoteText(right);
        std::string out(a, 0, a.size() - 1);
        out.append(b, 1, std::string::npos);
        return out;
    }
    const std::int64_t x = operandValue(left);
    const std::int64_t y = operandValue(right);
    switch (op.front()) {
        case '+': return decimal(wrap32(x + y));
        case '-': return decimal(wrap32(x - y));
        case '*': return decimal(wrap32(x * y));
        default:
            if (y == 0) return quoteText(ctx_.strings[kDivisionByZeroText]);
            // 64-bit: the one quotient that does not fit, -2147483648 / -1, wraps to itself.
            return decimal(wrap32(x / y));
    }
}

// The rules are tried in order and most of them go on with a rebuilt text; those are done by
// this loop rather than by recursion, so that a long expression cannot exhaust the stack.
// What a rule puts around the value of the text it goes on with is kept in `wraps` and put
// around the final value, innermost first.
std::string TokenEvaluator::evaluate(std::string_view text, int depth) {
    if (depth > kMaxDepth) {
        ctx_.log.write("Evaluating tokens: nesting limit reached, text left as it is");
        return std::string(text);
    }
    enum class Wrap { Blanks, Zero };
    std::vector<Wrap> wraps;
    // Heap-held so that the tokens, which are views, survive when the texts change hands.
    auto current = std::make_unique<std::string>(text);
    std::unique_ptr<std::string> previousText;
    Tokens previous;
    bool rebuilt = false;
    std::string result;

    for (;;) {
        logText(ctx_, "Evaluating tokens: ", *current);
        if (current->empty()) break;
        if (overBudget(current->size())) {
            result = std::move(*current);
            break;
        }
        if (current->size() > kMaxExpressionText) {
            ctx_.log.write("Evaluating tokens: text too long, evaluation stopped");
            current->resize(kMaxExpressionText);
            result = std::move(*current);
            break;
        }
        const Tokens t = cutTokens(*current);
        // A rebuild that gives the same tokens would be taken apart the same way for ever.
        if (rebuilt && t == previous) {
            result = std::move(*previousText);
            break;
        }
        rebuilt = false;
        const long n = static_cast<long>(t.size());
        const auto rebuild = [&](std::string next) {
            previous = t;
            previousText = std::move(current);
            current = std::make_unique<std::string>(std::move(next));
            rebuilt = true;
        };

        // Enclosing brackets.
        if (n >= 2 && t.front() == "(" && t.back() == ")") {
            long depthCount = 0;
            long k = 0;
            for (const auto token : t) {
                if (token == "(") ++depthCount;
                if (token == ")") --depthCount;
                if (token.front() == '(' || token.front() == ')') ++k;
            }
            if (depthCount != 0) {
                result = quoteText(ctx_.strings[kUnpairedBracketsText]);
                break;
            }
            if (k == 2) {
                ctx_.log.write("k=2");
                wraps.push_back(Wrap::Blanks);
                *current = joinRange(t, 1, n - 2);
                continue;
            }
        }
        // One token.
        if (n == 1) {
            result = std::move(*current);
            break;
        }
        // Leading operator.
        if (n >= 2 && t[0].size() == 1 && isOperator(t[0][0])) {
            if (t[1].front() == '"') {
                ctx_.log.write("else");
                *current = joinRange(t, 1, n - 1);
            } else if (t[0] == "+") {
                ctx_.log.write("+");
                *current = joinRange(t, 1, n - 1);
            } else if (t[0] == "-") {
                ctx_.log.write("-");
                *current = "-" + joinRange(t, 1, n - 1);
            } else {
                ctx_.log.write("*/");
                wraps.push_back(Wrap::Zero);
                *current = joinRange(t, 2, n - 1);
            }
            continue;
        }
        // Two tokens.
        if (n == 2) {
            result.assign(t[0]);
            result += ' ';
            result += t[1];
            break;
        }
        // Innermost group.
        long open = -1;
        long close = -1;
        for (long i = 0; i < n; ++i) {
            const auto token = t[static_cast<std::size_t>(i)];
            if (token == "(") {
                open = i;
            } else if (token == ")" && open >= 0) {
                close = i;
                break;
            }
        }
        if (close >= 0) {
            ctx_.log.write(")");
            if (open == 0 && close == n - 1) {
                // The group is the whole text and not a plain pair of brackets: evaluating it
                // would start over with the same text.
                result = std::move(*current);
                break;
            }
            const std::string group = evaluate(joinRange(t, open, close), depth + 1);
            std::string next = joinRange(t, 0, open - 1);
            next += group;
            next += joinRange(t, close + 1, n - 1);
            rebuild(std::move(next));
            continue;
        }
        // List.
        if (n == 3 && t[1].front() == ',') {
            result = subExpression(t[0], depth + 1);
            result += " , ";
            result += subExpression(t[2], depth + 1);
            break;
        }
        // One operation.
        if (n == 3 && startsWithOperator(t[1])) {
            result = operation(t[0], t[1], t[2]);
            break;
        }
        // Leftmost operation: strictly left to right, no precedence.
        long op = -1;
        for (long i = 1; i < n; ++i) {
            if (startsWithOperator(t[static_cast<std::size_t>(i)])) {
                op = i;
                break;
            }
        }
        if (op >= 0) {
            ctx_.log.write("synops");
            const std::string value = evaluate(joinRange(t, op - 1, op + 1), depth + 1);
            std::string next = joinRange(t, 0, op - 2);
            next += ' ';
            next += value;
            next += ' ';
            next += joinRange(t, op + 2, n - 1);
            rebuild(std::move(next));
            continue;
        }
        // No operator anywhere.
        ctx_.log.write("...");
        result = dospaces(ctx_, *current);
        logText(ctx_, "Result evaluating tokens: ", result);
        break;
    }

    for (auto it = wraps.rbegin(); it != wraps.rend(); ++it) {
        if (*it == Wrap::Blanks) {
            trimInPlace(result);
            result.insert(result.begin(), ' ');
            result += ' ';
        } else {
            // A run of leading "*" rules adds its zeros at once.
            std::size_t zeros = 1;
            while (it + 1 != wraps.rend() && *(it + 1) == Wrap::Zero) {
                ++zeros;
                ++it;
            }
            result.insert(0, zeros, '0');
        }
    }
    return result;
}

std::string TokenEvaluator::subExpression(std::string_view text, int depth) {
    if (depth > kMaxDepth) {
        ctx_.log.write("Evaluating tokens: nesting limit reached, text left as it is");
        return std::string(text);
    }
    const std::string spaced = dospaces(ctx_, text);
    const std::string expanded = evaluateVars(ctx_, spaced);
    const std::string folded = foldMacroCalls(ctx_, expanded);
    return evaluate(folded, depth);
}

// Whether the variable's value came from the message; its reading is counted as one.
bool variableFromMessage(const ExpressionContext& ctx, std::string_view name) {
    if (!ctx.vars.fromMessage(name)) return false;
    if (ctx.messageReads != nullptr) ++*ctx.messageReads;
    return true;
}

}  // namespace

// One pass from left to right: a reference is "$$" and the run of name characters after it
// (the run may be empty); what replaces it is never looked at again.
std::string expandVariables(const ExpressionContext& ctx, std::string_view text) {
    bool cut = false;
    SplicedValue hold;
    if (ctx.held != nullptr || ctx.messageReads != nullptr)
        hold = [&ctx](std::string_view name, VarKind kind, std::string value) {
            const bool fromMessage = variableFromMessage(ctx, name);
            if (ctx.held == nullptr) return value;
            if (kind == VarKind::String) return ctx.held->hold(value, fromMessage);
            if (fromMessage) ctx.held->noteBareMessageText();
            return value;
        };
    std::string out = expandVariableReferences(ctx.vars, text, kMaxExpressionText, cut, hold);
    if (cut) ctx.log.write("Expanding variables: text too long, expansion stopped");
    return out;
}

std::string evaluateVars(const ExpressionContext& ctx, std::string_view text) {
    logText(ctx, "Evaluating vars: ", text);
    bool quote = false;
    std::string out;
    // Whether the first and last characters of out come from a value whose quotes were
    // doubled: such a quote is data and does not stand for the start or end of the string.
    bool firstIsData = false;
    bool lastIsData = false;
    // Token by token: of a huge template only the part up to the cut is ever looked at.
    forEachToken(text, [&](std::string_view token) {
        std::string piece;
        bool data = false;
        if (token.size() >= 2 && token[0] == '$' && token[1] == '$') {
            const std::string name(token.substr(2));
            switch (ctx.vars.type(name)) {
                case 0:
                    quote = true;
                    piece = ctx.vars.text(name);
                    if (ctx.held != nullptr) {
                        // No quote of its own to mistake.
                        piece = ctx.held->hold(piece, variableFromMessage(ctx, name));
                    } else if (needsEscaping(piece)) {
                        piece = doubleQuotes(piece);
                        data = true;
                    }
                    break;
                case 1:
                    piece = ctx.vars.text(name);
                    if (variableFromMessage(ctx, name) && ctx.held != nullptr)
                        ctx.held->noteBareMessageText();
                    break;
                default: break;
            }
        } else {
            piece.assign(token);
        }
        const bool wasEmpty = out.empty();
        const std::size_t before = out.size();
        appendJoined(out, piece);
        if (wasEmpty && !out.empty()) firstIsData = data;
        if (out.size() > before) lastIsData = data;
        if (out.size() > kMaxExpressionText) {
            ctx.log.write("Evaluating vars: text too long, cut");
            out.resize(kMaxExpressionText);
            return false;
        }
        return true;
    });
    if (quote) {
        if (out.empty()) {
            out = "\"\"";
        } else {
            if (out.front() != '"' || firstIsData) {
                out.insert(out.begin(), '"');
            }
            if (out.back() != '"' || lastIsData) out += '"';
        }
    }
    logText(ctx, "Result evaluating vars: ", out);
    return out;
}

std::string dospaces(const ExpressionContext& ctx, std::string_view text) {
    logText(ctx, "Dospaces: ", text);
    std::string padded;
    padded.reserve(text.size() + 3);
    padded += ' ';
    padded += text;
    padded += "  ";

    std::string out;
    out.reserve(text.size() + text.size() / 2 + 4);
    bool quoted = false;
    bool macroName = true;
    const std::size_t last = padded.size() - 2;  // the first of the two trailing blanks
    for (std::size_t i = 0; i <= last; ++i) {
        const char c = padded[i];
        const char previous = i > 0 ? padded[i - 1] : ' ';
        const char next = padded[i + 1];

        if (macroName && c == '(' && previous == '(') macroName = false;
        if (macroName && !isNameChar(c) && c != '(') macroName = false;
        if (c == '$') macroName = true;

        if (!quoted) {
            if (c == '"') {
                out += c;
                quoted = true;
                logText(ctx, "ISQUOT: ", std::string_view(padded).substr(0, i + 2), true);
                continue;
            }
        } else {
            if (c == '"' && next == '"') {
                // A doubled quote is a quote character of the string, not its end.
                out += "\"\"";
                ++i;
                continue;
            }
            out += c;
            if (c == '"') {
                quoted = false;
                logText(ctx, "NOQUOT: ", std::string_view(padded).substr(0, i + 1), true);
            }
            continue;
        }

        if (!isSpacedChar(c)) {
            out += c;
            continue;
        }
        trimInPlace(out);
        if (macroName) {
            out += "( ";
        } else if (c == '-' && next >= '0' && next <= '9' &&
                   (previous == '(' || previous == '*' || previous == '+' || previous == '-' ||
                    previous == '/')) {
            out += " -";
        } else {
            out += ' ';
            out += c;
            out += ' ';
        }
    }
    logText(ctx, "Dospaces result: ", out);
    return out;
}

bool TokenCursor::next(std::string_view& token) {
    const std::size_t size = text_.size();
    std::size_t i = pos_;
    while (i < size && (text_[i] == ' ' || text_[i] == '\r' || text_[i] == '\n')) ++i;
    if (i >= size) {
        pos_ = size;
        return false;
    }
    const std::size_t start = i;
    char quote = 0;
    for (; i < size; ++i) {
        const char c = text_[i];
        if (quote != 0) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == ' ' || c == '\r' || c == '\n') break;
        if (c == '"' || c == '\'') quote = c;
    }
    token = text_.substr(start, i - start);
    pos_ = i;
    return true;
}

// Without copying the result each time: once it is non-empty its front never changes.
void appendJoined(std::string& result, std::string_view token) {
    if (result.empty()) {
        result.assign(trimBlankOrControl(token));
        return;
    }
    result += ' ';
    result += token;
    while (isBlankOrControl(result.back())) result.pop_back();
}

std::vector<std::string> tokenizeExpression(std::string_view text) {
    const Tokens views = cutTokens(text);
    return std::vector<std::string>(views.begin(), views.end());
}

std::string keepTokenRange(std::string_view text, int from, int to) {
    if (to < from) return {};
    return joinRange(cutTokens(text), from, to);
}

std::string joinTokens(const std::vector<std::string>& tokens) {
    return joinRange(tokens, 0, static_cast<long>(tokens.size()) - 1);
}

std::string foldMacroCalls(const ExpressionContext& ctx, std::string_view text) {
    logText(ctx, "Evaluating macro_tmp: ", text);
    std::vector<std::string> tokens = tokenizeExpression(text);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string& token = tokens[i];
        if (token.empty() || token.front() != '$') continue;
        if (token.find('(') == token.size() - 1) {
            for (std::size_t j = i + 1; j < tokens.size(); ++j) {
                const bool closes = tokens[j] == ")";
                token += tokens[j];
                tokens[j].clear();
                if (closes) break;
            }
        }
        token.insert(token.begin(), '"');
        token += '"';
    }
    const std::string result = joinTokens(tokens);
    logText(ctx, "Result evaluating macro: ", result);
    return result;
}

std::string evaluateSubExpression(const ExpressionContext& ctx, std::string_view text) {
    TokenEvaluator evaluator(ctx);
    return evaluator.subExpression(text, 0);
}

std::string evaluateTokens(const ExpressionContext& ctx, std::string_view text) {
    TokenEvaluator evaluator(ctx);
    return evaluator.evaluate(text, 0);
}

}  // namespace qbx::macros
