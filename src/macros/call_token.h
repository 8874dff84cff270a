// The pieces of a nested macro call inside a token text: "$NAME(" heads, the tokens a call
// takes up to its closing bracket, its bracket group and its argument items.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::macros {

class TokenCursor;

// "$", a name and "(" as its only bracket, the spacing pass leaves a call's head like that.
bool isCallHead(std::string_view token);

// Appends to tokens[head] the following tokens up to the bracket that closes the call (or to
// the end), emptying each one taken. Nested call heads count as opening brackets, so a call in
// an argument keeps its own closing bracket.
void absorbCallArguments(std::vector<std::string>& tokens, std::size_t head);
// The same for a call head read from a cursor: the head and the tokens it takes, joined.
std::string absorbCallArguments(TokenCursor& cursor, std::string_view head);

// The name a call token asks for: the text after "$" up to its first "(".
std::string callName(std::string_view token);

// The outermost bracket group of a call token, found before its first double quote: the
// positions of its "(" and of the ")" that closes it.
struct BracketGroup {
    std::size_t open;
    std::size_t close;
};
std::optional<BracketGroup> findBracketGroup(std::string_view token);

// The items of a call token: they end at "(", ")", ",", CR and LF; blanks and line breaks at
// an item's start are skipped; a quoted stretch (double or single quotes) is never split and
// keeps its quotes; empty items are dropped. Item 0 is the "$" and the name.
std::vector<std::string> splitCallItems(std::string_view token);

// Whether a macro result can travel bare in a token text: an optional sign and decimal digits
// that fit 32 bits. Everything else travels quoted.
bool readsAsInteger(std::string_view text);

}  // namespace qbx::macros
