// Cutting a long text into parts of a fixed size for the host's outgoing queue: the first part
// stays in the message being written, each further one becomes a small message template in a
// file of its own that the host program is handed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "macros/work_budget.h"

namespace qbx::functions::splitting {

inline constexpr std::size_t kDefaultPartSize = 168;
// What handing one part to the host program is reckoned to take: a start of the program and
// the wait for its end (a thousand parts once held the mail client for 103 s).
inline constexpr std::uint32_t kHandOverMilliseconds = 50;
// A call splits a text into no more parts than it can hand over within its time; a longer
// text is refused before anything is written.
inline constexpr std::size_t kMaxParts = macros::kMaxWorkMilliseconds / kHandOverMilliseconds;

// The part size asked for; 0 or less means the default.
std::size_t partSize(std::int64_t requested);
// How many parts the text makes: at least one, also for an empty text.
std::size_t partCount(std::size_t textLength, std::size_t size);
// Part k (from 0): the characters k * size .. (k + 1) * size - 1, fewer at the end.
std::string_view partOf(std::string_view text, std::size_t size, std::size_t k);

// The part file's one line: the part, "%TO=" and the quoted recipient, and a subject "[i/n]"
// whose quote is left open, as the host program has always been handed it.
std::string partFileText(std::string_view part, std::string_view recipient, std::size_t i,
                         std::size_t n);
// The temporary folder (ending in a backslash) + "temp" + the counter, at least 4 digits,
// + ".tzvx".
std::string partFileName(std::string_view tempFolder, std::uint32_t counter);

// The folder with one backslash at its end; empty for an empty folder.
std::string folderWithBackslash(std::string_view folder);
// The parameters the host program gets for one part file: /MAILT="file";QUEUE.
std::string queueParameters(std::string_view fileName);

// Why the text and recipient may not go to the host program in part files of this size, or
// nothing when they may: a file holds no macro but our own two, and the recipient stays one
// quoted value. A part that ends in "%" would make the host read "%%TO=" as plain text and
// queue the part without its recipient.
std::optional<std::string> refusalOf(std::string_view text, std::string_view recipient,
                                     std::size_t size);

}  // namespace qbx::functions::splitting
