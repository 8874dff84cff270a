// How the expression language tells data quotes from the quotes that delimit a string value.
// A quoted text is a double quote, the text with every double quote in it doubled, and a
// double quote; a text whose only double quotes are a leading and a trailing one is quoted by
// adding the ones that are missing, as templates have always done.
#pragma once

#include <string>
#include <string_view>

namespace qbx::macros {

// True when the text holds a double quote that is neither its first nor its last character
// and the text is not already a quoted text (outer quotes, inner quotes doubled). Such a text
// is data: quoting wraps it whole and doubles every quote in it.
bool needsEscaping(std::string_view text);

// Every double quote doubled.
std::string doubleQuotes(std::string_view text);

}  // namespace qbx::macros
