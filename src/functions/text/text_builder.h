// A result put together piece by piece within its bound. The piece that would pass the bound is
// cut there and nothing is taken after it, so a loop that builds a text stops working as soon
// as append says no: the work stays as bounded as the text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "base/bounded_text.h"

namespace qbx::functions::text {

class TextBuilder {
public:
    explicit TextBuilder(std::size_t limit) { result_.limit = limit; }

    // False once the bound is passed (the text then holds what fitted). A text exactly as long
    // as the bound is not cut.
    bool append(std::string_view piece) {
        if (result_.cut) return false;
        const std::size_t room = result_.limit - result_.text.size();
        if (piece.size() <= room) {
            result_.text += piece;
            return true;
        }
        result_.text.append(piece.data(), room);
        result_.cut = true;
        return false;
    }

    bool append(std::size_t count, char c) {
        if (result_.cut) return false;
        const std::size_t room = result_.limit - result_.text.size();
        result_.text.append(count <= room ? count : room, c);
        if (count <= room) return true;
        result_.cut = true;
        return false;
    }

    bool full() const { return result_.cut; }
    std::size_t size() const { return result_.text.size(); }
    const std::string& text() const { return result_.text; }

    BoundedText take() { return std::move(result_); }

private:
    BoundedText result_;
};

}  // namespace qbx::functions::text
