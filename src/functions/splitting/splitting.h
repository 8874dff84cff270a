// Cutting a long text into parts of a fixed size for the host's outgoing queue: the first part
// stays in the message being written, each further one becomes a small message template in a
// file of its own that the host program is handed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qbx::functions::splitting {

inline constexpr std::size_t kDefaultPartSize = 168;
// A call queues no more parts than this: each one starts the host program and waits for it.
inline constexpr std::size_t kMaxParts = 1000;

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

// Why the text and recipient may not go to the host program in part files, or nothing when
// they may: a file holds no macro but our own, and the recipient stays one quoted value.
std::optional<std::string> refusalOf(std::string_view text, std::string_view recipient);

}  // namespace qbx::functions::splitting
