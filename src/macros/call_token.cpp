#include "macros/call_token.h"

#include <cstdint>
#include <limits>

#include "base/text.h"
#include "macros/expressions.h"

namespace qbx::macros {

bool isCallHead(std::string_view token) {
    return token.size() >= 2 && token.front() == '$' && token.find('(') == token.size() - 1;
}

void absorbCallArguments(std::vector<std::string>& tokens, std::size_t head) {
    if (head >= tokens.size() || !isCallHead(tokens[head])) return;
    int depth = 1;
    for (std::size_t j = head + 1; j < tokens.size() && depth > 0; ++j) {
        std::string taken = std::move(tokens[j]);
        tokens[j].clear();
        if (taken == "(" || isCallHead(taken))
            ++depth;
        else if (taken == ")")
            --depth;
        tokens[head] += taken;
    }
}

std::string absorbCallArguments(TokenCursor& cursor, std::string_view head) {
    std::string call(head);
    if (!isCallHead(head)) return call;
    int depth = 1;
    std::string_view taken;
    while (depth > 0 && cursor.next(taken)) {
        if (taken == "(" || isCallHead(taken))
            ++depth;
        else if (taken == ")")
            --depth;
        call += taken;
    }
    return call;
}

std::string callName(std::string_view token) {
    if (!token.empty() && token.front() == '$') token.remove_prefix(1);
    return std::string(token.substr(0, token.find('(')));
}

std::optional<BracketGroup> findBracketGroup(std::string_view token) {
    int depth = 0;
    std::size_t open = std::string_view::npos;
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        // A quoted argument is never taken apart as a group: counting stops at its quote.
        if (c == '"') break;
        if (c == '(') {
            if (depth == 0) open = i;
            ++depth;
        } else if (c == ')') {
            --depth;
            if (depth == 0 && open != std::string_view::npos) return BracketGroup{open, i};
            if (depth < 0) {  // a stray ")" before any group: start again after it
                depth = 0;
                open = std::string_view::npos;
            }
        }
    }
    return std::nullopt;
}

std::vector<std::string> splitCallItems(std::string_view token) {
    std::vector<std::string> items;
    std::string current;
    bool atStart = true;
    auto finish = [&] {
        if (!current.empty()) items.push_back(std::move(current));
        current.clear();
        atStart = true;
    };
    for (std::size_t i = 0; i < token.size(); ++i) {
        const char c = token[i];
        if (atStart && (c == ' ' || c == '\r' || c == '\n')) continue;
        if (c == '"' || c == '\'') {
            const std::size_t close = token.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? token.size() : close + 1;
            current.append(token.substr(i, end - i));
            i = end - 1;
            atStart = false;
            continue;
        }
        if (c == '(' || c == ')' || c == ',' || c == '\r' || c == '\n') {
            finish();
            continue;
        }
        current.push_back(c);
        atStart = false;
    }
    finish();
    return items;
}

bool readsAsInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return false;
    const std::int64_t limit =
        std::int64_t{std::numeric_limits<std::int32_t>::max()} + (negative ? 1 : 0);
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
        if (value > limit) return false;
    }
    return true;
}

}  // namespace qbx::macros
