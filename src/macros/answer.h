// How a handler answers: a text within the bound of its result (a cut is logged once, with the
// macro's name), or, when its work fails, the macro's placeholder with a log line. Handlers that
// let a failure pass simply throw: the dispatcher logs it and stores the empty text.
#pragma once

#include <exception>
#include <string>

#include "base/bounded_text.h"
#include "macros/macro_call.h"

namespace qbx::macros {

// The text; a cut one logged as "@@ NAME: result cut at N bytes".
std::string answer(MacroCall& call, BoundedText result);

// Strings[placeholder] with the line "@@ NAME: <what failed>".
std::string placeholderAfterFailure(MacroCall& call, int placeholder, std::exception_ptr failure);

// The body's text, or the placeholder when it throws.
template <typename Body>
std::string answerOr(MacroCall& call, int placeholder, Body&& body) {
    try {
        return body();
    } catch (...) {
        return placeholderAfterFailure(call, placeholder, std::current_exception());
    }
}

}  // namespace qbx::macros
