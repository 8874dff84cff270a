// The conditions of ZVXIF and ZVXCASE: a small recursive-descent evaluator over doubles.
//   comparison := sum { ("=" | "<>" | "<" | ">" | "<=" | ">=") sum }
//   sum        := product { ("+" | "-") product }
//   product    := unary { ("*" | "/") unary }
//   unary      := { "+" | "-" } primary
//   primary    := number | "(" comparison ")"
//   number     := digits [ "." [ digits ] ] | "." digits
// Blanks (and tabs and line breaks) may stand between any two symbols.
#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "macros/expressions.h"

namespace qbx::macros {
namespace {

constexpr int kMaxBrackets = 256;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

class NumericParser {
public:
    explicit NumericParser(std::string_view text) : text_(text) {}

    double parse() {
        skipBlanks();
        if (pos_ == text_.size()) throw ExpressionError("Empty expression");
        const double value = comparison();
        skipBlanks();
        if (pos_ != text_.size()) fail("Unexpected character");
        return value;
    }

private:
    [[noreturn]] void fail(const char* what) const {
        throw ExpressionError(std::string(what) + " at position " + std::to_string(pos_ + 1));
    }

    static double finite(double value) {
        if (!std::isfinite(value)) throw ExpressionError("Result out of range");
        return value;
    }

    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n'))
            ++pos_;
    }

    bool accept(std::string_view symbol) {
        skipBlanks();
        if (text_.substr(pos_, symbol.size()) != symbol) return false;
        pos_ += symbol.size();
        return true;
    }

    double comparison() {
        double value = sum();
        for (;;) {
            // Two-character symbols first: "<=" must not read as "<" followed by "=".
            if (accept("<=")) {
                const double right = sum();
                value = value <= right ? 1.0 : 0.0;
            } else if (accept(">=")) {
                const double right = sum();
                value = value >= right ? 1.0 : 0.0;
            } else if (accept("<>")) {
                const double right = sum();
                value = value != right ? 1.0 : 0.0;
            } else if (accept("=")) {
                const double right = sum();
                value = value == right ? 1.0 : 0.0;
            } else if (accept("<")) {
                const double right = sum();
                value = value < right ? 1.0 : 0.0;
            } else if (accept(">")) {
                const double right = sum();
                value = value > right ? 1.0 : 0.0;
            } else {
                return value;
            }
        }
    }

    double sum() {
        double value = product();
        for (;;) {
            if (accept("+")) {
                value = finite(value + product());
            } else if (accept("-")) {
                value = finite(value - product());
            } else {
                return value;
            }
        }
    }

    double product() {
        double value = unary();
        for (;;) {
            if (accept("*")) {
                value = finite(value * unary());
            } else if (accept("/")) {
                const double right = unary();
                // Checked before dividing: the host may run with floating-point traps enabled.
                if (right == 0.0) throw ExpressionError("Division by zero");
                value = finite(value / right);
            } else {
                return value;
            }
        }
    }

    double unary() {
        bool negative = false;
        for (;;) {
            if (accept("-")) {
                negative = !negative;
            } else if (!accept("+")) {
                break;
            }
        }
        const double value = primary();
        return negative ? -value : value;
    }

    double primary() {
        skipBlanks();
        if (pos_ == text_.size()) fail("Operand expected");
        if (text_[pos_] == '(') {
            ++pos_;
            if (++depth_ > kMaxBrackets) fail("Too many nested brackets");
            const double value = comparison();
            if (!accept(")")) fail("Closing bracket expected");
            --depth_;
            return value;
        }
        return number();
    }

    double number() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
        const std::size_t integerEnd = pos_;
        std::size_t end = pos_;
        if (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            while (pos_ < text_.size() && isDigit(text_[pos_])) ++pos_;
            end = pos_;
            if (end == integerEnd + 1) end = integerEnd;  // "5." reads as "5"
        }
        if (end == start) {
            pos_ = start;
            fail("Number expected");
        }
        double value = 0;
        const auto [stop, ec] = std::from_chars(text_.data() + start, text_.data() + end, value,
                                                std::chars_format::fixed);
        if (ec != std::errc() || stop != text_.data() + end) {
            pos_ = start;
            fail("Number out of range");
        }
        return finite(value);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

}  // namespace

double evaluateExpression(const ExpressionContext& ctx, std::string_view text) {
    return evaluateNumber(expandVariables(ctx, text));
}

double evaluateNumber(std::string_view text) { return NumericParser(text).parse(); }

}  // namespace qbx::macros
