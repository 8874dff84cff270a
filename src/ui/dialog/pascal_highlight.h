// The script editor's colouring of Pascal: keywords, strings, comments and numbers, found by a
// tokenizer of our own that never fails on broken source (an open comment or string runs to
// where it would end for the compiler too).
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "ui/dialog/dialog_view.h"

namespace qbx::ui {

// Only this much of a text is coloured: the editor recolours on every change, and a pasted
// file of megabytes must not stall the host's window for each keystroke.
inline constexpr std::size_t kMaxHighlightedBytes = 256 * 1024;

// The coloured stretches in text order; what lies between them is plain.
std::vector<HighlightRange> highlightPascal(std::string_view source);

}  // namespace qbx::ui
