#include "core/recipient_list.h"

#include "base/text.h"
#include "core/kept_files.h"
#include "platform/platform.h"

namespace qbx {

RecipientRule parseRecipientRule(std::string_view line) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return {std::string(), std::string(line)};
    return {std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))};
}

std::vector<std::string> recipientLinesOf(std::string_view text, bool* more) {
    std::vector<std::string> lines;
    if (more != nullptr) *more = false;
    std::size_t start = 0;
    // Split by hand so that a megabyte of line ends never becomes a million empty strings.
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        if (!trimBlankOrControl(line).empty()) {
            if (lines.size() == kMaxRecipientLines) {
                if (more != nullptr) *more = true;
                break;
            }
            lines.emplace_back(line);
        }
        if (end == text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

bool loadRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir) {
    list.lines.clear();
    list.unreadReason.clear();
    list.notTakenWhole.clear();
    const std::string path = installDir + kRecipientFileName;
    if (!files.fileExists(path)) return false;
    const auto bytes = files.readFile(path, kMaxRecipientFileBytes);
    if (!bytes) {
        list.unreadReason = files.lastError().empty() ? "unreadable" : files.lastError();
        return false;
    }
    bool more = false;
    list.lines = recipientLinesOf(*bytes, &more);
    if (more)
        list.notTakenWhole =
            "more than " + decimal(static_cast<std::int64_t>(kMaxRecipientLines)) + " rules";
    for (const std::string& line : list.lines) {
        if (!list.notTakenWhole.empty()) break;
        const RecipientRule rule = parseRecipientRule(line);
        if (rule.name.size() > kMaxRecipientTextBytes ||
            rule.expression.size() > kMaxRecipientTextBytes)
            list.notTakenWhole = "a rule longer than " +
                                 decimal(static_cast<std::int64_t>(kMaxRecipientTextBytes)) +
                                 " characters";
    }
    return true;
}

bool saveRecipientList(RecipientList& list, FileSystem& files, const std::string& installDir,
                       std::string& error) {
    const std::string path = installDir + kRecipientFileName;
    list.keptNote.clear();
    // The rules we could not read, or not all of, are the user's: they go aside before the
    // list replaces them, and stay in place when they cannot.
    const bool unread = !list.unreadReason.empty();
    if (unread || !list.notTakenWhole.empty()) {
        const std::string& why = unread ? list.unreadReason : list.notTakenWhole;
        const KeptAside kept =
            keepAside(files, path, unread ? kDamagedSuffix : kNotTakenWholeSuffix);
        if (!kept.kept && files.fileExists(path)) {
            error = path + ": not written over, it could not be read " + (unread ? "" : "whole ") +
                    "(" + why + ") nor kept aside (" + kept.failure + ")";
            return false;
        }
        if (kept.kept)
            list.keptNote = path + " was not read " + (unread ? "" : "whole ") + "(" + why +
                            "): kept as " + kept.path;
        list.unreadReason.clear();
        list.notTakenWhole.clear();
    }
    std::string bytes;
    for (const std::string& line : list.lines) bytes += line + "\r\n";
    if (files.writeFileAtomic(path, bytes)) return true;
    error = path + ": " + files.lastError();
    return false;
}

}  // namespace qbx
