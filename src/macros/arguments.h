// Reading a call's arguments from the host's parameter container, and the one-letter mode
// arguments that several macros decode through the same tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/host_api.h"
#include "macros/marked_text.h"

namespace qbx::macros {

// A host that reports a longer argument is read up to this many bytes.
inline constexpr std::size_t kMaxParamText = std::size_t{16} << 20;
// A host that reports more arguments is taken to have this many (and none fewer than 0).
inline constexpr std::int32_t kMaxParamCount = 65536;

// Item index as a text: a length query, then a read into a zero-filled buffer; the text ends
// at the first zero byte; a length of 0 or less (or a null provider) reads as empty.
std::string getParamText(ITBPDataProvider* provider, std::int32_t index);
// The first character of item index; a blank when the item is empty.
char getParamChar(ITBPDataProvider* provider, std::int32_t index);
// The host's own integer reading of item index.
std::int32_t getParamInt(ITBPDataProvider* provider, std::int32_t index);
// The number of arguments, within 0 .. kMaxParamCount.
std::int32_t getParamCount(ITBPDataProvider* provider);
void setItemText(ITBPDataProvider* provider, std::int32_t id, std::string_view text);
// Item index of an argument that is evaluated as a template: as the calling template marked
// it when the call is nested, else all of it template (the host's containers hold what the
// user wrote; host macros in it were expanded by the host before we were called).
MarkedText getParamTemplate(ITBPDataProvider* provider, std::int32_t index);

}  // namespace qbx::macros
