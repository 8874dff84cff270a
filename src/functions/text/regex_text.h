// Regular-expression replace and grep over a text, as the text macros run them: Perl syntax
// with "^" and "$" matching at line breaks too, Cyrillic letters cased and classed by the 1251
// tables, [а-я] taking in ё. Both walk the matches from the start, each search resuming after
// the previous match (past an empty one), and build their result within the caller's bound.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/bounded_text.h"
#include "base/regex_1251.h"

namespace qbx::functions::text {

// Called before each match is used; throws to stop a walk that has run too long.
using MatchCheckpoint = std::function<void()>;

// What stops a walk: the checkpoint between matches, and the watch inside each search (see
// Regex1251; none gives the library's default).
struct MatchLimits {
    MatchCheckpoint checkpoint;
    RegexWatch watch;
};

// The expression compiled as the text macros compile it; nothing, with the library's message in
// *error, when it does not compile.
std::optional<Regex1251> compileTextRegex(std::string_view expression, std::string* error);

// The group a character names: "0".."9" 0..9, "A".."Z" and "a".."z" 10..35, any other 0.
int hexDigitValue(char c);

// Every match replaced by the replacement, in which "$" and a digit stand for that group of
// the match ("$0" the whole match; a group the match lacks is empty); a "$" without a digit
// after it is itself. Throws std::runtime_error when a search gives up on its limits.
BoundedText replaceRegExpr(const Regex1251& regex, std::string_view text,
                           std::string_view replacement, std::size_t maxSize,
                           const MatchLimits& limits);

struct GrepRequest {
    std::string_view groups;     // one character a group (hexDigitValue); empty means "0"
    std::string_view separator;  // between results
    std::string_view joiner;     // between the groups of one result
    bool unique = false;         // a result equal to an earlier one counts as empty
};

// One result a match: the groups named by request.groups joined by the joiner. The non-empty
// results joined by the separator. Throws std::runtime_error when a search gives up on its
// limits.
BoundedText grepText(const Regex1251& regex, std::string_view text, const GrepRequest& request,
                     std::size_t maxSize, const MatchLimits& limits);

}  // namespace qbx::functions::text
