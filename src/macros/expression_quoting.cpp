#include "macros/expression_quoting.h"

#include "macros/expressions.h"

namespace qbx::macros {
namespace {

constexpr char kQuote = '"';

// Outer double quotes, and inside them only characters other than a double quote or pairs of
// double quotes.
bool isQuotedForm(std::string_view text) {
    if (text.size() < 2 || text.front() != kQuote || text.back() != kQuote) return false;
    const std::string_view inner = text.substr(1, text.size() - 2);
    for (std::size_t i = 0; i < inner.size(); ++i) {
        if (inner[i] != kQuote) continue;
        if (i + 1 >= inner.size() || inner[i + 1] != kQuote) return false;
        ++i;
    }
    return true;
}

std::string undoubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == kQuote && i + 1 < text.size() && text[i + 1] == kQuote) ++i;
    }
    return out;
}

}  // namespace

bool needsEscaping(std::string_view text) {
    if (text.size() < 3) return false;
    if (text.substr(1, text.size() - 2).find(kQuote) == std::string_view::npos) return false;
    return !isQuotedForm(text);
}

std::string doubleQuotes(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        out += c;
        if (c == kQuote) out += kQuote;
    }
    return out;
}

std::string quoteText(std::string_view text) {
    if (text.empty()) return "\"\"";
    if (needsEscaping(text)) {
        std::string out;
        out.reserve(text.size() + 8);
        out += kQuote;
        out += doubleQuotes(text);
        out += kQuote;
        return out;
    }
    std::string out;
    out.reserve(text.size() + 2);
    if (text.front() != kQuote) out += kQuote;
    out += text;
    if (out.back() != kQuote) out += kQuote;
    return out;
}

std::string unquoteText(std::string_view text) {
    bool opened = false;
    if (!text.empty() && text.front() == kQuote) {
        text.remove_prefix(1);
        opened = true;
    }
    if (!text.empty() && text.back() == kQuote) text.remove_suffix(1);
    // Doubled quotes inside a quoted text are data: undoubled, and the single quotes around
    // them are part of that data too.
    if (opened && text.find("\"\"") != std::string_view::npos) return undoubleQuotes(text);
    if (!text.empty() && text.front() == '\'') text.remove_prefix(1);
    if (!text.empty() && text.back() == '\'') text.remove_suffix(1);
    return std::string(text);
}

}  // namespace qbx::macros
