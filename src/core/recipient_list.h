// The user's recipient list: one rule a line, a name, "=" and an address or expression, kept in
// "recipients.txt" in the install folder. The settings dialog edits it and builds the recipient
// filter from it; the traffic rules fold the raw per-recipient traffic by it. The Plugin owns
// the one copy both read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qbx {

class FileSystem;

inline constexpr const char* kRecipientFileName = "recipients.txt";
// The file is read up to this size and this many rules.
inline constexpr std::size_t kMaxRecipientFileBytes = 1u << 20;
inline constexpr std::size_t kMaxRecipientLines = 10000;
// The dialog keeps a rule's name and its expression to this many characters each.
inline constexpr std::size_t kMaxRecipientTextBytes = 1000;

// A line split at its first "=": a line without one has no name and is all expression.
struct RecipientRule {
    std::string name;
    std::string expression;
};
RecipientRule parseRecipientRule(std::string_view line);

struct RecipientList {
    std::vector<std::string> lines;
    // Set when the file exists but could not be read: it is kept aside ("<name>.bad") before the
    // list is first written over it.
    std::string unreadReason;
    // Set when the file was read but the list (or the dialog) keeps less than it holds: it is
    // kept aside whole ("<name>.full") before the list is first written over it.
    std::string notTakenWhole;
    // What the last save kept aside, for the log; empty when it kept nothing.
    std::string keptNote;
};

// The rule lines of a text: blank lines dropped (as an empty alternative a blank line would
// match every address), at most kMaxRecipientLines kept; `more` tells whether rules were left.
std::vector<std::string> recipientLinesOf(std::string_view text, bool* more = nullptr);

// Reads installDir + "recipients.txt" into the list. A missing file gives an empty list; one
// that cannot be read (or is larger than kMaxRecipientFileBytes) an empty list, and the file is
// kept aside at the first save: false in both cases. A file of more rules than the list keeps,
// or of a name or expression longer than the dialog keeps, is read as far as it is kept and
// kept aside whole at the first save.
bool loadRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir);

// Writes the lines, each ended by CR LF, atomically. False with the reason in `error` when the
// file could not be written, or could not be read whole before and cannot be kept aside.
bool saveRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir,
                       std::string& error);

}  // namespace qbx
