// A text built within a bound: a result that would pass its bound is cut there, and says so.
#pragma once

#include <cstddef>
#include <string>

namespace qbx {

struct BoundedText {
    std::string text;
    bool cut = false;       // the text reached `limit` and was cut there
    std::size_t limit = 0;  // the bound it was built within
};

}  // namespace qbx
