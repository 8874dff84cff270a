// The texts handed to the host: the one copy rule for every text answer, the about page and the
// list of macro names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qbx {

// The host's buffer protocol. With a null buffer or a negative size nothing is copied and the
// full length is returned (clamped to INT32_MAX): that is how the host asks for the size.
// Otherwise min(size, length) bytes are copied, no terminating zero is written, and the count
// copied is returned.
std::int32_t copyToHostBuffer(std::string_view text, char* buffer, std::int32_t size) noexcept;

// The about page (HTML, code page 1251) with the version text in its place.
std::string buildAboutPage();

// The built-in macro names offered to the host, in their order: the macro table's, installed
// by the composition root when the module loads (empty until then). Host thread only.
void installOfferedMacroNames(std::span<const std::string_view> names) noexcept;
std::span<const std::string_view> offeredMacroNames() noexcept;

// Whether the text holds what the host program reads as one of its macros in a message
// template: "%" before a letter (of either alphabet).
bool holdsHostMacro(std::string_view text);
// The text with every "%" that stands before a letter written as "% " and the letter: the host
// reads none of it as a macro, and a reader still sees what it said.
std::string withHostMacrosBroken(std::string_view text);

// The built-in names, then "FN" + name for every non-empty line of scriptNameList (the stored
// scripts, one name a line); every line ends in CR LF.
std::string buildMacroList(std::string_view scriptNameList);
// The number of lines of buildMacroList, in decimal.
std::string macroCount(std::string_view scriptNameList);

}  // namespace qbx
