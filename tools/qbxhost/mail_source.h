// The messages that the feed and score commands read: a message file, a folder of message
// files, or an mbox file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qbxhost {

// Larger files are skipped: a corpus run must not exhaust memory on a stray disk image.
inline constexpr std::uintmax_t kMaxMessageFileBytes = 64u << 20;

// The files that a path names: the path itself, or the regular files of a folder (not its
// subfolders) sorted by name. A path that is neither gives a problem line and no file.
std::vector<std::string> listMessageFiles(const std::string& path,
                                          std::vector<std::string>& problems);

// A file whose first line begins with "From " holds messages in mbox form.
bool isMbox(std::string_view bytes);

// The messages of an mbox, without their "From " lines: a new message begins at a line
// beginning with "From " at the start or after an empty line; that empty line ends the
// message before. The views point into bytes.
std::vector<std::string_view> splitMbox(std::string_view bytes);

// Reads a whole message file as bytes; anything but Read comes with a problem line.
enum class FileRead { Read, TooLarge, Failed };
FileRead readMessageFile(const std::string& path, std::string& bytes, std::string& problem);

// Calls visit for every message of the paths in order, with its label: the file's path, or
// "path#n" (from 1) for the messages of an mbox that holds more than one. Oversized files are
// skipped; returns false when some path or file could not be read (the others are still
// visited). Problems go to report.
using MessageVisitor = std::function<void(const std::string& label, std::string_view raw)>;
using ProblemReport = std::function<void(const std::string& problem)>;
bool forEachMessage(const std::vector<std::string>& paths, const MessageVisitor& visit,
                    const ProblemReport& report);

}  // namespace qbxhost
