// HTML markup in a message body, as the spam score sees it. The names and attributes inside
// tags ("font", "color", "table", "width") and entities ("&nbsp;") say how a message was made,
// not what it says: the HTML newsletters and shop mail a user asked for are made as spam is,
// and their tags alone would rate them as spam. A link's target stays: where a message sends
// its reader is what it says.
//
// Untrusted input of any size: one pass, no allocation, every byte looked at a bounded number
// of times.
#pragma once

#include <cstddef>
#include <span>

namespace qbx::mail {

// A "<" that finds no ">" within this many bytes opens no tag (nor "<!--" a comment without
// "-->" within kMaxCommentBytes).
inline constexpr std::size_t kMaxTagBytes = 4096;
inline constexpr std::size_t kMaxCommentBytes = 64 * 1024;
// The longest entity between "&" and ";" ("#", "x" and digits included).
inline constexpr std::size_t kMaxEntityBytes = 10;

// Blanks, in place, every tag ("<" followed by a letter, "/", "!" or "?", up to the next ">")
// but the value of its first href attribute, every comment ("<!--" up to "-->") and every
// entity ("&name;", "&#123;", "&#x1F;"). The text keeps its length and its other words their
// places. Returns the number of bytes blanked.
std::size_t blankMarkup(std::span<char> text) noexcept;

}  // namespace qbx::mail
