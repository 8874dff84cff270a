// One section of a file mailed in UU-encoded parts: the body carries a line
// "section N of M of file NAME" and the section's data lines. This reads such a body; it has no
// state and touches nothing outside its arguments.
//
// Bodies and names come from the mail: the body is bounded, a name is cleaned so that it can
// only ever name a plain file inside the parts folder and stay one well-formed INI section and
// key, or it is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qbx::statistics {

// A larger body is no part: nobody mails sections this big, and the copy would be as large.
inline constexpr std::size_t kMaxUuePartBodyBytes = std::size_t{16} << 20;
// More parts than this are not a set anyone mails; the loops over a set's keys stop here too.
inline constexpr std::int64_t kMaxUuePartCount = 9999;
inline constexpr std::size_t kMaxUuePartNameBytes = 100;

struct UuePart {
    std::int64_t part = -1;
    std::int64_t count = -1;
    std::string name;  // as the section line gives it (word 7), quotes included
    std::string data;  // the data lines, each with CR LF, trimmed, one CR LF appended
};

// Whether some line of the text begins with "section" in any letter case.
bool isUuePart(std::string_view text);

// The values of the last section line of seven words or more, and the body's UU data lines.
// A body over kMaxUuePartBodyBytes gives an empty part.
UuePart parseUuePart(std::string_view text);

// The words of a section line: runs of blanks separate, text between quotes stays one word
// (quotes included), tabs do not separate.
std::vector<std::string> sectionWords(std::string_view line);

// A number as the runtime's integer conversion reads it when its error is ignored: blanks
// skipped, a sign, decimal digits or "$"/"0x" hexadecimal, the value of what was read before
// the first character that does not fit; 0 without digits. Saturates instead of wrapping.
std::int64_t leadingInteger(std::string_view text);

// The name the part's files are kept under: quotes taken off, the last path component; nothing
// when that is empty, ".", "..", longer than kMaxUuePartNameBytes, holds a control character or
// one of <>:"/\|?*[]=; , begins or ends with a dot or a blank, is a device name (CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, CLOCK$, COM1-9, LPT1-9, with any extension), names a file of the
// completer's own ("Count", "PendingFiles", "UC.INI") or has the extension of one (".tmp", ".uue").
std::optional<std::string> cleanPartFileName(std::string_view name);

}  // namespace qbx::statistics
